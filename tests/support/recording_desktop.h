// A desktop that records what the program asks of the shell and the window
// manager, in order, and answers as a quiet system would: the shell
// succeeds, the registry editor's window shows (after `findsBeforeWindow`
// lookups) and goes once it is posted WM_QUIT, every message box is closed
// with OK.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "clean/desktop.h"

namespace veltrane::testing {

class RecordingDesktop final : public Desktop {
 public:
  enum Kind { kShell, kFind, kPost, kBox };
  struct Call {
    Kind kind;
    WindowHandle window = 0;  // the owner; the window posted to
    std::string verb;         // ShellExecute's verb; a message box's caption
    std::string text;         // the file to execute; the title looked for; a box's text
    std::string parameters;
    std::string folder;
    unsigned number = 0;  // show state, message, or message box flags
    std::uintptr_t wParam = 0;
    bool operator==(const Call&) const = default;
  };

  std::intptr_t ShellExecute(WindowHandle owner, const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& folder,
                             int show) override {
    calls.push_back({kShell, owner, verb, file, parameters, folder, static_cast<unsigned>(show)});
    return shellResult;
  }
  WindowHandle FindTopLevelWindow(const std::string& title) override {
    calls.push_back({kFind, 0, "", title, "", ""});
    if (editorEnded) return 0;
    return static_cast<int>(Of(kFind).size()) > findsBeforeWindow ? editorWindow : 0;
  }
  bool PostMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                   std::intptr_t) override {
    calls.push_back({kPost, window, "", "", "", "", message, wParam});
    if (onPost) onPost(message);
    if (message == 0x0012) editorEnded = true;  // WM_QUIT
    return true;
  }
  int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                 unsigned flags) override {
    calls.push_back({kBox, owner, caption, text, "", "", flags});
    return kIdOk;
  }

  std::vector<Call> Of(Kind kind) const {
    std::vector<Call> found;
    for (const Call& call : calls) {
      if (call.kind == kind) found.push_back(call);
    }
    return found;
  }

  std::vector<Call> calls;
  std::intptr_t shellResult = 42;
  WindowHandle editorWindow = 0x1234;
  int findsBeforeWindow = 0;  // lookups that find nothing before the window shows
  bool editorEnded = false;
  // What the editor does with a posted message (import the file, say).
  std::function<void(unsigned message)> onPost;
};

}  // namespace veltrane::testing
