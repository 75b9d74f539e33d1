// TFindingsView: a report-style list view that shows one FindingsList.
// The list is the one owner of the rows; the view follows every change of
// it at once (it observes it), and a tick the user changes in the view is
// written back to the list at once, so the cleaner reads the ticks as the
// user left them.
//
// Ticks are kept as the items' state images (2 ticked, 1 not) also in a
// view without check boxes, where they are stored but not drawn.
//
// Rows a scan appends go in at once, but the list view does not redraw for
// each: it would update its scroll bars for every row, a round trip to the
// X server under Wine. It stops redrawing at the first appended row and
// shows them all at the next repaint that the owner lets through
// (OnRepaintWanted, ShowNow). A hidden view (lv2) takes a new set of rows
// only when something first looks at it. Anything that reaches the list
// view meanwhile (a paint, the mouse, a reader, a change of rows) brings
// it up to date first.
//
// Column widths are given for 96 dpi and shown scaled to the view's dpi. A
// screen reader meets the view as a list named by its window text.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <functional>

#include "controls/handles.h"
#include "controls/scale.h"
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
  // Scales the columns' widths, as the user left them, from the view's
  // dpi to `dpi`; before Create, sets the dpi the columns are made for.
  void SetDpi(int dpi);

  // The parent passes on every WM_NOTIFY; true when it was this view's.
  bool HandleNotify(const NMHDR& header);

  // Called when the list asks for a repaint; the owner calls ShowNow when
  // it sees fit. Without it, the repaint happens at once.
  std::function<void()> OnRepaintWanted;
  // True while a repaint is wanted and has not happened.
  bool RepaintPending() const noexcept { return repaintWanted_; }
  // Shows the rows appended since the last repaint and repaints now.
  void ShowNow();

  // FindingsObserver.
  void ColumnsReset() override;
  void RowAppended(int index) override;
  void RowRemoved(int index) override;
  void RowsReplaced() override;
  void RowChanged(int index) override;
  void RowSelected(int index) override;
  void Repaint() override;

 private:
  static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void InsertRow(int index);
  void SetItemTick(int index, bool checked);
  bool ItemTick(int index) const;
  // The list view's own visible style (its parents aside).
  bool Visible() const;
  // A stale view is filled from the list, which then holds the change
  // being reported: true when it was.
  bool CatchUp();
  void Fill();
  // Stops the list view's redrawing until Resume, remembering `index` as
  // the first row it has not shown.
  void Suspend(int index);
  // Redraws from now on; the whole list, or (`onlyNewRows`) the appended
  // rows alone when nothing else waits to be painted.
  void Resume(bool onlyNewRows = false);

  FindingsList& rows_;
  UniqueWindow window_;
  WNDPROC listProc_ = nullptr;  // the list view's own window procedure
  // True while the view itself changes items: the notifications that
  // causes are not the user's.
  bool updating_ = false;
  bool stale_ = false;  // hidden, and the rows changed since it was filled
  bool suspended_ = false;
  int firstUnshown_ = 0;
  bool repaintWanted_ = false;
  int dpi_ = kDefaultDpi;
};

}  // namespace veltrane
