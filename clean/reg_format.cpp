#include "clean/reg_format.h"

#include <algorithm>
#include <array>

#include "base/text.h"

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

std::string LittleEndian(std::u16string_view units) {
  std::string bytes(units.size() * 2, '\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  return bytes;
}

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
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

RegWriter::RegWriter(RegForm form, unsigned ansiCodePage) : form_(form), codePage_(ansiCodePage) {}

unsigned RegWriter::CodePageOfRegedit4() const {
  // Only ASCII where the system's code page is said to be UTF-8: Wine writes
  // 65001 there when a program that runs in UTF-8 by its manifest is the
  // first to start after a change of locale, while its registry editor goes
  // on reading the legacy code page. US-ASCII, 20127, holds nothing more.
  return codePage_ == kUtf8CodePage ? 20127 : codePage_;
}

void RegWriter::Header() {
  if (form_ == RegForm::kVersion5) out_.append("\xFF\xFE");
  const std::size_t start = out_.size();
  out_.append(form_ == RegForm::kVersion5 ? kVersion5Header : kRegedit4Header);
  out_.append("\r\n");
  Encode(start);
}

void RegWriter::KeyLine(RegKey root, std::string_view path) { AppendKeyLine(root, path, false); }

void RegWriter::DeleteKeyLine(RegKey root, std::string_view path) {
  AppendKeyLine(root, path, true);
}

void RegWriter::AppendKeyLine(RegKey root, std::string_view path, bool deletion) {
  const std::size_t start = out_.size();
  out_.append(deletion ? "\r\n[-" : "\r\n[");
  out_.append(RootName(root));
  if (!path.empty()) {
    out_.push_back('\\');
    out_.append(path);
  }
  out_.append("]\r\n");
  Encode(start);
}

void RegWriter::AppendValueName(std::string_view name) {
  if (name.empty()) {
    out_.push_back('@');
  } else {
    out_.push_back('"');
    out_.append(EscapeQuoted(name));
    out_.push_back('"');
  }
  out_.push_back('=');
}

void RegWriter::ValueLine(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                          std::size_t size) {
  const std::size_t start = out_.size();
  AppendValueName(name);
  if (type == kRegSz && IsPlainText(data, size)) {
    out_.push_back('"');
    out_.append(EscapeQuoted(std::string_view(reinterpret_cast<const char*>(data), size - 1)));
    out_.push_back('"');
  } else if (type == kRegDword && size == 4) {
    out_.append("dword:");
    for (int i = 3; i >= 0; --i) AppendHexByte(out_, data[i]);
  } else if (type == kRegBinary) {
    out_.append("hex:");
    AppendHexBytes(out_, data, size);
  } else {
    // Expandable strings, strings the quoted form would change, dwords of
    // other than four bytes, multi-strings, qwords and the rest.
    out_.append("hex(");
    AppendTypeNumber(out_, type);
    out_.append("):");
    if (IsStringType(type)) {
      const std::vector<std::uint8_t> encoded = EncodedData(data, size);
      AppendHexBytes(out_, encoded.data(), encoded.size());
    } else {
      AppendHexBytes(out_, data, size);
    }
  }
  out_.append("\r\n");
  Encode(start);
}

void RegWriter::DeleteValueLine(std::string_view name) {
  const std::size_t start = out_.size();
  AppendValueName(name);
  out_.append("-\r\n");
  Encode(start);
}

void RegWriter::Encode(std::size_t start) {
  const std::string_view text = std::string_view(out_).substr(start);
  if (form_ == RegForm::kRegedit4) {
    if (IsAscii(text)) return;
    const auto encoded = Recode(text, ProcessCodePage(), CodePageOfRegedit4());
    if (!encoded)
      throw ENoExactForm("a name or text has no form in code page " + std::to_string(codePage_));
    out_.replace(start, std::string::npos, *encoded);
    return;
  }
  const auto units = ToUtf16(text);
  if (!units) throw ENoExactForm("a name or text is no text of the program's code page");
  out_.replace(start, std::string::npos, LittleEndian(*units));
}

std::vector<std::uint8_t> RegWriter::EncodedData(const std::uint8_t* data, std::size_t size) const {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (form_ == RegForm::kRegedit4) {
    const auto encoded = Recode(text, ProcessCodePage(), CodePageOfRegedit4());
    if (!encoded)
      throw ENoExactForm("a text has no form in code page " + std::to_string(codePage_));
    return std::vector<std::uint8_t>(encoded->begin(), encoded->end());
  }
  const auto units = ToUtf16(text);
  if (!units) throw ENoExactForm("a text is no text of the program's code page");
  const std::string bytes = LittleEndian(*units);
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace veltrane
