// The console as the program's text reaches it. A console shows UTF-16,
// whatever its own code page; the program's text is UTF-8. Written to a
// console, the text goes through WriteConsoleW; to a file or a pipe its
// bytes go as they are. Windows only.
#pragma once

#include <windows.h>

#include <streambuf>
#include <string>

namespace veltrane::cli {

class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}
  ~ConsoleBuffer() override { sync(); }
  ConsoleBuffer(const ConsoleBuffer&) = delete;
  ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;

  // True when `handle` is a console rather than a file or a pipe.
  static bool IsConsole(HANDLE handle);

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  HANDLE console_;
  std::string pending_;  // may end inside a character, until more comes
};

}  // namespace veltrane::cli
