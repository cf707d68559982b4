#include "message_box_probe-win32.h"

#include <tlhelp32.h>

#include <cstdint>
#include <cwctype>

namespace {

// Every call into the other process is bounded, so a hung box fails the
// test instead of hanging it.
constexpr UINT kCallTimeoutMs = 10000;

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  const int n = GetClassNameW(window, name, 256);
  return std::wstring(name, n > 0 ? n : 0);
}

// For a window of another process this reads the caption the system keeps,
// without waiting on that process.
std::wstring TitleOf(HWND window) {
  wchar_t title[512] = {};
  const int n = GetWindowTextW(window, title, 512);
  return std::wstring(title, n > 0 ? n : 0);
}

// A control's text comes from its own process: GetWindowText would only
// give the caption of a window of another process.
std::wstring ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                           kCallTimeoutMs, &length))
    return L"<no answer>";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(),
                           reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kCallTimeoutMs, &copied))
    return L"<no answer>";
  text.resize(copied);
  return text;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM found) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

std::vector<HWND> VisibleTopLevelWindows(DWORD process_id) {
  struct Search {
    DWORD process_id;
    std::vector<HWND> windows;
  } search{process_id, {}};
  EnumWindows(
      [](HWND window, LPARAM param) {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->process_id && IsWindowVisible(window))
          s->windows.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

// 32-bit pixels (0x00RRGGBB) of a device context's rectangle, or of an icon
// drawn on a plain background when `icon` is given.
std::vector<uint32_t> Pixels(HDC source, const RECT& area, HICON icon,
                             uint32_t background) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap =
      CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  if (icon) {
    HBRUSH brush = CreateSolidBrush(RGB((background >> 16) & 0xFF,
                                        (background >> 8) & 0xFF,
                                        background & 0xFF));
    const RECT all = {0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    // One pixel of background on every side, as in the capture.
    DrawIconEx(memory, 1, 1, icon, width - 2, height - 2, 0, nullptr,
               DI_NORMAL);
  } else {
    BitBlt(memory, 0, 0, width, height, source, area.left, area.top, SRCCOPY);
  }
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                               static_cast<const uint32_t*>(bits) +
                                   static_cast<size_t>(width) * height);
  for (uint32_t& p : pixels) p &= 0x00FFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return pixels;
}

// Which standard icon the icon control shows, told by its pixels on the
// screen: an icon of another process cannot be asked for its image. The
// box may still be painting, so this looks again until the picture settles
// on one of the two icons or the time is up.
SeenIcon IconShownBy(HWND control) {
  RECT area;
  GetWindowRect(control, &area);
  InflateRect(&area, 1, 1);
  HICON error = LoadIconW(nullptr, IDI_ERROR);
  HICON information = LoadIconW(nullptr, IDI_INFORMATION);
  const ULONGLONG deadline = GetTickCount64() + kCallTimeoutMs;
  do {
    // Its thread answering means the box is up; its painting may still
    // lag behind, hence the looking again.
    DWORD_PTR ignored;
    SendMessageTimeoutW(control, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                        kCallTimeoutMs, &ignored);
    HDC screen = GetDC(nullptr);
    const std::vector<uint32_t> shown = Pixels(screen, area, nullptr, 0);
    ReleaseDC(nullptr, screen);
    const uint32_t background = shown.front();
    if (shown == Pixels(nullptr, area, error, background))
      return SeenIcon::kError;
    if (shown == Pixels(nullptr, area, information, background))
      return SeenIcon::kInformation;
    Sleep(50);
  } while (GetTickCount64() < deadline);
  return SeenIcon::kOther;
}

// Version 6 lives in the side-by-side store, not in the system directory,
// and is loaded only when the program's manifest asks for it.
bool LoadsCommonControls6(DWORD process_id) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process_id);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  MODULEENTRY32W module = {};
  module.dwSize = sizeof module;
  for (BOOL more = Module32FirstW(snapshot, &module); more && !found;
       more = Module32NextW(snapshot, &module)) {
    std::wstring path = module.szExePath;
    for (wchar_t& c : path) c = static_cast<wchar_t>(std::towlower(c));
    found = path.ends_with(L"\\comctl32.dll") &&
            path.find(L"microsoft.windows.common-controls") !=
                std::wstring::npos;
  }
  CloseHandle(snapshot);
  return found;
}

}  // namespace

HWND WaitForMessageBox(HANDLE process, DWORD process_id,
                       const std::wstring& title, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    for (HWND window : VisibleTopLevelWindows(process_id))
      if (TitleOf(window) == title) return window;
    if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return nullptr;
    if (GetTickCount64() >= deadline) return nullptr;
  }
}

SeenMessageBox ReadMessageBox(HWND box, DWORD process_id) {
  SeenMessageBox seen;
  seen.window_class = ClassOf(box);
  seen.title = TitleOf(box);
  const LONG_PTR box_ex_style = GetWindowLongPtrW(box, GWL_EXSTYLE);
  seen.right_to_left =
      (box_ex_style & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL | WS_EX_RIGHT)) != 0;
  seen.visual_styles = LoadsCommonControls6(process_id);
  seen.other_windows =
      static_cast<int>(VisibleTopLevelWindows(process_id).size()) - 1;
  GetWindowRect(box, &seen.frame);
  if (HWND ok = GetDlgItem(box, IDOK)) GetWindowRect(ok, &seen.ok_button);

  // The text control has the id 0xFFFF in the standard message box.
  HWND text = GetDlgItem(box, 0xFFFF);
  if (text) {
    seen.text = ControlText(text);
    const LONG_PTR style = GetWindowLongPtrW(text, GWL_STYLE);
    const LONG_PTR ex_style = GetWindowLongPtrW(text, GWL_EXSTYLE);
    if ((style & SS_TYPEMASK) == SS_RIGHT ||
        (ex_style & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL | WS_EX_RIGHT)) != 0)
      seen.right_to_left = true;
  } else {
    seen.text = L"<no text control>";
  }

  for (HWND child : Children(box)) {
    if (!IsWindowVisible(child)) continue;
    const std::wstring kind = ClassOf(child);
    if (_wcsicmp(kind.c_str(), L"Button") == 0) {
      seen.buttons.push_back(GetDlgCtrlID(child));
    } else if (_wcsicmp(kind.c_str(), L"Static") == 0 &&
               (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      seen.icon = IconShownBy(child);
    }
  }
  return seen;
}

bool PressOk(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  if (!ok || !IsWindowVisible(ok)) return false;
  // Posted, so that the box closing cannot keep this process waiting.
  return PostMessageW(ok, BM_CLICK, 0, 0) != 0;
}
