#include "tests/app/support/seeded_registry.h"

#include <windows.h>

#include <stdexcept>

#include "clean/reg_export.h"
#include "clean/reg_import.h"
#include "tests/scan/support/registry_seed.h"

namespace veltrane::testing {
namespace {

constexpr const char* kCurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kExtensionLocation =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

std::string Unique(const std::string& stem) {
  return stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(GetTickCount64() % 1000000);
}

}  // namespace

SeededRegistry::SeededRegistry(int typedUrls) : typedUrls_(typedUrls) {
  const std::string unique = Unique("VeltraneE2E");
  ownKey_ = "Software\\" + unique;
  driveRoot_ = "C:\\" + unique + "\\";
  if (!CreateDirectoryA(driveRoot_.c_str(), nullptr) ||
      !CreateDirectoryA((driveRoot_ + "present").c_str(), nullptr)) {
    throw std::runtime_error("cannot make " + driveRoot_);
  }

  std::uint32_t type = 0;
  std::string data;
  RegKey key = 0;
  if (registry_.OpenKeyEx(kHkeyLocalMachine, kCurrentVersion, kKeyAllAccess, &key) !=
      kErrorSuccess) {
    throw std::runtime_error("cannot open HKLM CurrentVersion");
  }
  std::uint32_t size = 0;
  if (registry_.QueryValue(key, "SystemRoot", &type, nullptr, &size) == kErrorSuccess) {
    data.resize(size);
    registry_.QueryValue(key, "SystemRoot", &type, reinterpret_cast<std::uint8_t*>(data.data()),
                         &size);
    data.resize(size);
    systemRootExisted_ = true;
    systemRootType_ = type;
    systemRootData_ = data;
  }
  const std::string root = driveRoot_ + "WINDOWS";
  registry_.SetValue(key, "SystemRoot", kRegSz, reinterpret_cast<const std::uint8_t*>(root.c_str()),
                     static_cast<std::uint32_t>(root.size() + 1));
  registry_.CloseKey(key);

  for (const char* path : {kFileExts, kTypedUrls, kRunMru, kRecentDocs}) SaveAndClear(path);
  Seed();
}

SeededRegistry::~SeededRegistry() {
  RegistrySeed seed(registry_);
  seed.DeleteTree(ownKey_);
  for (const SavedKey& saved : saved_) {
    seed.DeleteTree(saved.path);
    if (!saved.existed) continue;
    ImportSummary summary;
    RegImportError error;
    ImportRegText(registry_, saved.text, summary, error);
  }
  RegKey key = 0;
  if (registry_.OpenKeyEx(kHkeyLocalMachine, kCurrentVersion, kKeyAllAccess, &key) ==
      kErrorSuccess) {
    if (systemRootExisted_) {
      registry_.SetValue(key, "SystemRoot", systemRootType_,
                         reinterpret_cast<const std::uint8_t*>(systemRootData_.data()),
                         static_cast<std::uint32_t>(systemRootData_.size()));
    } else {
      registry_.DeleteValue(key, "SystemRoot");
    }
    registry_.CloseKey(key);
  }
  RemoveDirectoryA((driveRoot_ + "present").c_str());
  RemoveDirectoryA(driveRoot_.c_str());
}

void SeededRegistry::SaveAndClear(const std::string& path) {
  SavedKey saved{path, KeyExists(path), {}};
  if (saved.existed) saved.text = ExportKeyToText(registry_, kHkeyCurrentUser, path);
  RegistrySeed(registry_).DeleteTree(path);
  saved_.push_back(std::move(saved));
}

void SeededRegistry::Seed() {
  RegistrySeed seed(registry_);
  seed.DeleteTree(ownKey_);
  seed.Text(ownKey_, "Gone", driveRoot_ + "gone\\app.exe");
  seed.Text(ownKey_, "Present", driveRoot_ + "present");
  seed.Text(ownKey_ + "\\Sub", "", driveRoot_ + "gone\\default.exe");

  seed.DeleteTree(kFileExts);
  seed.Key(std::string(kFileExts) + "\\.vtaempty\\OpenWithProgids");
  seed.Text(std::string(kFileExts) + "\\.vtafull\\OpenWithProgids", "vtafile", "");

  seed.DeleteTree(kTypedUrls);
  for (int i = 1; i <= typedUrls_; ++i) {
    seed.Text(kTypedUrls, "url" + std::to_string(i),
              "http://site" + std::to_string(i) + ".example/");
  }
  seed.DeleteTree(kRunMru);
  seed.Text(kRunMru, "a", "notepad\\1");
  seed.DeleteTree(kRecentDocs);
  seed.Raw(kRecentDocs, "0", kRegBinary, std::string("notes.txt\0", 10));
}

std::vector<Finding> SeededRegistry::ExpectedRows() const {
  const std::string location =
      "HKCU\\SOFTWARE\\" + ownKey_.substr(std::string("Software\\").size());
  std::vector<Finding> rows = {
      {kCategoryMissingPath, "Gone", driveRoot_ + "gone\\app.exe", location, true},
      {kCategoryMissingPath, "(Default)", driveRoot_ + "gone\\default.exe", location + "\\Sub",
       true},
      {kCategoryEmptyExtension, ".vtaempty", "", kExtensionLocation, true},
  };
  for (int i = 1; i <= typedUrls_; ++i) {
    rows.push_back({kCategoryTypedUrl, "url" + std::to_string(i),
                    "http://site" + std::to_string(i) + ".example/",
                    std::string("HKCU\\") + kTypedUrls, true});
  }
  rows.push_back({kCategoryRunMru, "a", "notepad\\1", std::string("HKCU\\") + kRunMru, true});
  rows.push_back(
      {kCategoryRecentDocs, "0", "notes.txt", std::string("HKCU\\") + kRecentDocs, true});
  return rows;
}

bool SeededRegistry::ReadValue(const std::string& path, const std::string& name,
                               std::uint32_t& type, std::string& data) {
  RegKey key = 0;
  if (registry_.OpenKeyEx(kHkeyCurrentUser, path, kKeyRead, &key) != kErrorSuccess) return false;
  std::uint32_t size = 0;
  bool found = registry_.QueryValue(key, name, &type, nullptr, &size) == kErrorSuccess;
  if (found) {
    data.resize(size);
    found = registry_.QueryValue(key, name, &type, reinterpret_cast<std::uint8_t*>(data.data()),
                                 &size) == kErrorSuccess;
    data.resize(size);
  }
  registry_.CloseKey(key);
  return found;
}

bool SeededRegistry::ValueExists(const std::string& path, const std::string& name) {
  std::uint32_t type = 0;
  std::string data;
  return ReadValue(path, name, type, data);
}

bool SeededRegistry::KeyExists(const std::string& path) {
  RegKey key = 0;
  if (registry_.OpenKeyEx(kHkeyCurrentUser, path, kKeyRead, &key) != kErrorSuccess) return false;
  registry_.CloseKey(key);
  return true;
}

}  // namespace veltrane::testing
