#include "app/findings_view.h"

#include <oleacc.h>

#include <algorithm>

#include "controls/accessible.h"
#include "controls/window.h"

namespace veltrane {
namespace {

constexpr UINT kTicked = INDEXTOSTATEIMAGEMASK(2);
constexpr UINT kUnticked = INDEXTOSTATEIMAGEMASK(1);

// Messages that only read the list view (as the tests and accessibility
// tools do) or follow the pointer: they need no redraw.
bool LeavesTheViewAlone(UINT message) {
  switch (message) {
    case WM_NULL:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETFONT:
    case WM_GETDLGCODE:
    case WM_GETOBJECT:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case LVM_GETITEMCOUNT:
    case LVM_GETITEMA:
    case LVM_GETITEMW:
    case LVM_GETITEMTEXTA:
    case LVM_GETITEMTEXTW:
    case LVM_GETITEMSTATE:
    case LVM_GETCOLUMNA:
    case LVM_GETCOLUMNW:
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return true;
    default: return false;
  }
}

class UpdatingScope {
 public:
  explicit UpdatingScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~UpdatingScope() { flag_ = old_; }
  UpdatingScope(const UpdatingScope&) = delete;
  UpdatingScope& operator=(const UpdatingScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

char* Text(const std::string& text) { return const_cast<char*>(text.c_str()); }

}  // namespace

TFindingsView::TFindingsView(FindingsList& rows) : rows_(rows) {}

TFindingsView::~TFindingsView() {
  rows_.SetObserver(nullptr);
  if (Handle() && listProc_) {
    SetWindowLongPtrW(Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc_));
  }
}

bool TFindingsView::Create(HWND parent, int left, int top, int width, int height, int id,
                           bool checkBoxes, bool border, bool visible) {
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)initialised;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
  if (visible) style |= WS_VISIBLE;
  window_.reset(CreateWindowExA(
      border ? WS_EX_CLIENTEDGE : 0, WC_LISTVIEWA, "", style, left, top, width, height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr));
  if (!window_) return false;
  DWORD extended = LVS_EX_DOUBLEBUFFER;
  if (checkBoxes) extended |= LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
  SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  // The view sees the list view's messages first (comctl32's subclass
  // helper costs a window property lookup per message under Wine).
  SetWindowLongPtrW(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  listProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFindingsView::ListProc)));
  rows_.SetObserver(this);
  ColumnsReset();
  RowsReplaced();
  return true;
}

void TFindingsView::SetFont(HFONT font) {
  if (Handle()) SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TFindingsView::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  const int old = dpi_;
  dpi_ = dpi;
  if (!Handle()) return;
  const int columns = static_cast<int>(rows_.Columns().size());
  for (int i = 0; i < columns; ++i) {
    const auto width = static_cast<int>(SendMessageA(Handle(), LVM_GETCOLUMNWIDTH, i, 0));
    SendMessageA(Handle(), LVM_SETCOLUMNWIDTH, i, ScaleForDpi(UnscaleForDpi(width, old), dpi));
  }
}

void TFindingsView::SetVisible(bool visible) {
  if (!Handle()) return;
  if (visible) CatchUp();
  ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

bool TFindingsView::HandleNotify(const NMHDR& header) {
  if (!Handle() || header.hwndFrom != Handle()) return false;
  if (header.code != LVN_ITEMCHANGED || updating_) return true;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  if (change.iItem < 0 || !(change.uChanged & LVIF_STATE)) return true;
  if (!((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK)) return true;
  // The user ticked or unticked a row: the list learns it now.
  rows_.SetChecked(change.iItem, (change.uNewState & LVIS_STATEIMAGEMASK) == kTicked);
  return true;
}

LRESULT CALLBACK TFindingsView::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* view = reinterpret_cast<TFindingsView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  const WNDPROC listProc = view->listProc_;
  // Nothing may unwind into the system: what escapes the view is reported,
  // as every window procedure reports it, and the list still gets its message.
  try {
    if (message == WM_GETOBJECT) {
      if (const LRESULT answer =
              AnswerGetObject(window, wParam, lParam, L"SysListView32", ROLE_SYSTEM_LIST)) {
        return answer;
      }
    }
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc));
      view->listProc_ = nullptr;
    } else if (!view->updating_ && message != WM_DESTROY) {
      view->CatchUp();
      if (view->suspended_ && !LeavesTheViewAlone(message)) view->Resume();
    }
  } catch (...) {
    Window::ReportCurrentException(window);
  }
  return CallWindowProcW(listProc, window, message, wParam, lParam);
}

void TFindingsView::Suspend(int index) {
  UpdatingScope scope(updating_);
  SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
  suspended_ = true;
  firstUnshown_ = index;
}

void TFindingsView::Resume(bool onlyNewRows) {
  if (!suspended_ || !Handle()) return;
  UpdatingScope scope(updating_);
  suspended_ = false;
  // Where the system's default handling of the suspension took the
  // visible style away, the parent may have painted over the list.
  const bool keptOnScreen = Visible();
  const bool otherPaintWaiting = GetUpdateRect(Handle(), nullptr, FALSE) != FALSE;
  RECT before{}, after{};
  GetClientRect(Handle(), &before);
  // Sets the scroll bars and marks the whole list for painting.
  SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
  GetClientRect(Handle(), &after);
  if (!onlyNewRows || !keptOnScreen || otherPaintWaiting || !EqualRect(&before, &after)) return;
  // Nothing but the appended rows changed, and those below the visible
  // page need no paint.
  ValidateRect(Handle(), nullptr);
  const int top = static_cast<int>(SendMessageA(Handle(), LVM_GETTOPINDEX, 0, 0));
  const int page = static_cast<int>(SendMessageA(Handle(), LVM_GETCOUNTPERPAGE, 0, 0));
  const int first = std::max(firstUnshown_, top);
  const int last = std::min(rows_.Count() - 1, top + page);
  if (first <= last) SendMessageA(Handle(), LVM_REDRAWITEMS, first, last);
}

void TFindingsView::ShowNow() {
  repaintWanted_ = false;
  if (!Handle()) return;
  Resume(/*onlyNewRows*/ true);
  UpdateWindow(Handle());
}

void TFindingsView::ColumnsReset() {
  if (!Handle()) return;
  Resume();
  UpdatingScope scope(updating_);
  while (SendMessageA(Handle(), LVM_DELETECOLUMN, 0, 0)) {
  }
  int index = 0;
  for (const Column& column : rows_.Columns()) {
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH;
    info.pszText = Text(column.caption);
    info.cx = ScaleForDpi(column.width, dpi_);
    SendMessageA(Handle(), LVM_INSERTCOLUMNA, index++, reinterpret_cast<LPARAM>(&info));
  }
}

void TFindingsView::InsertRow(int index) {
  const Finding& row = rows_.Row(index);
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = Text(row.CleanDetails);
  const int at =
      static_cast<int>(SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (at < 0) return;
  const std::string* subTexts[] = {&row.ValueName, &row.ValueData, &row.RegistryLocation};
  for (int sub = 0; sub < 3; ++sub) {
    LVITEMA text{};
    text.iSubItem = sub + 1;
    text.pszText = Text(*subTexts[sub]);
    SendMessageA(Handle(), LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&text));
  }
  SetItemTick(at, row.Checked);
}

void TFindingsView::SetItemTick(int index, bool checked) {
  LVITEMA state{};
  state.stateMask = LVIS_STATEIMAGEMASK;
  state.state = checked ? kTicked : kUnticked;
  SendMessageA(Handle(), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
}

bool TFindingsView::ItemTick(int index) const {
  return (SendMessageA(Handle(), LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK) &
          LVIS_STATEIMAGEMASK) == kTicked;
}

bool TFindingsView::CatchUp() {
  if (!stale_) return false;
  Fill();
  return true;
}

void TFindingsView::Fill() {
  Resume();
  UpdatingScope scope(updating_);
  stale_ = false;
  SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
  SendMessageA(Handle(), LVM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < rows_.Count(); ++i) InsertRow(i);
  if (rows_.Selected() >= 0) RowSelected(rows_.Selected());
  SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TFindingsView::RowAppended(int index) {
  if (!Handle() || CatchUp()) return;
  if (!suspended_) Suspend(index);
  UpdatingScope scope(updating_);
  InsertRow(index);
}

void TFindingsView::RowRemoved(int index) {
  if (!Handle() || CatchUp()) return;
  Resume();
  UpdatingScope scope(updating_);
  SendMessageA(Handle(), LVM_DELETEITEM, index, 0);
}

bool TFindingsView::Visible() const {
  return (GetWindowLongPtrA(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void TFindingsView::RowsReplaced() {
  if (!Handle()) return;
  Resume();
  // A hidden view (lv2) is filled when something first looks at it.
  if (!Visible()) {
    stale_ = true;
    return;
  }
  Fill();
}

void TFindingsView::RowChanged(int index) {
  if (!Handle() || index < 0 || index >= rows_.Count() || CatchUp()) return;
  Resume();
  UpdatingScope scope(updating_);
  const bool checked = rows_.Row(index).Checked;
  if (ItemTick(index) != checked) SetItemTick(index, checked);
}

void TFindingsView::RowSelected(int index) {
  if (!Handle() || CatchUp()) return;
  Resume();
  UpdatingScope scope(updating_);
  LVITEMA clear{};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(&clear));
  if (index < 0) return;
  LVITEMA select{};
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(Handle(), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&select));
  SendMessageA(Handle(), LVM_ENSUREVISIBLE, index, FALSE);
}

void TFindingsView::Repaint() {
  repaintWanted_ = true;
  if (OnRepaintWanted) {
    OnRepaintWanted();
  } else {
    ShowNow();
  }
}

}  // namespace veltrane
