// Counts the bytes the program holds through operator new, and the most it
// held since the last reset. Linking heap_meter.cpp replaces the global
// operator new and delete.
#pragma once

#include <cstddef>

namespace veltrane::bench {

std::size_t HeapInUse();
std::size_t HeapPeak();
void ResetHeapPeak();  // the peak becomes what is in use now

}  // namespace veltrane::bench
