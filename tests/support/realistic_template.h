// Generated templates that look like real ones: a page head with style and
// script, then blog posts in HTML with Persian text, each using every tag of
// the sample table, a menu loop, a text-list loop and the four media boxes.
// Used to measure the program and to test it on large inputs.
#pragma once

#include <cstddef>
#include <string>

// Windows-1256 bytes of a template of at least `min_bytes` bytes (it ends
// with a complete page, so it may be up to one post longer). Every tag in it
// is one the preview fills.
std::string RealisticTemplate(size_t min_bytes);
