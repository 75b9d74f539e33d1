// A file that appears whole or not at all. It is written under a temporary
// name of its own writer beside its own ("<name>.<process id>.partial"),
// flushed to the disk, closed, and only then renamed. A failure, or a
// process killed on the way, leaves no file of the final name. Two
// processes writing the same file never share a temporary; the temporary of
// a killed run is ignored by everything that looks for the final name, and
// the next writer of that name removes it.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/unique_handle.h"

namespace veltrane {

// Raised when a file cannot be written to (a full disk, say). The message
// names the file and gives the system's reason.
class EInOutError : public std::runtime_error {
 public:
  EInOutError(long code, const std::string& message) : std::runtime_error(message), code_(code) {}
  long Code() const { return code_; }

 private:
  long code_;
};

class WholeFile {
 public:
  explicit WholeFile(std::string name);
  // Opened but not published: the temporary is closed and removed.
  ~WholeFile();
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  // Removes the temporaries of this name that ended processes left, then
  // creates this process's own temporary. False when it cannot
  // be created (no such folder, no right to write there, another writer
  // has it open, a folder of the final name), and OpenFailure says why.
  bool Open();
  // "cannot create NAME: " and the system's reason, after a failed Open.
  std::string OpenFailure() const;
  // Raises EInOutError when the bytes cannot all be written.
  void Write(std::string_view bytes);
  // Drops everything written so far: the next Write starts the file anew.
  // Raises EInOutError when that fails.
  void Rewind();
  // Flushes the data to the disk and closes the file; raises EInOutError
  // when that fails. Then gives the file the name `name` (the one it was
  // made for unless told otherwise). With `replace` false an existing file
  // of that name is left alone and false comes back, the data staying under
  // the temporary name for another try: the first writer's file is kept.
  // Other failures raise EInOutError.
  bool Publish(bool replace);
  bool PublishAs(const std::string& name, bool replace);

  const std::string& TemporaryName() const { return temporary_; }

 private:
  void Close();
  void Discard() noexcept;

  std::string temporary_;
  std::string name_;
#ifdef _WIN32
  UniqueFileHandle file_;
#else
  UniqueDescriptor file_;
#endif
  long openError_ = 0;
  bool created_ = false;  // the temporary is ours to remove
  bool published_ = false;
};

// The id of this process, as temporaries carry it.
unsigned long CurrentProcessId();
// Whether the process of that id still runs (a process the system will not
// tell about counts as running).
bool ProcessIsRunning(unsigned long id);

// A writer's temporary found in a folder, and the process it belongs to.
struct Temporary {
  std::string path;
  unsigned long process = 0;
};
// The temporaries in `folder` (ending in a separator) of files whose names
// begin with `prefix`, without regard to letter case. With `exact`, only
// those of the file named `prefix` itself.
std::vector<Temporary> TemporariesIn(const std::string& folder, const std::string& prefix,
                                     bool exact);
// Removes those of them whose process has ended; returns those still being
// written by another running process.
std::vector<Temporary> RemoveEndedTemporaries(const std::string& folder, const std::string& prefix,
                                              bool exact);

}  // namespace veltrane
