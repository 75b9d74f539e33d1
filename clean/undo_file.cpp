#include "clean/undo_file.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "base/text.h"
#include "clean/whole_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace veltrane {
namespace {

// Same-second cleans past this many are refused rather than looped over.
constexpr int kMostPerSecond = 999;

void MakeFolder(const std::string& folder) {
  if (folder.empty()) return;
#ifdef _WIN32
  CreateDirectoryA(folder.c_str(), nullptr);
#else
  ::mkdir(folder.c_str(), 0755);
#endif
}

// Writes the text under the first free name of that second in `folder`.
// Empty when every name of that second is taken; raises EInOutError when
// the folder takes no file.
std::string WriteInto(const std::string& folder, const std::string& text, const LocalTime& time,
                      const char* stem) {
  WholeFile file(folder + UndoFileName(time, 1, stem));
  if (!OpenInFolder(file, folder)) throw EInOutError(0, file.OpenFailure());
  // Undo files are named by the second, so no later writer would meet the
  // temporary of a killed one by its name. Both kinds begin with the
  // clean's stem.
  RemoveEndedTemporaries(folder, kCleanUndoStem, false);
  file.Write(text);
  for (int sequence = 1; sequence <= kMostPerSecond; ++sequence) {
    const std::string name = folder + UndoFileName(time, sequence, stem);
    if (file.PublishAs(name, false)) return name;
  }
  return {};
}

}  // namespace

bool OpenInFolder(WholeFile& file, const std::string& folder) {
  if (file.Open()) return true;
  MakeFolder(folder);
  return file.Open();
}

LocalTime NowLocal() {
#ifdef _WIN32
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
#else
  const std::time_t seconds = std::time(nullptr);
  std::tm now{};
  localtime_r(&seconds, &now);
  return {now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec};
#endif
}

std::string UndoFileName(const LocalTime& time, int sequence, const char* stem) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%04d%02d%02d-%02d%02d%02d", stem, time.year, time.month,
                time.day, time.hour, time.minute, time.second);
  std::string result = name;
  if (sequence > 1) result.append("-").append(std::to_string(sequence));
  return result.append(".reg");
}

std::string PerUserUndoFolder() {
#ifdef _WIN32
  // From the UTF-16 environment: a folder named in any script comes
  // through, and one the program's code page cannot name is no place.
  wchar_t base[MAX_PATH * 2];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) return {};
  const auto folder =
      FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(base), length));
  return folder ? *folder + "\\Veltrane\\" : std::string();
#else
  const char* home = std::getenv("HOME");
  return home && *home ? std::string(home).append("/.local/share/veltrane/") : std::string();
#endif
}

std::vector<std::string> UndoFolders(const std::string& executableFolder,
                                     const std::string& userFolder) {
  std::vector<std::string> folders;
  if (!executableFolder.empty()) folders.push_back(executableFolder);
  if (!userFolder.empty() && userFolder != executableFolder) folders.push_back(userFolder);
  return folders;
}

std::string WriteUndoFile(const std::vector<std::string>& folders, const std::string& text,
                          const LocalTime& time, std::string& error, const char* stem) {
  error.clear();
  std::string tried;
  for (const std::string& folder : folders) {
    try {
      const std::string name = WriteInto(folder, text, time, stem);
      if (!name.empty()) return name;
    } catch (const EInOutError& failure) {
      // A full disk, say: another folder may still take it.
      error.append(error.empty() ? "" : "; ").append(failure.what());
    }
    tried.append(tried.empty() ? "" : " or ").append(folder);
  }
  std::string why = "the undo file could not be written";
  if (!tried.empty()) why.append(" to ").append(tried);
  if (!error.empty()) why.append(" (").append(error).append(")");
  error = why;
  return {};
}

}  // namespace veltrane
