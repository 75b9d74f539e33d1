// UniqueHandle: the one owner of a system handle, which releases it when it
// goes. Owners move but do not copy, and never turn into a raw handle by
// themselves. Every layer takes its owners from here; the window and GDI
// owners build on it in controls/handles.h.
//
//   UniqueKernelHandle  CloseHandle  events, threads, processes (null when none)
//   UniqueFileHandle    CloseHandle  CreateFileA's (INVALID_HANDLE_VALUE when none)
//   UniqueFindHandle    FindClose    FindFirstFileA's (INVALID_HANDLE_VALUE when none)
//   UniqueLocal         LocalFree    what the system allocates for us (FormatMessageA)
//   UniqueHkey          RegCloseKey  advapi32's keys
//   UniqueDescriptor    close        a POSIX file descriptor (-1 when none)
//
// The Win32 owners hold their handles as the types <windows.h> gives them,
// without needing it here: their releases live in unique_handle.cpp.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#ifdef _WIN32
struct HKEY__;
#endif

namespace veltrane {

// Release is a function object that releases a handle. When it has a static
// Empty(), that is the value meaning "no handle"; otherwise Handle{} is.
template <typename Handle, typename Release>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  static Handle Empty() noexcept {
    if constexpr (requires { Release::Empty(); }) {
      return Release::Empty();
    } else {
      return Handle{};
    }
  }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Empty(); }
  Handle release() noexcept { return std::exchange(handle_, Empty()); }
  void reset(Handle handle = Empty()) noexcept {
    const Handle old = std::exchange(handle_, handle);
    if (old != Empty()) Release{}(old);
  }
  // Releases the handle now and tells whether that succeeded, for handles
  // whose release can fail in a way that matters (a written file's close).
  // Nothing to release succeeds.
  bool Close() noexcept requires std::is_same_v < std::invoke_result_t<Release, Handle>,
  bool > {
    const Handle old = release();
    return old == Empty() || Release{}(old);
  }

 private:
  Handle handle_ = Empty();
};

#ifdef _WIN32
// The system's INVALID_HANDLE_VALUE.
inline void* InvalidHandleValue() noexcept { return reinterpret_cast<void*>(std::intptr_t{-1}); }

struct KernelHandleRelease {
  bool operator()(void* handle) const noexcept;
};
struct FileHandleRelease : KernelHandleRelease {
  static void* Empty() noexcept { return InvalidHandleValue(); }
};
struct FindHandleRelease {
  static void* Empty() noexcept { return InvalidHandleValue(); }
  void operator()(void* search) const noexcept;
};
struct LocalRelease {
  void operator()(void* memory) const noexcept;
};
// Gives RegCloseKey's result: Win32Registry's close is this release.
struct HkeyRelease {
  long operator()(HKEY__* key) const noexcept;
};

using UniqueKernelHandle = UniqueHandle<void*, KernelHandleRelease>;
using UniqueFileHandle = UniqueHandle<void*, FileHandleRelease>;
using UniqueFindHandle = UniqueHandle<void*, FindHandleRelease>;
using UniqueLocal = UniqueHandle<void*, LocalRelease>;
using UniqueHkey = UniqueHandle<HKEY__*, HkeyRelease>;
#else
struct DescriptorRelease {
  static int Empty() noexcept { return -1; }
  bool operator()(int descriptor) const noexcept;
};
using UniqueDescriptor = UniqueHandle<int, DescriptorRelease>;
#endif

}  // namespace veltrane
