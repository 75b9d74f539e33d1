#include "cli/console_host.h"

#include "cli/row_format.h"

namespace veltrane::cli {

void ConsoleHost::SetStatus(const std::string& text) {
  status_ = text;
  // The checks set the position, then the text of the entry at it.
  if (moved_ && position_ < maximum_) {
    progress_ << '[' << position_ + 1 << '/' << maximum_ << "] " << EscapeControls(text) << '\n';
  }
  moved_ = false;
}

void ConsoleHost::SetProgressPosition(int position) {
  if (position < 0) return;  // the bar's minimum
  moved_ = moved_ || position != position_;
  position_ = position;
}

void ConsoleHost::SetProgressMax(int maximum) {
  if (maximum < 0) return;
  moved_ = true;  // a new check begins: its first entry is worth a line
  maximum_ = maximum;
}

}  // namespace veltrane::cli
