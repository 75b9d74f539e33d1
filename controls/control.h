// TControl: the base of the program's own controls. It keeps the state
// every control has, before its window exists and after: the place and
// size to make it with, visible, enabled and tab stop. It makes the child
// window with styles to match, follows WM_SHOWWINDOW and WM_ENABLE, and
// paints through an off-screen bitmap (WM_PAINT and WM_PRINTCLIENT, no
// background erase) in one copy, so nothing flickers.
//
// Places, sizes and fonts are given for 96 dpi. A control takes its
// parent's dpi when it is made, and is made at its place and size scaled
// by dpi / 96; SetDpi places, sizes and draws it for another one.
//
// TTextControl adds a caption and a font (WM_SETTEXT, WM_GETFONT,
// WM_SETFONT); until a font is set, the window takes its parent's.
//
// A derived control draws in Draw and says in Changed what a change of this
// state means for it: a repaint, a new size, or nothing.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "controls/paint.h"
#include "controls/window.h"

namespace veltrane {

class TControl : public Window {
 public:
  bool Visible() const;
  void SetVisible(bool visible);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  bool TabStop() const noexcept { return tabStop_; }
  void SetTabStop(bool value);
  bool PointerInside() const noexcept { return pointerInside_; }
  // Moves the window to its place and size for `dpi`, and draws it so.
  void SetDpi(int dpi);

  // Draws the control as it looks now into `dc` at (0, 0), through an
  // off-screen bitmap (WM_PAINT and WM_PRINTCLIENT come here).
  virtual void PaintTo(HDC dc);

 protected:
  // What a change of the shared state asks of the control.
  enum class Change {
    content,    // caption, font or enabled state set: the size may follow, then repaint
    quietFont,  // a font taken from WM_SETFONT without a redraw: the size may follow
    enabled,    // the window was enabled or disabled (WM_ENABLE): the look may change
  };

  // The size the control has until its window is made.
  TControl(int width, int height) : width_(width), height_(height) {}

  // Makes the child window of `windowClass` with WS_CHILD, WS_CLIPSIBLINGS
  // and `style`, plus WS_VISIBLE, WS_TABSTOP and WS_DISABLED as the state
  // says, at the place and size given for 96 dpi scaled to the parent's.
  // Keeps width by height as the size for when there is no window.
  bool CreateControl(ATOM windowClass, const char* title, HWND parent, int left, int top, int width,
                     int height, int id, DWORD style = 0, DWORD exStyle = 0);

  // The client size; before the window exists, the size it is to be made with.
  SIZE ClientSize() const;
  // The window's rectangle in its parent's client coordinates.
  RECT PlaceInParent() const;
  // Gives the window that client size at the same place; false when it had
  // it already.
  bool ResizeClient(SIZE size);

  // A click is a left press and its release over the control. The press
  // (WM_LBUTTONDOWN) takes the mouse, so the release comes here wherever it
  // happens; the release (WM_LBUTTONUP, with its lParam) lets it go and says
  // whether it ends a click. A press whose mouse capture is taken away
  // (WM_CAPTURECHANGED) is dropped: no release of it will come, and a later
  // one must not click.
  void ClickPressed();
  bool ClickReleased(LPARAM lParam);
  bool ClickPending() const noexcept { return clickPending_; }

  // Follows the pointer, calling PointerEntered when it comes over the
  // control and PointerLeft when it goes. On WM_MOUSEMOVE (with its lParam;
  // while a button is held the pointer may be outside): true when the
  // pointer is over the control and the control still exists. On
  // WM_MOUSELEAVE: PointerGone.
  bool PointerMoved(LPARAM lParam);
  void PointerGone();
  // Where the pointer is now, in client coordinates, and whether it is over
  // this control (not over a window in front of it).
  bool PointerNow(POINT* point) const;
  virtual void PointerEntered() {}
  virtual void PointerLeft() {}

  // Paints the whole control into `dc`, an off-screen bitmap of width by
  // height first filled with EraseColor.
  virtual void Draw(HDC dc, int width, int height) = 0;
  virtual COLORREF EraseColor() const { return RGB(255, 255, 255); }

  // Called after the shared state or a property set through SetProperty
  // changed, with or without a window.
  virtual void Changed(Change change) = 0;
  // Called when SetDpi changed the dpi, after the window moved: the look
  // follows (by default a content change).
  virtual void DpiChanged() { Changed(Change::content); }

  // What the control is to a screen reader: a standard control class of
  // the system's (L"Button", L"Static") and a ROLE_SYSTEM_ value; none
  // (null) leaves WM_GETOBJECT to DefWindowProc.
  struct AccessibleKind {
    const wchar_t* standardClass = nullptr;
    long role = 0;
  };
  virtual AccessibleKind Accessible() const { return {}; }

  // A property's setter: stores the value, then Changed(Change::content).
  template <typename Field, typename Value>
  void SetProperty(Field& field, Value&& value) {
    field = std::forward<Value>(value);
    Changed(Change::content);
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool visible_ = true;
  bool enabled_ = true;
  bool tabStop_ = false;
  bool clickPending_ = false;
  bool pointerInside_ = false;
  int left_ = 0, top_ = 0, width_, height_;  // at 96 dpi
};

class TTextControl : public TControl {
 public:
  const std::string& Caption() const noexcept { return caption_; }
  void SetCaption(const std::string& caption);
  const FontDesc& Font() const noexcept { return font_.Desc(); }
  void SetFont(const FontDesc& font);

 protected:
  using TControl::TControl;

  // TControl::CreateControl with the caption as the title, after taking the
  // parent's font when none was set.
  bool CreateControl(ATOM windowClass, HWND parent, int left, int top, int width, int height,
                     int id, DWORD style = 0, DWORD exStyle = 0);

  HFONT FontHandle() { return font_.Handle(); }
  void DpiChanged() override;

  // The window's text, what WM_GETTEXT and screen readers read: the
  // caption unless the control says otherwise.
  virtual std::string WindowText() const { return caption_; }
  // Sets the window's text to WindowText() again.
  void ShowWindowText();
  // The caption's size in the control's font, laid out by DrawText with
  // `format` (see MeasureCaption).
  SIZE MeasureText(UINT format);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::string caption_;
  ControlFont font_;
};

}  // namespace veltrane
