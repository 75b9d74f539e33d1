// Times a clean of many ticked rows of every kind (values, emptied default
// values, extension keys with subtrees) and, apart, what its undo file
// costs: reading what the rows will delete and writing the file. On the
// real registry in the Windows build (run under Wine), on the in-memory
// store natively. The cleaner's 50 ms pauses per row are left out.
//
//   clean_bench [rows]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "clean/cleaner.h"
#include "clean/undo_file.h"
#include "registry/memory_registry.h"
#include "registry/tregistry.h"
#include "tests/support/recording_desktop.h"
#include "tests/support/recording_host.h"
#include "tests/support/throwaway.h"

#ifdef _WIN32
#include <windows.h>

#include "registry/win32_registry.h"
#endif

namespace veltrane {
namespace {

double Seconds(std::chrono::steady_clock::duration elapsed) {
  return std::chrono::duration<double>(elapsed).count();
}

class QuietHost final : public testing::RecordingHost {
 public:
  void SetStatus(const std::string& text) override { status = text; }
  void SetProgressPosition(int) override {}
  void SetProgressMax(int value) override { maximum = value; }
  void ProcessMessages() override {}
  void Pause(int) override {}
};

void Set(RegistryApi& api, const std::string& path, const std::string& name, std::uint32_t type,
         const std::string& data) {
  RegKey key = 0;
  if (api.CreateKeyEx(kHkeyCurrentUser, path, kKeyAllAccess, &key, nullptr) != kErrorSuccess) {
    std::fprintf(stderr, "cannot create %s\n", path.c_str());
    std::exit(1);
  }
  api.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
               static_cast<std::uint32_t>(data.size()));
  api.CloseKey(key);
}

// Rows in the mix a scan of a used system gives: mostly missing paths,
// some emptied default values, extension keys with a few subkeys, history.
std::vector<Finding> Seed(RegistryApi& api, const std::string& top, int rows) {
  std::vector<Finding> findings;
  const std::string location = "HKCU\\" + top;
  for (int i = 0; i < rows; ++i) {
    const std::string key = top + "\\Vendor " + std::to_string(i % 100);
    const std::string name = "Path " + std::to_string(i);
    switch (i % 10) {
      case 0: {
        const std::string ext = top + "\\FileExts\\.e" + std::to_string(i);
        Set(api, ext + "\\OpenWithList", "a", kRegSz, std::string("app.exe\0", 8));
        Set(api, ext + "\\UserChoice", "Hash", kRegBinary, std::string(20, '\x5a'));
        Set(api, ext + "\\OpenWithProgids", "", kRegSz, std::string(1, '\0'));
        findings.push_back({kCategoryEmptyExtension, ".e" + std::to_string(i), "",
                            location + "\\FileExts\\", true});
        break;
      }
      case 1:
        Set(api, key + "\\Sub " + std::to_string(i), "", kRegSz,
            "C:\\Gone\\default" + std::to_string(i) + ".exe" + std::string(1, '\0'));
        findings.push_back(
            {kCategoryMissingPath, kUnnamedValueText, "",
             location + "\\Vendor " + std::to_string(i % 100) + "\\Sub " + std::to_string(i),
             true});
        break;
      case 2:
        Set(api, top + "\\TypedURLs", "url" + std::to_string(i), kRegSz,
            "http://example.com/" + std::to_string(i) + std::string(1, '\0'));
        findings.push_back(
            {kCategoryTypedUrl, "url" + std::to_string(i), "", location + "\\TypedURLs", true});
        break;
      default:
        Set(api, key, name, kRegSz,
            "C:\\Gone\\app" + std::to_string(i) + ".exe" + std::string(1, '\0'));
        findings.push_back({kCategoryMissingPath, name, "",
                            location + "\\Vendor " + std::to_string(i % 100), true});
    }
  }
  return findings;
}

}  // namespace
}  // namespace veltrane

int main(int argc, char** argv) {
  using namespace veltrane;
  using Clock = std::chrono::steady_clock;
  const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
#ifdef _WIN32
  Win32Registry api;
  const std::string top = "Software\\VeltraneCleanBench-" + std::to_string(GetCurrentProcessId());
#else
  MemoryRegistry api;
  const std::string top = "Software\\VeltraneCleanBench";
#endif
  testing::TempFolder folder("veltrane-clean-bench");
  const std::vector<Finding> findings = Seed(api, top, rows);

  // What the undo file costs: reading what the rows delete, and the file.
  const auto undoStart = Clock::now();
  RegLines undo;
  for (const Finding& row : findings) AppendRowUndo(api, row, undo);
  const std::string text = undo.File(ReadAnsiCodePage(api));
  std::string error;
  const std::string file = WriteUndoFile({folder.Path()}, text, NowLocal(), error);
  const double undoSeconds = Seconds(Clock::now() - undoStart);
  if (file.empty()) std::fprintf(stderr, "undo file: %s\n", error.c_str());
  std::remove(file.c_str());

  // The whole clean, undo file included.
  FindingsList lvax, lv2;
  lvax.Assign(findings);
  QuietHost host;
  testing::RecordingDesktop desktop;
  CleanContext context{lvax, lv2, host, api, desktop, 0, {folder.Path()}};
  const auto cleanStart = Clock::now();
  const bool cleaned = CleanCommand(context);
  const double cleanSeconds = Seconds(Clock::now() - cleanStart);

  std::printf("clean of %d rows: %.3f s (%s), pauses left out\n", rows, cleanSeconds,
              cleaned ? host.status.c_str() : "FAILED");
  std::printf("its undo file: %.3f s (%.0f%% of the clean), %zu bytes\n", undoSeconds,
              100.0 * undoSeconds / cleanSeconds, text.size());
  std::printf("the clean without it: %.3f s; with the 50 ms pause per row it would take %.1f s\n",
              cleanSeconds - undoSeconds, cleanSeconds + rows * 0.05);
  TRegistry(api).RemoveKey("\\" + top);
  return 0;
}
