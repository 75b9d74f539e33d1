// Whole files read and written at once, and a cap on the size of the files
// this process writes.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace veltrane::testing {

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary);
  out << bytes;
}

#ifndef _WIN32
// Files this process writes may grow to `bytes` and no further (writes
// past it fail with EFBIG) while the object lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(unsigned long bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  unsigned long saved_[2];
  void (*savedHandler_)(int);
};
#endif

}  // namespace veltrane::testing
