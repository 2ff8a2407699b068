// Round trip over the GFM examples: the printed form of a parsed example renders as the example itself, and
// printing is stable under a second parse. The printer is lossy by design in a few known ways; the examples
// that meet them are listed below by category, and an example leaving the list is reported too, so the list
// stays exact.
#include "GfmHarness/CmarkCli.h"
#include "GfmHarness/GfmExamples.h"

#include <Markdown/Markdown.h>
#include <Markdown/Parser/Parser.h>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace FormatterTest {
namespace {

using Markdown::Testing::cmarkGfmHtml;
using Markdown::Testing::GfmExample;
using Markdown::Testing::loadGfmExamples;
using namespace Markdown;

struct Loss {
    const char* category;
    std::set<int> examples;
};

// Categories whose printed form renders differently from the example.
const std::vector<Loss> renderingLosses = {
    {"ordered items are numbered by the numeral option, so start numbers and numbering change",
     {243, 245, 246, 249, 274, 275, 277, 282, 291, 293}},
    {"list tightness is not kept: blocks inside items are separated by blank lines, loose lists print tight",
     {9, 272, 278, 280, 286, 287, 294, 295, 297, 298, 299, 300, 301, 303}},
    {"text is not escaped: characters that were literal read back as Markdown",
     {19,  35,  36,  40,  46,  63,  163, 216, 292, 308, 310, 311, 322, 323, 333, 334, 335,
      336, 337, 359, 446, 449, 459, 462, 479, 502, 523, 537, 558, 601, 614, 639, 652}},
    {"a heading prints on one line, so the line breaks of a multi-line heading become spaces", {51, 52, 65}},
    {"empty lines at the start and end of a code block are not printed", {97, 99}},
};

// Categories whose printed form, parsed and printed again, changes.
const std::vector<Loss> reprintingLosses = {
    {"text is not escaped: literal characters become Markdown on the second reading",
     {19, 40, 46, 63, 163, 216, 292, 308, 310, 311, 323, 334, 336, 502, 558, 614, 652}},
};

std::map<int, std::string> byExample(const std::vector<Loss>& losses) {
    std::map<int, std::string> categories;
    for (const Loss& loss : losses) {
        for (const int example : loss.examples) {
            categories[example] = loss.category;
        }
    }
    return categories;
}

std::string printed(const std::string& markdown) {
    return Document::parsing(markdown).format(MarkupFormatter::Options::defaultOptions());
}

void expectAsListed(const std::map<int, std::string>& listed, const GfmExample& example, bool holds,
                    const std::string& detail) {
    const auto entry = listed.find(example.number);
    if (entry == listed.end() && !holds) {
        ADD_FAILURE() << "example " << example.number << " (" << example.section << ")\n" << detail;
    } else if (entry != listed.end() && holds) {
        ADD_FAILURE() << "example " << example.number << " holds now; take it off the list (" << entry->second
                      << ")";
    }
}

TEST(GfmRoundTrip, PrintedExamplesRenderAsTheExamples) {
    const std::map<int, std::string> listed = byExample(renderingLosses);
    for (const GfmExample& example : loadGfmExamples()) {
        const std::string once = printed(example.markdown);
        const std::string expected = cmarkGfmHtml(example.markdown);
        const std::string actual = cmarkGfmHtml(once);
        expectAsListed(listed, example, actual == expected,
                       "markdown:\n" + example.markdown + "printed:\n" + once + "\nrenders:\n" + actual +
                           "instead of:\n" + expected);
    }
}

TEST(GfmRoundTrip, PrintingIsStableUnderASecondReading) {
    const std::map<int, std::string> listed = byExample(reprintingLosses);
    for (const GfmExample& example : loadGfmExamples()) {
        const std::string once = printed(example.markdown);
        const std::string twice = printed(once);
        expectAsListed(listed, example, twice == once, "printed:\n" + once + "\nprinted again:\n" + twice);
    }
}

} // namespace
} // namespace FormatterTest
