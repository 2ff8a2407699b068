#include "GfmHarness/CmarkCli.h"
#include "GfmHarness/GfmExamples.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Markdown::Testing {
namespace {

TEST(GfmHarness, ExamplesAreReadWithTheirSectionsExtensionsAndTabs) {
    const std::vector<GfmExample> examples = loadGfmExamples();
    ASSERT_GT(examples.size(), 600u);
    EXPECT_EQ(examples.front().number, 1);
    EXPECT_EQ(examples.front().section, "Tabs");
    EXPECT_EQ(examples.front().markdown, "\tfoo\tbaz\t\tbim\n");
    EXPECT_EQ(examples.front().html, "<pre><code>foo\tbaz\t\tbim\n</code></pre>\n");
    EXPECT_TRUE(std::any_of(examples.begin(), examples.end(), [](const GfmExample& e) {
        return e.extension == "table" && e.markdown.starts_with("| foo | bar |");
    }));
}

TEST(GfmHarness, CmarkGfmRendersHtmlWithTheExtensionsOn) {
    EXPECT_EQ(cmarkGfmHtml(""), "");
    EXPECT_EQ(cmarkGfmHtml("- [x] ~~done~~ \"q\"\n"),
              "<ul>\n<li><input type=\"checkbox\" checked=\"\" disabled=\"\" /> <del>done</del> "
              "\xE2\x80\x9Cq\xE2\x80\x9D</li>\n</ul>\n");
    // Larger than a pipe's buffer in both directions.
    const std::string large(300000, 'x');
    EXPECT_EQ(cmarkGfmHtml(large), "<p>" + large + "</p>\n");
}

} // namespace
} // namespace Markdown::Testing
