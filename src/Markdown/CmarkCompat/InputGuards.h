#pragma once
// Checks made on the text before cmark-gfm sees it.

#include <string>
#include <string_view>

namespace Markdown::CmarkCompat {

// Whether `text` holds an ill-formed UTF-8 sequence.
bool hasInvalidUtf8(std::string_view text);

// Returns `text` with every ill-formed UTF-8 sequence (each maximal invalid subpart) replaced by
// U+FFFD; `replacements` receives their number.
std::string replaceInvalidUtf8(std::string_view text, int& replacements);

// Whether the stock table extension would be too slow on `text` (see kMaxTableColumns and the bounds
// after it).
bool tableCostExceedsBound(std::string_view text);

} // namespace Markdown::CmarkCompat
