#include "controls/accessible.h"

#include <oleacc.h>

#include <atomic>
#include <string>

#include "controls/platform.h"

namespace veltrane {
namespace {

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// The system's accessibility library and what it needs of COM, loaded when
// a screen reader first asks, so that a program nobody reads aloud does
// not start them. COM is initialised on the thread that asks first: the
// interface thread, which every window of the program belongs to.
struct Oleacc {
  decltype(&CreateStdAccessibleProxyW) createProxy = nullptr;
  decltype(&CreateStdAccessibleObject) createObject = nullptr;
  decltype(&LresultFromObject) lresultFromObject = nullptr;
  decltype(&SysAllocStringLen) allocString = nullptr;

  bool Ready() const { return createProxy && createObject && lresultFromObject && allocString; }
};

const Oleacc& Library() {
  static const Oleacc library = [] {
    Oleacc loaded;
    const HMODULE ole32 = LoadLibraryA("ole32.dll");
    const auto initialise = Lookup<decltype(&CoInitializeEx)>(ole32, "CoInitializeEx");
    if (!initialise) return loaded;
    initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HMODULE oleacc = LoadLibraryA("oleacc.dll");
    loaded.createProxy =
        Lookup<decltype(&CreateStdAccessibleProxyW)>(oleacc, "CreateStdAccessibleProxyW");
    loaded.createObject =
        Lookup<decltype(&CreateStdAccessibleObject)>(oleacc, "CreateStdAccessibleObject");
    loaded.lresultFromObject = Lookup<decltype(&LresultFromObject)>(oleacc, "LresultFromObject");
    loaded.allocString =
        Lookup<decltype(&SysAllocStringLen)>(LoadLibraryA("oleaut32.dll"), "SysAllocStringLen");
    return loaded;
  }();
  return library;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object with the control's role and name laid over it: what
// a screen reader asks of the window itself is answered here, everything
// else (the state, the place, the list's items, the default action) by
// the system's object.
class ControlAccessible final : public IAccessible {
 public:
  ControlAccessible(IAccessible* inner, HWND window, long role)
      : inner_(inner), window_(window), role_(role) {}
  ControlAccessible(const ControlAccessible&) = delete;
  ControlAccessible& operator=(const ControlAccessible&) = delete;

  // IUnknown. The children's enumeration and the window are the system
  // object's; nothing else of it is handed out, so that COM marshals this
  // object, not the one inside.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    if (iid == __uuidof(IEnumVARIANT) || iid == __uuidof(IOleWindow)) {
      return inner_->QueryInterface(iid, object);
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return inner_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return inner_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return inner_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    return inner_->Invoke(id, iid, locale, flags, parameters, result, exception, argumentError);
  }

  // IAccessible: the window's name, role and state here.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return inner_->get_accName(child, name);
    if (!name) return E_POINTER;
    const int length = GetWindowTextLengthW(window_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window_, text.data(), length + 1)));
    if (text.empty()) return inner_->get_accName(child, name);
    *name = Library().allocString(text.data(), static_cast<UINT>(text.size()));
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child)) return inner_->get_accRole(child, role);
    if (!role) return E_POINTER;
    role->vt = VT_I4;
    role->lVal = role_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT result = inner_->get_accState(child, state);
    if (SUCCEEDED(result) && IsSelf(child) && role_ == ROLE_SYSTEM_LINK && state->vt == VT_I4) {
      state->lVal |= STATE_SYSTEM_LINKED;
    }
    return result;
  }

  // IAccessible: the system object's.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return inner_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    return inner_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return inner_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return inner_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return inner_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return inner_->get_accHelp(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return inner_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return inner_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return inner_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return inner_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return inner_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return inner_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    return inner_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return inner_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    return inner_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return inner_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return inner_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return inner_->put_accValue(child, value);
  }

 private:
  ~ControlAccessible() { inner_->Release(); }

  IAccessible* inner_;
  HWND window_;
  long role_;
  std::atomic<ULONG> references_{1};
};

IAccessible* SystemObject(const Oleacc& library, HWND window, const wchar_t* standardClass) {
  void* object = nullptr;
  if (!RunningUnderWine() &&
      SUCCEEDED(library.createProxy(window, standardClass, OBJID_CLIENT, __uuidof(IAccessible),
                                    &object)) &&
      object) {
    return static_cast<IAccessible*>(object);
  }
  if (SUCCEEDED(library.createObject(window, OBJID_CLIENT, __uuidof(IAccessible), &object))) {
    return static_cast<IAccessible*>(object);
  }
  return nullptr;
}

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const wchar_t* standardClass,
                        long role) {
  if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return 0;
  const Oleacc& library = Library();
  if (!library.Ready()) return 0;
  IAccessible* inner = SystemObject(library, window, standardClass);
  if (!inner) return 0;
  auto* object = new ControlAccessible(inner, window, role);
  const LRESULT answer = library.lresultFromObject(__uuidof(IAccessible), wParam, object);
  object->Release();
  return answer > 0 ? answer : 0;
}

}  // namespace veltrane
