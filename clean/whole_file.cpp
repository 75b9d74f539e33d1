#include "clean/whole_file.h"

#include <algorithm>
#include <cerrno>

#include "clean/file_error.h"

#ifdef _WIN32
#include <windows.h>
#else
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

}  // namespace

WholeFile::WholeFile(std::string name)
    : temporary_(name + kTemporarySuffix), name_(std::move(name)) {}

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
#ifdef _WIN32
  // No sharing: a second writer of the same file fails here instead of
  // mixing its bytes into ours.
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
#ifdef _WIN32
  DeleteFileA(temporary_.c_str());
#else
  ::unlink(temporary_.c_str());
#endif
}

}  // namespace veltrane
