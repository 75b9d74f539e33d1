// What a screen reader learns of the program's controls. It asks a window
// for its accessible object with WM_GETOBJECT (OBJID_CLIENT); a control
// answers with the system's object for the standard control it acts as
// (a "Button", a "Static", a "SysListView32"), whose name is the window's
// text, with the role the control plays. Under Wine, whose oleacc has no
// standard objects of a class (CreateStdAccessibleProxy ends the process
// there), the system's plain object of the window stands in for it.
//
//   case WM_GETOBJECT:
//     if (const LRESULT answer = AnswerGetObject(Handle(), wParam, lParam,
//                                                L"Button", ROLE_SYSTEM_PUSHBUTTON)) {
//       return answer;
//     }
//     break;
//
// The system's accessibility library and COM are loaded and initialised
// on the first request, on the thread it comes to.
#pragma once

#include <windows.h>

namespace veltrane {

// The answer to WM_GETOBJECT(wParam, lParam) for `window`: its object as
// a `standardClass` control with `role` (a ROLE_SYSTEM_ value) and the
// window's text as its name; for a link, linked in its state. 0 for any
// object but the client's, or when none can be made: the message then
// goes on to DefWindowProc.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const wchar_t* standardClass,
                        long role);

}  // namespace veltrane
