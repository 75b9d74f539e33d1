// How rows of the findings list are written on the command line.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "scan/findings.h"

namespace veltrane::cli {

// One field of a tab-separated line: a backslash as two, a tab as \t, a
// line feed as \n, a carriage return as \r and any other byte below 32 as
// \x and two lower-case hex digits; every other byte as it is.
std::string EscapeTsvField(const std::string& text);

// CleanDetails, ValueName, ValueData and RegistryLocation, tab-separated,
// ending in a line feed.
std::string TsvRow(const Finding& row);

// For a readable line: the control bytes escaped as in a TSV field, the
// backslashes left single.
std::string EscapeControls(const std::string& text);

// A table with the four column captions, one row per line, columns as wide
// as their widest text shows on a console (a wide East Asian character
// takes two columns).
void WriteTable(std::ostream& out, const std::vector<Finding>& rows);

enum class OutputFormat { kTable, kTsv, kJson };

// The rows and the final status text. A table and the status on `out`;
// TSV lines on `out` and the status on `err`; or one JSON document on `out`.
void WriteRows(std::ostream& out, std::ostream& err, const std::vector<Finding>& rows,
               const std::string& status, OutputFormat format);

}  // namespace veltrane::cli
