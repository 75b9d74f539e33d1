#include "clean/reg_lines.h"

#include "clean/reg_format.h"

namespace veltrane {

void RegLines::KeyLine(RegKey root, std::string_view path) {
  lines_.push_back({Line::kKey, root, std::string(path), 0, {}});
}

void RegLines::ValueLine(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                         std::size_t size) {
  lines_.push_back({Line::kValue, 0, std::string(name), type, {data, data + size}});
}

void RegLines::DeleteValueLine(std::string_view name) {
  lines_.push_back({Line::kDeleteValue, 0, std::string(name), 0, {}});
}

void RegLines::DeleteKeyLine(RegKey root, std::string_view path) {
  lines_.push_back({Line::kDeleteKey, root, std::string(path), 0, {}});
}

void RegLines::Append(const RegLines& more) {
  lines_.insert(lines_.end(), more.lines_.begin(), more.lines_.end());
}

void RegLines::WriteTo(RegLineSink& sink) const {
  for (const Line& line : lines_) {
    switch (line.kind) {
      case Line::kKey: sink.KeyLine(line.root, line.text); break;
      case Line::kValue:
        sink.ValueLine(line.text, line.type, line.data.data(), line.data.size());
        break;
      case Line::kDeleteValue: sink.DeleteValueLine(line.text); break;
      case Line::kDeleteKey: sink.DeleteKeyLine(line.root, line.text); break;
    }
  }
}

std::string RegLines::File(unsigned ansiCodePage) const {
  const auto write = [&](RegForm form) {
    RegWriter writer(form, ansiCodePage);
    writer.Header();
    WriteTo(writer);
    return std::move(writer.Bytes());
  };
  try {
    return write(RegForm::kRegedit4);
  } catch (const ENoExactForm&) {
    return write(RegForm::kVersion5);
  }
}

}  // namespace veltrane
