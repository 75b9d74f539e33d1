// Small .reg files in the forms the system's registry editor imports: line
// ends, blanks, comments, continuation lines, escapes, "@", deletions, the
// short dword and every hex(N). Each one builds and changes only the key
// it is given. The Wine test imports each with the editor and with our
// importer and compares; the native test checks that each is read whole.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/text.h"

namespace veltrane::testing {

struct EditorForm {
  enum Encoding { k8Bit, kUtf16 };
  const char* name;
  // "$" stands for the key's full name, "~" for its path below the root.
  std::string text;
  Encoding encoding = k8Bit;
  // What to hand Wine's editor so that it does what Windows' editor does
  // with `text`, where the two are known to differ.
  Encoding editorEncoding = encoding;
};

// The lines, each ended by CR LF.
inline std::string Crlf(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (const std::string_view line : lines) {
    text.append(line);
    text.append("\r\n");
  }
  return text;
}

// The file's bytes for the key `path` below HKEY_CURRENT_USER.
inline std::string FormBytes(const EditorForm& form, const std::string& path,
                             EditorForm::Encoding encoding) {
  const std::string text =
      Replaced(Replaced(form.text, "$", "HKEY_CURRENT_USER\\" + path), "~", path);
  if (encoding == EditorForm::k8Bit) return text;
  std::string bytes = "\xff\xfe";
  for (const char c : text) {
    // Windows-1252 to UTF-16: the forms use only the Latin-1 part and the euro sign.
    const char16_t unit = c == '\x80' ? u'\u20ac' : static_cast<unsigned char>(c);
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

inline std::vector<EditorForm> EditorForms() {
  constexpr auto kUtf16 = EditorForm::kUtf16;
  const std::string v5 = "Windows Registry Editor Version 5.00";
  return {
      // Line ends.
      {"crlf", Crlf({"REGEDIT4", "", "[$]", "\"a\"=\"b\""})},
      {"lf", "REGEDIT4\n\n[$]\n\"a\"=\"b\"\n\"d\"=dword:1\n"},
      {"cr", "REGEDIT4\r\r[$]\r\"a\"=\"b\"\r\"h\"=hex:01,\\\r  02\r"},
      {"mixed line ends", "REGEDIT4\n\r[$]\r\n\"a\"=\"b\"\r\"c\"=\"d\"\n\"e\"=\"f\"\r\r\n"},
      {"no last line end", "REGEDIT4\r\n[$]\r\n\"a\"=\"b\""},
      {"header alone", "REGEDIT4"},

      // The header.
      {"blanks before the header", Crlf({"   REGEDIT4", "[$]", "\"a\"=\"b\""})},
      {"tab before the header", Crlf({" \tREGEDIT4", "", "[$]", "\"a\"=\"b\""})},
      {"version 5", Crlf({v5, "", "[$]", "\"a\"=\"b\"", "\"d\"=dword:7"}), kUtf16},
      {"version 5 lf", "Windows Registry Editor Version 5.00\n[$]\n\"a\"=\"b\"\n", kUtf16},
      {"version 5 cr", "Windows Registry Editor Version 5.00\r[$]\r\"a\"=\"b\"\r", kUtf16},
      {"version 5 blanks before", Crlf({"\t " + v5, "[$]", "\"a\"=\"b\""}), kUtf16},
      // Windows' editor reads hex(2) and hex(7) of a Version 5.00 file as
      // UTF-16 whatever the file's encoding; Wine's reads them as 8-bit
      // text when the file is 8-bit, so it is given the UTF-16 file.
      {"version 5 as 8-bit text",
       Crlf({v5, "[$]", "\"a\"=\"\xe9\"", "\"e\"=hex(2):41,00,e9,00,00,00",
             "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00"}),
       EditorForm::k8Bit, kUtf16},

      // UTF-8 without a byte-order mark is 8-bit text to the editor, read in
      // the system's code page whatever the header.
      {"utf-8 without a byte-order mark",
       Crlf({"REGEDIT4", "[$\\\xd0\x98\xd0\xb2]", "\"\xd0\xb8\"=\"\xe6\x97\xa5 \xc3\xa9\""})},
      {"version 5 utf-8 without a byte-order mark",
       Crlf({v5, "[$\\\xd0\x98\xd0\xb2]", "\"\xd0\xb8\"=\"\xe6\x97\xa5 \xc3\xa9\""})},

      // Comments.
      {"line comments", Crlf({"REGEDIT4", "; one", "[$]", "  ; two", "\"a\"=\"b\"", ";"})},
      {"hash line comments", Crlf({"REGEDIT4", "# one", "[$]", "\t# two", "\"a\"=\"b\"", "#"})},
      {"comment after a text",
       Crlf({"REGEDIT4", "[$]", "\"a\"=\"b\" ; c", "\"c\"=\"d\";c", "\"e\"=\"f\"\t;\"x\"=[y]"})},
      {"comment after a dword",
       Crlf({"REGEDIT4", "[$]", "\"a\"=dword:1 ; c", "\"b\"=dword:00000002;c"})},
      {"comment after hex bytes",
       Crlf({"REGEDIT4", "[$]", "\"a\"=hex:01,02 ; c", "\"b\"=hex:01,02;c", "\"c\"=hex:01,02, ;c",
             "\"d\"=hex:01,;c", "\"e\"=hex: ; nothing"})},
      {"comment after a deletion", Crlf({"REGEDIT4", "[$]", "\"a\"=\"1\"", "@=\"2\"", "\"b\"=\"3\"",
                                         "\"a\"=- ; c", "@=-;c", "\"b\"=-\t;"})},
      {"comment after a key line",
       Crlf({"REGEDIT4", "[$] ; c", "\"a\"=\"b\"", "[$\\s];c", "\"c\"=\"d\""})},
      {"comment after a key deletion",
       Crlf({"REGEDIT4", "[$\\x]", "[$\\y]", "[$\\z]", "[-$\\x] ; c", "[-$\\y];c"})},
      {"comment after a continuation",
       Crlf({"REGEDIT4", "[$]", "\"a\"=hex:01,02,\\ ; c", "  03", "\"b\"=hex:01,\\;c", "02"})},
      {"comment lines in a continuation", Crlf({"REGEDIT4", "[$]", "\"a\"=hex:01,\\", "  ; c", ";c",
                                                "  02,\\", "  ; c", "  03", "\"z\"=\"after\""})},
      {"blank lines in a continuation",
       "REGEDIT4\r\n[$]\r\n\"a\"=hex:01,\\\r\n\r\n \t\r\n"
       "  02,\\\r\r\n03\r\n\"z\"=\"after\"\r\n"},
      {"comment on the last continuation line",
       Crlf({"REGEDIT4", "[$]", "\"a\"=hex:01,\\", "  02,03 ; end", "\"b\"=hex:01,\\", "  02, ;"})},
      {"comment characters inside quotes",
       Crlf({"REGEDIT4", "[$]", "\"c\"=\"semi;colon # hash\"", "\";x\"=\"y\"", "\"#x\"=\"y\""})},

      // Blanks and tabs.
      {"blanks around key lines",
       Crlf({"REGEDIT4", "  [$]  ", "\"a\"=\"b\"", "\t[$\\sub]\t", "\"c\"=\"d\""})},
      {"blanks around value parts", Crlf({"REGEDIT4", "[$]", "  \"a\"  =  \"b\"  ",
                                          "\t@\t=\t\"d\"\t", "\"e\" =dword:1 ", "\"f\"= hex:01 "})},
      {"blank after dword:", Crlf({"REGEDIT4", "[$]", "\"a\"=dword: 1", "\"b\"=dword:\t2"})},
      {"blanks before hex bytes", Crlf({"REGEDIT4", "[$]", "\"a\"=hex: 01,02", "\"b\"=hex:01, 02",
                                        "\"c\"=hex:01,\t02", "\"d\"=hex(2):\t41, 00"})},
      {"blanks around a continuation",
       Crlf({"REGEDIT4", "[$]", "\"a\"=hex:01, \\  ", "\t 02, \\", "03"})},
      {"blank lines throughout", Crlf({"REGEDIT4", "", "\t", "[$]", "   ", "\"a\"=\"b\"", ""})},

      // Escapes, names and "@".
      {"escapes in texts", Crlf({"REGEDIT4", "[$]", "\"a\"=\"x\\\\y\\\"z\"",
                                 "\"b\"=\"C:\\\\dir\\\\\"", "\"c\"=\"\\\"\""})},
      {"line break escapes", Crlf({"REGEDIT4", "[$]", "\"l\\nm\\rn\"=\"l\\nm\\rn\\r\\n\""})},
      {"escapes in names", Crlf({"REGEDIT4", "[$]", "\"a\\\\b\\\"c\"=\"x\"", "\"\\\\\"=\"y\""})},
      {"key names are not escaped", Crlf({"REGEDIT4", "[$\\a\"b\\c=d;e]", "\"z\"=\"1\"", "[$\\a]b]",
                                          "\"y\"=\"2\"", "[$\\x ; y]"})},
      {"high bytes", Crlf({"REGEDIT4", "[$\\\xe9\x80]", "\"\xe9\"=\"\x80\xff\"", "@=\"\xe0\""})},
      {"version 5 non-ascii",
       Crlf({v5, "[$\\\xe9]", "\"\xe9\"=\"\xe9\xff\x80\"", "\"e\"=hex(2):ac,20,e9,00,00,00"}),
       kUtf16},
      {"default value", Crlf({"REGEDIT4", "[$]", "@=\"d\"", "[$\\s]", "\"\"=\"e\""})},
      {"at sign as a name", Crlf({"REGEDIT4", "[$]", "\"@\"=\"at\"", "@=\"default\""})},
      {"equals sign in names", Crlf({"REGEDIT4", "[$]", "\"a=b\"=\"c=d\"", "\"=\"=\"=\""})},
      {"empty text", Crlf({"REGEDIT4", "[$]", "\"a\"=\"\"", "@=\"\""})},
      {"later value wins", Crlf({"REGEDIT4", "[$]", "\"a\"=\"1\"", "\"a\"=dword:2", "\"A\"=hex:03",
                                 "@=\"x\"", "@=\"y\""})},
      {"key named again",
       Crlf({"REGEDIT4", "[$]", "\"a\"=\"1\"", "[$\\s]", "\"b\"=\"2\"", "[$]", "\"c\"=\"3\""})},

      // Key lines.
      {"doubled and trailing backslashes", Crlf({"REGEDIT4", "[$\\\\x\\\\]", "\"c\"=\"d\""})},
      {"root name in lower case",
       Crlf({"REGEDIT4", "[$]", "[hkey_current_user\\~\\s]", "\"c\"=\"d\""})},
      {"trailing blank in a key name", Crlf({"REGEDIT4", "[$\\x ]", "\"c\"=\"d\""})},

      // Deletions.
      {"key deletion",
       Crlf({"REGEDIT4", "[$\\x\\y]", "\"a\"=\"b\"", "[$\\z]", "[-$\\x]", "[-$\\never]"})},
      {"key deletion then the key again",
       Crlf({"REGEDIT4", "[$\\x]", "\"a\"=\"b\"", "[-$\\x]", "[$\\x]", "\"c\"=\"d\""})},
      {"key deletion with blanks and backslashes",
       Crlf({"REGEDIT4", "[$\\x]", "[$\\y]", "  [-$\\x]  ", "[-$\\\\y\\\\]"})},
      {"value deletions", Crlf({"REGEDIT4", "[$]", "\"a\"=\"b\"", "@=\"c\"", "\"d\"=\"e\"",
                                "\"a\"=-", "@ = -", "\"d\"= - ", "\"never\"=-"})},

      // dword.
      {"short dwords", Crlf({"REGEDIT4", "[$]", "\"a\"=dword:1", "\"b\"=dword:abc",
                             "\"c\"=dword:0000000", "\"d\"=dword:1234567", "\"e\"=dword:0"})},
      {"dword digits in either case", Crlf({"REGEDIT4", "[$]", "\"a\"=dword:fFfFfFfF",
                                            "\"b\"=dword:ABCDEF01", "\"c\"=dword:8000001f"})},

      // hex and hex(N).
      {"empty hex", Crlf({"REGEDIT4", "[$]", "\"a\"=hex:", "\"b\"=hex(0):", "\"c\"=hex(2):"})},
      {"one-digit bytes", Crlf({"REGEDIT4", "[$]", "\"a\"=hex:1,2,a,F", "\"b\"=hex(2):41,0"})},
      {"trailing comma", Crlf({"REGEDIT4", "[$]", "\"a\"=hex:01,02,", "\"b\"=hex(b):01,"})},
      {"continued bytes",
       Crlf({"REGEDIT4", "[$]", "\"a\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,\\",
             "11,12,\\", "  13,14", "\"b\"=hex(7):61,00,\\", "  62,00,00"})},
      {"continued right after the colon",
       Crlf({"REGEDIT4", "[$]", "\"a\"=hex:\\", "  01,02", "\"b\"=hex(2):\\", " 41,00"})},
      {"every type from 0 to b",
       Crlf({"REGEDIT4", "[$]", "\"0\"=hex(0):01", "\"1\"=hex(1):41,42,00",
             "\"2\"=hex(2):25,41,25,00", "\"3\"=hex(3):01", "\"4\"=hex(4):01,00,00,00",
             "\"5\"=hex(5):00,00,00,01", "\"6\"=hex(6):41", "\"7\"=hex(7):61,00,62,00,00",
             "\"8\"=hex(8):01", "\"9\"=hex(9):01", "\"a\"=hex(a):01",
             "\"b\"=hex(b):01,02,03,04,05,06,07,08"})},
      {"large and padded types",
       Crlf({"REGEDIT4", "[$]", "\"a\"=hex(100):02", "\"b\"=hex(7fff1234):01",
             "\"c\"=hex(ffffffff):01", "\"d\"=hex(02):41,00", "\"e\"=hex(0000000B):01,02",
             "\"f\"=hex(B):03"})},
      {"dword of other than four bytes",
       Crlf({"REGEDIT4", "[$]", "\"a\"=hex(4):01", "\"b\"=hex(4):"})},
      {"8-bit text types in REGEDIT4", Crlf({"REGEDIT4", "[$]", "\"e\"=hex(2):25,e9,80,25,00",
                                             "\"m\"=hex(7):e9,00,80,00,00", "\"s\"=hex(1):ff,00"})},
      {"UTF-16 text types in version 5",
       Crlf({v5, "[$]", "\"e\"=hex(2):25,00,ac,20,25,00,00,00", "\"m\"=hex(7):e9,00,00,00,00,00",
             "\"s\"=hex(1):41,00,00,00", "\"b\"=hex:e9,00"}),
       kUtf16},
  };
}

}  // namespace veltrane::testing
