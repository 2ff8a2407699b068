#pragma once
// The GFM examples, read at test time from the file cmark-gfm installs.

#include <string>
#include <vector>

namespace Markdown::Testing {

struct GfmExample {
    int number = 0;        // 1-based, in file order
    std::string markdown;  // with the file's tab arrows turned back into tabs
    std::string extension; // the word after "example", empty for core examples
    std::string section;   // the title of the last heading before the example
    std::string html;      // the expected HTML, tabs restored as in `markdown`
};

// Reads every example; throws std::runtime_error naming the file when it is missing or holds none.
std::vector<GfmExample> loadGfmExamples();

// The whole file the examples come from, as one Markdown text.
std::string loadGfmExamplesText();

} // namespace Markdown::Testing
