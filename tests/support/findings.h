// Rows of the findings list in tests: made ticked from their four texts,
// and printed as those texts in failure messages.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "scan/findings.h"

namespace veltrane {

inline void PrintTo(const Finding& row, std::ostream* out) {
  *out << "{" << ::testing::PrintToString(row.CleanDetails) << ", "
       << ::testing::PrintToString(row.ValueName) << ", " << ::testing::PrintToString(row.ValueData)
       << ", " << ::testing::PrintToString(row.RegistryLocation)
       << (row.Checked ? ", ticked}" : "}");
}

namespace testing {

// A ticked row, as a scan lists it.
inline Finding Row(const std::string& category, const std::string& name, const std::string& data,
                   const std::string& location) {
  return Finding{category, name, data, location, true};
}

}  // namespace testing
}  // namespace veltrane
