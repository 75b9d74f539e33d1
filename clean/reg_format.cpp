#include "clean/reg_format.h"

#include <algorithm>
#include <array>

namespace veltrane {
namespace {

constexpr std::array<const char*, 7> kRootNames = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

void AppendHexByte(std::string& out, std::uint8_t byte) {
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 15]);
}

// The bytes two digits each, comma-separated; after byte 25, 50, 75 ... a
// backslash ends the line when more bytes follow.
void AppendHexBytes(std::string& out, const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    AppendHexByte(out, data[i]);
    if (i + 1 == size) break;
    out.push_back(',');
    if (i > 0 && i % 25 == 0) out.append("\\\r\n");
  }
}

void AppendTypeNumber(std::string& out, std::uint32_t type) {
  char digits[8];
  int count = 0;
  do {
    digits[count++] = "0123456789abcdef"[type & 15];
    type >>= 4;
  } while (type != 0);
  while (count > 0) out.push_back(digits[--count]);
}

}  // namespace

std::string RootName(RegKey root) {
  if (!IsRootKey(root)) return {};
  return kRootNames[root - kHkeyClassesRoot];
}

std::optional<RegKey> RootFromName(std::string_view name) {
  for (std::size_t i = 0; i < kRootNames.size(); ++i) {
    if (EqualsIgnoringCase(name, kRootNames[i])) return kHkeyClassesRoot + i;
  }
  return std::nullopt;
}

std::string EscapeBackslashes(const std::string& text) {
  std::string result;
  result.reserve(text.size() + 8);
  for (const char c : text) {
    if (c == '\\') result.push_back('\\');
    result.push_back(c);
  }
  return result;
}

std::string EscapeQuoted(std::string_view text) {
  std::string result;
  result.reserve(text.size() + 8);
  for (const char c : text) {
    switch (c) {
      case '\\': result.append("\\\\"); break;
      case '"': result.append("\\\""); break;
      case '\r': result.append("\\r"); break;
      case '\n': result.append("\\n"); break;
      default: result.push_back(c);
    }
  }
  return result;
}

bool IsPlainText(const std::uint8_t* data, std::size_t size) {
  return size > 0 && data[size - 1] == 0 && std::find(data, data + size - 1, 0) == data + size - 1;
}

void AppendKeyLine(std::string& out, RegKey root, std::string_view path) {
  out.append("\r\n[");
  out.append(RootName(root));
  if (!path.empty()) {
    out.push_back('\\');
    out.append(path);
  }
  out.append("]\r\n");
}

void AppendValueLine(std::string& out, std::string_view name, std::uint32_t type,
                     const std::uint8_t* data, std::size_t size) {
  if (name.empty()) {
    out.push_back('@');
  } else {
    out.push_back('"');
    out.append(EscapeQuoted(name));
    out.push_back('"');
  }
  out.push_back('=');
  if (type == kRegSz && IsPlainText(data, size)) {
    out.push_back('"');
    out.append(EscapeQuoted(std::string_view(reinterpret_cast<const char*>(data), size - 1)));
    out.push_back('"');
  } else if (type == kRegDword && size == 4) {
    out.append("dword:");
    for (int i = 3; i >= 0; --i) AppendHexByte(out, data[i]);
  } else if (type == kRegBinary) {
    out.append("hex:");
    AppendHexBytes(out, data, size);
  } else {
    // Expandable strings, strings the quoted form would change, dwords of
    // other than four bytes, multi-strings, qwords and the rest.
    out.append("hex(");
    AppendTypeNumber(out, type);
    out.append("):");
    AppendHexBytes(out, data, size);
  }
  out.append("\r\n");
}

}  // namespace veltrane
