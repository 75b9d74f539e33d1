#include "scan/findings.h"

namespace veltrane {

bool operator==(const Finding& a, const Finding& b) {
  return a.CleanDetails == b.CleanDetails && a.ValueName == b.ValueName &&
         a.ValueData == b.ValueData && a.RegistryLocation == b.RegistryLocation &&
         a.Checked == b.Checked && a.ValueNameIsLiteral == b.ValueNameIsLiteral;
}

const std::vector<Column>& FindingColumns() {
  static const std::vector<Column> columns = {
      {"Clean Details", 200}, {"Value Name", 150}, {"Value Data", 200}, {"Registry Location", 300}};
  return columns;
}

void FindingsList::CreateColumns() {
  columns_ = FindingColumns();
  if (observer_) observer_->ColumnsReset();
}

void FindingsList::Clear() {
  rows_.clear();
  selected_ = -1;
  if (observer_) observer_->RowsReplaced();
}

void FindingsList::Append(Finding row) {
  rows_.push_back(std::move(row));
  if (observer_) observer_->RowAppended(Count() - 1);
}

void FindingsList::Remove(int index) {
  if (index < 0 || index >= Count()) return;
  rows_.erase(rows_.begin() + index);
  if (selected_ == index) selected_ = -1;
  if (selected_ > index) --selected_;
  if (observer_) observer_->RowRemoved(index);
}

void FindingsList::Assign(const std::vector<Finding>& rows) {
  rows_ = rows;
  selected_ = -1;
  if (observer_) observer_->RowsReplaced();
}

void FindingsList::SetChecked(int index, bool checked) {
  if (index < 0 || index >= Count() || rows_[index].Checked == checked) return;
  rows_[index].Checked = checked;
  if (observer_) observer_->RowChanged(index);
}

void FindingsList::Select(int index) {
  if (index < -1 || index >= Count()) return;
  selected_ = index;
  if (observer_) observer_->RowSelected(index);
}

void FindingsList::Repaint() {
  if (observer_) observer_->Repaint();
}

}  // namespace veltrane
