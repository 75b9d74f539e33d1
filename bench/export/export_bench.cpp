// Times ExportKeyToFile over a synthetic tree of 10,000 keys and 70,000
// values and prints the figures: on the real registry (Windows build, run
// under Wine) beside `regedit /e` of the same key, on the in-memory store
// natively. Also counts registry calls and the export's peak heap use.
//
//   export_bench [keys] [--cyrillic]
//   export_bench --big-import MB [--small-values]
//
// --cyrillic gives a third of the tree's names and texts in Cyrillic.
// --big-import writes a file of about MB megabytes (keys of one 40 KiB
// binary value each, as the export writes them) and times ImportRegFile of
// it, with its peak heap and the process's peak working set;
// --small-values gives each key 200 dword values instead, the importer's
// costliest shape per byte.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/heap_meter.h"
#include "clean/reg_export.h"
#include "clean/reg_import.h"
#include "registry/memory_registry.h"
#include "registry/tregistry.h"
#include "tests/support/forwarding_registry.h"
#include "tests/support/run_program.h"
#include "tests/support/throwaway.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h.
#include <psapi.h>

#include "registry/win32_registry.h"
#endif

namespace veltrane {
namespace {

double Seconds(std::chrono::steady_clock::duration elapsed) {
  return std::chrono::duration<double>(elapsed).count();
}

bool cyrillicTree = false;
// `latin`, or `cyrillic` for every third `draw` (offset by `turn`) of a
// Cyrillic tree.
std::string Word(const char* latin, const char* cyrillic, int draw, int turn = 0) {
  return cyrillicTree && draw % 3 == turn ? cyrillic : latin;
}

// 100 keys below the top, the rest spread below them, 7 values each: texts,
// paths, numbers and binary data as a software key holds them.
void Seed(RegistryApi& api, const std::string& top, int keys, int salt = 0) {
  const int branches = 100;
  for (int i = 0; i < keys; ++i) {
    const int branch = i % branches;
    std::string path = top + Word("\\Vendor ", "\\Поставщик ", branch, 1) + std::to_string(branch);
    if (i >= branches) {
      path += Word("\\Setting ", "\\Настройка ", i / branches, 2) + std::to_string(i / branches);
    }
    RegKey key = 0;
    if (api.CreateKeyEx(kHkeyCurrentUser, path, kKeyAllAccess, &key, nullptr) != kErrorSuccess) {
      std::fprintf(stderr, "cannot create %s\n", path.c_str());
      std::exit(1);
    }
    const std::string text =
        Word("Some setting text ", "Какой-то текст ", i) + std::to_string(i + salt);
    const std::string file =
        Word("C:\\Program Files\\Vendor\\app", "C:\\Программы\\Поставщик\\прил", i) +
        std::to_string(i + salt) + ".exe";
    const std::string pathName = Word("Path", "Путь", i);
    const std::string countName = Word("Count", "Счёт", i);
    const std::uint32_t number = static_cast<std::uint32_t>(i + salt) * 2654435761u;
    std::uint8_t binary[40];
    for (int b = 0; b < 40; ++b) binary[b] = static_cast<std::uint8_t>(i + b + salt);
    const auto bytes = [](const std::string& s) {
      return reinterpret_cast<const std::uint8_t*>(s.c_str());
    };
    const auto size = [](const std::string& s) { return static_cast<std::uint32_t>(s.size() + 1); };
    api.SetValue(key, "", kRegSz, bytes(text), size(text));
    api.SetValue(key, pathName, kRegSz, bytes(file), size(file));
    api.SetValue(key, "InstallDir", kRegExpandSz,
                 reinterpret_cast<const std::uint8_t*>(salt ? "%ProgramFiles%\\Vendos"
                                                            : "%ProgramFiles%\\Vendor"),
                 22);
    api.SetValue(key, countName, kRegDword, reinterpret_cast<const std::uint8_t*>(&number), 4);
    api.SetValue(key, "Flags", kRegDword, reinterpret_cast<const std::uint8_t*>(&number), 4);
    api.SetValue(key, "State", kRegBinary, binary, 40);
    api.SetValue(key, "Recent", kRegMultiSz,
                 reinterpret_cast<const std::uint8_t*>(salt ? "one\0twa\0" : "one\0two\0"), 9);
    api.CloseKey(key);
  }
}

#ifdef _WIN32
// Seconds that `regedit /e FILE KEY` takes, process start included.
double RunEditor(const std::string& key, const std::string& file) {
  const auto start = std::chrono::steady_clock::now();
  if (RunProgram("regedit.exe /e \"" + file + "\" \"" + key + "\"") < 0) return 1e9;
  return Seconds(std::chrono::steady_clock::now() - start);
}
#endif

// One key line and a 40 KiB binary value, wrapped as the export wraps it.
void AppendBigKey(std::string& text, const std::string& top, int index, bool smallValues) {
  static const char* const kHex = "0123456789abcdef";
  text += "\r\n[HKEY_CURRENT_USER\\" + top + "\\Key " + std::to_string(index) + "]\r\n";
  if (smallValues) {
    char line[48];
    for (int v = 0; v < 200; ++v) {
      std::snprintf(line, sizeof line, "\"Value %d\"=dword:%08x\r\n", v, index * 200 + v);
      text += line;
    }
    return;
  }
  std::string line = "\"Blob\"=hex:";
  for (int b = 0; b < 40960; ++b) {
    const auto byte = static_cast<unsigned>((index * 131 + b * 7) & 0xFF);
    line += kHex[byte >> 4];
    line += kHex[byte & 15];
    if (b + 1 < 40960) line += ',';
    if (line.size() > 76 && b + 1 < 40960) {
      text += line + "\\\r\n";
      line = "  ";
    }
  }
  text += line + "\r\n";
}

void PrintPeakWorkingSet() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  std::printf("process peak working set: %zu KiB\n", counters.PeakWorkingSetSize / 1024);
#endif
}

// The import of one big file into a fresh key: time and memory.
int BigImport(RegistryApi& api, const std::string& top, const std::string& fileName, int megabytes,
              bool smallValues) {
  using Clock = std::chrono::steady_clock;
  {
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file) return 1;
    std::fputs("REGEDIT4\r\n", file);
    std::string text;
    long long written = 0;
    for (int index = 0; written < megabytes * 1000000LL; ++index) {
      text.clear();
      AppendBigKey(text, top, index, smallValues);
      std::fwrite(text.data(), 1, text.size(), file);
      written += static_cast<long long>(text.size());
    }
    std::fclose(file);
    std::printf("wrote %s: %lld bytes\n", fileName.c_str(), written);
  }
  ImportSummary summary;
  RegImportError error;
  bench::ResetHeapPeak();
  const std::size_t base = bench::HeapInUse();
  const auto start = Clock::now();
  // As the command line runs it, with its undo file.
  const veltrane::testing::TempFolder undoFolder("veltrane-bench-undo");
  ImportUndo undo{.folders = {undoFolder.Path()}};
  const bool imported = ImportRegFile(api, fileName, summary, error, &undo);
  std::printf("ImportRegFile of the big file: %.2f s, %zu keys, %zu values%s\n",
              Seconds(Clock::now() - start), summary.keys, summary.values,
              imported ? "" : (" FAILED: " + error.Text()).c_str());
  std::printf("import peak heap: %zu bytes\n", bench::HeapPeak() - base);
  PrintPeakWorkingSet();
  std::remove(fileName.c_str());
  TRegistry registry(api);
  registry.RemoveKey("\\" + top);
  return imported ? 0 : 1;
}

}  // namespace
}  // namespace veltrane

int main(int argc, char** argv) {
  using namespace veltrane;
  using Clock = std::chrono::steady_clock;
  int keys = 10000;
  int bigImport = 0;
  bool smallValues = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--big-import" && i + 1 < argc) {
      bigImport = std::atoi(argv[++i]);
    } else if (std::string(argv[i]) == "--small-values") {
      smallValues = true;
    } else if (std::string(argv[i]) == "--cyrillic") {
      cyrillicTree = true;
    } else {
      keys = std::atoi(argv[i]);
    }
  }
#ifdef _WIN32
  Win32Registry real;
  const std::string top = "Software\\VeltraneBench-" + std::to_string(GetCurrentProcessId());
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string ours = std::string(temp) + "veltrane-bench-ours.reg";
  const std::string theirs = std::string(temp) + "veltrane-bench-regedit.reg";
#else
  MemoryRegistry real;
  const std::string top = "Software\\VeltraneBench";
  const std::string ours = "/tmp/veltrane-bench-ours.reg";
#endif
  CountingRegistry api(real);
  if (bigImport > 0) return BigImport(api, top, ours, bigImport, smallValues);
  const auto seedStart = Clock::now();
  Seed(api, top, keys);
  std::printf("seeded %d keys, %d values in %.2f s\n", keys, keys * 7,
              Seconds(Clock::now() - seedStart));

  double best = 1e9;
  [[maybe_unused]] double bestEditor = 1e9;
  [[maybe_unused]] double editorStartUp = 1e9;
  std::uint64_t calls = 0;
  std::size_t peak = 0;
  for (int run = 0; run < 2; ++run) {
    const std::uint64_t before = api.calls;
    bench::ResetHeapPeak();
    const std::size_t base = bench::HeapInUse();
    const auto start = Clock::now();
    ExportKeyToFile(api, kHkeyCurrentUser, top, ours);
    best = std::min(best, Seconds(Clock::now() - start));
    calls = api.calls - before;
    peak = bench::HeapPeak() - base;
#ifdef _WIN32
    bestEditor = std::min(bestEditor, RunEditor("HKEY_CURRENT_USER\\" + top, theirs));
    // The same on a key with nothing in it: what starting the editor costs.
    editorStartUp = std::min(
        editorStartUp, RunEditor("HKEY_CURRENT_USER\\" + top + "\\Vendor 0\\Setting 1", theirs));
#endif
  }
  std::FILE* file = std::fopen(ours.c_str(), "rb");
  long fileSize = 0;
  if (file) {
    std::fseek(file, 0, SEEK_END);
    fileSize = std::ftell(file);
    std::fclose(file);
  }
  std::printf("ExportKeyToFile: %.3f s (best of 2), %llu registry calls, %ld bytes written\n", best,
              static_cast<unsigned long long>(calls), fileSize);
  std::printf("export peak heap: %zu bytes\n", peak);
#ifdef _WIN32
  PrintPeakWorkingSet();
  std::printf("regedit /e: %.3f s (best of 2, process start included)\n", bestEditor);
  std::printf("regedit /e of a key with no subkeys: %.3f s (its start-up)\n", editorStartUp);
  std::printf("ratio export / regedit: %.2f (%.2f against regedit less its start-up)\n",
              best / bestEditor, best / (bestEditor - editorStartUp));
  std::remove(theirs.c_str());
#endif
  // The restore's side: the same file read back into the wiped key, then
  // over the key as it stands (each value compared, nothing written), then
  // over the key with every value changed (each one recorded and written).
  TRegistry registry(real);
  registry.RemoveKey("\\" + top);
  // Each one twice: as the restore under Wine and the command line run it,
  // with its undo file, and without one, which shows what the undo file
  // costs.
  const veltrane::testing::TempFolder undoFolder("veltrane-bench-undo");
  const auto timeImport = [&](const char* into, bool withUndo) {
    ImportSummary summary;
    RegImportError error;
    ImportUndo undo{.folders = {undoFolder.Path()}};
    const std::uint64_t before = api.calls;
    const auto importStart = Clock::now();
    const bool imported = ImportRegFile(api, ours, summary, error, withUndo ? &undo : nullptr);
    const double seconds = Seconds(Clock::now() - importStart);
    long undoSize = 0;
    if (std::FILE* written = undo.file.empty() ? nullptr : std::fopen(undo.file.c_str(), "rb")) {
      std::fseek(written, 0, SEEK_END);
      undoSize = std::ftell(written);
      std::fclose(written);
      std::remove(undo.file.c_str());
    }
    std::printf(
        "ImportRegFile into %s%s: %.3f s, %zu keys, %zu values, %llu registry calls%s\n", into,
        withUndo ? (", undo file " + std::to_string(undoSize) + " bytes").c_str() : "", seconds,
        summary.keys, summary.values, static_cast<unsigned long long>(api.calls - before),
        imported ? "" : (" FAILED: " + error.Text()).c_str());
  };
  timeImport("the wiped key", false);
  registry.RemoveKey("\\" + top);
  timeImport("the wiped key", true);
  timeImport("the key as it stands", false);
  timeImport("the key as it stands", true);
  Seed(api, top, keys, 1);
  timeImport("the key with every value changed", false);
  Seed(api, top, keys, 1);
  timeImport("the key with every value changed", true);
  std::remove(ours.c_str());
  registry.RemoveKey("\\" + top);
  return 0;
}
