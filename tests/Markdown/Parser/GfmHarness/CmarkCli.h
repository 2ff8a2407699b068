#pragma once
// Runs the stock cmark-gfm command as a child process (no shell).

#include <string>
#include <string_view>

namespace Markdown::Testing {

// The XML that `cmark-gfm -t xml --sourcepos --smart -e table -e strikethrough -e tasklist` prints for
// `markdown`. Throws std::runtime_error when the command cannot be run or fails.
std::string cmarkGfmXml(std::string_view markdown);

// The HTML that `cmark-gfm --smart -e table -e strikethrough -e tasklist` renders for `markdown`.
// Throws std::runtime_error when the command cannot be run or fails.
std::string cmarkGfmHtml(std::string_view markdown);

} // namespace Markdown::Testing
