// Every file of the editor forms table, imported by the system's registry
// editor into one key and by veltrane-cli into its twin, leaves the same
// tree behind.
#include <gtest/gtest.h>

#include "clean/reg_export.h"
#include "tests/clean/editor_forms.h"
#include "tests/support/files.h"
#include "tests/support/registry_seed.h"
#include "tests/support/run_program.h"
#include "tests/support/throwaway.h"
#include "tests/support/tree.h"

namespace veltrane::testing {
namespace {

TEST(EditorFormsOnWine, OurImportLeavesWhatTheEditorLeaves) {
  const auto api = MakeTestRegistry();
  const ThrowawayKey base(*api, "editor-forms");
  const TempFolder folder("veltrane-forms");
  const std::vector<EditorForm> forms = EditorForms();
  const auto keyOf = [&](const EditorForm& form, const char* side) {
    return base.Path() + "\\" + side + "\\" + form.name;
  };
  for (std::size_t i = 0; i < forms.size(); ++i) {
    const EditorForm& form = forms[i];
    const std::string editorFile = folder.Path() + "editor" + std::to_string(i) + ".reg";
    const std::string ourFile = folder.Path() + "ours" + std::to_string(i) + ".reg";
    WriteFile(editorFile, FormBytes(form, keyOf(form, "A"), form.editorEncoding));
    WriteFile(ourFile, FormBytes(form, keyOf(form, "B"), form.encoding));
    ASSERT_EQ(RunProgram("regedit.exe /s \"" + editorFile + "\""), 0) << form.name;
    std::string out, err;
    EXPECT_EQ(RunProgram("\"" + WindowsPath(VELTRANE_CLI_EXE) + "\" import \"" + ourFile + "\"",
                         out, err),
              0)
        << form.name << ": " << err;
  }
  for (const EditorForm& form : forms) {
    SCOPED_TRACE(form.name);
    const std::string editor = ExportKeyToText(*api, kHkeyCurrentUser, keyOf(form, "A"));
    const std::string ours = ExportKeyToText(*api, kHkeyCurrentUser, keyOf(form, "B"));
    EXPECT_EQ(Replaced(ours, keyOf(form, "B"), keyOf(form, "A")), editor);
  }
}

// Both editors refuse a file that begins with UTF-8's byte-order mark,
// whatever its header; ours says what the file is and what to do.
TEST(EditorFormsOnWine, BothRefuseUtf8WithAByteOrderMark) {
  const auto api = MakeTestRegistry();
  const ThrowawayKey base(*api, "editor-utf8");
  const TempFolder folder("veltrane-forms-utf8");
  RegistrySeed seed(*api);
  for (const std::string header : {"REGEDIT4", "Windows Registry Editor Version 5.00"}) {
    SCOPED_TRACE(header);
    const std::string text = "\xef\xbb\xbf" + header + "\r\n\r\n[HKEY_CURRENT_USER\\" +
                             base.Path() + "\\\xd0\x98]\r\n\"a\"=\"\xe6\x97\xa5\"\r\n";
    const std::string file = folder.Path() + "utf8.reg";
    WriteFile(file, text);
    ASSERT_EQ(RunProgram("regedit.exe /s \"" + file + "\""), 0);
    EXPECT_FALSE(seed.Exists(base.Path() + "\\\xd0\x98"));
    std::string out, err;
    EXPECT_EQ(
        RunProgram("\"" + WindowsPath(VELTRANE_CLI_EXE) + "\" import \"" + file + "\"", out, err),
        1);
    EXPECT_NE(err.find("the file is UTF-8 text; save it as UTF-16 LE"), std::string::npos) << err;
    EXPECT_FALSE(seed.Exists(base.Path() + "\\\xd0\x98"));
  }
}

}  // namespace
}  // namespace veltrane::testing
