#pragma once

// The GFM examples and their reference rendering by the cmark-gfm command, for tests that compare what our
// printer writes with what cmark-gfm reads.

#include <string>
#include <string_view>
#include <vector>

namespace FormatterTest {

struct GfmExample {
    int number = 0;
    std::string section;
    /// The extension the example is written for ("table", "strikethrough", ...), empty for plain CommonMark.
    std::string extension;
    std::string markdown;
    std::string html;
};

/// The whole GFM examples file shipped with cmark-gfm: prose and examples, itself a Markdown document.
std::string gfmExamplesText();

/// Every example of the GFM examples file shipped with cmark-gfm, in order, with "→" read as a tab.
std::vector<GfmExample> loadGfmExamples();

/// The HTML that `cmark-gfm --smart -e table -e strikethrough -e tasklist` renders for `markdown`. The
/// command runs as a child process without a shell; a failure to run it throws std::runtime_error.
std::string renderWithCmarkGfm(std::string_view markdown);

} // namespace FormatterTest
