// Off Windows there is no system code page to ask: the program's texts are
// Windows-1252, as the registry store and the importer take them.
#include "cli/system_text.h"
#include "registry/code_page.h"

namespace veltrane::cli {

std::size_t DecodeSystemCharacter(std::string_view bytes, std::u16string& units) {
  units += Cp1252ToUnicode(static_cast<unsigned char>(bytes.front()));
  return 1;
}

}  // namespace veltrane::cli
