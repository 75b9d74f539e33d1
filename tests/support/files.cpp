#include "tests/support/files.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace veltrane::testing {

#ifndef _WIN32
FileSizeLimit::FileSizeLimit(unsigned long bytes) {
  savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit;
  getrlimit(RLIMIT_FSIZE, &limit);
  saved_[0] = limit.rlim_cur;
  saved_[1] = limit.rlim_max;
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  rlimit limit;
  limit.rlim_cur = saved_[0];
  limit.rlim_max = saved_[1];
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, savedHandler_);
}
#endif

}  // namespace veltrane::testing
