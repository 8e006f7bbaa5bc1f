#include "toolkit/helpers.h"

#include <windows.h>

int32_t ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}

TColor ResolveColor(TColor color) {
  if (color & kSystemColorFlag) return GetSysColor(static_cast<int>(color & 0xFFu));
  return color;
}
