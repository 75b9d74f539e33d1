#include "cli/console_output.h"

#include "base/text.h"

namespace veltrane::cli {

bool ConsoleBuffer::IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  pending_.push_back(traits_type::to_char_type(c));
  if (c == '\n') sync();
  return c;
}

std::streamsize ConsoleBuffer::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, static_cast<std::size_t>(count));
  if (pending_.find('\n') != std::string::npos) sync();
  return count;
}

namespace {

// The bytes of `text` up to a character that its last bytes only begin: a
// UTF-8 lead byte whose continuation bytes are still to come.
std::size_t WholeCharacters(std::string_view text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t size = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return size > back ? text.size() - back : text.size();
  }
  return text.size();
}

}  // namespace

int ConsoleBuffer::sync() {
  // A character cut between two writes waits for the rest of its bytes.
  const std::size_t whole =
      ProcessCodePage() == kUtf8CodePage ? WholeCharacters(pending_) : pending_.size();
  if (whole == 0) return 0;
  const std::string_view text(pending_.data(), whole);
  DWORD written = 0;
  if (const auto units = ToUtf16(text)) {
    WriteConsoleW(console_, reinterpret_cast<const wchar_t*>(units->data()),
                  static_cast<DWORD>(units->size()), &written, nullptr);
  } else {
    WriteFile(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
  pending_.erase(0, whole);
  return 0;
}

}  // namespace veltrane::cli
