// State machines and properties driven by window messages: the button's
// hover, press, keyboard and accelerator handling, dialog keys, the status
// text's auto-size and input, the label's callbacks and the window base.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "controls/gradient_button.h"
#include "controls/gradient_panel.h"
#include "controls/gradient_progress_bar.h"
#include "controls/paint.h"
#include "controls/status_text.h"
#include "controls/text_label.h"
#include "tests/controls/test_support.h"

namespace veltrane::testing {
namespace {

class ControlsBehaviour : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1279, 1023);
    ASSERT_TRUE(form.Create(400, 300));
  }
  TestForm form;
};

enum class Ev { Move, Down, Up, RightUp, Leave, KeyDown, KeyUp, Blur, Disable };
struct Step {
  Ev event;
  int x = 10, y = 10;  // or the key
};

void Send(TGradientButton& b, const Step& s) {
  const HWND h = b.Handle();
  switch (s.event) {
    case Ev::Move: SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(s.x, s.y)); break;
    case Ev::Down: SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(s.x, s.y)); break;
    case Ev::Up: SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(s.x, s.y)); break;
    case Ev::RightUp: SendMessageA(h, WM_RBUTTONUP, 0, MAKELPARAM(s.x, s.y)); break;
    case Ev::Leave: SendMessageA(h, WM_MOUSELEAVE, 0, 0); break;
    case Ev::KeyDown: SendMessageA(h, WM_KEYDOWN, static_cast<WPARAM>(s.x), 0); break;
    case Ev::KeyUp: SendMessageA(h, WM_KEYUP, static_cast<WPARAM>(s.x), 0); break;
    case Ev::Blur: SetFocus(nullptr); break;
    case Ev::Disable: b.SetEnabled(false); break;
  }
}

TEST_F(ControlsBehaviour, ButtonStateMachine) {
  using S = ButtonState;
  struct Case {
    const char* name;
    bool hotTrack;
    std::vector<Step> steps;
    S state;
    bool pressed;
    int clicks;
  };
  const int kSpace = VK_SPACE, kEnter = VK_RETURN;
  const std::vector<Case> cases = {
      {"pointer enters", true, {{Ev::Move}}, S::over, false, 0},
      {"pointer enters and leaves", true, {{Ev::Move}, {Ev::Leave}}, S::normal, false, 0},
      {"enter without hot tracking", false, {{Ev::Move}}, S::normal, false, 0},
      {"press", true, {{Ev::Move}, {Ev::Down}}, S::down, true, 0},
      {"press and release inside", true, {{Ev::Move}, {Ev::Down}, {Ev::Up}}, S::over, false, 1},
      {"press and release, no hot tracking",
       false,
       {{Ev::Move}, {Ev::Down}, {Ev::Up}},
       S::normal,
       false,
       1},
      {"press, move out, release outside",
       true,
       {{Ev::Move}, {Ev::Down}, {Ev::Move, 60, 10}, {Ev::Up, 60, 10}},
       S::normal,
       false,
       0},
      {"press, move out and back in",
       true,
       {{Ev::Move}, {Ev::Down}, {Ev::Move, 60, 10}, {Ev::Move}},
       S::down,
       true,
       0},
      {"release on the edge clicks but stays normal",
       true,
       {{Ev::Move}, {Ev::Down}, {Ev::Up, 0, 5}},
       S::normal,
       false,
       1},
      {"right button release ends the press",
       true,
       {{Ev::Move}, {Ev::Down}, {Ev::RightUp}},
       S::over,
       false,
       0},
      {"space down and up", true, {{Ev::KeyDown, kSpace}}, S::down, false, 0},
      {"space click", true, {{Ev::KeyDown, kSpace}, {Ev::KeyUp, kSpace}}, S::normal, false, 1},
      {"enter clicks", true, {{Ev::Move}, {Ev::KeyDown, kEnter}}, S::normal, false, 1},
      {"focus lost", true, {{Ev::Move}, {Ev::Down}, {Ev::Blur}}, S::normal, true, 0},
  };
  for (const auto& c : cases) {
    TGradientButton button;
    button.SetHotTrack(c.hotTrack);
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    ASSERT_TRUE(button.Create(form.Handle(), 8, 48, 33, 30));
    for (const Step& s : c.steps) Send(button, s);
    EXPECT_EQ(button.State(), c.state) << c.name;
    EXPECT_EQ(button.Pressed(), c.pressed) << c.name;
    EXPECT_EQ(clicks, c.clicks) << c.name;
    ReleaseCapture();
  }
}

TEST_F(ControlsBehaviour, ButtonFocusHoverCallbacksAndCaptureLoss) {
  TGradientButton button;
  int entered = 0, left = 0;
  button.OnMouseEnter = [&] { ++entered; };
  button.OnMouseLeave = [&] { ++left; };
  ASSERT_TRUE(button.Create(form.Handle(), 8, 48, 33, 30));
  Send(button, {Ev::Move});
  Send(button, {Ev::Move, 12, 12});
  Send(button, {Ev::Leave});
  Send(button, {Ev::Leave});
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(left, 1);

  // A tab stop takes the focus when pressed; without one it does not.
  Send(button, {Ev::Down});
  EXPECT_EQ(GetFocus(), button.Handle());
  EXPECT_TRUE(button.Focused());
  EXPECT_EQ(GetCapture(), button.Handle());
  // Another window takes the mouse mid-press: no release will come.
  SetCapture(form.Handle());
  EXPECT_FALSE(button.Pressed());
  EXPECT_EQ(button.State(), ButtonState::normal);
  ReleaseCapture();

  TGradientButton other;
  other.SetTabStop(false);
  ASSERT_TRUE(other.Create(form.Handle(), 80, 48, 33, 30));
  Send(other, {Ev::Down});
  EXPECT_EQ(GetFocus(), button.Handle());
  Send(other, {Ev::Up});
}

TEST_F(ControlsBehaviour, ButtonClickSetsTheModalResultOfItsForm) {
  TGradientPanel panel;
  ASSERT_TRUE(panel.Create(form.Handle(), 0, 0, 300, 200));
  TGradientButton ok;
  ok.SetModalResult(1);
  int clicks = 0;
  ok.OnClick = [&] {
    ++clicks;
    EXPECT_EQ(form.ModalResult(), 1);  // set before the handler runs
  };
  ASSERT_TRUE(ok.Create(panel.Handle(), 10, 10));
  form.SetModalResult(0);
  SendMessageA(ok.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form.ModalResult(), 1);

  // A disabled button ignores clicks of every kind.
  ok.SetEnabled(false);
  SendMessageA(ok.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
}

MSG KeyMessage(HWND window, UINT message, WPARAM key) {
  MSG m{};
  m.hwnd = window;
  m.message = message;
  m.wParam = key;
  return m;
}

TEST_F(ControlsBehaviour, DialogKeysAndAccelerators) {
  TGradientButton apply, close, plain;
  std::vector<std::string> clicked;
  apply.SetCaption("&Apply");
  apply.OnClick = [&] { clicked.push_back("apply"); };
  close.SetCaption("Close");
  close.SetCancel(true);
  close.SetDefault(true);
  close.OnClick = [&] { clicked.push_back("close"); };
  plain.SetCaption("Plain");
  plain.OnClick = [&] { clicked.push_back("plain"); };
  ASSERT_TRUE(apply.Create(form.Handle(), 10, 10));
  ASSERT_TRUE(close.Create(form.Handle(), 100, 10));
  ASSERT_TRUE(plain.Create(form.Handle(), 190, 10));
  TStatusText edit;  // a focusable control that is not a button
  edit.SetTabStop(true);
  ASSERT_TRUE(edit.Create(form.Handle(), 10, 60));

  struct Case {
    const char* name;
    HWND focus;
    UINT message;
    WPARAM key;
    bool taken;
    std::vector<std::string> clicks;
  };
  const std::vector<Case> cases = {
      {"enter on a focused button clicks it, not the default",
       plain.Handle(),
       WM_KEYDOWN,
       VK_RETURN,
       true,
       {"plain"}},
      {"enter elsewhere goes to the default button",
       edit.Handle(),
       WM_KEYDOWN,
       VK_RETURN,
       true,
       {"close"}},
      {"escape goes to the cancel button", plain.Handle(), WM_KEYDOWN, VK_ESCAPE, true, {"close"}},
      {"other keys pass", plain.Handle(), WM_KEYDOWN, VK_TAB, false, {}},
      {"accelerator, lower case", plain.Handle(), WM_CHAR, 'a', true, {"apply"}},
      {"accelerator with Alt", edit.Handle(), WM_SYSCHAR, 'A', true, {"apply"}},
      {"a character that marks nothing", plain.Handle(), WM_CHAR, 'z', false, {}},
  };
  for (const auto& c : cases) {
    clicked.clear();
    SetFocus(c.focus);
    ASSERT_EQ(GetFocus(), c.focus) << c.name;
    EXPECT_EQ(TranslateControlKeys(KeyMessage(c.focus, c.message, c.key)), c.taken) << c.name;
    EXPECT_EQ(clicked, c.clicks) << c.name;
  }

  // Disabled or hidden buttons take no keys.
  apply.SetEnabled(false);
  close.SetVisible(false);
  clicked.clear();
  SetFocus(edit.Handle());
  EXPECT_FALSE(TranslateControlKeys(KeyMessage(edit.Handle(), WM_CHAR, 'a')));
  EXPECT_FALSE(TranslateControlKeys(KeyMessage(edit.Handle(), WM_KEYDOWN, VK_ESCAPE)));
  EXPECT_TRUE(clicked.empty());
}

TEST_F(ControlsBehaviour, ButtonPropertiesAndHint) {
  TGradientButton button;
  EXPECT_EQ(button.ColorScheme(), TColorScheme::csNeoDesert);
  EXPECT_EQ(button.GetColor(kOverColorGrad), kWhite);
  EXPECT_TRUE(button.Gradient());
  EXPECT_EQ(button.Spacing(), 4);
  EXPECT_EQ(button.Layout(), TButtonLayout::blGlyphLeft);
  button.SetColorScheme(TColorScheme::csNeoSilver);
  const ButtonColors before = button.Colors();
  button.SetColor(kOverColorFace, 123);
  EXPECT_EQ(button.ColorScheme(), TColorScheme::csCustom);
  for (int i = 0; i < kButtonColorCount; ++i) {
    EXPECT_EQ(button.GetColor(i), i == kOverColorFace ? 123u : before[i]) << i;
  }
  button.SetColorScheme(TColorScheme::csCustom);
  EXPECT_EQ(button.GetColor(kOverColorFace), 123u);

  button.SetHint("scan registry");
  ASSERT_TRUE(button.Create(form.Handle(), 8, 48, 33, 30));
  ASSERT_NE(button.HintWindow(), nullptr);
  char text[64] = {};
  TTTOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.hwnd = form.Handle();
  info.uId = reinterpret_cast<UINT_PTR>(button.Handle());
  info.lpszText = text;
  SendMessageA(button.HintWindow(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ(text, "scan registry");
  button.SetHint("");
  EXPECT_EQ(button.HintWindow(), nullptr);
}

SIZE Measure(const FontDesc& desc, const std::string& text, UINT format) {
  MemoryDC dc;
  UniqueFont font = CreateFontFrom(desc);
  SelectGuard select(dc.get(), font.get());
  RECT r{0, 0, 0, 0};
  DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
  return SIZE{r.right, r.bottom};
}

TEST_F(ControlsBehaviour, StatusTextSizesItselfToItsCaption) {
  const FontDesc tahoma{"Tahoma", 13};
  TStatusText st;
  st.SetColor(14344414);
  st.SetFont(tahoma);
  ASSERT_TRUE(st.Create(form.Handle(), 48, 3, 137, 18));
  struct Case {
    const char* name;
    std::string caption;
    bool accel;
    std::string measured;  // what the layout shows
    UINT format;
  };
  const std::vector<Case> cases = {
      {"Ready", "Ready", true, "Ready", 0},
      {"longer", "Scan complete -> 12 items should be remove", true,
       "Scan complete -> 12 items should be remove", 0},
      {"empty keeps one line", "", true, " ", 0},
      {"ampersand alone", "&", true, "& ", 0},
      {"accelerator shown as underline", "Re&ady", true, "Ready", DT_NOPREFIX},
      {"ampersand shown when off", "Re&ady", false, "Re&ady", DT_NOPREFIX},
      {"lone ampersand when off", "&", false, "&", DT_NOPREFIX},
  };
  for (const auto& c : cases) {
    st.SetShowAccelChar(c.accel);
    st.SetCaption(c.caption);
    const SIZE text = Measure(tahoma, c.measured, DT_LEFT | DT_EXPANDTABS | c.format);
    const RECT r = RectInParent(st.Handle());
    EXPECT_EQ(r.left, 48) << c.name;
    EXPECT_EQ(r.top, 3) << c.name;
    EXPECT_EQ(r.right - r.left, text.cx + 2) << c.name;
    EXPECT_EQ(r.bottom - r.top, text.cy + 2) << c.name;
  }
  // Empty still has a line's height.
  st.SetCaption("");
  EXPECT_GT(RectInParent(st.Handle()).bottom - 3, 2);

  // AutoSize off keeps the size; on again fits at once.
  st.SetAutoSize(false);
  st.SetCaption("a much longer status text than before");
  const RECT fixed = RectInParent(st.Handle());
  EXPECT_EQ(fixed.right - fixed.left, Measure(tahoma, " ", DT_LEFT).cx + 2);
  st.SetAutoSize(true);
  EXPECT_EQ(RectInParent(st.Handle()).right - 48,
            Measure(tahoma, "a much longer status text than before", DT_LEFT).cx + 2);

  // An OnPaint handler that declines stops the sizing too.
  st.OnPaint = [](TCustomStatusText&, bool& go) { go = false; };
  const RECT declined = RectInParent(st.Handle());
  st.SetCaption("x");
  EXPECT_EQ(RectInParent(st.Handle()).right, declined.right);
}

// At 150% the status line takes Tahoma 20 and fits a key name of any
// script as GDI's UTF-16 calls lay it out (its 8-bit calls would lay out
// the UTF-8 bytes as characters of the legacy code page).
TEST_F(ControlsBehaviour, AtAnotherScaleTheStatusTextFitsATextOfAnyScriptInTheScaledFont) {
  const FontDesc tahoma{"Tahoma", 13};
  TStatusText st;
  st.SetFont(tahoma);
  ASSERT_TRUE(st.Create(form.Handle(), 48, 3, 137, 18));
  st.SetDpi(144);
  st.SetCaption("HKEY_CURRENT_USER\\Software\\Ωμέγα\\Иван");
  MemoryDC dc;
  const UniqueFont font = CreateFontFrom(tahoma, 144);
  SelectGuard select(dc.get(), font.get());
  const std::wstring text = L"HKEY_CURRENT_USER\\Software\\Ωμέγα\\Иван";
  RECT r{0, 0, 0, 0};
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_LEFT | DT_EXPANDTABS | DT_CALCRECT);
  const RECT place = RectInParent(st.Handle());
  EXPECT_EQ(place.left, 72);
  EXPECT_EQ(place.top, 5);
  EXPECT_EQ(place.right - place.left, r.right + 2);
  EXPECT_EQ(place.bottom - place.top, r.bottom + 2);
}

TEST_F(ControlsBehaviour, AStatusTextThatShrinksLeavesNothingOfTheLongerTextToPaintLater) {
  // As in the main window: on a panel, while long work handles messages
  // only now and then.
  TGradientPanel panel;
  ASSERT_TRUE(panel.Create(form.Handle(), 0, 0, 400, 26));
  TStatusText st;
  ASSERT_TRUE(st.Create(panel.Handle(), 48, 3, 137, 18));
  st.SetCaption("HKEY_CURRENT_USER\\SOFTWARE\\Vendor\\Product\\Settings");
  PumpMessages();
  for (const char* shorter : {"HKEY_CURRENT_USER\\SOFTWARE\\Vendor", "Ready"}) {
    st.SetCaption(shorter);
    EXPECT_FALSE(GetUpdateRect(panel.Handle(), nullptr, FALSE)) << shorter;
    EXPECT_FALSE(GetUpdateRect(st.Handle(), nullptr, FALSE)) << shorter;
  }
}

TEST_F(ControlsBehaviour, StatusTextInput) {
  TStatusText st, partner;
  int clicks = 0;
  st.OnClick = [&] { ++clicks; };
  ASSERT_TRUE(st.Create(form.Handle(), 10, 10));
  st.SetCaption("&Status");
  partner.SetTabStop(true);
  ASSERT_TRUE(partner.Create(form.Handle(), 10, 50));
  partner.SetCaption("partner");

  // A mouse click focuses it (not a tab stop) and clicks.
  SendMessageA(st.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_TRUE(st.MouseDownFlag());
  SendMessageA(st.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_FALSE(st.MouseDownFlag());
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetFocus(), st.Handle());

  // Space: the flag on key down, the click on key up.
  SendMessageA(st.Handle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(st.KeyDownFlag());
  SendMessageA(st.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_FALSE(st.MouseDownFlag()) << "the key holds the control";
  SendMessageA(st.Handle(), WM_KEYUP, VK_SPACE, 0);
  EXPECT_FALSE(st.KeyDownFlag());
  EXPECT_EQ(clicks, 2);
  SendMessageA(st.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));  // outside: no click
  EXPECT_EQ(clicks, 2);

  // Losing the focus clears both flags.
  SendMessageA(st.Handle(), WM_KEYDOWN, VK_SPACE, 0);
  SetFocus(partner.Handle());
  EXPECT_FALSE(st.KeyDownFlag());

  // The accelerator clicks it, or focuses FocusControl when set.
  EXPECT_TRUE(TranslateControlKeys(KeyMessage(partner.Handle(), WM_SYSCHAR, 's')));
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(GetFocus(), st.Handle());
  st.SetFocusControl(partner.Handle());
  EXPECT_TRUE(TranslateControlKeys(KeyMessage(st.Handle(), WM_CHAR, 'S')));
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(GetFocus(), partner.Handle());
  // With ShowAccelChar off the "&" is text, not a mark.
  st.SetShowAccelChar(false);
  EXPECT_FALSE(TranslateControlKeys(KeyMessage(partner.Handle(), WM_SYSCHAR, 's')));
  st.SetShowAccelChar(true);

  // The focus control's window goes away: the reference reads null.
  partner.SetFocusControl(nullptr);
  {
    TGradientButton temporary;
    ASSERT_TRUE(temporary.Create(form.Handle(), 200, 200));
    st.SetFocusControl(temporary.Handle());
    EXPECT_EQ(st.FocusControl(), temporary.Handle());
  }
  EXPECT_EQ(st.FocusControl(), nullptr);
}

TEST_F(ControlsBehaviour, LabelAndStatusTextDropAPressWhoseMouseIsTakenAway) {
  TTextLabel label;
  TStatusText st;
  int clicks = 0;
  label.OnClick = [&] { ++clicks; };
  st.OnClick = [&] { ++clicks; };
  ASSERT_TRUE(label.Create(form.Handle(), 10, 10, "label"));
  ASSERT_TRUE(st.Create(form.Handle(), 10, 50));
  for (const HWND control : {label.Handle(), st.Handle()}) {
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SetCapture(form.Handle());  // a window takes the mouse mid-press
    ReleaseCapture();
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
  EXPECT_EQ(clicks, 0) << "a release without its press clicked";
  EXPECT_FALSE(st.MouseDownFlag());
}

TEST_F(ControlsBehaviour, LabelSizesItselfAndReportsThePointer) {
  TGradientPanel panel;
  ASSERT_TRUE(panel.Create(form.Handle(), 0, 0, 300, 100));
  TTextLabel label;
  FontDesc bold{"Tahoma", 13, true, false, true, kClWindowText};
  label.SetFont(bold);
  label.SetHandCursor(true);
  std::vector<std::string> events;
  label.OnClick = [&] { events.push_back("click"); };
  label.OnMouseMove = [&](int, int) {
    events.push_back("move");
    label.SetTextColor(MakeColor(0, 0, 255));
  };
  label.OnMouseLeave = [&] {
    events.push_back("leave");
    label.SetTextColor(kBlack);
  };
  ASSERT_TRUE(label.Create(panel.Handle(), 64, 16, "scan registry"));
  const SIZE text = Measure(bold, "scan registry", DT_LEFT | DT_EXPANDTABS);
  RECT r = RectInParent(label.Handle());
  EXPECT_EQ(r.left, 64);
  EXPECT_EQ(r.right - r.left, text.cx);
  EXPECT_EQ(r.bottom - r.top, text.cy);

  SendMessageA(label.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(label.Font().color, MakeColor(0, 0, 255));
  SendMessageA(label.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(label.Font().color, kBlack);  // black, not the window-text colour it had
  SendMessageA(label.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(label.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(events, (std::vector<std::string>{"move", "leave", "click"}));

  // A bigger font on hover grows the label; the same font again changes nothing.
  FontDesc larger = label.Font();
  larger.height = 16;
  label.SetFont(larger);
  r = RectInParent(label.Handle());
  EXPECT_EQ(r.right - r.left, Measure(larger, "scan registry", DT_LEFT).cx);
  EXPECT_EQ(r.left, 64);
}

// A hover callback may destroy its control (a window closing, say): the
// control then calls nothing more.
TEST_F(ControlsBehaviour, ControlsDestroyedByAHoverCallbackCallNothingMore) {
  std::vector<std::string> events;
  auto check = [&](auto control, const char* name) {
    control->OnMouseEnter = [&] {
      events.push_back(std::string(name) + " enter");
      control.reset();
    };
    control->OnMouseMove = [&](int, int) { events.push_back(std::string(name) + " move"); };
    const HWND window = control->Handle();
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(control, nullptr);
    EXPECT_FALSE(IsWindow(window));
  };
  auto label = std::make_unique<TTextLabel>();
  ASSERT_TRUE(label->Create(form.Handle(), 0, 0, "label"));
  check(std::move(label), "label");
  auto status = std::make_unique<TStatusText>();
  ASSERT_TRUE(status->Create(form.Handle(), 0, 40));
  status->SetCaption("status");
  check(std::move(status), "status");
  EXPECT_EQ(events, (std::vector<std::string>{"label enter", "status enter"}));
}

class Throwing : public Window {
 public:
  bool Create(HWND parent) {
    static const ATOM cls = RegisterWindowClass("VeltraneTestThrowing");
    return CreateHandle(cls, 0, "", WS_CHILD, 0, 0, 10, 10, parent);
  }
  int destroyed = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_APP) throw std::runtime_error("Access denied");
    if (message == WM_APP + 1) throw 42;
    return Window::HandleMessage(message, wParam, lParam);
  }
  void HandleDestroyed() override { ++destroyed; }
};

TEST_F(ControlsBehaviour, WindowBaseOwnsAndDetachesItsWindow) {
  std::vector<std::string> reported;
  Window::SetExceptionReporter([&](HWND, const std::string& text) { reported.push_back(text); });
  {
    TestForm parent;
    ASSERT_TRUE(parent.Create(100, 100));
    Throwing child;
    ASSERT_TRUE(child.Create(parent.Handle()));
    EXPECT_EQ(Window::FromHandle(child.Handle()), &child);
    EXPECT_EQ(SendMessageA(child.Handle(), WM_APP, 0, 0), 0);
    EXPECT_EQ(SendMessageA(child.Handle(), WM_APP + 1, 0, 0), 0);
    EXPECT_EQ(reported, (std::vector<std::string>{"Access denied", "An unknown error occurred."}));

    // The system destroys the child with its parent: the object is left without a window.
    const HWND childWindow = child.Handle();
    DestroyWindow(parent.Handle());
    EXPECT_FALSE(IsWindow(childWindow));
    EXPECT_EQ(child.Handle(), nullptr);
    EXPECT_EQ(child.destroyed, 1);
    EXPECT_EQ(Window::FromHandle(childWindow), nullptr);
  }
  HWND orphan = nullptr;
  {
    Throwing child;
    ASSERT_TRUE(child.Create(form.Handle()));
    orphan = child.Handle();
  }
  EXPECT_FALSE(IsWindow(orphan)) << "the object's end destroys its window";
  Window::SetExceptionReporter(nullptr);
}

TEST_F(ControlsBehaviour, ShowModalRunsUntilAButtonSetsTheResult) {
  TestForm dialog;
  ASSERT_TRUE(dialog.Create(200, 100, "modal"));
  ShowWindow(dialog.Handle(), SW_HIDE);
  TGradientButton ok;
  ok.SetModalResult(1);
  ASSERT_TRUE(ok.Create(dialog.Handle(), 10, 10));
  PostMessageA(ok.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.ShowModal(), 1);
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
  EXPECT_TRUE(IsWindowEnabled(form.Handle())) << "the other windows come back";

  // Closing by hiding ends it as a cancel.
  PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.ShowModal(), 2);
}

TEST_F(ControlsBehaviour, ProgressBarAndPanelProperties) {
  TGradientProgressBar bar;
  EXPECT_EQ(bar.ColorScheme(), TProgressColorScheme::csDesert);
  EXPECT_EQ(bar.Colors().border, 22144u);
  bar.SetMin(150);  // above Max: ignored
  EXPECT_EQ(bar.Min(), 0);
  bar.SetMin(10);
  bar.SetPosition(5);  // below Min: ignored
  EXPECT_EQ(bar.Position(), 0);
  bar.SetPosition(500);  // above Max: taken
  EXPECT_EQ(bar.Position(), 500);
  bar.SetMax(9);  // below Min: ignored
  EXPECT_EQ(bar.Max(), 100);
  bar.SetStep(-3);
  EXPECT_EQ(bar.Step(), -3);
  bar.SetColor(kProgressForeColorGrad, 5);
  EXPECT_EQ(bar.ColorScheme(), TProgressColorScheme::csCustom);
  EXPECT_EQ(bar.GetColor(21), 5u);
  bar.SetColorScheme(TProgressColorScheme::csToxic);
  EXPECT_EQ(bar.GetColor(kProgressBackColorFace), 2905686u);

  TGradientPanel panel;
  EXPECT_EQ(panel.ColorScheme(), TPanelColorScheme::csDesert);
  EXPECT_EQ(panel.ColorFace(), kWhite);
  EXPECT_EQ(panel.ColorGrad(), 10805759u);
  EXPECT_EQ(panel.FillDirection(), TFillDirection::fdVertical);
  EXPECT_EQ(panel.BevelOuter(), TPanelBevel::bvRaised);
  panel.SetColor(kPanelColorDark, 7);
  EXPECT_EQ(panel.ColorScheme(), TPanelColorScheme::csCustom);
  panel.SetColorScheme(TPanelColorScheme::csCustom);
  EXPECT_EQ(panel.ColorDark(), 7u);
}

}  // namespace
}  // namespace veltrane::testing
