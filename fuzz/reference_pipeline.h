// The preview built the plain way: one ReplaceAll per row over the whole
// page, loops found with ordinary searches. Slow, but obviously right; the
// fuzz targets compare the program's stages with it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/build_preview.h"
#include "preview/loop.h"

std::u16string ReferenceSampleTable(std::u16string_view page);
std::optional<std::u16string> ReferenceExpandLoop(std::u16string_view page,
                                                  const LoopDescription& loop);
PreviewOutcome ReferencePreview(std::string_view template_bytes);
