// Times the invalid path scan against a raw walk of the same tree: a walk
// that opens every key once, lists it, reads every value with the key open
// and probes each candidate path once. The scan reopens a key for every
// value it reads and lists each key twice, so it makes about twice the raw
// walk's registry calls; nothing else should cost.
//
// Natively the tree lives in MemoryRegistry and the files in
// MemoryFileSystem; built for Windows it runs on the real registry (in a
// throwaway key that stands in for HKEY_CURRENT_USER) and the real disk.
//
//   scan_bench [--scale N] [--rounds N] [--cyrillic 1]
//
// --scale multiplies the tree (default 1: 10,000 keys, 70,000 values);
// --cyrillic 1 gives a third of its names, texts and paths in Cyrillic.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "bench/heap_meter.h"
#include "registry/memory_registry.h"
#include "registry/tregistry.h"
#include "scan/checks.h"
#include "scan/memory_file_system.h"
#include "tests/support/forwarding_registry.h"

#ifdef _WIN32
#include "scan/win32_file_probe.h"
#include "tests/support/win32_sandbox.h"
#endif

namespace veltrane::bench {
namespace {

class QuietHost final : public ScanHost {
 public:
  void SetStatus(const std::string&) override {}
  std::string Status() const override { return {}; }
  void SetProgressPosition(int) override {}
  void SetProgressMax(int value) override { maximum_ = value; }
  int ProgressMax() const override { return maximum_; }
  void ProcessMessages() override {}
  void Pause(int) override {}

 private:
  int maximum_ = 100;
};

// Every third name or text in Cyrillic when the tree asks for it.
bool cyrillicTree = false;
std::string Word(const char* latin, const char* cyrillic, std::uint32_t draw) {
  return cyrillicTree && draw % 3 == 0 ? cyrillic : latin;
}

struct TreeFigures {
  int keys = 0;
  int values = 0;
  int paths = 0;
  int missing = 0;
};

// The synthetic HKCU\SOFTWARE: keys spread over depths 1 to 6 with random
// parents one level up, seven values to a key on average, a fifth of them
// paths on the system drive, half of those missing. Existing paths name
// the files and folders `existing` lists.
TreeFigures BuildTree(RegistryApi& registry, int scale, const std::string& fileRoot,
                      const std::vector<std::string>& existing) {
  std::mt19937 random(20240229u);
  const int perDepth[6] = {40, 360, 1600, 3000, 3000, 2000};
  std::vector<std::vector<std::string>> levels(7);  // key paths below SOFTWARE by depth
  levels[0].push_back("");
  TreeFigures figures;
  for (int depth = 1; depth <= 6; ++depth) {
    const auto& parents = levels[depth - 1];
    for (int i = 0; i < perDepth[depth - 1] * scale; ++i) {
      const std::string& parent = parents[random() % parents.size()];
      const std::string name =
          Word("Key ", "Ключ ", i) + std::to_string(depth) + "." + std::to_string(i);
      levels[depth].push_back(parent.empty() ? name : parent + "\\" + name);
      ++figures.keys;
    }
  }
  std::vector<const std::string*> allKeys;
  std::vector<int> depthOf;
  for (int depth = 1; depth <= 6; ++depth) {
    for (const std::string& key : levels[depth]) {
      allKeys.push_back(&key);
      depthOf.push_back(depth);
    }
  }
  // Values per key: 70,000 over 10,000 keys, at random.
  std::vector<int> valueCount(allKeys.size(), 0);
  for (int i = 0; i < 70000 * scale; ++i) ++valueCount[random() % allKeys.size()];

  for (std::size_t k = 0; k < allKeys.size(); ++k) {
    RegKey key = 0;
    if (registry.CreateKeyEx(kHkeyCurrentUser, "SOFTWARE\\" + *allKeys[k], kKeyAllAccess, &key,
                             nullptr) != kErrorSuccess) {
      std::fprintf(stderr, "cannot create %s\n", allKeys[k]->c_str());
      std::exit(1);
    }
    for (int v = 0; v < valueCount[k]; ++v) {
      const std::string name = Word("Value", "Значение", v) + std::to_string(v);
      std::string data;
      std::uint32_t type = kRegSz;
      const auto pick = random() % 10;
      if (pick < 2) {  // a fifth: a path on the system drive
        ++figures.paths;
        std::string path;
        if (random() % 2) {
          path = existing[random() % existing.size()];
        } else {
          path = fileRoot + Word("\\missing\\file", "\\нет\\файл", figures.paths) +
                 std::to_string(figures.paths) + ".exe";
          if (depthOf[k] <= 5) ++figures.missing;
        }
        switch (depthOf[k]) {
          case 2: data = random() % 2 ? "file://" + path : path; break;
          case 5: data = "\"" + path + "\" \"%1\""; break;
          case 1: data = path; break;  // depth 1 tests the whole data
          default: data = path + (random() % 2 ? ",0" : "");
        }
        data.push_back('\0');
      } else if (pick < 7) {
        const auto draw = static_cast<std::uint32_t>(random());
        data = Word("some setting text ", "какой-то текст ", draw) + std::to_string(draw % 100000);
        data.push_back('\0');
      } else if (pick < 9) {
        type = kRegDword;
        const auto number = static_cast<std::uint32_t>(random());
        data.assign(reinterpret_cast<const char*>(&number), 4);
      } else {
        type = kRegBinary;
        data.resize(16 + random() % 48);
        for (char& c : data) c = static_cast<char>(random());
      }
      registry.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                        static_cast<std::uint32_t>(data.size()));
      ++figures.values;
    }
    registry.CloseKey(key);
  }
  return figures;
}

// Opens every key once (to depth 5, as far as the scan goes), lists it,
// reads each value with the key open and probes each candidate once.
int RawWalk(RegistryApi& registry, FileProbe& files, RegKey parent, const std::string& name,
            int depth, const std::string& systemDriveRoot, TextList& pieces1, TextList& pieces2) {
  RegKey key = 0;
  if (registry.OpenKeyEx(parent, name, kKeyRead, &key) != kErrorSuccess) return 0;
  int missing = 0;
  KeyInfo info;
  if (registry.QueryInfoKey(key, &info) == kErrorSuccess) {
    // Names of up to three bytes a character in the program's UTF-8.
    std::string buffer(
        (std::max(info.longestValueName, info.longestSubkeyName) + 1) * MostBytesPerUnit(), '\0');
    if (depth >= 1) {
      for (std::uint32_t i = 0; i < info.valueCount; ++i) {
        std::uint32_t length = static_cast<std::uint32_t>(buffer.size());
        if (registry.EnumValue(key, i, buffer.data(), &length, nullptr, nullptr, nullptr) !=
            kErrorSuccess) {
          continue;
        }
        std::uint8_t data[256];
        std::uint32_t size = sizeof data;
        if (registry.QueryValue(key, std::string(buffer.data(), length), nullptr, data, &size) !=
                kErrorSuccess ||
            size == 0) {
          continue;
        }
        const auto candidate =
            InvalidPathCandidate(depth, std::string(reinterpret_cast<char*>(data), size - 1),
                                 systemDriveRoot, pieces1, pieces2);
        if (candidate && PathIsMissing(files, *candidate)) ++missing;
      }
    }
    if (depth < 5) {
      for (std::uint32_t i = 0; i < info.subkeyCount; ++i) {
        std::uint32_t length = static_cast<std::uint32_t>(buffer.size());
        if (registry.EnumKey(key, i, buffer.data(), &length) != kErrorSuccess) continue;
        missing += RawWalk(registry, files, key, std::string(buffer.data(), length), depth + 1,
                           systemDriveRoot, pieces1, pieces2);
      }
    }
  }
  registry.CloseKey(key);
  return missing;
}

double Seconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

int Run(RegistryApi& registry, FileProbe& files, const std::string& fileRoot,
        const std::vector<std::string>& existing, int scale, int rounds, const char* where) {
  const auto buildStart = std::chrono::steady_clock::now();
  const TreeFigures tree = BuildTree(registry, scale, fileRoot, existing);
  std::printf(
      "%s: %d keys at depths 1-6, %d values, %d paths, %d missing within depth 5 (built in "
      "%.1f s)\n",
      where, tree.keys, tree.values, tree.paths, tree.missing,
      Seconds(std::chrono::steady_clock::now() - buildStart));

  CountingRegistry counted(registry);
  QuietHost host;
  FindingsList lvax, lv2;
  ScanContext context(counted, files, host, lvax, lv2, "C:\\");
  std::vector<double> rawTimes, scanTimes;
  std::uint64_t rawCalls = 0, scanCalls = 0;
  int rawMissing = 0;
  std::size_t peak = 0, kept = 0;
  for (int round = 0; round < rounds; ++round) {
    TextList pieces1, pieces2;
    counted.calls = 0;
    auto start = std::chrono::steady_clock::now();
    rawMissing = RawWalk(counted, files, kHkeyCurrentUser, "SOFTWARE", 0, context.SystemDriveRoot,
                         pieces1, pieces2);
    rawTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
    rawCalls = counted.calls;

    lvax.Clear();  // the previous round's rows are not the scan's to pay for
    counted.calls = 0;
    const std::size_t before = HeapInUse();
    ResetHeapPeak();
    start = std::chrono::steady_clock::now();
    invalid_filepath(context);
    scanTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
    scanCalls = counted.calls;
    peak = HeapPeak() - before;
    kept = HeapInUse() - before;
  }
  // The walk itself, apart from the rows it adds: the same scan with a
  // system drive root that no data begins with.
  const int rows = lvax.Count();
  std::size_t walkPeak = 0;
  {
    FindingsList emptyLvax, emptyLv2;
    const std::size_t walkStart = HeapInUse();
    ResetHeapPeak();
    ScanContext walk(counted, files, host, emptyLvax, emptyLv2, "Q:\\");
    invalid_filepath(walk);
    walkPeak = HeapPeak() - walkStart;
  }

  const double raw = Median(rawTimes), scan = Median(scanTimes);
  std::printf("raw walk:  %.3f s, %llu registry calls, %d missing paths\n", raw,
              static_cast<unsigned long long>(rawCalls), rawMissing);
  std::printf("scan:      %.3f s, %llu registry calls, %d rows\n", scan,
              static_cast<unsigned long long>(scanCalls), rows);
  std::printf("ratio:     %.2f (scan / raw walk; median of %d rounds; the bound is 2.5: %s)\n",
              scan / raw, rounds, scan / raw <= 2.5 ? "within" : "EXCEEDED");
  std::printf(
      "scan heap: peak %.1f KiB above its start, %.1f KiB kept after it (rows and "
      "working lists), %.1f KiB working at the peak beyond what is kept\n",
      static_cast<double>(peak) / 1024, static_cast<double>(kept) / 1024,
      static_cast<double>(peak - kept) / 1024);
  std::printf(
      "walk heap: peak %.1f KiB with no rows to keep (the working lists of one path "
      "through the tree)\n",
      static_cast<double>(walkPeak) / 1024);
  if (rawMissing != rows) {
    std::printf("MISMATCH: the raw walk and the scan disagree\n");
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace veltrane::bench

int main(int argc, char** argv) {
  using namespace veltrane;
  int scale = 1, rounds = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--scale") scale = std::max(1, std::atoi(argv[i + 1]));
    if (option == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
    if (option == "--cyrillic") bench::cyrillicTree = std::atoi(argv[i + 1]) != 0;
  }
#ifdef _WIN32
  testing::FileSandbox files("veltrane-bench");
  std::vector<std::string> existing;
  for (std::uint32_t i = 0; i < 100; ++i) {
    const std::string file = bench::Word("\\file", "\\файл", i) + std::to_string(i) + ".exe";
    files.File(file);
    existing.push_back(files.Root() + file);
  }
  for (std::uint32_t i = 0; i < 20; ++i) {
    const std::string folder = bench::Word("\\folder", "\\папка", i) + std::to_string(i);
    files.Folder(folder);
    existing.push_back(files.Root() + folder);
  }
  testing::RegistrySandbox sandbox("VeltraneScanBench");
  Win32FileProbe probe;
  return bench::Run(sandbox.Registry(), probe, files.Root(), existing, scale, rounds,
                    "Wine, real registry");
#else
  MemoryRegistry registry;
  MemoryFileSystem files;
  std::vector<std::string> existing;
  for (std::uint32_t i = 0; i < 100; ++i) {
    existing.push_back("C:\\bench" + bench::Word("\\file", "\\файл", i) + std::to_string(i) +
                       ".exe");
    files.AddFile(existing.back());
  }
  for (std::uint32_t i = 0; i < 20; ++i) {
    existing.push_back("C:\\bench" + bench::Word("\\folder", "\\папка", i) + std::to_string(i));
    files.AddFolder(existing.back());
  }
  return bench::Run(registry, files, "C:\\bench", existing, scale, rounds, "MemoryRegistry");
#endif
}
