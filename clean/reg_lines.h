// The lines of a .reg file, as the program's texts, before they take a form.
// The export hands its lines to a RegWriter, which turns them into the
// file's bytes at once; an undo file is gathered from several reads as
// RegLines first and takes its form when it is whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry_api.h"

namespace veltrane {

class RegLineSink {
 public:
  virtual ~RegLineSink() = default;
  virtual void KeyLine(RegKey root, std::string_view path) = 0;
  virtual void ValueLine(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                         std::size_t size) = 0;
  virtual void DeleteValueLine(std::string_view name) = 0;
  // "[-ROOT\path]": the key is to go, with everything below it.
  virtual void DeleteKeyLine(RegKey root, std::string_view path) = 0;
};

class RegLines final : public RegLineSink {
 public:
  void KeyLine(RegKey root, std::string_view path) override;
  void ValueLine(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                 std::size_t size) override;
  void DeleteValueLine(std::string_view name) override;
  void DeleteKeyLine(RegKey root, std::string_view path) override;
  void Append(const RegLines& more);

  bool Empty() const { return lines_.empty(); }
  // Writes every line, in order, to `sink`.
  void WriteTo(RegLineSink& sink) const;
  // The whole file, header included: REGEDIT4 in `ansiCodePage` when that
  // code page holds every name and text, else Version 5.00.
  std::string File(unsigned ansiCodePage) const;

 private:
  struct Line {
    enum Kind { kKey, kValue, kDeleteValue, kDeleteKey } kind;
    RegKey root;
    std::string text;  // the key's path or the value's name
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  std::vector<Line> lines_;
};

}  // namespace veltrane
