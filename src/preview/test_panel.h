// The floating panel and script appended to every preview. The panel calls
// the template's own ld(view, 7) to switch between its seven views and shows
// a sample server message; the script fills the areas of the full views.
#pragma once

#include <string>

#include "preview/page_text.h"

// The panel followed by the script, exactly as appended.
std::u16string TestPanelText();

// page + panel + script, nothing between; kTooLarge past `limit` bytes.
StageResult AppendTestPanel(PageText page, size_t limit = kMaxPageBytes);
