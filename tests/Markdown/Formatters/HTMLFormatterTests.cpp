#include "FormatterTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace FormatterTest {
namespace {

const HTMLFormatterOptions noOptions{};
const HTMLFormatterOptions asides = HTMLFormatterOptions::parseAsides();
const HTMLFormatterOptions classes = HTMLFormatterOptions::parseInlineAttributeClass();

struct HTMLCase {
    std::string name;
    std::function<Markup()> tree;
    HTMLFormatterOptions options;
    std::string expected;
};

class HTMLOutputTest : public ::testing::TestWithParam<HTMLCase> {};

TEST_P(HTMLOutputTest, RendersTheTree) {
    EXPECT_EQ(HTMLFormatter::format(GetParam().tree(), GetParam().options), GetParam().expected);
}

BlockQuote taggedQuote(const std::string& firstText) {
    return BlockQuote({paragraph(firstText), paragraph("more")});
}

Table spanningTable() {
    using Alignments = Table::ColumnAlignments;
    return Table(
        Alignments{TableColumnAlignment::left, TableColumnAlignment::center, TableColumnAlignment::right},
        TableHead({TableCell(2, 1, {Text("wide")}), TableCell(0, 1), cell("c")}),
        TableBody({TableRow({TableCell(1, 2, {Text("tall")}), cell("b"), cell("c")}),
                   TableRow({TableCell(1, 0), cell("y"), cell("z")})}));
}

INSTANTIATE_TEST_SUITE_P(
    Elements, HTMLOutputTest,
    ::testing::Values(
        HTMLCase{"emptyDocument", [] { return Markup(Document()); }, noOptions, ""},
        HTMLCase{"paragraph", [] { return Markup(Document({paragraph("a")})); }, noOptions, "<p>a</p>\n"},
        HTMLCase{"orderedFromOne", [] { return Markup(OrderedList({item("a")})); }, noOptions,
                 "<ol>\n<li><p>a</p>\n</li>\n</ol>\n"},
        HTMLCase{"orderedFromThree",
                 [] {
                     OrderedList list({item("a")});
                     list.setStartIndex(3);
                     return Markup(list);
                 },
                 noOptions, "<ol start=\"3\">\n<li><p>a</p>\n</li>\n</ol>\n"},
        // Task items
        HTMLCase{
            "checkedTask", [] { return Markup(UnorderedList({item("done", Checkbox::checked)})); }, noOptions,
            "<ul>\n<li><input type=\"checkbox\" disabled=\"\" checked=\"\" /> <p>done</p>\n</li>\n</ul>\n"},
        HTMLCase{"uncheckedTask", [] { return Markup(UnorderedList({item("open", Checkbox::unchecked)})); },
                 noOptions,
                 "<ul>\n<li><input type=\"checkbox\" disabled=\"\" /> <p>open</p>\n</li>\n</ul>\n"},
        HTMLCase{"plainItem", [] { return Markup(UnorderedList({item("x")})); }, noOptions,
                 "<ul>\n<li><p>x</p>\n</li>\n</ul>\n"},
        // Asides
        HTMLCase{"asidesOff", [] { return Markup(taggedQuote("Note: hi")); }, noOptions,
                 "<blockquote>\n<p>Note: hi</p>\n<p>more</p>\n</blockquote>\n"},
        HTMLCase{"asideKindAsWritten", [] { return Markup(taggedQuote("Note: hi")); }, asides,
                 "<aside data-kind=\"Note\">\n<p>hi</p>\n<p>more</p>\n</aside>\n"},
        HTMLCase{"asideKindLowerCaseKept", [] { return Markup(taggedQuote("warning: hot")); }, asides,
                 "<aside data-kind=\"warning\">\n<p>hot</p>\n<p>more</p>\n</aside>\n"},
        HTMLCase{"twoWordTagStaysAQuote", [] { return Markup(taggedQuote("Two words: x")); }, asides,
                 "<blockquote>\n<p>Two words: x</p>\n<p>more</p>\n</blockquote>\n"},
        HTMLCase{"asideKindEscaped", [] { return Markup(taggedQuote("a<b\": x")); }, asides,
                 "<aside data-kind=\"a&lt;b&quot;\">\n<p>x</p>\n<p>more</p>\n</aside>\n"},
        // Tables
        HTMLCase{"tableWithoutRowsHasNoBody",
                 [] { return Markup(Table(std::nullopt, TableHead({cell("a")}), TableBody())); }, noOptions,
                 "<table>\n<thead>\n<tr>\n<th>a</th>\n</tr>\n</thead>\n</table>\n"},
        HTMLCase{
            "tableSpansAndAlignments", [] { return Markup(spanningTable()); }, noOptions,
            "<table>\n<thead>\n<tr>\n<th align=\"left\" colspan=\"2\">wide</th>\n<th align=\"right\">c</th>\n"
            "</tr>\n</thead>\n<tbody>\n<tr>\n<td align=\"left\" rowspan=\"2\">tall</td>\n"
            "<td align=\"center\">b</td>\n<td align=\"right\">c</td>\n</tr>\n<tr>\n"
            "<td align=\"center\">y</td>\n<td align=\"right\">z</td>\n</tr>\n</tbody>\n</table>\n"},
        HTMLCase{"cellOutsideATableIsEmpty", [] { return Markup(cell("lonely")); }, noOptions, ""},
        // Inline attributes
        HTMLCase{"attributesWithoutClassOption",
                 [] { return Markup(InlineAttributes("class: \"note\"", {Text("t")})); }, noOptions,
                 "<span data-attributes=\"class: \\&quot;note\\&quot;\">t</span>"},
        HTMLCase{"attributesWithClassOption",
                 [] { return Markup(InlineAttributes("class: \"note\"", {Text("t")})); }, classes,
                 "<span data-attributes=\"class: \\&quot;note\\&quot;\" class=\"note\">t</span>"},
        HTMLCase{"attributesClassEscaped",
                 [] { return Markup(InlineAttributes("class: 'a\" onclick=\"x'", {Text("t")})); }, classes,
                 "<span data-attributes=\"class: 'a\\&quot; onclick=\\&quot;x'\" "
                 "class=\"a&quot; onclick=&quot;x\">t</span>"},
        HTMLCase{"attributesWithoutClass", [] { return Markup(InlineAttributes("id: 1", {Text("t")})); },
                 classes, "<span data-attributes=\"id: 1\">t</span>"},
        // Everything else
        HTMLCase{"headingIsPlainText",
                 [] {
                     return Markup(Heading(2, {Text("a "), Emphasis({Text("b")}), Text(" <c>")}));
                 },
                 noOptions, "<h2>a b &lt;c&gt;</h2>\n"},
        HTMLCase{"codeBlockWithLanguage", [] { return Markup(CodeBlock("c++", "a < b && c\n")); }, noOptions,
                 "<pre><code class=\"language-c++\">a &lt; b &amp;&amp; c\n</code></pre>\n"},
        HTMLCase{"inlines",
                 [] {
                     return Markup(
                         Paragraph({Strong({Text("s")}), Emphasis({Text("e")}), Strikethrough({Text("d")}),
                                    InlineCode("<c>"), LineBreak(), Text("x"), SoftBreak(),
                                    Image("i.png", "t", {Text("alt")}), Image(), SymbolLink("S"),
                                    Link(std::nullopt, std::nullopt, {Text("l")})}));
                 },
                 noOptions,
                 "<p><strong>s</strong><em>e</em><del>d</del><code>&lt;c&gt;</code><br />\nx\n"
                 "<img src=\"i.png\" title=\"t\" /><img /><code>S</code><a>l</a></p>\n"},
        HTMLCase{"textAndAttributesEscapedRawHTMLKept",
                 [] {
                     return Markup(Document({Paragraph({Text("1 < 2 & \"q\""), InlineHTML("<b>"),
                                                        Link("/a?b=1&c=\"2\"", "ti", {Text("l")})}),
                                             HTMLBlock("<div class=\"x\">\n</div>\n")}));
                 },
                 noOptions,
                 "<p>1 &lt; 2 &amp; &quot;q&quot;<b><a href=\"/a?b=1&amp;c=&quot;2&quot;\">l</a></p>\n"
                 "<div class=\"x\">\n</div>\n"},
        HTMLCase{"containersWithoutMarkup",
                 [] {
                     return Markup(Document({BlockDirective("D", std::nullopt, {paragraph("in")}),
                                             DoxygenNote({paragraph("n")}), CustomBlock({ThematicBreak()})}));
                 },
                 noOptions, "<p>in</p>\n<p>n</p>\n<hr />\n"}),
    [](const auto& info) { return info.param.name; });

// The text entry: the Markdown text parsed by cmark-gfm with the default parse options, then rendered.

struct TextCase {
    std::string name;
    std::string markdown;
    HTMLFormatterOptions options;
    std::string expected;
};

class HTMLOfTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(HTMLOfTextTest, ParsesAndRendersTheText) {
    EXPECT_EQ(HTMLFormatter::format(GetParam().markdown, GetParam().options), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    MarkdownText, HTMLOfTextTest,
    ::testing::Values(
        TextCase{"empty", "", noOptions, ""},
        TextCase{
            "headingAndParagraphWithSmartPunctuation",
            "# Title *x*\n\nSome *em* and `a<b` with \"quotes\" -- 1 < 2.\n", noOptions,
            "<h1>Title x</h1>\n<p>Some <em>em</em> and <code>a&lt;b</code> with “quotes” – 1 &lt; 2.</p>\n"},
        TextCase{
            "taskItemsAndAStartNumber", "- [x] done\n\n3. three\n", noOptions,
            "<ul>\n<li><input type=\"checkbox\" disabled=\"\" checked=\"\" /> <p>done</p>\n</li>\n</ul>\n"
            "<ol start=\"3\">\n<li><p>three</p>\n</li>\n</ol>\n"},
        TextCase{"tableWithAlignments", "| a | b |\n|:--|--:|\n| 1 | ~~2~~ |\n", noOptions,
                 "<table>\n<thead>\n<tr>\n<th align=\"left\">a</th>\n<th align=\"right\">b</th>\n</tr>\n"
                 "</thead>\n<tbody>\n<tr>\n<td align=\"left\">1</td>\n<td align=\"right\"><del>2</del></td>\n"
                 "</tr>\n</tbody>\n</table>\n"},
        TextCase{"rawHTMLKeptDirectivesNotRead", "<div>raw</div>\n\n@Box {\n  x\n}\n", noOptions,
                 "<div>raw</div>\n<p>@Box {\nx\n}</p>\n"},
        TextCase{"taggedQuoteWithoutTheOption", "> Note: careful\n", noOptions,
                 "<blockquote>\n<p>Note: careful</p>\n</blockquote>\n"},
        TextCase{"taggedQuoteAsAside", "> Note: careful\n", asides,
                 "<aside data-kind=\"Note\">\n<p>careful</p>\n</aside>\n"},
        TextCase{"inlineAttributeClass", "^[t](class: \"note\")\n", classes,
                 "<p><span data-attributes=\"class: \\&quot;note\\&quot;\" class=\"note\">t</span></p>\n"}),
    [](const auto& info) { return info.param.name; });

// The attribute-text reader

struct AttributeCase {
    std::string text;
    std::optional<std::string> classValue;
};

class InlineAttributeClassTest : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(InlineAttributeClassTest, ReadsTheClassValue) {
    EXPECT_EQ(inlineAttributeClass(GetParam().text), GetParam().classValue) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    LenientJSON, InlineAttributeClassTest,
    ::testing::Values(
        AttributeCase{"class: \"note\"", "note"}, AttributeCase{"\"class\": \"note\"", "note"},
        AttributeCase{"'class': 'a b'", "a b"}, AttributeCase{"  class :\t\"x\" , ", "x"},
        AttributeCase{"id: 2, class: \"c\", extra: [1, {\"k\": \"]\"}], flag: true", "c"},
        AttributeCase{"class: \"it\\\"s \\u00e9\\ud83d\\ude00\"", "it\"s \xC3\xA9\xF0\x9F\x98\x80"},
        AttributeCase{"class: \"a\", class: \"b\"", "b"}, AttributeCase{"class: 3", std::nullopt},
        AttributeCase{"class: note", std::nullopt}, AttributeCase{"id: 1", std::nullopt},
        AttributeCase{"", std::nullopt}, AttributeCase{"class: \"open", std::nullopt},
        AttributeCase{"class \"x\"", std::nullopt}, AttributeCase{"class: \"x\" id: 1", std::nullopt},
        AttributeCase{"x: [[[[", std::nullopt}, AttributeCase{"x: {]", std::nullopt},
        AttributeCase{"class: {\"a\": 1}", std::nullopt}));

TEST(InlineAttributeClass, DeepNestingIsReadWithoutRecursion) {
    const std::string deep = "x: " + std::string(200000, '[') + std::string(200000, ']') + ", class: 'deep'";
    EXPECT_EQ(inlineAttributeClass(deep), "deep");
}

TEST(HTMLFormatter, DeepTreesRenderWithoutOverflowingTheStack) {
    Markup nested = paragraph("core");
    for (int level = 0; level < 20000; ++level) {
        nested = BlockQuote({nested});
    }
    const std::string html = HTMLFormatter::format(nested);
    EXPECT_TRUE(html.starts_with("<blockquote>\n<blockquote>\n"));
    EXPECT_NE(html.find("<p>core</p>"), std::string::npos);
}

} // namespace
} // namespace FormatterTest
