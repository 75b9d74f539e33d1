#include "clean/whole_file.h"

#include <algorithm>
#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace veltrane {
namespace {

constexpr const char* kTemporarySuffix = ".partial";

long LastErrorCode() {
#ifdef _WIN32
  return static_cast<long>(GetLastError());
#else
  return errno;
#endif
}

[[noreturn]] void Raise(const std::string& what, long code) {
  throw EInOutError(code, what + " (I/O error " + std::to_string(code) + ")");
}

#ifdef _WIN32
HANDLE AsHandle(long long file) { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file)); }
#endif

}  // namespace

WholeFile::WholeFile(std::string name)
    : temporary_(name + kTemporarySuffix), name_(std::move(name)) {}

WholeFile::~WholeFile() {
  if (created_ && !published_) Discard();
}

bool WholeFile::Open() {
  if (file_ != -1) return true;
#ifdef _WIN32
  // No sharing: a second writer of the same file fails here instead of
  // mixing its bytes into ours.
  const HANDLE handle = CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  file_ = static_cast<long long>(reinterpret_cast<INT_PTR>(handle));
#else
  const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  file_ = fd;
#endif
  created_ = true;
  return true;
}

void WholeFile::Write(std::string_view bytes) {
  if (file_ == -1) Raise("cannot write " + temporary_ + ": it is not open", 0);
  while (!bytes.empty()) {
#ifdef _WIN32
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(AsHandle(file_), bytes.data(), chunk, &written, nullptr) || written == 0) {
      Raise("cannot write " + temporary_, LastErrorCode());
    }
#else
    const ssize_t written = ::write(static_cast<int>(file_), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) Raise("cannot write " + temporary_, LastErrorCode());
#endif
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void WholeFile::Rewind() {
  if (file_ == -1) Raise("cannot rewind " + temporary_ + ": it is not open", 0);
#ifdef _WIN32
  const HANDLE handle = AsHandle(file_);
  if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !SetEndOfFile(handle)) {
    Raise("cannot rewind " + temporary_, LastErrorCode());
  }
#else
  const int fd = static_cast<int>(file_);
  if (::lseek(fd, 0, SEEK_SET) != 0 || ::ftruncate(fd, 0) != 0) {
    Raise("cannot rewind " + temporary_, LastErrorCode());
  }
#endif
}

void WholeFile::Close() {
  if (file_ == -1) return;
#ifdef _WIN32
  const HANDLE handle = AsHandle(file_);
  file_ = -1;
  const bool flushed = FlushFileBuffers(handle) != 0;
  const long code = LastErrorCode();
  const bool closed = CloseHandle(handle) != 0;
  if (!flushed) Raise("cannot flush " + temporary_, code);
#else
  const int fd = static_cast<int>(file_);
  file_ = -1;
  const bool flushed = ::fsync(fd) == 0;
  const long code = LastErrorCode();
  const bool closed = ::close(fd) == 0;
  if (!flushed) Raise("cannot flush " + temporary_, code);
#endif
  if (!closed) Raise("cannot close " + temporary_, LastErrorCode());
}

bool WholeFile::Publish(bool replace) { return PublishAs(name_, replace); }

bool WholeFile::PublishAs(const std::string& name, bool replace) {
  Close();
#ifdef _WIN32
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!MoveFileExA(temporary_.c_str(), name.c_str(), flags)) {
    const DWORD code = GetLastError();
    if (!replace && (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)) return false;
    Raise("cannot rename " + temporary_ + " to " + name, static_cast<long>(code));
  }
#else
  if (replace) {
    if (::rename(temporary_.c_str(), name.c_str()) != 0) {
      Raise("cannot rename " + temporary_ + " to " + name, LastErrorCode());
    }
  } else {
    // A second name for the data first, so that an existing file is never
    // replaced; then the temporary name goes.
    if (::link(temporary_.c_str(), name.c_str()) != 0) {
      if (errno == EEXIST) return false;
      Raise("cannot rename " + temporary_ + " to " + name, LastErrorCode());
    }
    ::unlink(temporary_.c_str());
  }
#endif
  published_ = true;
  return true;
}

void WholeFile::Discard() noexcept {
  if (file_ != -1) {
#ifdef _WIN32
    CloseHandle(AsHandle(file_));
#else
    ::close(static_cast<int>(file_));
#endif
    file_ = -1;
  }
#ifdef _WIN32
  DeleteFileA(temporary_.c_str());
#else
  ::unlink(temporary_.c_str());
#endif
}

}  // namespace veltrane
