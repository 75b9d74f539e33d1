// The typed value writer and the text splitter that sit beside TRegistry.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>

#include "registry/tregistry.h"

namespace veltrane {

// A loosely typed value: empty, a number or a text, converted on demand.
class Variant {
 public:
  Variant() = default;
  Variant(std::int64_t number) : value_(number) {}                    // NOLINT: implicit on purpose
  Variant(int number) : value_(static_cast<std::int64_t>(number)) {}  // NOLINT
  Variant(std::string text) : value_(std::move(text)) {}              // NOLINT
  Variant(const char* text) : value_(std::string(text)) {}            // NOLINT

  // A number gives its decimal text; empty gives "".
  std::string AsText() const;
  // A text of decimal digits (with an optional sign and surrounding blanks)
  // gives its number; anything else raises EVariantError.
  std::int32_t AsInt32() const;

 private:
  std::variant<std::monostate, std::int64_t, std::string> value_;
};

class EVariantError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised by WriteTypedValue with the system's text for an error code.
class EWriteError : public std::runtime_error {
 public:
  EWriteError(long code, const std::string& message) : std::runtime_error(message), code_(code) {}
  long Code() const { return code_; }

 private:
  long code_;
};

// The system's text for an error code ("Access is denied." for 5).
std::string SystemErrorText(long code);

// Sets one value in the kind given (vkUnknown: the kind the value already
// has), creating the key and any missing keys above it. Raises EWriteError
// when the key cannot be opened or the kind is unknown, ERegistryException
// when the write fails, EVariantError when the value does not convert.
void WriteTypedValue(RegistryApi& api, RegKey root, const std::string& path,
                     const std::string& name, TRegDataType kind, const Variant& value);

// Cuts `text` at each `separator` into lines of one blank and the piece.
// A separator at the end adds no empty last line.
void SplitText(const std::string& text, char separator, TextList& list);

}  // namespace veltrane
