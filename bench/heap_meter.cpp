#include "bench/heap_meter.h"

#include <cstdlib>
#include <new>

namespace veltrane::bench {
namespace {

std::size_t inUse = 0;
std::size_t peak = 0;

// Each block carries its size in front, padded to keep the alignment that
// operator new promises.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Take(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (!block) return nullptr;
  *static_cast<std::size_t*>(block) = size;
  inUse += size;
  if (inUse > peak) peak = inUse;
  return static_cast<char*>(block) + kHeader;
}

void Give(void* pointer) {
  if (!pointer) return;
  void* block = static_cast<char*>(pointer) - kHeader;
  inUse -= *static_cast<std::size_t*>(block);
  std::free(block);
}

}  // namespace

std::size_t HeapInUse() { return inUse; }
std::size_t HeapPeak() { return peak; }
void ResetHeapPeak() { peak = inUse; }

}  // namespace veltrane::bench

void* operator new(std::size_t size) {
  if (void* pointer = veltrane::bench::Take(size)) return pointer;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return veltrane::bench::Take(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return veltrane::bench::Take(size);
}
void operator delete(void* pointer) noexcept { veltrane::bench::Give(pointer); }
void operator delete[](void* pointer) noexcept { veltrane::bench::Give(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { veltrane::bench::Give(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { veltrane::bench::Give(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
  veltrane::bench::Give(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
  veltrane::bench::Give(pointer);
}
