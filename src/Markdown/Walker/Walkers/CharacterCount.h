#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Markdown {

/// The number of user-perceived characters (extended grapheme clusters) in UTF-8 `text`.
std::int64_t characterCount(std::string_view text);

/// The number of bytes taken by the last `count` user-perceived characters of UTF-8 `text` (all of it when
/// it holds fewer).
std::size_t byteLengthOfLastCharacters(std::string_view text, std::int64_t count);

} // namespace Markdown
