// The shell and window manager calls of the program, behind one interface so
// that the help page, the About links and the restore can be tested without
// a browser or a registry editor.
#pragma once

#include <cstdint>
#include <string>

// windows.h makes these names macros for its A and W functions. The seam's
// methods keep the plain names: a file that needs both includes windows.h
// first, and the names are freed here.
#undef ShellExecute
#undef PostMessage
#undef MessageBox

namespace veltrane {

using WindowHandle = std::uintptr_t;  // an HWND; 0 for none

// MessageBoxA flags and results the program uses.
enum : unsigned {
  kMbOk = 0x0,
  kMbIconError = 0x10,
  kMbIconInformation = 0x40,
  kIdOk = 1,
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // ShellExecuteA. An empty verb, parameters or folder is passed as null.
  // Returns ShellExecuteA's result (above 32 on success).
  virtual std::intptr_t ShellExecute(WindowHandle owner, const std::string& verb,
                                     const std::string& file, const std::string& parameters,
                                     const std::string& folder, int show) = 0;
  // FindWindowExA(0, 0, nullptr, title): a top-level window with exactly
  // this title, or 0.
  virtual WindowHandle FindTopLevelWindow(const std::string& title) = 0;
  // PostMessageA.
  virtual bool PostMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  // MessageBoxA. Returns the button chosen.
  virtual int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                         unsigned flags) = 0;
};

}  // namespace veltrane
