// What a test makes for itself and removes again: names unique to the run,
// a folder of its own, a key of its own below HKEY_CURRENT_USER\Software.
// Header-only, as the benchmarks use them without the test library.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

#include "registry/registry_api.h"
#include "registry/tregistry.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace veltrane::testing {

// "<stem>-<process>-<time>-<count>": no other call of this run or of a run
// beside it gives the same name.
inline std::string UniqueName(const std::string& stem) {
  static std::atomic<int> count{0};
#ifdef _WIN32
  const long process = _getpid();
#else
  const long process = static_cast<long>(getpid());
#endif
  const auto time = std::chrono::steady_clock::now().time_since_epoch().count() % 100000000;
  return stem + "-" + std::to_string(process) + "-" + std::to_string(time) + "-" +
         std::to_string(count++);
}

// A fresh folder, removed with everything in it when the object goes.
class TempFolder {
 public:
  // Below `parent`, or below the system's folder for temporary files.
  explicit TempFolder(const std::string& stem = "veltrane-test", const std::string& parent = "") {
    namespace fs = std::filesystem;
    const fs::path path =
        (parent.empty() ? fs::temp_directory_path() : fs::path(parent)) / UniqueName(stem);
    fs::create_directories(path);
    path_ = path.string() + static_cast<char>(fs::path::preferred_separator);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // With a trailing separator.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A key below HKEY_CURRENT_USER\Software named for this run, removed before
// and after.
class ThrowawayKey {
 public:
  ThrowawayKey(RegistryApi& api, const std::string& tag)
      : api_(api), path_("Software\\VeltraneTest-" + UniqueName(tag)) {
    Remove();
  }
  ~ThrowawayKey() { Remove(); }
  ThrowawayKey(const ThrowawayKey&) = delete;
  ThrowawayKey& operator=(const ThrowawayKey&) = delete;

  // "Software\VeltraneTest-<tag>-<run>", below HKEY_CURRENT_USER.
  const std::string& Path() const { return path_; }
  void Remove() { TRegistry(api_).RemoveKey(path_); }

 private:
  RegistryApi& api_;
  std::string path_;
};

}  // namespace veltrane::testing
