#include "cli/row_format.h"

#include <algorithm>
#include <array>

#include "base/text.h"
#include "cli/json_output.h"

namespace veltrane::cli {
namespace {

std::string Escape(const std::string& text, bool doubleBackslashes) {
  static const char kHex[] = "0123456789abcdef";
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': escaped += doubleBackslashes ? "\\\\" : "\\"; break;
      case '\t': escaped += "\\t"; break;
      case '\n': escaped += "\\n"; break;
      case '\r': escaped += "\\r"; break;
      default:
        if (byte < 32) {
          escaped += "\\x";
          escaped += kHex[byte >> 4];
          escaped += kHex[byte & 15];
        } else {
          escaped += c;
        }
    }
  }
  return escaped;
}

}  // namespace

std::string EscapeTsvField(const std::string& text) { return Escape(text, true); }

std::string EscapeControls(const std::string& text) { return Escape(text, false); }

std::string TsvRow(const Finding& row) {
  return EscapeTsvField(row.CleanDetails) + '\t' + EscapeTsvField(row.ValueName) + '\t' +
         EscapeTsvField(row.ValueData) + '\t' + EscapeTsvField(row.RegistryLocation) + '\n';
}

void WriteTable(std::ostream& out, const std::vector<Finding>& rows) {
  std::vector<std::array<std::string, 4>> lines;
  lines.reserve(rows.size() + 1);
  const auto& columns = FindingColumns();
  lines.push_back({columns[0].caption, columns[1].caption, columns[2].caption, columns[3].caption});
  for (const Finding& row : rows) {
    lines.push_back({EscapeControls(row.CleanDetails), EscapeControls(row.ValueName),
                     EscapeControls(row.ValueData), EscapeControls(row.RegistryLocation)});
  }
  // Widths in the columns a console gives the texts, not in their bytes.
  std::vector<std::array<std::size_t, 4>> columnsOf(lines.size());
  std::array<std::size_t, 4> widths{};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    for (std::size_t column = 0; column < 4; ++column) {
      columnsOf[i][column] = DisplayWidth(lines[i][column]);
      widths[column] = std::max(widths[column], columnsOf[i][column]);
    }
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto& line = lines[i];
    std::string text;
    for (std::size_t column = 0; column < 3; ++column) {
      text += line[column];
      text.append(widths[column] - columnsOf[i][column] + 2, ' ');
    }
    text += line[3];
    out << text << '\n';
  }
}

void WriteRows(std::ostream& out, std::ostream& err, const std::vector<Finding>& rows,
               const std::string& status, OutputFormat format) {
  switch (format) {
    case OutputFormat::kJson:
      WriteJson(out, rows, status);
      out.flush();
      return;
    case OutputFormat::kTsv:
      for (const Finding& row : rows) out << TsvRow(row);
      out.flush();
      err << EscapeControls(status) << '\n';
      err.flush();
      return;
    case OutputFormat::kTable:
      if (!rows.empty()) {
        WriteTable(out, rows);
        out << '\n';
      }
      out << EscapeControls(status) << '\n';
      out.flush();
      return;
  }
}

}  // namespace veltrane::cli
