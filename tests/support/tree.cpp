#include "tests/support/tree.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include <stdexcept>

#include "base/names.h"
#include "registry/memory_registry.h"

#ifdef _WIN32
#include "registry/win32_registry.h"
#endif

namespace veltrane::testing {

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

TreeValue Sz(const std::string& text) {
  TreeValue value{kRegSz, Bytes(text)};
  value.data.push_back(0);
  return value;
}

TreeValue Dword(std::uint32_t number) {
  TreeValue value{kRegDword, {}};
  for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(number >> 8 * i));
  return value;
}

TreeValue Typed(std::uint32_t type, const std::string& bytes) { return {type, Bytes(bytes)}; }

namespace {

void ReadKey(RegistryApi& api, RegKey key, TreeKey& tree) {
  KeyInfo facts;
  if (api.QueryInfoKey(key, &facts) != kErrorSuccess) return;
  std::vector<char> name(65536);  // 16383 characters of up to three bytes
  std::vector<std::uint8_t> data(std::max<std::uint32_t>(facts.longestData, 1) + 16);
  for (std::uint32_t i = 0; i < facts.valueCount; ++i) {
    std::uint32_t nameLength = static_cast<std::uint32_t>(name.size());
    std::uint32_t size = static_cast<std::uint32_t>(data.size());
    std::uint32_t type = 0;
    long result = api.EnumValue(key, i, name.data(), &nameLength, &type, data.data(), &size);
    if (result == kErrorMoreData) {
      data.resize(size);
      nameLength = static_cast<std::uint32_t>(name.size());
      result = api.EnumValue(key, i, name.data(), &nameLength, &type, data.data(), &size);
    }
    if (result != kErrorSuccess) throw std::runtime_error("cannot enumerate a value");
    tree.values[std::string(name.data(), nameLength)] =
        TreeValue{type, std::vector<std::uint8_t>(data.begin(), data.begin() + size)};
  }
  for (std::uint32_t i = 0; i < facts.subkeyCount; ++i) {
    std::uint32_t nameLength = static_cast<std::uint32_t>(name.size());
    if (api.EnumKey(key, i, name.data(), &nameLength) != kErrorSuccess) continue;
    const std::string subName(name.data(), nameLength);
    RegKey sub = 0;
    if (api.OpenKeyEx(key, subName, kKeyRead, &sub) != kErrorSuccess) continue;
    ReadKey(api, sub, tree.subkeys[subName]);
    api.CloseKey(sub);
  }
}

std::string Printable(const std::string& text) {
  std::string out;
  for (const unsigned char c : text) {
    if (c < 32 || c >= 127) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", c);
      out += hex;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::string Describe(const TreeValue& value) {
  std::ostringstream out;
  out << "type " << value.type << " [";
  for (std::size_t i = 0; i < value.data.size() && i < 40; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", value.data[i]);
    out << hex;
  }
  out << (value.data.size() > 40 ? "...]" : "]") << " (" << value.data.size() << " bytes)";
  return out.str();
}

std::string DifferenceAt(const std::string& where, const TreeKey& expected, const TreeKey& actual) {
  for (const auto& [name, value] : expected.values) {
    const auto it = actual.values.find(name);
    if (it == actual.values.end()) return where + " lacks value \"" + Printable(name) + "\"";
    if (!(it->second == value)) {
      return where + " value \"" + Printable(name) + "\": expected " + Describe(value) + ", got " +
             Describe(it->second);
    }
  }
  for (const auto& [name, value] : actual.values) {
    if (!expected.values.count(name)) return where + " has extra value \"" + Printable(name) + "\"";
  }
  for (const auto& [name, sub] : expected.subkeys) {
    const auto it = actual.subkeys.find(name);
    if (it == actual.subkeys.end()) return where + " lacks subkey \"" + Printable(name) + "\"";
    const std::string inner = DifferenceAt(where + "\\" + Printable(name), sub, it->second);
    if (!inner.empty()) return inner;
  }
  for (const auto& [name, sub] : actual.subkeys) {
    if (!expected.subkeys.count(name))
      return where + " has extra subkey \"" + Printable(name) + "\"";
  }
  return {};
}

// Awkward characters of a name or text: the format's own, blanks, line
// breaks, and characters beyond ASCII, of Windows-1252 unless `anyScript`.
const std::vector<std::string>& Awkward(bool anyScript) {
  static const std::vector<std::string> western = {"\"", "\\", "=",      "[",  "]",  "@",  ";",
                                                   "-",  ",",  " ",      "\t", "\r", "\n", "é",
                                                   "Ä",  "€",  "\u0081", "ÿ",  "©"};
  static const std::vector<std::string> every = [] {
    std::vector<std::string> all = western;
    for (const char* c : {"Д", "ж", "Ω", "σ", "日", "ア", "😀", "𐐨"}) all.push_back(c);
    return all;
  }();
  return anyScript ? every : western;
}

// A name of 1..maxLength characters, mostly letters, often awkward.
std::string RandomName(std::mt19937& random, std::size_t maxLength, bool keyName, bool anyScript) {
  const std::vector<std::string>& awkward = Awkward(anyScript);
  std::uniform_int_distribution<std::size_t> length(1, maxLength);
  std::uniform_int_distribution<int> pick(0, 99);
  std::string name;
  const std::size_t n = length(random);
  for (std::size_t i = 0; i < n; ++i) {
    std::string c;
    if (pick(random) < 25) {
      c = awkward[static_cast<std::size_t>(pick(random)) % awkward.size()];
    } else {
      c = static_cast<char>('a' + pick(random) % 26);
    }
    // Key names hold no backslash; a line break in one is left out of the
    // backup on purpose, so the random trees do not make them.
    if (keyName && (c == "\\" || c == "\r" || c == "\n")) c = "_";
    name += c;
  }
  return name;
}

std::string RandomBytes(std::mt19937& random, std::size_t length, bool noZero) {
  std::uniform_int_distribution<int> byte(noZero ? 1 : 0, 255);
  std::string bytes;
  for (std::size_t i = 0; i < length; ++i) bytes.push_back(static_cast<char>(byte(random)));
  return bytes;
}

// Text of `length` characters: any from 1 to 127, the awkward ones, and
// zeros too unless `noZero`.
std::string RandomText(std::mt19937& random, std::size_t length, bool noZero, bool anyScript) {
  const std::vector<std::string>& awkward = Awkward(anyScript);
  std::uniform_int_distribution<int> pick(0, 99);
  std::uniform_int_distribution<int> ascii(noZero ? 1 : 0, 127);
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    if (pick(random) < 30) {
      text += awkward[static_cast<std::size_t>(pick(random)) % awkward.size()];
    } else {
      text.push_back(static_cast<char>(ascii(random)));
    }
  }
  return text;
}

TreeValue RandomValue(std::mt19937& random, bool anyScript) {
  std::uniform_int_distribution<int> kind(0, 13);
  std::uniform_int_distribution<std::size_t> shortLength(0, 40);
  const auto text = [&](std::size_t length, bool noZero) {
    return RandomText(random, length, noZero, anyScript);
  };
  switch (kind(random)) {
    case 0:
    case 1: return Sz(text(shortLength(random), true));
    case 2: return Typed(kRegSz, text(shortLength(random), false));
    case 3: return Typed(kRegExpandSz, "%TEMP%\\" + text(shortLength(random), true) + '\0');
    case 4: {
      std::string multi;
      for (std::size_t i = shortLength(random) % 4; i > 0; --i) {
        multi += text(1 + shortLength(random) % 9, true) + '\0';
      }
      return Typed(kRegMultiSz, multi + '\0');
    }
    case 5:
    case 6: return Dword(static_cast<std::uint32_t>(random()));
    case 7: return Typed(kRegDword, RandomBytes(random, shortLength(random) % 9, false));
    case 8: return Typed(kRegQword, RandomBytes(random, 8, false));
    case 9: return Typed(kRegBinary, RandomBytes(random, shortLength(random), false));
    case 10: return Typed(kRegBinary, RandomBytes(random, 200 + shortLength(random) * 25, false));
    case 11: return Typed(kRegNone, RandomBytes(random, shortLength(random) % 5, false));
    case 12: return Typed(kRegDwordBigEndian, RandomBytes(random, 4, false));
    default:
      return Typed(0x100 + static_cast<std::uint32_t>(random() % 0xFFFF),
                   RandomBytes(random, 3, false));
  }
}

void FillRandom(std::mt19937& random, TreeKey& key, int& keysLeft, int maxValues, int depth,
                bool anyScript) {
  std::uniform_int_distribution<int> valueCount(0, maxValues);
  std::set<std::string> used;
  for (int i = valueCount(random); i > 0; --i) {
    std::string name = random() % 6 == 0 ? "" : RandomName(random, 24, false, anyScript);
    if (!used.insert(FoldedName(name)).second) continue;
    key.values[name] = RandomValue(random, anyScript);
  }
  std::set<std::string> usedKeys;
  while (keysLeft > 0) {
    if (depth > 0 && random() % 3 == 0) break;
    std::string name = RandomName(random, 20, true, anyScript);
    if (!usedKeys.insert(FoldedName(name)).second) continue;
    --keysLeft;
    FillRandom(random, key.subkeys[name], keysLeft, maxValues, depth + 1, anyScript);
    if (depth > 4) break;
  }
}

}  // namespace

TreeKey ReadTree(RegistryApi& api, RegKey root, const std::string& path) {
  TreeKey tree;
  RegKey key = 0;
  if (api.OpenKeyEx(root, path, kKeyRead, &key) != kErrorSuccess) {
    throw std::runtime_error("cannot open " + path);
  }
  ReadKey(api, key, tree);
  api.CloseKey(key);
  return tree;
}

std::string Difference(const TreeKey& expected, const TreeKey& actual) {
  return DifferenceAt("key", expected, actual);
}

TreeKey RandomTree(std::mt19937& random, int keys, int maxValuesPerKey, bool anyScript) {
  TreeKey tree;
  int left = keys;
  while (left > 0) FillRandom(random, tree, left, maxValuesPerKey, 0, anyScript);
  return tree;
}

std::unique_ptr<RegistryApi> MakeTestRegistry() {
#ifdef _WIN32
  return std::make_unique<Win32Registry>();
#else
  return std::make_unique<MemoryRegistry>();
#endif
}

bool OnRealRegistry() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

}  // namespace veltrane::testing
