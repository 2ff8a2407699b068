// What a Markdown text becomes before anything is drawn: one styled text per paragraph or heading
// with nested styles kept, and the rows of the lazy stack with their markers, indentation, quote
// bars, pieces of long blocks, and source shown for what has no drawing or nests too deep.
#include "MarkdownFixture.h"

#include <UI/Preview/Markdown/MDBlockView.h>

namespace {

using MDBlockView::Kind;
using MDBlockView::Marker;
using MDBlockView::Role;
using namespace MDInlineText;

class MarkdownModelTest : public MarkdownFixture {};

struct InlineCase {
    const char* name;
    const char* source;
    const char16_t* text;
    std::vector<Run> runs;
};

TEST_F(MarkdownModelTest, InlineTextIsOneStyledTextWithNestedStylesKept) {
    const InlineCase cases[] = {
        {"soft break joins lines", "one\ntwo", u"one two", {}},
        {"hard break breaks the line", "one  \ntwo", u"one\ntwo", {}},
        {"bold link is bold, link and underlined",
         "[**bold** text](https://x.org)",
         u"bold text",
         {{0, 4, Bold | Link}, {4, 5, Link}}},
        {"code in emphasis keeps both", "*a `b`*", u"a b", {{0, 2, Italic}, {2, 1, Italic | Code}}},
        {"struck text", "~~gone~~ kept", u"gone kept", {{0, 4, Strikethrough}}},
        {"inline HTML verbatim", "a <b>x</b>", u"a <b>x</b>", {{2, 3, Html}, {6, 4, Html}}},
        {"image shows its whole alternative text",
         "![a *nested* b](pic.png)",
         u"a nested b",
         {{0, 10, Image}}},
        {"image without alternative text shows the marker",
         "x ![](pic.png)",
         u"x \U0001F5BC",
         {{2, 2, Image}}},
    };
    for (const InlineCase& test : cases) {
        const MDBlockView::Model model = rows(QString::fromUtf8(test.source));
        ASSERT_EQ(model.rows.size(), 1u) << test.name;
        const StyledText& text = model.rows[0].text;
        EXPECT_EQ(text.text, QString::fromUtf16(test.text)) << test.name;
        ASSERT_EQ(text.runs.size(), test.runs.size()) << test.name;
        for (std::size_t index = 0; index < test.runs.size(); ++index) {
            EXPECT_EQ(text.runs[index].start, test.runs[index].start) << test.name;
            EXPECT_EQ(text.runs[index].length, test.runs[index].length) << test.name;
            EXPECT_EQ(text.runs[index].styles, test.runs[index].styles) << test.name;
        }
    }
}

TEST_F(MarkdownModelTest, InlineElementsWithoutChildrenNeverShowTheirMarkdown) {
    namespace md = Markdown;
    using Inlines = std::vector<md::Markup>;
    const md::Link emptyLink(std::string("https://x.org"));
    const struct {
        const char* name;
        Inlines inlines;
        const char16_t* text;
    } cases[] = {
        {"empty link shows nothing", {md::Text("a "), emptyLink, md::Text(" b")}, u"a  b"},
        {"empty link inside strong shows nothing", {md::Strong(Inlines{emptyLink}), md::Text("b")}, u"b"},
        {"empty emphasis shows nothing", {md::Text("a"), md::Emphasis(), md::Text("b")}, u"ab"},
        {"empty strike-through shows nothing", {md::Text("a"), md::Strikethrough(), md::Text("b")}, u"ab"},
        {"empty inline attributes show nothing",
         {md::Text("a"), md::InlineAttributes("rainbow: 'extreme'"), md::Text("b")},
         u"ab"},
        {"symbol link shows its symbol",
         {md::Text("see "), md::SymbolLink(std::string("Foo.bar"))},
         u"see Foo.bar"},
        {"custom inline shows its text", {md::Text("a "), md::CustomInline("held")}, u"a held"},
    };
    for (const auto& test : cases) {
        const StyledText text = render(md::Paragraph(test.inlines));
        EXPECT_EQ(text.text, QString::fromUtf16(test.text)) << test.name;
        EXPECT_TRUE(text.runs.empty()) << test.name;
    }
    // As parsed: a link written without text, in a sentence and alone.
    const MDBlockView::Model model =
        rows(QStringLiteral("before [](https://x.org) after\n\n[](https://x.org)"));
    ASSERT_EQ(model.rows.size(), 2u);
    EXPECT_EQ(model.rows[0].text.text, QStringLiteral("before  after"));
    EXPECT_EQ(model.rows[1].text.text, QString());
}

TEST_F(MarkdownModelTest, ListsShowMarkersByPositionTaskBoxesOnlyWhenUnordered) {
    const MDBlockView::Model model = rows(QStringLiteral("7. seven\n8. eight\n\n"
                                                         "- [x] done\n- [ ] open\n- plain\n\n"
                                                         "1. [x] numbered task\n"));
    ASSERT_EQ(model.rows.size(), 6u);
    const struct {
        Marker::Kind kind;
        int number;
        int width;
    } expected[] = {
        {Marker::Kind::Number, 1, MDBlockView::kOrderedMarkerWidth},
        {Marker::Kind::Number, 2, MDBlockView::kOrderedMarkerWidth},
        {Marker::Kind::Checked, 0, MDBlockView::kCheckboxMarkerWidth},
        {Marker::Kind::Unchecked, 0, MDBlockView::kCheckboxMarkerWidth},
        {Marker::Kind::Bullet, 0, MDBlockView::kBulletMarkerWidth},
        {Marker::Kind::Number, 1, MDBlockView::kOrderedMarkerWidth},
    };
    for (std::size_t row = 0; row < model.rows.size(); ++row) {
        ASSERT_EQ(model.rows[row].markers.size(), 1u) << row;
        const Marker& marker = model.rows[row].markers[0];
        EXPECT_EQ(marker.kind, expected[row].kind) << row;
        EXPECT_EQ(marker.number, expected[row].number) << row;
        EXPECT_EQ(model.rows[row].indent, marker.x + expected[row].width + MDBlockView::kItemMarkerSpacing)
            << row;
    }
    EXPECT_EQ(model.rows.back().text.text, QStringLiteral("numbered task"));
    // Items of one list are 6 points apart; the next list starts a block 10 points down.
    EXPECT_EQ(model.rows[1].spacingAbove, MDBlockView::kListSpacing);
    EXPECT_EQ(model.rows[2].spacingAbove, MDBlockView::kBlockSpacing);
}

TEST_F(MarkdownModelTest, ParagraphWithNestedListIndentsTheListFourMore) {
    const MDBlockView::Model model = rows(QStringLiteral("- item text\n\n  - nested\n  - second\n"));
    ASSERT_EQ(model.rows.size(), 3u);
    const int itemIndent = MDBlockView::kBulletMarkerWidth + MDBlockView::kItemMarkerSpacing;
    EXPECT_EQ(model.rows[0].kind, Kind::Text);
    EXPECT_EQ(model.rows[0].role, Role::Body);
    EXPECT_EQ(model.rows[0].indent, itemIndent);
    EXPECT_EQ(model.rows[1].markers.at(0).x, itemIndent + MDBlockView::kNestedListIndent);
    EXPECT_EQ(model.rows[1].indent, itemIndent + MDBlockView::kNestedListIndent + itemIndent);
    EXPECT_EQ(model.rows[1].spacingAbove, MDBlockView::kListSpacing);
    // An empty item still has its row, for its marker.
    const MDBlockView::Model empty = rows(QStringLiteral("- \n- b\n"));
    ASSERT_EQ(empty.rows.size(), 2u);
    EXPECT_EQ(empty.rows[0].markers.size(), 1u);
}

TEST_F(MarkdownModelTest, QuoteBarsJoinTheirRowsButNotTheSpacingOutside) {
    const MDBlockView::Model model = rows(QStringLiteral("before\n\n> one\n>\n> > two\n\nafter\n"));
    ASSERT_EQ(model.rows.size(), 4u);
    const auto& one = model.rows[1];
    // Block spacing, then the quote's top padding, outside its bar.
    EXPECT_EQ(one.spacingAbove, MDBlockView::kBlockSpacing + MDBlockView::kQuoteVerticalPadding);
    ASSERT_EQ(one.bars.size(), 1u);
    EXPECT_EQ(one.bars[0].reachUp, 0);
    EXPECT_EQ(one.indent, MDBlockView::kQuoteLeadingPadding + MDBlockView::kQuoteBarWidth +
                              MDBlockView::kQuoteBarSpacing);
    const auto& two = model.rows[2];
    ASSERT_EQ(two.bars.size(), 2u);
    // The outer bar reaches over the whole gap; the inner one starts at its text.
    EXPECT_EQ(two.bars[0].reachUp, two.spacingAbove);
    EXPECT_EQ(two.bars[1].reachUp, 0);
    EXPECT_EQ(model.rows[3].bars.size(), 0u);
    EXPECT_EQ(model.rows[3].spacingAbove,
              2 * MDBlockView::kQuoteVerticalPadding + MDBlockView::kBlockSpacing);
}

TEST_F(MarkdownModelTest, HtmlBlockIsTrimmedAndHeadingsKeepTheirLevels) {
    const MDBlockView::Model model =
        rows(QStringLiteral("# One\n\n### Three\n\n<div>\n  <b>hi</b>\n</div>\n\n\n\n***\n"));
    ASSERT_EQ(model.rows.size(), 4u);
    EXPECT_EQ(model.rows[0].headingLevel, 1);
    EXPECT_EQ(model.rows[0].spacingAbove, 4);
    EXPECT_EQ(model.rows[1].headingLevel, 3);
    EXPECT_EQ(model.rows[1].spacingAbove, MDBlockView::kBlockSpacing + 2);
    EXPECT_EQ(model.rows[2].role, Role::Html);
    EXPECT_EQ(model.rows[2].text.text, QStringLiteral("<div>\n  <b>hi</b>\n</div>"));
    EXPECT_EQ(model.rows[3].kind, Kind::Rule);
}

TEST_F(MarkdownModelTest, ImageStandingAsBlockHasItsRowAndAloneInAParagraphIsText) {
    const MDBlockView::Model inlined = rows(QStringLiteral("![A cat](https://example.com/cat.png \"Tom\")"));
    ASSERT_EQ(inlined.rows.size(), 1u);
    EXPECT_EQ(inlined.rows[0].kind, Kind::Text);
    EXPECT_EQ(inlined.rows[0].text.text, QStringLiteral("A cat"));
    EXPECT_TRUE(inlined.images.empty());

    const Markdown::Image titled("https://example.com/cat.png", "Tom",
                                 std::vector<Markdown::Markup>{Markdown::Text("A cat")});
    const Markdown::Image nested(
        std::nullopt, std::nullopt,
        std::vector<Markdown::Markup>{
            Markdown::Text("plain "),
            Markdown::Emphasis(std::vector<Markdown::Markup>{Markdown::Text("nested")})});
    const std::vector<Markdown::Markup> blocks{titled, nested};
    const MDBlockView::Model model = MDBlockView::buildBlocks(blocks);
    ASSERT_EQ(model.rows.size(), 2u);
    EXPECT_EQ(model.rows[0].kind, Kind::Image);
    EXPECT_EQ(model.images.at(0).source, QStringLiteral("https://example.com/cat.png"));
    // The caption: the title first, else the text written directly in the image.
    EXPECT_EQ(model.rows[0].text.text, QStringLiteral("Tom"));
    EXPECT_EQ(model.rows[1].text.text, QStringLiteral("plain "));
    EXPECT_EQ(model.images.at(1).source, QString());
}

TEST_F(MarkdownModelTest, LongBlocksAreCutIntoRowsThatJoinBackWhole) {
    QString paragraph;
    for (int word = 0; paragraph.size() < 9000; ++word)
        paragraph += QStringLiteral("word%1 ").arg(word);
    paragraph = paragraph.trimmed();
    QStringList lines;
    for (int line = 0; line < 100; ++line)
        lines << QStringLiteral("line %1;").arg(line);
    const QString code = lines.join(u'\n');
    const MDBlockView::Model model =
        rows(paragraph + QStringLiteral("\n\n```cpp\n") + code + QStringLiteral("\n```\n"));

    QString text;
    QString joinedCode;
    int codeRows = 0;
    for (const auto& row : model.rows) {
        if (row.kind == Kind::Text) {
            EXPECT_LE(row.text.text.size(), MDBlockView::kRowCharacters);
            text += row.text.text;
        } else {
            ++codeRows;
            EXPECT_EQ(row.first, joinedCode.isEmpty());
            joinedCode += (joinedCode.isEmpty() ? QString() : QStringLiteral("\n")) + row.text.text;
        }
    }
    EXPECT_EQ(text, paragraph);
    EXPECT_EQ(joinedCode, code);
    EXPECT_EQ(codeRows, 3);
    EXPECT_TRUE(model.rows.back().last);
    EXPECT_EQ(model.codeBlocks.at(0).language, QStringLiteral("cpp"));
}

TEST_F(MarkdownModelTest, HostileNestingEndsInSourceTextWithoutOverflow) {
    const struct {
        const char* name;
        QString source;
        QString marker;
    } cases[] = {
        {"quotes", QString(5000, u'>') + QStringLiteral(" deep"), QStringLiteral(">")},
        {"lists",
         [] {
             QString text;
             for (int level = 0; level < 3000; ++level)
                 text += QString(level * 2, u' ') + QStringLiteral("- level\n");
             return text;
         }(),
         QStringLiteral("- level")},
        {"emphasis", QString(20000, u'*') + QStringLiteral("x") + QString(20000, u'*'), QString()},
    };
    for (const auto& test : cases) {
        const MDBlockView::Model model = rows(test.source);
        ASSERT_FALSE(model.rows.empty()) << test.name;
        if (test.marker.isEmpty())
            continue;
        // Past the nesting the view draws, the rest shows as its Markdown source.
        const auto source = std::find_if(model.rows.begin(), model.rows.end(),
                                         [](const auto& row) { return row.role == Role::Source; });
        ASSERT_NE(source, model.rows.end()) << test.name;
        EXPECT_TRUE(source->text.text.startsWith(test.marker)) << test.name;
        int levels = 0;
        for (const auto& row : model.rows)
            levels = std::max(levels, static_cast<int>(row.bars.size() + row.markers.size()));
        EXPECT_LE(levels, MDBlockView::kMaxNesting) << test.name;
    }
}

TEST_F(MarkdownModelTest, TableRowsCarryCellsAndColumnWeights) {
    const MDBlockView::Model model = rows(QStringLiteral("| Key | A much longer description |\n|---|---|\n"
                                                         "| **a** | one |\n| b |\n"));
    ASSERT_EQ(model.rows.size(), 3u);
    EXPECT_EQ(model.tables.at(0).columns, 2);
    EXPECT_LT(model.tables[0].weights[0], model.tables[0].weights[1]);
    EXPECT_EQ(model.rows[0].offset, 0);
    EXPECT_TRUE(model.rows[0].first);
    EXPECT_TRUE(model.rows[2].last);
    EXPECT_EQ(model.rows[1].cells.at(0).runs.at(0).styles, Bold);
    EXPECT_EQ(MDBlockView::copiedText(model.rows[1]), QStringLiteral("a\tone"));
}

TEST_F(MarkdownModelTest, LeadingBlocksEndOnlyWhereTheWholeTextParsesAlike) {
    const QString filler = QStringLiteral("Some paragraph text.\n\n").repeated(20);
    const qsizetype atLeast = filler.size() - 10;
    const struct {
        const char* name;
        QString text;
        // The text the cut must come before; none when there must be no cut.
        const char* next;
    } cases[] = {
        {"after a blank line, at an unindented line", filler + QStringLiteral("Next\n"), "Next"},
        {"not inside fenced code with blank lines",
         filler.chopped(22) + QStringLiteral("```\ncode\n\nstill code\n```\n\nAfter\n"), "After"},
        {"not inside an HTML comment", filler.chopped(22) + QStringLiteral("<!--\n\nhidden\n-->\n\nAfter\n"),
         "After"},
        {"not before an indented line",
         filler + QStringLiteral("    indented\n\n- item\n\n  more\n\nAfter\n"), "- item"},
        {"nowhere when the text ends first", QStringLiteral("short\n\ntext\n"), nullptr},
    };
    for (const auto& test : cases) {
        const qsizetype end = MDBlockView::leadingBlocksEnd(test.text, atLeast);
        if (!test.next) {
            EXPECT_EQ(end, -1) << test.name;
            continue;
        }
        ASSERT_GT(end, 0) << test.name;
        EXPECT_TRUE(test.text.mid(end).startsWith(QString::fromUtf8(test.next))) << test.name;
        // Cut there, the leading part's rows are the whole text's first rows.
        const MDBlockView::Model part = rows(test.text.left(end));
        const MDBlockView::Model whole = rows(test.text);
        EXPECT_EQ(MDBlockView::sameLeadingRows(part, whole), part.rows.size() - 1) << test.name;
    }
}

TEST_F(MarkdownModelTest, RowsThatALaterDefinitionChangesAreNotTakenAsTheSame) {
    const QString lead = QStringLiteral("# Title\n\nSee [the guide][guide].\n\nMore\n\nLast\n");
    const MDBlockView::Model part = rows(lead);
    const MDBlockView::Model whole = rows(lead + QStringLiteral("\n[guide]: https://example.com\n"));
    EXPECT_EQ(MDBlockView::sameLeadingRows(part, whole), 1u);
    EXPECT_EQ(MDBlockView::sameLeadingRows(part, part), part.rows.size() - 1);
}

} // namespace
