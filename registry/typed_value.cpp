#include "registry/typed_value.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

#include "base/unique_handle.h"
#endif

namespace veltrane {

std::string Variant::AsText() const {
  if (const auto* number = std::get_if<std::int64_t>(&value_)) return std::to_string(*number);
  if (const auto* text = std::get_if<std::string>(&value_)) return *text;
  return {};
}

std::int32_t Variant::AsInt32() const {
  if (std::holds_alternative<std::monostate>(value_)) return 0;
  if (const auto* number = std::get_if<std::int64_t>(&value_)) {
    if (*number < INT32_MIN || *number > INT32_MAX) {
      throw EVariantError("Overflow while converting variant of type (Int64) into type (Integer)");
    }
    return static_cast<std::int32_t>(*number);
  }
  const std::string& text = std::get<std::string>(value_);
  std::size_t begin = text.find_first_not_of(' ');
  std::size_t end = text.find_last_not_of(' ');
  const std::string digits = begin == std::string::npos ? "" : text.substr(begin, end - begin + 1);
  const char* first = digits.c_str();
  char* stop = nullptr;
  errno = 0;
  const long long parsed = digits.empty() ? 0 : std::strtoll(first, &stop, 10);
  const bool allDigits = !digits.empty() && stop == first + digits.size() &&
                         digits.find_first_of("0123456789") != std::string::npos &&
                         digits.find_first_of(" \t\n\v\f\r") == std::string::npos;
  if (!allDigits) {
    throw EVariantError("Could not convert variant of type (String) into type (Integer)");
  }
  if (errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX) {
    throw EVariantError("Overflow while converting variant of type (String) into type (Integer)");
  }
  return static_cast<std::int32_t>(parsed);
}

std::string SystemErrorText(long code) {
#ifdef _WIN32
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  const UniqueLocal owned(buffer);
  if (length > 0 && buffer) {
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
  }
#endif
  switch (code) {
    case 2: return "The system cannot find the file specified.";
    case 5: return "Access is denied.";
    case 6: return "The handle is invalid.";
    case 87: return "The parameter is incorrect.";
    case 161: return "The specified path is invalid.";
    case 1013: return "Configuration registry key could not be written.";
    case 1018:
      return "Illegal operation attempted on a registry key that has been marked for deletion.";
    default: return "System error " + std::to_string(code) + ".";
  }
}

void WriteTypedValue(RegistryApi& api, RegKey root, const std::string& path,
                     const std::string& name, TRegDataType kind, const Variant& value) {
  TRegistry registry(api, kKeyWrite);
  registry.SelectRoot(root);
  if (!registry.OpenPath(path, true)) {
    const long code = registry.LastError();
    throw EWriteError(code, SystemErrorText(code));
  }
  if (kind == vkUnknown) kind = registry.ValueKind(name);
  switch (kind) {
    case vkString: registry.WriteText(name, value.AsText()); break;
    case vkExpandString: registry.WriteExpandText(name, value.AsText()); break;
    case vkInteger: registry.WriteNumber(name, value.AsInt32()); break;
    case vkBinary: {
      const std::string bytes = value.AsText();
      registry.WriteBytes(name, bytes.data(), static_cast<std::int64_t>(bytes.size()));
      break;
    }
    default: throw EWriteError(kErrorCantWrite, SystemErrorText(kErrorCantWrite));
  }
  // The wrapper closes the key as it goes, whether or not a write raised.
}

void SplitText(const std::string& text, char separator, TextList& list) {
  list.clear();
  std::string piece;
  for (const char c : text) {
    if (c == separator) {
      list.push_back(" " + piece);
      piece.clear();
    } else {
      piece.push_back(c);
    }
  }
  if (!piece.empty()) list.push_back(" " + piece);
}

}  // namespace veltrane
