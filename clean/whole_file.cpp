#include "clean/whole_file.h"

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "base/names.h"
#include "clean/file_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace veltrane {
namespace {

constexpr const char* kTemporarySuffix = ".partial";

// Messages name the file the user knows, never the temporary.
[[noreturn]] void Raise(const std::string& name, long code) {
  throw EInOutError(code, FileFailure("write", name, code));
}

// The folder part of a path, with its separator, and the name after it.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
#ifdef _WIN32
  const std::size_t cut = path.find_last_of("\\/:");
#else
  const std::size_t cut = path.find_last_of('/');
#endif
  if (cut == std::string::npos) return {std::string(), path};
  return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

// The names of the entries in `folder` (empty: the current one).
std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
#ifdef _WIN32
  WIN32_FIND_DATAA found;
  const UniqueFindHandle search(FindFirstFileA((folder + "*" + kTemporarySuffix).c_str(), &found));
  if (!search) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search.get(), &found));
#else
  DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
  if (!directory) return names;
  while (const dirent* entry = readdir(directory)) names.push_back(entry->d_name);
  closedir(directory);
#endif
  return names;
}

// "<stem>.<process id>.partial": the stem and the id; false for any other
// name.
bool ParseTemporaryName(const std::string& name, std::string& stem, unsigned long& process) {
  const std::size_t suffix = std::char_traits<char>::length(kTemporarySuffix);
  if (name.size() <= suffix || !SameName(name.substr(name.size() - suffix), kTemporarySuffix)) {
    return false;
  }
  const std::string rest = name.substr(0, name.size() - suffix);
  const std::size_t dot = rest.find_last_of('.');
  if (dot == std::string::npos) return false;
  const std::string digits = rest.substr(dot + 1);
  if (digits.empty() || digits.size() > 10 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  process = std::stoul(digits);
  stem = rest.substr(0, dot);
  return true;
}

void RemoveFile(const std::string& path) noexcept {
#ifdef _WIN32
  DeleteFileA(path.c_str());
#else
  ::unlink(path.c_str());
#endif
}

}  // namespace

unsigned long CurrentProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(::getpid());
#endif
}

bool ProcessIsRunning(unsigned long id) {
  if (id == CurrentProcessId()) return true;
#ifdef _WIN32
  const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  return GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE;
#else
  if (id == 0 || id > 0x7fffffffUL) return false;
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
#endif
}

std::vector<Temporary> TemporariesIn(const std::string& folder, const std::string& prefix,
                                     bool exact) {
  std::vector<Temporary> found;
  for (const std::string& name : NamesIn(folder)) {
    std::string stem;
    unsigned long process = 0;
    if (!ParseTemporaryName(name, stem, process) || stem.size() < prefix.size()) continue;
    if (exact ? !SameName(stem, prefix) : !SameName(stem.substr(0, prefix.size()), prefix)) {
      continue;
    }
    found.push_back({folder + name, process});
  }
  return found;
}

std::vector<Temporary> RemoveEndedTemporaries(const std::string& folder, const std::string& prefix,
                                              bool exact) {
  std::vector<Temporary> running;
  for (Temporary& temporary : TemporariesIn(folder, prefix, exact)) {
    if (temporary.process == CurrentProcessId()) continue;
    if (ProcessIsRunning(temporary.process)) {
      running.push_back(std::move(temporary));
    } else {
      RemoveFile(temporary.path);
    }
  }
  return running;
}

WholeFile::WholeFile(std::string name)
    : temporary_(name + "." + std::to_string(CurrentProcessId()) + kTemporarySuffix),
      name_(std::move(name)) {}

WholeFile::~WholeFile() {
  if (created_ && !published_) Discard();
}

bool WholeFile::Open() {
  if (file_) return true;
  // The rename at the end would fail on a folder of the final name: say so
  // before anything is written.
  if (IsFolder(name_)) {
#ifdef _WIN32
    openError_ = ERROR_ACCESS_DENIED;
#else
    openError_ = EISDIR;
#endif
    return false;
  }
  // What writers that were killed left of this file goes first.
  const auto [folder, base] = SplitPath(name_);
  RemoveEndedTemporaries(folder, base, true);
#ifdef _WIN32
  // No sharing: nothing else opens our temporary while we write it.
  const HANDLE handle = CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    openError_ = LastFileError();
    return false;
  }
  file_.reset(handle);
#else
  const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    openError_ = LastFileError();
    return false;
  }
  file_.reset(fd);
#endif
  created_ = true;
  return true;
}

std::string WholeFile::OpenFailure() const { return FileFailure("create", name_, openError_); }

void WholeFile::Write(std::string_view bytes) {
  if (!file_) throw EInOutError(0, "cannot write " + name_ + ": it is not open");
  while (!bytes.empty()) {
#ifdef _WIN32
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr) || written == 0) {
      Raise(name_, LastFileError());
    }
#else
    const ssize_t written = ::write(file_.get(), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) Raise(name_, LastFileError());
#endif
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void WholeFile::Rewind() {
  if (!file_) throw EInOutError(0, "cannot rewind " + name_ + ": it is not open");
#ifdef _WIN32
  const HANDLE handle = file_.get();
  if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !SetEndOfFile(handle)) {
    Raise(name_, LastFileError());
  }
#else
  const int fd = file_.get();
  if (::lseek(fd, 0, SEEK_SET) != 0 || ::ftruncate(fd, 0) != 0) {
    Raise(name_, LastFileError());
  }
#endif
}

void WholeFile::Close() {
  if (!file_) return;
#ifdef _WIN32
  const bool flushed = FlushFileBuffers(file_.get()) != 0;
#else
  const bool flushed = ::fsync(file_.get()) == 0;
#endif
  const long code = LastFileError();
  const bool closed = file_.Close();
  if (!flushed) Raise(name_, code);
  if (!closed) Raise(name_, LastFileError());
}

bool WholeFile::Publish(bool replace) { return PublishAs(name_, replace); }

bool WholeFile::PublishAs(const std::string& name, bool replace) {
  Close();
#ifdef _WIN32
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!MoveFileExA(temporary_.c_str(), name.c_str(), flags)) {
    const DWORD code = GetLastError();
    if (!replace && (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)) return false;
    Raise(name, static_cast<long>(code));
  }
#else
  if (replace) {
    if (::rename(temporary_.c_str(), name.c_str()) != 0) {
      Raise(name, LastFileError());
    }
  } else {
    // A second name for the data first, so that an existing file is never
    // replaced; then the temporary name goes.
    if (::link(temporary_.c_str(), name.c_str()) != 0) {
      if (errno == EEXIST) return false;
      Raise(name, LastFileError());
    }
    ::unlink(temporary_.c_str());
  }
#endif
  published_ = true;
  return true;
}

void WholeFile::Discard() noexcept {
  file_.reset();
  RemoveFile(temporary_);
}

}  // namespace veltrane
