// The findings list: the one owner of the rows that the checks add, the
// user ticks and the cleaner reads. A window shows a list by observing it;
// a tick the user changes is written back here at once.
#pragma once

#include <string>
#include <vector>

namespace veltrane {

struct Finding {
  std::string CleanDetails;
  std::string ValueName;
  std::string ValueData;
  std::string RegistryLocation;
  bool Checked = true;
  // Not shown. Set when ValueName reads "(Default)" because that is the
  // value's own name: the row is about that value, not about the key's
  // unnamed value, which the same text stands for otherwise.
  bool ValueNameIsLiteral = false;
};

bool operator==(const Finding& a, const Finding& b);

// The category texts: the cleaner chooses its action by them, byte for byte.
inline constexpr const char* kCategoryMissingPath = "Directory or File Path Not Exist";
inline constexpr const char* kCategoryEmptyExtension = "Extension key contains no data";
inline constexpr const char* kCategoryTypedUrl = "Entry typed into Internet Explorer";
inline constexpr const char* kCategoryRunMru = "Entry types into Run on the Start Menu";
inline constexpr const char* kCategoryRecentDocs = "Index files in recent documents";

// How a row shows a key's unnamed value; the cleaner empties that value
// rather than deleting it.
inline constexpr const char* kUnnamedValueText = "(Default)";

struct Column {
  std::string caption;
  int width;
};

// "Clean Details" 200, "Value Name" 150, "Value Data" 200, "Registry Location" 300.
const std::vector<Column>& FindingColumns();

// What a view of the list hears. Every call comes after the change.
class FindingsObserver {
 public:
  virtual ~FindingsObserver() = default;
  virtual void ColumnsReset() = 0;
  virtual void RowAppended(int index) = 0;
  virtual void RowRemoved(int index) = 0;
  virtual void RowsReplaced() = 0;  // everything may have changed
  virtual void RowChanged(int index) = 0;
  virtual void RowSelected(int index) = 0;
  virtual void Repaint() = 0;
};

class FindingsList {
 public:
  void SetObserver(FindingsObserver* observer) { observer_ = observer; }

  int Count() const { return static_cast<int>(rows_.size()); }
  const Finding& Row(int index) const { return rows_.at(index); }
  const std::vector<Finding>& Rows() const { return rows_; }
  const std::vector<Column>& Columns() const { return columns_; }
  int Selected() const { return selected_; }

  // Removes every column, then adds the four of FindingColumns().
  void CreateColumns();
  // Empties the list and scrolls it to its top; the columns stay.
  void Clear();
  // Appends a ticked row (the checks add rows only through this).
  void Append(Finding row);
  void Remove(int index);
  // Replaces all rows by copies of `rows`, ticks included.
  void Assign(const std::vector<Finding>& rows);
  void SetChecked(int index, bool checked);
  void Select(int index);
  void Repaint();

 private:
  std::vector<Finding> rows_;
  std::vector<Column> columns_;
  int selected_ = -1;
  FindingsObserver* observer_ = nullptr;
};

}  // namespace veltrane
