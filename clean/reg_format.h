// The pieces of the REGEDIT4 text that the export writes and the importer
// reads: root names, escapes and the value line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// Appends an empty line and the key line "[ROOT\path]" (or "[ROOT]" for the
// empty path), the path as it is, each with its CRLF.
void AppendKeyLine(std::string& out, RegKey root, std::string_view path);

// Appends one value line with its CRLF: "@" or the quoted name, "=", and the
// data in the form that restores the same type and bytes: a quoted text, a
// dword of exactly four bytes, hex: for binary data, and hex(N): for
// everything else (N the registry type in hexadecimal).
void AppendValueLine(std::string& out, std::string_view name, std::uint32_t type,
                     const std::uint8_t* data, std::size_t size);

}  // namespace veltrane
