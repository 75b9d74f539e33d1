#include "tests/app/support/seeded_registry.h"

#include <windows.h>

#include <stdexcept>

namespace veltrane::testing {
namespace {

constexpr const char* kExtensionLocation =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

}  // namespace

SeededRegistry::SeededRegistry(int typedUrls) : typedUrls_(typedUrls) {
  if (!CreateDirectoryA((DriveRoot() + "present").c_str(), nullptr)) {
    throw std::runtime_error("cannot make " + DriveRoot() + "present");
  }
  Seed();
}

void SeededRegistry::Seed() {
  user_.DeleteTree(OwnKey());
  user_.Text(OwnKey(), "Gone", DriveRoot() + "gone\\app.exe");
  user_.Text(OwnKey(), "Present", DriveRoot() + "present");
  user_.Text(OwnKey() + "\\Sub", "", DriveRoot() + "gone\\default.exe");

  user_.DeleteTree(kFileExts);
  user_.Key(std::string(kFileExts) + "\\.vtaempty\\OpenWithProgids");
  user_.Text(std::string(kFileExts) + "\\.vtafull\\OpenWithProgids", "vtafile", "");

  user_.DeleteTree(kTypedUrls);
  for (int i = 1; i <= typedUrls_; ++i) {
    user_.Text(kTypedUrls, "url" + std::to_string(i),
               "http://site" + std::to_string(i) + ".example/");
  }
  user_.DeleteTree(kRunMru);
  user_.Text(kRunMru, "a", "notepad\\1");
  user_.DeleteTree(kRecentDocs);
  user_.Raw(kRecentDocs, "0", kRegBinary, std::string("notes.txt\0", 10));
}

void SeededRegistry::AddBulk(int keys) {
  for (int i = 0; i < keys; ++i) {
    user_.Text(
        BulkKey() + "\\Group " + std::to_string(i / 100) + "\\Key " + std::to_string(i % 100),
        "Setting", "value " + std::to_string(i));
  }
}

std::vector<Finding> SeededRegistry::ExpectedRows() const {
  const std::string location =
      "HKCU\\SOFTWARE\\" + OwnKey().substr(std::string("Software\\").size());
  std::vector<Finding> rows = {
      {kCategoryMissingPath, "Gone", DriveRoot() + "gone\\app.exe", location, true},
      {kCategoryMissingPath, "(Default)", DriveRoot() + "gone\\default.exe", location + "\\Sub",
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

}  // namespace veltrane::testing
