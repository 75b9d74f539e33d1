// The pieces of a .reg file that the export writes and the importer reads:
// root names, escapes, and the writer of the lines in either form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "clean/reg_lines.h"
#include "registry/registry_api.h"

namespace veltrane {

// "HKEY_CURRENT_USER" and the six other predefined roots; "" for any other.
std::string RootName(RegKey root);
// The root a key line names: the seven long names in any letter case.
std::optional<RegKey> RootFromName(std::string_view name);

// Every backslash doubled, nothing else changed.
std::string EscapeBackslashes(const std::string& text);
// What goes between the quotes of a name or a text: backslashes doubled, and
// a double quote, CR and LF as \" \r \n, the escapes the registry editor
// reads back.
std::string EscapeQuoted(std::string_view text);

// True when a REG_SZ holds exactly one text and its terminating zero: the
// only string the quoted form gives back unchanged.
bool IsPlainText(const std::uint8_t* data, std::size_t size);

// The two forms of a .reg file. REGEDIT4 is 8-bit text in the system's ANSI
// code page, which is how the registry editor reads it; it holds only the
// characters of that code page (only ASCII when that is said to be UTF-8,
// which an editor of a legacy code page would read as something else). "Windows Registry Editor
// Version 5.00" is UTF-16LE with a byte-order mark and holds every character; its hex(1), hex(2)
// and hex(7) data are UTF-16 too.
enum class RegForm { kRegedit4, kVersion5 };

inline constexpr std::string_view kRegedit4Header = "REGEDIT4";
inline constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";

// Raised by a writer when a name or text has no exact form in its file: a
// character the ANSI code page lacks (REGEDIT4), or program text that is no
// text at all.
class ENoExactForm : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes the lines of one .reg file, each converted from the program's
// texts into the file's form as it is added. The lines end in CRLF.
class RegWriter final : public RegLineSink {
 public:
  // `ansiCodePage`: the system's (ReadAnsiCodePage), for REGEDIT4.
  RegWriter(RegForm form, unsigned ansiCodePage);

  RegForm Form() const { return form_; }
  // "REGEDIT4", or the byte-order mark and the Version 5.00 line.
  void Header();
  // An empty line and "[ROOT\path]" (or "[ROOT]" for the empty path), the
  // path as it is.
  void KeyLine(RegKey root, std::string_view path) override;
  // "@" or the quoted name, "=", and the data in the form that restores the
  // same type and bytes: a quoted text, a dword of exactly four bytes, hex:
  // for binary data, and hex(N): for everything else (N the registry type
  // in hexadecimal), text data in the file's encoding.
  void ValueLine(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                 std::size_t size) override;
  // "@=-" or "\"name\"=-": the value is to go.
  void DeleteValueLine(std::string_view name) override;
  // An empty line and "[-ROOT\path]".
  void DeleteKeyLine(RegKey root, std::string_view path) override;

  // The file's bytes so far. The caller may hand them on and clear them.
  std::string& Bytes() { return out_; }

 private:
  void AppendKeyLine(RegKey root, std::string_view path, bool deletion);
  // "@=" or the quoted name and "=".
  void AppendValueName(std::string_view name);
  // Turns the program's text from `start` to the end into the file's.
  void Encode(std::size_t start);
  // Text data as the file's hex(N) lines carry it.
  std::vector<std::uint8_t> EncodedData(const std::uint8_t* data, std::size_t size) const;
  unsigned CodePageOfRegedit4() const;

  RegForm form_;
  unsigned codePage_;
  std::string out_;
};

}  // namespace veltrane
