#include "base/unique_handle.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace veltrane {

#ifdef _WIN32
static_assert(std::is_same_v<HANDLE, void*> && std::is_same_v<HLOCAL, void*>);
static_assert(std::is_same_v<HKEY, HKEY__*>);

bool KernelHandleRelease::operator()(void* handle) const noexcept {
  return CloseHandle(handle) != 0;
}
void FindHandleRelease::operator()(void* search) const noexcept { FindClose(search); }
void LocalRelease::operator()(void* memory) const noexcept { LocalFree(memory); }
long HkeyRelease::operator()(HKEY key) const noexcept { return RegCloseKey(key); }
#else
bool DescriptorRelease::operator()(int descriptor) const noexcept {
  // A close interrupted by a signal has released the descriptor all the
  // same on Linux: trying again could close another thread's.
  return ::close(descriptor) == 0;
}
#endif

}  // namespace veltrane
