// Rows print as their four texts in test failures.
#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include "scan/findings.h"

namespace veltrane {

inline void PrintTo(const Finding& row, std::ostream* out) {
  *out << "{" << ::testing::PrintToString(row.CleanDetails) << ", "
       << ::testing::PrintToString(row.ValueName) << ", " << ::testing::PrintToString(row.ValueData)
       << ", " << ::testing::PrintToString(row.RegistryLocation)
       << (row.Checked ? ", ticked}" : "}");
}

}  // namespace veltrane
