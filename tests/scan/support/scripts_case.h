// A user whose registry and disk name things in Cyrillic, Greek, Japanese
// and emoji: in key names, value names, string, expandable-string and
// multi-string data, in the keys of every check and in extension key
// names. The scan must report exactly the missing files with their exact
// texts, and no existing file or folder. Shared by the native test and the
// same test on the real registry and disk under Wine.
#pragma once

#include <string>
#include <vector>

#include "scan/findings.h"
#include "tests/scan/support/probe_cases.h"
#include "tests/support/findings.h"
#include "tests/support/registry_seed.h"

namespace veltrane::testing {

// What exists below the drive's root folder.
inline const std::vector<ProbeEntry>& ScriptsDisk() {
  static const std::vector<ProbeEntry> disk = {
      {"\\Иван", true},
      {"\\Иван\\here.txt", false},
      {"\\😀 docs", true},
      {"\\😀 docs\\file.txt", false},
      {"\\Ωμέγα", true},
      {"\\日本", true},
      {"\\日本\\ファイル.txt", false},
  };
  return disk;
}

inline constexpr const char* kScriptsExplorer =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

// Seeds the registry below `seed`'s root for a disk whose root folder is
// `root` (no trailing backslash); the rows a scan of it gives, in order.
inline std::vector<Finding> SeedScripts(RegistrySeed& seed, const std::string& root) {
  using namespace std::string_literals;
  const std::string explorer = kScriptsExplorer;
  // Depth 1: the whole data is the path.
  seed.Text("SOFTWARE\\Иван", "файл", root + "\\Иван\\here.txt");
  seed.Text("SOFTWARE\\Иван", "папка", root + "\\Иван");
  seed.Text("SOFTWARE\\Иван", "нет", root + "\\Иван\\нет.txt");
  seed.Raw("SOFTWARE\\Иван", "список", kRegMultiSz, root + "\\Иван\\нет2.txt\0другой\0\0"s);
  // Depth 2: file:// goes, and what follows the first comma.
  seed.Text("SOFTWARE\\Ωμέγα\\日本", "😀", "file://" + root + "\\😀 docs\\file.txt");
  seed.Text("SOFTWARE\\Ωμέγα\\日本", "ΑΒΓ", root + "\\Ωμέγα\\λείπει.exe,0");
  seed.Text("SOFTWARE\\Ωμέγα\\日本", "folder", root + "\\Ωμέγα");
  // Depth 3, expandable strings.
  seed.Raw("SOFTWARE\\😀\\Δ\\ж", "", kRegExpandSz, root + "\\日本\\ファイル.txt\0"s);
  seed.Raw("SOFTWARE\\😀\\Δ\\ж", "ない", kRegExpandSz, root + "\\日本\\ない.txt,1\0"s);
  // Depth 5: a quoted launch command.
  seed.Text("SOFTWARE\\a\\b\\c\\d\\Щ", "cmd", "\"" + root + "\\😀 docs\\gone.exe\" \"%1\"");
  seed.Text("SOFTWARE\\a\\b\\c\\d\\Щ", "ok", "\"" + root + "\\😀 docs\\file.txt\" \"%1\"");
  // Extension keys: one empty, one whose program is named in Cyrillic.
  seed.Key(explorer + "\\FileExts\\.日本\\OpenWithList");
  seed.Text(explorer + "\\FileExts\\.док\\OpenWithProgids", "Программа", "");
  // The history keys.
  seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1",
            "http://пример.рф/страница");
  seed.Text(explorer + "\\RunMRU", "a", "ωμέγα.exe\\1");
  seed.Raw(explorer + "\\RecentDocs", "文書", kRegBinary, "\x01\x02"s);

  // Keys and values in the registry's order: a, Ωμέγα, Иван, 😀 (by their
  // lower-case UTF-16 units).
  const std::string ivan = "HKCU\\SOFTWARE\\Иван";
  return {
      Row(kCategoryMissingPath, "cmd", root + "\\😀 docs\\gone.exe ",
          "HKCU\\SOFTWARE\\a\\b\\c\\d\\Щ"),
      Row(kCategoryMissingPath, "ΑΒΓ", root + "\\Ωμέγα\\λείπει.exe", "HKCU\\SOFTWARE\\Ωμέγα\\日本"),
      Row(kCategoryMissingPath, "нет", root + "\\Иван\\нет.txt", ivan),
      Row(kCategoryMissingPath, "список", root + "\\Иван\\нет2.txt\0другой\0"s, ivan),
      Row(kCategoryMissingPath, "ない", root + "\\日本\\ない.txt", "HKCU\\SOFTWARE\\😀\\Δ\\ж"),
      Row(kCategoryEmptyExtension, ".日本", "", "HKCU\\" + explorer + "\\FileExts\\"),
      Row(kCategoryTypedUrl, "url1", "http://пример.рф/страница",
          "HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs"),
      Row(kCategoryRunMru, "a", "ωμέγα.exe\\1", "HKCU\\" + explorer + "\\RunMRU"),
      Row(kCategoryRecentDocs, "文書", "\x01", "HKCU\\" + explorer + "\\RecentDocs"),
  };
}

}  // namespace veltrane::testing
