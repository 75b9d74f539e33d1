// The grammar read here: what the system's registry editor imports, less
// the lines it would pass over or guess at, which refuse the whole file.
// UTF-16 LE with a byte-order mark, or 8-bit text in the system's ANSI code
// page (as the editor reads it, whatever the program's own code page). The
// editor refuses a file that begins with UTF-8's byte-order mark, whatever
// its header, and so does this reader, naming the encoding; UTF-8 without
// the mark is 8-bit text like any other, read in the ANSI code page;
// lines end in CR LF, LF or CR; blanks are spaces and tabs.
//   first line  blanks, "REGEDIT4" or "Windows Registry Editor Version 5.00"
//   line        blanks, then nothing | ";" or "#" comment | KEYLINE | NAME = DATA
//   KEYLINE     [ROOT\NAME\...] or [-ROOT\...], up to the line's last "]"
//   NAME        @ or "TEXT", TEXT with the escapes \\ \" \r \n
//   DATA        "TEXT" | - | dword: 1-8 hex digits | hex: BYTES | hex(N): BYTES
//   BYTES       1-2 hex digits each, comma-separated, a last comma allowed; a
//               "\" where a byte could begin goes on at the next line that is
//               neither blank nor a ";" comment
// Blanks may stand around "=", after "dword:" and before each byte; key and
// value lines may end in blanks and a ";" comment. A Version 5.00 file holds
// hex(1), hex(2) and hex(7) data as UTF-16, whatever its own encoding.
#include "clean/reg_parse.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/text.h"
#include "clean/reg_format.h"

namespace veltrane {
namespace {

constexpr std::string_view kHeader4 = kRegedit4Header;
constexpr std::string_view kHeader5 = kVersion5Header;
constexpr std::string_view kUtf8ByteOrderMark = "\xef\xbb\xbf";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

// What may follow the data of a line: blanks and a ";" comment.
bool IsTail(std::string_view s) {
  s = TrimLeft(s);
  return s.empty() || s.front() == ';';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One to eight hexadecimal digits as a number; false for anything else.
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

std::string CodePointText(std::u16string_view units) {
  char32_t code = units[0];
  if (units.size() == 2) code = 0x10000 + ((code - 0xD800) << 10) + (units[1] - 0xDC00);
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code));
  return text;
}

std::string NoFormMessage(std::u16string_view units) {
  return "the character " + CodePointText(units) + " has no form in the program's code page";
}

// The units of one character at the start of `units`: a surrogate pair, or
// one unit.
std::size_t CharacterUnits(std::u16string_view units) {
  const bool pair = units.size() >= 2 && units[0] >= 0xD800 && units[0] < 0xDC00 &&
                    units[1] >= 0xDC00 && units[1] < 0xE000;
  return pair ? 2 : 1;
}

// Where the last "]" of a key line stands, counting whole characters only.
std::size_t LastClosingBracket(std::string_view text) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); i += CharacterSize(text.substr(i))) {
    if (text[i] == ']') last = i;
  }
  return last;
}

// The first backslash at a character boundary, or the text's size.
std::size_t NextBackslash(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] != '\\') i += CharacterSize(text.substr(i));
  return i;
}

class Parser {
 public:
  Parser(std::vector<RegOperation>& operations, RegImportError& error, unsigned ansiCodePage)
      : operations_(operations), error_(error), ansiCodePage_(ansiCodePage) {}

  bool Run(std::string_view bytes) {
    operations_.clear();
    if (!Decode(bytes)) return false;
    const std::string_view header = NextLine() ? TrimLeft(line_) : "";
    if (header != kHeader4 && header != kHeader5) {
      return Fail(1, "the file does not begin with the line REGEDIT4");
    }
    unicodeData_ = header == kHeader5;
    // At most one change to a key or value line: room for them all at once,
    // rather than room for twice as many as the list grows.
    std::size_t most = 0;
    for (std::size_t start = 0; start < text_.size();) {
      const std::size_t end = LineEnd(start);
      const std::string_view text = TrimLeft(text_.substr(start, end - start));
      most += !text.empty() && (text.front() == '[' || text.front() == '"' || text.front() == '@');
      start = NextStart(end);
    }
    operations_.reserve(most);
    while (NextLine()) {
      const std::string_view text = TrimLeft(line_);
      if (text.empty() || text.front() == ';' || text.front() == '#') continue;
      bool sound;
      if (text.front() == '[') {
        sound = ParseKeyLine(text);
      } else if (text.front() == '"' || text.front() == '@') {
        sound = ParseValueLine(text);
      } else {
        sound = Fail("expected a key line, a value line, a comment or a blank line", text);
      }
      if (!sound) return false;
    }
    return true;
  }

 private:
  enum class KeyState { kNone, kOpen, kDeleted };

  int LineNumber() const { return static_cast<int>(index_) + 1; }

  bool Fail(int line, std::string message) {
    error_.line = line;
    error_.message = std::move(message);
    return false;
  }
  // A fault on the current line. When `where` holds a character that stands
  // for one the code page lacks (or a zero), that character is the fault.
  bool Fail(std::string message, std::string_view where = {}) {
    const std::size_t zero = where.find('\0');
    if (zero != std::string_view::npos) return FailCharacter(OffsetOf(where.data() + zero));
    return Fail(LineNumber(), std::move(message));
  }
  std::size_t OffsetOf(const char* at) const { return static_cast<std::size_t>(at - text_.data()); }
  bool FailCharacter(std::size_t offset) {
    const auto it = std::lower_bound(unmapped_.begin(), unmapped_.end(), offset,
                                     [](const std::pair<std::size_t, std::string>& entry,
                                        std::size_t at) { return entry.first < at; });
    if (it == unmapped_.end() || it->first != offset) {
      return Fail(LineNumber(), "a zero character stands outside a comment");
    }
    return Fail(LineNumber(), it->second);
  }

  // A character that cannot be read becomes a zero, which is refused (with
  // `why`) where it counts and harmless in a comment.
  void Unreadable(std::string why) {
    unmapped_.emplace_back(decoded_.size(), std::move(why));
    decoded_.push_back('\0');
  }

  // The registry editor writes UTF-16 with a byte-order mark; everything
  // else is 8-bit text in the system's ANSI code page, as the editor reads
  // it and as our export writes REGEDIT4. Either way the text becomes the
  // program's own.
  bool Decode(std::string_view bytes) {
    if (bytes.starts_with(kUtf8ByteOrderMark)) {
      return Fail(1,
                  "the file is UTF-8 text; save it as UTF-16 LE (\"Unicode\"), the form the "
                  "registry editor exports, and import it again");
    }
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE) {
      return DecodeAnsi(bytes);
    }
    std::u16string units((bytes.size() - 2) / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                       static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
    }
    decoded_.reserve(units.size());
    for (std::size_t i = 0; i < units.size();) {
      const char16_t unit = units[i];
      if (unit != 0 && unit < 0x80) {
        decoded_.push_back(static_cast<char>(unit));
        ++i;
        continue;
      }
      const std::u16string_view character = std::u16string_view(units).substr(
          i, CharacterUnits(std::u16string_view(units).substr(i)));
      i += character.size();
      const auto text = unit == 0 ? std::nullopt : FromUtf16(character);
      if (text) {
        decoded_.append(*text);
      } else if (unit == 0) {
        decoded_.push_back('\0');
      } else {
        Unreadable(NoFormMessage(character));
      }
    }
    text_ = decoded_;
    if (bytes.size() % 2 != 0) {
      while (NextLine()) {
      }
      return Fail(std::max(LineNumber(), 1), "the file ends inside a UTF-16 character");
    }
    return true;
  }

  bool DecodeAnsi(std::string_view bytes) {
    if (ansiCodePage_ == ProcessCodePage() || IsAscii(bytes)) {
      text_ = bytes;
      return true;
    }
    decoded_.reserve(bytes.size() + bytes.size() / 8);
    std::u16string units;
    for (std::size_t i = 0; i < bytes.size();) {
      if (static_cast<unsigned char>(bytes[i]) < 0x80) {
        decoded_.push_back(bytes[i++]);
        continue;
      }
      units.clear();
      const std::size_t size = DecodeCharacter(bytes.substr(i), units, ansiCodePage_);
      if (size == 0) {
        char why[96];
        std::snprintf(why, sizeof why, "the byte 0x%02X is no character of code page %u",
                      static_cast<unsigned>(static_cast<unsigned char>(bytes[i])), ansiCodePage_);
        Unreadable(why);
        ++i;
        continue;
      }
      i += size;
      if (const auto text = FromUtf16(units)) {
        decoded_.append(*text);
      } else {
        Unreadable(NoFormMessage(units));
      }
    }
    text_ = decoded_;
    return true;
  }

  // CR LF, LF and CR alone each end a line. The lines are read one after
  // the other, never all kept: a file of hundreds of megabytes holds
  // millions of them.
  std::size_t LineEnd(std::size_t end) const {
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
    return end;
  }
  std::size_t NextStart(std::size_t end) const {
    return end + (end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n' ? 2 : 1);
  }
  // Moves to the next line (`line_`, numbered by `index_`); false at the end.
  bool NextLine() {
    if (next_ >= text_.size()) return false;
    const std::size_t end = LineEnd(next_);
    line_ = text_.substr(next_, end - next_);
    next_ = NextStart(end);
    ++index_;
    return true;
  }

  bool ParseKeyLine(std::string_view text) {
    const std::size_t close = LastClosingBracket(text);
    if (close == std::string_view::npos) {
      return Fail("the key line has no closing bracket", text);
    }
    if (!IsTail(text.substr(close + 1))) {
      return Fail("unexpected text after the closing bracket of the key line", text);
    }
    std::string_view inner = text.substr(1, close - 1);
    if (const std::size_t zero = inner.find('\0'); zero != std::string_view::npos) {
      return FailCharacter(OffsetOf(inner.data() + zero));
    }
    const bool deletion = !inner.empty() && inner.front() == '-';
    if (deletion) inner.remove_prefix(1);
    const std::size_t separator = NextBackslash(inner);
    const std::string_view rootName = inner.substr(0, separator);
    const auto root = RootFromName(rootName);
    if (!root) return Fail("unknown root key \"" + std::string(rootName) + "\"");
    RegOperation operation;
    operation.kind = deletion ? RegOperation::kDeleteKey : RegOperation::kOpenKey;
    operation.line = LineNumber();
    operation.root = *root;
    // Doubled and trailing backslashes name no extra level, as in the
    // registry itself.
    std::string_view rest = inner.substr(std::min(separator + 1, inner.size()));
    while (!rest.empty()) {
      const std::size_t end = NextBackslash(rest);
      const std::string_view name = rest.substr(0, end);
      if (CharacterCount(name) > kMaxKeyNameLength) {
        return Fail("a key name is longer than 255 characters");
      }
      if (!name.empty()) {
        if (!operation.path.empty()) operation.path.push_back('\\');
        operation.path.append(name);
      }
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    if (deletion && operation.path.empty()) return Fail("a root key cannot be deleted");
    state_ = deletion ? KeyState::kDeleted : KeyState::kOpen;
    operations_.push_back(std::move(operation));
    return true;
  }

  // Reads a quoted text from just after its opening quote up to and past
  // its closing quote.
  bool ParseQuoted(std::string_view text, std::size_t& pos, std::string& out) {
    while (pos < text.size()) {
      const char c = text[pos++];
      if (c == '"') return true;
      if (c == '\0') return FailCharacter(OffsetOf(text.data() + pos - 1));
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
          // The editor drops the backslash; a path written with single
          // backslashes would come back as something else.
          return Fail(std::string("unknown escape \\") + escaped + " in a quoted text",
                      text.substr(pos - 1, 1));
      }
    }
    return Fail("unterminated string: the closing double quote is missing");
  }

  bool ParseValueLine(std::string_view text) {
    if (state_ == KeyState::kNone) return Fail("a value line comes before any key line");
    if (state_ == KeyState::kDeleted) return Fail("a value line follows the deletion of its key");
    RegOperation operation;
    operation.line = LineNumber();
    std::size_t pos = 1;
    if (text.front() == '"' && !ParseQuoted(text, pos, operation.name)) return false;
    if (CharacterCount(operation.name) > kMaxValueNameLength) {
      return Fail("a value name is longer than 16383 characters");
    }
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos >= text.size() || text[pos] != '=') {
      return Fail("expected \"=\" after the value name", text.substr(pos));
    }
    const std::string_view data = TrimLeft(text.substr(pos + 1));

    operation.kind = RegOperation::kSetValue;
    if (data.empty() || data.front() == ';') {
      return Fail("the value has no data after \"=\"");
    } else if (data.front() == '-') {
      operation.kind = RegOperation::kDeleteValue;
      if (!IsTail(data.substr(1))) return Fail("unexpected text after \"-\"", data);
    } else if (data.front() == '"') {
      std::size_t at = 1;
      std::string value;
      if (!ParseQuoted(data, at, value)) return false;
      if (!IsTail(data.substr(at))) {
        return Fail("unexpected text after the closing double quote", data.substr(at));
      }
      operation.type = kRegSz;
      operation.data.assign(value.begin(), value.end());
      operation.data.push_back(0);
    } else if (data.starts_with("dword:")) {
      const std::string_view rest = TrimLeft(data.substr(6));
      const std::size_t end = std::min(rest.find_first_of(" \t;"), rest.size());
      std::uint32_t number;
      if (!ParseHexNumber(rest.substr(0, end), number)) {
        return Fail("a dword needs one to eight hexadecimal digits", rest.substr(0, end));
      }
      if (!IsTail(rest.substr(end))) return Fail("unexpected text after the dword", rest);
      operation.type = kRegDword;
      for (int i = 0; i < 4; ++i) {
        operation.data.push_back(static_cast<std::uint8_t>(number >> 8 * i));
      }
    } else if (data.starts_with("hex")) {
      if (!ParseHexValue(data.substr(3), operation)) return false;
    } else {
      return Fail("unknown kind of data: expected a quoted text, dword:, hex: or hex(N):", data);
    }
    operations_.push_back(std::move(operation));
    return true;
  }

  // `rest` follows "hex": ":" or "(N):", then the bytes.
  bool ParseHexValue(std::string_view rest, RegOperation& operation) {
    const int firstLine = LineNumber();
    operation.type = kRegBinary;
    if (!rest.empty() && rest.front() == '(') {
      const std::size_t close = rest.find(')');
      if (close == std::string_view::npos ||
          !ParseHexNumber(rest.substr(1, close - 1), operation.type)) {
        return Fail("the type in hex(N) must be one to eight hexadecimal digits", rest);
      }
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':') return Fail("expected \":\" after hex", rest);
    if (!ParseBytes(rest.substr(1), operation.data)) return false;
    // Grown byte by byte: give back what the growth left over.
    operation.data.shrink_to_fit();

    const bool text =
        operation.type == kRegSz || operation.type == kRegExpandSz || operation.type == kRegMultiSz;
    if (text) return ToProgramText(operation.data, firstLine);
    return true;
  }

  // Comma-separated bytes, continued over lines by a backslash where a byte
  // could begin. Moves `index_` to the value's last line.
  bool ParseBytes(std::string_view segment, std::vector<std::uint8_t>& data) {
    bool afterComma = false;
    for (;;) {
      segment = TrimLeft(segment);
      if (segment.empty() || segment.front() == ';') return true;
      if (segment.front() == '\\') {
        if (!IsTail(segment.substr(1))) {
          return Fail("unexpected text after the backslash that continues the line", segment);
        }
        if (!NextContinuation()) return false;
        segment = line_;
        continue;
      }
      if (segment.front() == ',') {
        return Fail(afterComma ? "a byte is missing between two commas"
                               : "a byte is missing before a comma",
                    segment);
      }
      // One or two digits, then a comma, or the end of the bytes.
      std::size_t digits = 0;
      while (digits < segment.size() && digits < 3 && HexDigit(segment[digits]) >= 0) ++digits;
      const std::string_view after = segment.substr(digits);
      const bool comma = !after.empty() && after.front() == ',';
      if (digits == 0 || digits > 2 || (!comma && !IsTail(after))) {
        const std::string_view token =
            segment.substr(0, std::min(segment.find(','), segment.size()));
        return Fail("bad hex byte \"" + std::string(token) + "\"", token);
      }
      std::uint32_t byte = 0;
      ParseHexNumber(segment.substr(0, digits), byte);
      data.push_back(static_cast<std::uint8_t>(byte));
      if (!comma) return true;
      segment = after.substr(1);
      afterComma = true;
    }
  }

  // Moves to the line that continues a value, past blank and ";" lines.
  bool NextContinuation() {
    const int backslashLine = LineNumber();
    while (NextLine()) {
      const std::string_view text = TrimLeft(line_);
      if (!text.empty() && text.front() != ';') return true;
    }
    // A backup cut short ends like this.
    return Fail(backslashLine, "the value is continued past the end of the file");
  }

  // Text data as the program's own: the file's hex(1), hex(2) and hex(7)
  // bytes are UTF-16 in the Version 5.00 form and in the ANSI code page in
  // REGEDIT4.
  bool ToProgramText(std::vector<std::uint8_t>& data, int line) {
    std::optional<std::string> converted;
    if (unicodeData_) {
      if (data.size() % 2 != 0) return Fail(line, "UTF-16 text data has an odd number of bytes");
      std::u16string units(data.size() / 2, u'\0');
      for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
      }
      converted = FromUtf16(units);
      for (std::size_t i = 0; !converted && i < units.size();) {
        const std::u16string_view rest = std::u16string_view(units).substr(i);
        const std::u16string_view character = rest.substr(0, CharacterUnits(rest));
        if (!FromUtf16(character)) return Fail(line, NoFormMessage(character));
        i += character.size();
      }
    } else {
      converted = Recode(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()),
                         ansiCodePage_, ProcessCodePage());
    }
    if (!converted) {
      return Fail(line, "the text data is no text of code page " + std::to_string(ansiCodePage_));
    }
    data.assign(converted->begin(), converted->end());
    return true;
  }

  std::vector<RegOperation>& operations_;
  RegImportError& error_;
  unsigned ansiCodePage_;
  std::string decoded_;
  std::vector<std::pair<std::size_t, std::string>> unmapped_;  // offsets in `decoded_`, why
  std::string_view text_;
  std::string_view line_;                             // the line at hand
  std::size_t next_ = 0;                              // where the next line starts in `text_`
  std::size_t index_ = static_cast<std::size_t>(-1);  // of `line_`, from 0
  bool unicodeData_ = false;
  KeyState state_ = KeyState::kNone;
};

}  // namespace

std::string RegImportError::Text() const {
  if (line <= 0) return message;
  return "line " + std::to_string(line) + ": " + message;
}

bool ParseRegFile(std::string_view bytes, unsigned ansiCodePage,
                  std::vector<RegOperation>& operations, RegImportError& error) {
  Parser parser(operations, error, ansiCodePage);
  return parser.Run(bytes);
}

}  // namespace veltrane
