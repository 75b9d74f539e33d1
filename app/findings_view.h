// TFindingsView: a report-style list view that shows one FindingsList.
// The list is the one owner of the rows; the view follows every change of
// it at once (it observes it), and a tick the user changes in the view is
// written back to the list at once, so the cleaner reads the ticks as the
// user left them.
//
// Ticks are kept as the items' state images (2 ticked, 1 not) also in a
// view without check boxes, where they are stored but not drawn.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "controls/handles.h"
#include "scan/findings.h"

namespace veltrane {

class TFindingsView final : public FindingsObserver {
 public:
  explicit TFindingsView(FindingsList& rows);
  ~TFindingsView() override;
  TFindingsView(const TFindingsView&) = delete;
  TFindingsView& operator=(const TFindingsView&) = delete;

  // Makes the list view (report view, column headers, captions not
  // editable, no sorting) and shows the list's columns and rows in it.
  // `checkBoxes` adds a check box to every row and whole-row selection.
  bool Create(HWND parent, int left, int top, int width, int height, int id, bool checkBoxes,
              bool border, bool visible);

  HWND Handle() const noexcept { return window_.get(); }
  FindingsList& Rows() noexcept { return rows_; }
  void SetFont(HFONT font);
  void SetVisible(bool visible);

  // The parent passes on every WM_NOTIFY; true when it was this view's.
  bool HandleNotify(const NMHDR& header);

  // FindingsObserver.
  void ColumnsReset() override;
  void RowAppended(int index) override;
  void RowRemoved(int index) override;
  void RowsReplaced() override;
  void RowChanged(int index) override;
  void RowSelected(int index) override;
  void Repaint() override;

 private:
  void InsertRow(int index);
  void SetItemTick(int index, bool checked);
  bool ItemTick(int index) const;

  FindingsList& rows_;
  UniqueWindow window_;
  // True while the view itself changes items: the notifications that
  // causes are not the user's.
  bool updating_ = false;
};

}  // namespace veltrane
