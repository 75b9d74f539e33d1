#include "tests/app/support/remote_ui.h"

#include <commctrl.h>
#include <oleacc.h>
#include <psapi.h>

namespace veltrane::testing {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kItemOffset = 0;
constexpr std::size_t kTextOffset = 1024;
constexpr std::size_t kTextCapacity = kBufferSize - kTextOffset;

struct TopLevelSearch {
  DWORD pid;
  const char* className;
  std::string title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TopLevelSearch*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid) return TRUE;
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  if (search->title != text) return TRUE;
  if (search->className) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, search->className) != 0) return TRUE;
  }
  search->found.push_back(window);
  return TRUE;
}

void SendMouse(DWORD flags, int x, int y) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = static_cast<LONG>((x * 65536LL + width / 2) / width);
  input.mi.dy = static_cast<LONG>((y * 65536LL + height / 2) / height);
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof input);
}

}  // namespace

std::string TextOf(HWND window) {
  char text[4096] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_NORMAL, 5000, &length)) {
    return {};
  }
  return std::string(text, length < sizeof text ? length : sizeof text - 1);
}

AccessibleFacts AccessibleOf(HWND window) {
  AccessibleFacts facts;
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  IAccessible* object = nullptr;
  // The IID from the header (__uuidof): mingw's import library has no good
  // IID_IAccessible.
  if (SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                           __uuidof(IAccessible),
                                           reinterpret_cast<void**>(&object)))) {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role{};
    if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) facts.role = role.lVal;
    BSTR name = nullptr;
    if (SUCCEEDED(object->get_accName(self, &name)) && name) {
      const int length = SysStringLen(name);
      const int bytes = WideCharToMultiByte(CP_UTF8, 0, name, length, nullptr, 0, nullptr, nullptr);
      facts.name.resize(static_cast<std::size_t>(bytes));
      WideCharToMultiByte(CP_UTF8, 0, name, length, facts.name.data(), bytes, nullptr, nullptr);
      SysFreeString(name);
    }
    object->Release();
  }
  if (com) CoUninitialize();
  return facts;
}

HWND ChildById(HWND parent, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) != s->id) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindTopLevel(DWORD pid, const char* className, const std::string& title) {
  TopLevelSearch search{pid, className, title, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found.empty() ? nullptr : search.found.front();
}

HWND WaitForWindow(DWORD pid, const char* className, const std::string& title) {
  HWND window = nullptr;
  WaitUntil([&] {
    window = FindTopLevel(pid, className, title);
    return window && IsWindowVisible(window);
  });
  return window && IsWindowVisible(window) ? window : nullptr;
}

std::vector<HWND> TopLevelWindows(DWORD pid, const std::string& title) {
  TopLevelSearch search{pid, nullptr, title, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return SIZE{r.right, r.bottom};
}

void MovePointer(int x, int y) {
  SendMouse(0, x, y);
  Sleep(30);
}

void PressKey(WORD key, bool shift) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD virtualKey, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  if (shift) add(VK_SHIFT, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  if (shift) add(VK_SHIFT, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Sleep(30);
}

HWND FocusedWindow(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void ClickAt(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  // Arrive first, so the control sees the pointer enter before the press.
  SendMouse(0, p.x - 1, p.y);
  Sleep(30);
  SendMouse(0, p.x, p.y);
  Sleep(30);
  SendMouse(MOUSEEVENTF_LEFTDOWN, p.x, p.y);
  Sleep(30);
  SendMouse(MOUSEEVENTF_LEFTUP, p.x, p.y);
  Sleep(30);
}

void Click(HWND window) {
  const SIZE size = ClientSize(window);
  ClickAt(window, size.cx / 2, size.cy / 2);
}

std::vector<std::string> ModulesOf(HANDLE process) {
  std::vector<std::string> names;
  HMODULE modules[1024];
  DWORD bytes = 0;
  if (!EnumProcessModules(process, modules, sizeof modules, &bytes)) return names;
  for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 1024; ++i) {
    char name[MAX_PATH * 2] = {};
    if (GetModuleFileNameExA(process, modules[i], name, sizeof name)) names.push_back(name);
  }
  return names;
}

void Settle(HWND window) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

RemoteListView::RemoteListView(HANDLE process, HWND list) : process_(process), list_(list) {
  buffer_ =
      VirtualAllocEx(process_, nullptr, kBufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteListView::~RemoteListView() {
  if (buffer_) VirtualFreeEx(process_, buffer_, 0, MEM_RELEASE);
}

void RemoteListView::Write(std::size_t offset, const void* data, std::size_t size) const {
  SIZE_T written = 0;
  WriteProcessMemory(process_, Remote(offset), data, size, &written);
}

void RemoteListView::Read(std::size_t offset, void* data, std::size_t size) const {
  SIZE_T read = 0;
  ReadProcessMemory(process_, Remote(offset), data, size, &read);
}

int RemoteListView::Count() const {
  return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::string RemoteListView::Text(int item, int subItem) const {
  if (!buffer_) return {};
  LVITEMA request{};
  request.iSubItem = subItem;
  request.pszText = Remote(kTextOffset);
  request.cchTextMax = static_cast<int>(kTextCapacity);
  Write(kItemOffset, &request, sizeof request);
  const char zero = 0;
  Write(kTextOffset, &zero, 1);
  const auto length = static_cast<std::size_t>(
      SendMessageA(list_, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(Remote(kItemOffset))));
  std::string text(length < kTextCapacity ? length : kTextCapacity - 1, '\0');
  if (!text.empty()) Read(kTextOffset, text.data(), text.size());
  return text;
}

bool RemoteListView::Checked(int item) const {
  const auto state =
      static_cast<UINT>(SendMessageA(list_, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void RemoteListView::SetChecked(int item, bool checked) const {
  LVITEMA request{};
  request.stateMask = LVIS_STATEIMAGEMASK;
  request.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  Write(kItemOffset, &request, sizeof request);
  SendMessageA(list_, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(Remote(kItemOffset)));
}

RECT RemoteListView::ItemRect(int item, int code) const {
  RECT r{};
  r.left = code;
  Write(kItemOffset, &r, sizeof r);
  if (!SendMessageA(list_, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(Remote(kItemOffset)))) {
    return RECT{};
  }
  Read(kItemOffset, &r, sizeof r);
  return r;
}

std::vector<Finding> RemoteListView::Rows() const {
  std::vector<Finding> rows;
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    rows.push_back(Finding{Text(i, 0), Text(i, 1), Text(i, 2), Text(i, 3), Checked(i)});
  }
  return rows;
}

std::vector<Column> RemoteListView::Columns() const {
  std::vector<Column> columns;
  for (int index = 0;; ++index) {
    LVCOLUMNA request{};
    request.mask = LVCF_TEXT | LVCF_WIDTH;
    request.pszText = Remote(kTextOffset);
    request.cchTextMax = 256;
    Write(kItemOffset, &request, sizeof request);
    if (!SendMessageA(list_, LVM_GETCOLUMNA, index,
                      reinterpret_cast<LPARAM>(Remote(kItemOffset)))) {
      break;
    }
    LVCOLUMNA answer{};
    Read(kItemOffset, &answer, sizeof answer);
    char caption[257] = {};
    Read(kTextOffset, caption, 256);
    columns.push_back(Column{caption, answer.cx});
  }
  return columns;
}

}  // namespace veltrane::testing
