// Windows: the message box.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "app/platform.h"

void ShowMessage(std::u16string_view text, std::u16string_view title,
                 MessageIcon icon) {
  // Left to right, OK only: the texts carry their own direction marks.
  const UINT style =
      MB_OK | (icon == MessageIcon::kError ? MB_ICONERROR : MB_ICONINFORMATION);
  const std::wstring wide_text(text.begin(), text.end());
  const std::wstring wide_title(title.begin(), title.end());
  MessageBoxW(nullptr, wide_text.c_str(), wide_title.c_str(), style);
}
