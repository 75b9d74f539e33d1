#include "clean/reg_parse.h"

#include <algorithm>
#include <cstdio>

#include "clean/reg_format.h"
#include "registry/code_page.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace veltrane {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}
std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}
std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Up to eight hexadecimal digits as a number; false for anything else.
bool ParseHexNumber(std::string_view digits, std::uint32_t& value) {
  if (digits.empty() || digits.size() > 8) return false;
  value = 0;
  for (const char c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != prefix[i]) return false;
  }
  return true;
}

std::string CodePointText(char16_t unit) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(unit));
  return text;
}

// One UTF-16 unit in the system code page; false when it has no form there,
// since the 8-bit registry functions would turn it into something else.
bool AppendInSystemCodePage(char16_t unit, std::string& out) {
#ifdef _WIN32
  if (unit < 0x80) {
    out.push_back(static_cast<char>(unit));
    return true;
  }
  char bytes[4];
  BOOL usedDefault = FALSE;
  const wchar_t wide = static_cast<wchar_t>(unit);
  const int count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes,
                                        nullptr, &usedDefault);
  if (count <= 0 || usedDefault) return false;
  out.append(bytes, static_cast<std::size_t>(count));
  return true;
#else
  // Windows-1252, the code page of the systems the program runs on here.
  const auto byte = UnicodeToCp1252(unit);
  if (!byte) return false;
  out.push_back(static_cast<char>(*byte));
  return true;
#endif
}

class Parser {
 public:
  Parser(std::vector<RegOperation>& operations, RegImportError& error)
      : operations_(operations), error_(error) {}

  bool Run(std::string_view bytes) {
    operations_.clear();
    if (!Decode(bytes)) return false;
    SplitLines();
    if (lines_.empty() ||
        (TrimRight(lines_[0].text) != kHeader4 && TrimRight(lines_[0].text) != kHeader5)) {
      return Fail(1, "the file does not begin with the line REGEDIT4");
    }
    unicodeData_ = TrimRight(lines_[0].text) == kHeader5;
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      const std::string_view text = TrimLeft(lines_[index_].text);
      const int line = lines_[index_].number;
      if (text.empty() || text.front() == ';') continue;
      bool sound;
      if (text.front() == '[') {
        sound = ParseKeyLine(TrimRight(text), line);
      } else if (text.front() == '"' || text.front() == '@') {
        sound = ParseValueLine(text, line);
      } else {
        sound = Fail(line, "expected a key line, a value line, a comment or a blank line");
      }
      if (!sound) return false;
    }
    return true;
  }

 private:
  struct Line {
    std::string_view text;
    int number;
  };
  enum class KeyState { kNone, kOpen, kDeleted };

  bool Fail(int line, std::string message) {
    error_.line = line;
    error_.message = std::move(message);
    return false;
  }

  // The registry editor writes UTF-16 with a byte-order mark; everything
  // else is 8-bit text in the system code page, as our export writes it.
  bool Decode(std::string_view bytes) {
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE) {
      text_ = bytes;
      return true;
    }
    decoded_.reserve(bytes.size() / 2);
    int line = 1;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8);
      if (unit == u'\n') ++line;
      if (!AppendInSystemCodePage(unit, decoded_)) {
        return Fail(
            line, "the character " + CodePointText(unit) + " has no form in the system code page");
      }
    }
    if (bytes.size() % 2 != 0) return Fail(line, "the file ends inside a UTF-16 character");
    text_ = decoded_;
    return true;
  }

  void SplitLines() {
    std::size_t start = 0;
    int number = 1;
    while (start < text_.size()) {
      std::size_t end = text_.find('\n', start);
      const bool last = end == std::string_view::npos;
      if (last) end = text_.size();
      std::string_view line = text_.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back({line, number++});
      start = end + 1;
    }
  }

  bool ParseKeyLine(std::string_view text, int line) {
    if (text.size() < 2 || text.back() != ']') {
      return Fail(line, "the key line has no closing bracket");
    }
    std::string_view inner = text.substr(1, text.size() - 2);
    const bool deletion = !inner.empty() && inner.front() == '-';
    if (deletion) inner.remove_prefix(1);
    const std::size_t separator = inner.find('\\');
    const std::string_view rootName = inner.substr(0, separator);
    const auto root = RootFromName(rootName);
    if (!root) return Fail(line, "unknown root key \"" + std::string(rootName) + "\"");
    RegOperation operation;
    operation.kind = deletion ? RegOperation::kDeleteKey : RegOperation::kOpenKey;
    operation.line = line;
    operation.root = *root;
    // Doubled and trailing backslashes name no extra level, as in the
    // registry itself.
    std::string_view rest = separator == std::string_view::npos ? "" : inner.substr(separator + 1);
    while (!rest.empty()) {
      const std::size_t end = std::min(rest.find('\\'), rest.size());
      const std::string_view name = rest.substr(0, end);
      if (name.size() > kMaxKeyNameLength) {
        return Fail(line, "a key name is longer than 255 characters");
      }
      if (!name.empty()) {
        if (!operation.path.empty()) operation.path.push_back('\\');
        operation.path.append(name);
      }
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    if (deletion && operation.path.empty()) return Fail(line, "a root key cannot be deleted");
    state_ = deletion ? KeyState::kDeleted : KeyState::kOpen;
    operations_.push_back(std::move(operation));
    return true;
  }

  // Reads a quoted text from just after its opening quote up to and past
  // its closing quote.
  bool ParseQuoted(std::string_view text, std::size_t& pos, std::string& out, int line) {
    while (pos < text.size()) {
      const char c = text[pos++];
      if (c == '"') return true;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (pos >= text.size()) break;
      const char escaped = text[pos++];
      switch (escaped) {
        case '\\': out.push_back('\\'); break;
        case '"': out.push_back('"'); break;
        case 'r': out.push_back('\r'); break;
        case 'n': out.push_back('\n'); break;
        default:
          return Fail(line, std::string("unknown escape \\") + escaped + " in a quoted text");
      }
    }
    return Fail(line, "unterminated string: the closing double quote is missing");
  }

  bool ParseValueLine(std::string_view text, int line) {
    if (state_ == KeyState::kNone) return Fail(line, "a value line comes before any key line");
    if (state_ == KeyState::kDeleted) {
      return Fail(line, "a value line follows the deletion of its key");
    }
    RegOperation operation;
    operation.line = line;
    std::size_t pos = 1;
    if (text.front() == '"' && !ParseQuoted(text, pos, operation.name, line)) return false;
    if (operation.name.size() > kMaxValueNameLength) {
      return Fail(line, "a value name is longer than 16383 characters");
    }
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos >= text.size() || text[pos] != '=') {
      return Fail(line, "expected \"=\" after the value name");
    }
    const std::string_view data = TrimLeft(text.substr(pos + 1));

    if (TrimRight(data) == "-") {
      operation.kind = RegOperation::kDeleteValue;
    } else if (!data.empty() && data.front() == '"') {
      std::size_t at = 1;
      std::string value;
      if (!ParseQuoted(data, at, value, line)) return false;
      if (!Trim(data.substr(at)).empty()) {
        return Fail(line, "unexpected text after the closing double quote");
      }
      operation.kind = RegOperation::kSetValue;
      operation.type = kRegSz;
      operation.data.assign(value.begin(), value.end());
      operation.data.push_back(0);
    } else if (StartsWithIgnoringCase(data, "dword:")) {
      std::uint32_t number;
      if (!ParseHexNumber(Trim(data.substr(6)), number)) {
        return Fail(line, "a dword needs one to eight hexadecimal digits");
      }
      operation.kind = RegOperation::kSetValue;
      operation.type = kRegDword;
      for (int i = 0; i < 4; ++i)
        operation.data.push_back(static_cast<std::uint8_t>(number >> 8 * i));
    } else if (StartsWithIgnoringCase(data, "hex")) {
      operation.kind = RegOperation::kSetValue;
      if (!ParseHexValue(data.substr(3), operation, line)) return false;
    } else if (data.empty()) {
      return Fail(line, "the value has no data after \"=\"");
    } else {
      return Fail(line, "unknown kind of data: expected a quoted text, dword:, hex: or hex(N):");
    }
    operations_.push_back(std::move(operation));
    return true;
  }

  // `rest` follows "hex": ":" or "(N):", then the bytes, continued on the
  // next lines while a line ends in a backslash.
  bool ParseHexValue(std::string_view rest, RegOperation& operation, int line) {
    operation.type = kRegBinary;
    if (!rest.empty() && rest.front() == '(') {
      const std::size_t close = rest.find(')');
      if (close == std::string_view::npos ||
          !ParseHexNumber(rest.substr(1, close - 1), operation.type)) {
        return Fail(line, "the type in hex(N) must be one to eight hexadecimal digits");
      }
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':') return Fail(line, "expected \":\" after hex");
    rest.remove_prefix(1);

    std::string token;
    int tokenLine = line;
    const auto finishToken = [&](bool last) {
      const std::string_view digits = Trim(token);
      if (digits.empty()) {
        // Nothing at all, or one comma at the very end, is allowed.
        if (last) return true;
        return Fail(tokenLine, "a byte is missing between two commas");
      }
      if (digits.size() > 2 || HexDigit(digits[0]) < 0 ||
          (digits.size() == 2 && HexDigit(digits[1]) < 0)) {
        return Fail(tokenLine, "bad hex byte \"" + std::string(digits) + "\"");
      }
      std::uint32_t byte = 0;
      ParseHexNumber(digits, byte);
      operation.data.push_back(static_cast<std::uint8_t>(byte));
      return true;
    };

    std::string_view segment = TrimRight(rest);
    int segmentLine = line;
    for (;;) {
      const bool continued = !segment.empty() && segment.back() == '\\';
      if (continued) segment.remove_suffix(1);
      for (const char c : segment) {
        if (c == ',') {
          if (!finishToken(false)) return false;
          token.clear();
        } else {
          if (Trim(token).empty()) tokenLine = segmentLine;
          token.push_back(c);
        }
      }
      if (!continued) break;
      if (index_ + 1 >= lines_.size()) {
        return Fail(segmentLine, "the value is continued past the end of the file");
      }
      ++index_;
      segment = Trim(lines_[index_].text);
      segmentLine = lines_[index_].number;
    }
    if (!finishToken(true)) return false;

    const bool text =
        operation.type == kRegSz || operation.type == kRegExpandSz || operation.type == kRegMultiSz;
    if (unicodeData_ && text) return ToSystemCodePage(operation.data, line);
    return true;
  }

  // Text data of the editor's UTF-16 form, for the 8-bit registry functions.
  bool ToSystemCodePage(std::vector<std::uint8_t>& data, int line) {
    if (data.size() % 2 != 0) return Fail(line, "UTF-16 text data has an odd number of bytes");
    std::string converted;
    for (std::size_t i = 0; i < data.size(); i += 2) {
      const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
      if (!AppendInSystemCodePage(unit, converted)) {
        return Fail(
            line, "the character " + CodePointText(unit) + " has no form in the system code page");
      }
    }
    data.assign(converted.begin(), converted.end());
    return true;
  }

  std::vector<RegOperation>& operations_;
  RegImportError& error_;
  std::string decoded_;
  std::string_view text_;
  std::vector<Line> lines_;
  std::size_t index_ = 0;
  bool unicodeData_ = false;
  KeyState state_ = KeyState::kNone;
};

}  // namespace

std::string RegImportError::Text() const {
  if (line <= 0) return message;
  return "line " + std::to_string(line) + ": " + message;
}

bool ParseRegFile(std::string_view bytes, std::vector<RegOperation>& operations,
                  RegImportError& error) {
  Parser parser(operations, error);
  return parser.Run(bytes);
}

}  // namespace veltrane
