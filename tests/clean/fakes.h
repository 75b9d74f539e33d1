// Recording stand-ins for the window and the desktop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "clean/desktop.h"
#include "scan/scan_host.h"

namespace veltrane::testing {

class RecordingHost : public ScanHost {
 public:
  void SetStatus(const std::string& text) override {
    status = text;
    events.push_back("status " + text);
  }
  void SetProgressPosition(int value) override {
    if (value >= 0) position = value;
  }
  void SetProgressMax(int value) override {
    if (value >= 0) maximum = value;
  }
  int ProgressMax() const override { return maximum; }
  void ProcessMessages() override { events.push_back("pump"); }
  void Pause(int milliseconds) override { pauses.push_back(milliseconds); }

  std::string status = "Ready";
  int position = 0;
  int maximum = 100;
  std::vector<std::string> events;
  std::vector<int> pauses;
};

class FakeDesktop : public Desktop {
 public:
  struct Call {
    std::string what;   // "shell", "find", "post", "box"
    std::string text;   // file, title or box text
    std::string extra;  // parameters, caption
    std::string folder;
    unsigned number = 0;  // show mode, message or flags
    std::uintptr_t wParam = 0;
    WindowHandle window = 0;
  };

  std::intptr_t ShellExecute(WindowHandle owner, const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& folder,
                             int show) override {
    calls.push_back(
        {"shell", file, verb + " " + parameters, folder, static_cast<unsigned>(show), 0, owner});
    return shellResult;
  }
  WindowHandle FindTopLevelWindow(const std::string& title) override {
    calls.push_back({"find", title, "", "", 0, 0, 0});
    ++finds;
    return finds > findsBeforeWindow ? editorWindow : 0;
  }
  bool PostMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                   std::intptr_t) override {
    calls.push_back({"post", "", "", "", message, wParam, window});
    return true;
  }
  int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                 unsigned flags) override {
    calls.push_back({"box", text, caption, "", flags, 0, owner});
    return kIdOk;
  }

  std::vector<Call> Of(const std::string& what) const {
    std::vector<Call> found;
    for (const Call& call : calls) {
      if (call.what == what) found.push_back(call);
    }
    return found;
  }

  std::vector<Call> calls;
  std::intptr_t shellResult = 42;
  WindowHandle editorWindow = 0x1234;
  int findsBeforeWindow = 0;  // lookups that find nothing before the window shows
  int finds = 0;
};

}  // namespace veltrane::testing
