// Driving another process's windows as a user would: finding them, reading
// their texts, clicking them with real mouse input, reading and ticking the
// rows of its list views (through a buffer in that process). Their places
// and pictures come from screen.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scan/findings.h"
#include "tests/support/screen.h"

namespace veltrane::testing {

// WM_GETTEXT, answered within a few seconds or "".
std::string TextOf(HWND window);
// The descendant of `parent` with this control identifier, or null.
HWND ChildById(HWND parent, int id);
// A visible or hidden top-level window of process `pid` with this class
// (null for any) and exact title.
HWND FindTopLevel(DWORD pid, const char* className, const std::string& title);
// The same once it is visible, waiting for it up to 20 seconds; null when
// it does not show.
HWND WaitForWindow(DWORD pid, const char* className, const std::string& title);
std::vector<HWND> TopLevelWindows(DWORD pid, const std::string& title);

SIZE ClientSize(HWND window);

// Real mouse input: the pointer moves to the middle of `window` (or to
// `x`, `y` of its client area) and the left button goes down and up.
void Click(HWND window);
void ClickAt(HWND window, int x, int y);
// Moves the pointer to a screen point (real input).
void MovePointer(int x, int y);
// Real key input to the window in front: `key` goes down and up, with Shift
// held around it when `shift`.
void PressKey(WORD key, bool shift = false);
// The window that has the focus in the thread of `window`.
HWND FocusedWindow(HWND window);
// What a screen reader learns of `window` from this process: the role (a
// ROLE_SYSTEM_ value) and name of its accessible object, as
// AccessibleObjectFromWindow gives it; role 0 when there is none.
struct AccessibleFacts {
  long role = 0;
  std::string name;
};
AccessibleFacts AccessibleOf(HWND window);

// The file names of the modules loaded in `process`.
std::vector<std::string> ModulesOf(HANDLE process);

// Waits until `window`'s thread has handled what came before.
void Settle(HWND window);

// A list view of another process, read and ticked through a buffer in that
// process.
class RemoteListView {
 public:
  RemoteListView(HANDLE process, HWND list);
  ~RemoteListView();
  RemoteListView(const RemoteListView&) = delete;
  RemoteListView& operator=(const RemoteListView&) = delete;

  int Count() const;
  std::string Text(int item, int subItem) const;
  bool Checked(int item) const;
  // Through the list view's own state change, as a click on the box does.
  void SetChecked(int item, bool checked) const;
  // LVM_GETITEMRECT with LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL or LVIR_SELECTBOUNDS.
  RECT ItemRect(int item, int code) const;
  std::vector<Finding> Rows() const;
  std::vector<Column> Columns() const;

 private:
  // Copies `size` bytes to the buffer at `offset` and back.
  void Write(std::size_t offset, const void* data, std::size_t size) const;
  void Read(std::size_t offset, void* data, std::size_t size) const;
  char* Remote(std::size_t offset) const { return static_cast<char*>(buffer_) + offset; }

  HANDLE process_;
  HWND list_;
  void* buffer_ = nullptr;
};

}  // namespace veltrane::testing
