#pragma once
// User-perceived characters (extended grapheme clusters) over UTF-8 text.

#include <cstddef>
#include <string_view>

namespace Markdown::Graphemes {

// The byte offset just past the character that starts at `offset` (`offset` < text.size()).
std::size_t nextBoundary(std::string_view text, std::size_t offset);

// The byte length of the first `count` characters of `text` (all of it when it has fewer); `taken`
// receives how many characters that is.
std::size_t prefixLength(std::string_view text, std::size_t count, std::size_t& taken);

} // namespace Markdown::Graphemes
