// The base of every window of the program: the controls here, and the main
// window and dialogs built on them.
//
// One static window procedure serves every class registered through
// RegisterWindowClass. At WM_NCCREATE it stores the Window object (passed as
// CreateWindowEx's lpParam by Window::CreateHandle) in a window property;
// every later message goes to the virtual HandleMessage of that object; at
// WM_NCDESTROY the property and the object's handle are cleared, so no
// message reaches an object whose window is gone, and a Window whose window
// the system destroyed (with its parent, say) is simply left without one.
//
// Nothing escapes a handler: an exception thrown by HandleMessage or by a
// callback it runs is caught in the window procedure and given to the
// exception reporter (by default an error message box with the exception's
// text), and the message answers 0.
//
// A Window owns its window: destroying the object destroys the window (after
// detaching it, so the half-destroyed object receives nothing). Windows are
// neither copied nor moved: the window keeps the object's address.
//
// Typical derived class:
//
//   class TForm2 : public Window {
//    public:
//     bool Create() {
//       static const ATOM cls = RegisterWindowClass("VeltraneAbout", CS_DBLCLKS);
//       return CreateHandle(cls, 0, "About", WS_CAPTION | WS_SYSMENU, ...);
//     }
//    protected:
//     LRESULT HandleMessage(UINT msg, WPARAM w, LPARAM l) override {
//       switch (msg) {
//         case WM_CLOSE: ShowWindow(Handle(), SW_HIDE); return 0;
//       }
//       return Window::HandleMessage(msg, w, l);
//     }
//   };
//
// Keyboard: message loops should hand each message to DispatchMessageWithKeys
// (or call TranslateControlKeys first), which lets Enter, Escape and
// accelerator characters reach the gradient buttons and status texts of the
// window that has the focus, and Tab reach its top-level window, as a dialog
// would.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/accelerator.h"
#include "controls/scale.h"

namespace veltrane {

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const noexcept { return hwnd_; }
  bool HasHandle() const noexcept { return hwnd_ != nullptr; }

  // The Window object behind a window made through this base, else null.
  static Window* FromHandle(HWND window) noexcept;

  // The dpi the window is laid out for: a top-level window's monitor's, a
  // control's parent's (kDefaultDpi until it is known).
  int Dpi() const noexcept { return dpi_; }
  // That of any window: ours keep it, others are asked the system.
  static int DpiOf(HWND window);

  // Called with the window that was handling the message and the text of an
  // exception that escaped its handler. Set null for the default: an error
  // message box ("Error", MB_ICONERROR) owned by the window's top level.
  using ExceptionReporter = std::function<void(HWND window, const std::string& text)>;
  static void SetExceptionReporter(ExceptionReporter reporter);
  static void ReportException(HWND window, const std::string& text);
  // Reports the exception being handled, from inside a catch (...): what a
  // window procedure of another class does with what escapes it.
  static void ReportCurrentException(HWND window) noexcept;

  // The modal result of a top-level window: a gradient button whose
  // ModalResult is not 0 sets it on its top-level window when clicked. While
  // ShowModal runs, a result other than 0 ends the modal loop.
  int ModalResult() const noexcept { return modalResult_; }
  void SetModalResult(int result) noexcept { modalResult_ = result; }

  // Shows the window modally: every other enabled top-level window of the
  // thread is disabled, messages are handled (DispatchMessageWithKeys) until
  // ModalResult is not 0 or the window is hidden or destroyed, then the
  // window is hidden, the others are enabled again and the owner comes back
  // to the front. Returns the modal result (2, cancel, when the window was
  // closed another way). A WM_QUIT met on the way is posted again.
  int ShowModal();

  // Keyboard routing of the gradient controls, called by
  // TranslateControlKeys for the windows of the focused top level. True
  // when the control took the key. `key` is the virtual key (VK_RETURN or
  // VK_ESCAPE), `character` the typed character; `modifiers` says whether
  // Shift, Ctrl or Alt was held.
  virtual bool DialogKey(WPARAM key, bool modifiers);
  virtual bool DialogChar(char character);
  // Tab (Shift+Tab when `backward`), offered by TranslateControlKeys to the
  // top-level window of the focus: true when it moved the focus. The base
  // takes no Tab.
  virtual bool TabKey(bool backward);

 protected:
  Window() = default;

  // Registers a window class served by this base's window procedure, once
  // per name (later calls return the same atom). No background brush: the
  // windows paint their whole client area themselves.
  static ATOM RegisterWindowClass(const char* className, UINT style = 0, HCURSOR cursor = nullptr,
                                  HBRUSH background = nullptr, HICON icon = nullptr);

  // CreateWindowExA of a registered class with this object as lpParam.
  // Returns false when the window could not be made (or already exists).
  bool CreateHandle(ATOM windowClass, DWORD exStyle, const char* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId = nullptr);

  // The message handler; the base passes everything to DefWindowProcA.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void StoreDpi(int dpi) noexcept { dpi_ = dpi; }

  // After WM_NCDESTROY, when Handle() is already null.
  virtual void HandleDestroyed() {}

  // Destroys the window now (if any), with messages still reaching the
  // derived class. Derived destructors that must see WM_DESTROY call it.
  void DestroyHandle();

  // A flag that turns false when the object is destroyed: a handler that
  // runs a callback checks it afterwards before touching members again.
  std::shared_ptr<const bool> AliveToken() const { return alive_; }

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  int dpi_ = kDefaultDpi;
  int modalResult_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Routes keys of `message` to the gradient controls of the focused window's
// top level, as dialogs do: Tab without Ctrl or Alt (WM_KEYDOWN) goes to
// that top level's TabKey, unless the focused control asks for it
// (DLGC_WANTTAB, DLGC_WANTALLKEYS or DLGC_WANTMESSAGE); Enter and Escape go
// first to the focused control, then to every other control of that top
// level in window order, unless the focused control asks for them
// (DLGC_WANTALLKEYS or DLGC_WANTMESSAGE); typed characters (WM_CHAR, and
// WM_SYSCHAR for Alt) go the same way as accelerators, unless the focused
// control wants characters and Alt is not held. Returns true when a control
// took the key: the message must then not be dispatched.
bool TranslateControlKeys(const MSG& message);

// TranslateControlKeys, else TranslateMessage and DispatchMessageA.
void DispatchMessageWithKeys(const MSG& message);

// True while Shift, Ctrl or Alt is held.
bool ModifierKeysHeld();

// True when `window` and all its ancestors are visible and enabled, the
// condition for taking the focus.
bool CanFocusWindow(HWND window);

}  // namespace veltrane
