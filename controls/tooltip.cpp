#include "controls/tooltip.h"

#include <commctrl.h>

namespace veltrane {
namespace {

void InitTooltipClass() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)done;
}

TTTOOLINFOA ToolInfo(HWND tool, const std::string& text) {
  TTTOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V2_SIZE;  // understood by every comctl32
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(tool) ? GetParent(tool) : tool;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = const_cast<char*>(text.c_str());
  return info;
}

}  // namespace

bool Tooltip::Set(HWND tool, const std::string& text) {
  text_ = text;
  if (!tool) return true;
  if (text.empty()) {
    tip_.reset();
    return true;
  }
  TTTOOLINFOA info = ToolInfo(tool, text_);
  if (!tip_) {
    InitTooltipClass();
    tip_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, tool, nullptr,
                               GetModuleHandleA(nullptr), nullptr));
    if (!tip_) return false;
    return SendMessageA(tip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
  }
  SendMessageA(tip_.get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  return true;
}

}  // namespace veltrane
