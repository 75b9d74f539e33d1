// A desktop that records what the program asks of the shell and the window
// manager and answers as a quiet system would: the shell succeeds, no
// registry editor window exists, every message box is closed with OK.
#pragma once

#include <string>
#include <vector>

#include "clean/desktop.h"

namespace veltrane::testing {

class RecordingDesktop final : public Desktop {
 public:
  struct Call {
    WindowHandle owner = 0;
    std::string verb;  // ShellExecute; the caption for a message box
    std::string file;  // ShellExecute; the text for a message box
    std::string parameters;
    std::string folder;
    unsigned number = 0;  // show state, or message box flags
    bool operator==(const Call&) const = default;
  };

  std::intptr_t ShellExecute(WindowHandle owner, const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& folder,
                             int show) override {
    shell.push_back({owner, verb, file, parameters, folder, static_cast<unsigned>(show)});
    return 42;
  }
  WindowHandle FindTopLevelWindow(const std::string&) override { return 0; }
  bool PostMessage(WindowHandle, unsigned, std::uintptr_t, std::intptr_t) override { return true; }
  int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                 unsigned flags) override {
    boxes.push_back({owner, caption, text, "", "", flags});
    return kIdOk;
  }

  std::vector<Call> shell;
  std::vector<Call> boxes;
};

}  // namespace veltrane::testing
