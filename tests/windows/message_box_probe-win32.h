// Test side: finds the message box that another process shows, reads it as
// a user sees it and presses its OK button.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

enum class SeenIcon { kNone, kError, kInformation, kOther };

struct SeenMessageBox {
  std::wstring window_class;
  std::wstring title;
  std::wstring text;
  SeenIcon icon = SeenIcon::kNone;
  std::vector<int> buttons;  // ids of the visible buttons
  // Any right-to-left reading, mirroring or right alignment on the box or
  // its text.
  bool right_to_left = false;
  // Version 6 of the common controls is loaded: the box has visual styles.
  bool visual_styles = false;
  int other_windows = 0;  // visible top-level windows of the process besides
  RECT frame = {};       // the box on the screen
  RECT ok_button = {};   // its OK button on the screen
};

// Waits for a visible top-level window titled `title` owned by the process.
// Returns nullptr when the process ends first or `timeout_ms` passes.
HWND WaitForMessageBox(HANDLE process, DWORD process_id,
                       const std::wstring& title, DWORD timeout_ms);

SeenMessageBox ReadMessageBox(HWND box, DWORD process_id);

// Clicks the box's OK button; false when it has none.
bool PressOk(HWND box);
