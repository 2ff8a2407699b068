#include "ModelTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace ModelTest;

TEST(TreeDumper, OneParagraph) {
    EXPECT_EQ(Document({Paragraph({Text("Hello")})}).debugDescription(), "Document\n"
                                                                         "└─ Paragraph\n"
                                                                         "   └─ Text \"Hello\"");
}

TEST(TreeDumper, SiblingsDrawBarsWhereMoreFollow) {
    EXPECT_EQ(
        Document({Paragraph({Text("a"), Emphasis({Text("b")})}), Paragraph({Text("c")})}).debugDescription(),
        "Document\n"
        "├─ Paragraph\n"
        "│  ├─ Text \"a\"\n"
        "│  └─ Emphasis\n"
        "│     └─ Text \"b\"\n"
        "└─ Paragraph\n"
        "   └─ Text \"c\"");
}

TEST(TreeDumper, ASubtreeDumpsFromItsOwnTopLine) {
    const Document document({Paragraph({Text("a")}), ThematicBreak()});
    const Markup paragraph = *document.child(0);
    EXPECT_EQ(paragraph.debugDescription(), "Paragraph\n└─ Text \"a\"");
    const std::string withIds = paragraph.debugDescription(MarkupDumpOptions::printUniqueIdentifiers());
    EXPECT_EQ(withIds, "Paragraph #1\n└─ Text #2 \"a\"");
    EXPECT_EQ(document.debugDescription(MarkupDumpOptions::printUniqueIdentifiers()),
              "Document Root #" + std::to_string(rootIdOf(document)) +
                  " #0\n├─ Paragraph #1\n│  └─ Text #2 \"a\"\n└─ ThematicBreak #3");
}

TEST(TreeDumper, SourceLocationsWithoutThePath) {
    const URL file("file:///doc.md");
    const SourceRange range(SourceLocation(1, 1, file), SourceLocation(1, 6, file));
    const Markup document =
        rootView(parsedNode(RawKind::document, range, {parsedNode(RawMarkupData::text("Hello"), range)}));
    EXPECT_EQ(document.debugDescription(MarkupDumpOptions::printSourceLocations()),
              "Document @1:1-1:6\n└─ Text @1:1-1:6 \"Hello\"");
    EXPECT_EQ(document.debugDescription(MarkupDumpOptions::printEverything()).find(" @1:1-1:6 Root #"), 8u);
}

TEST(TreeDumper, DetailTexts) {
    struct Case {
        const char* name;
        Markup element;
        std::string firstLine;
    };
    const Case cases[] = {
        {"inline code", InlineCode("x"), "InlineCode `x`"},
        {"inline html", InlineHTML("<b>"), "InlineHTML <b>"},
        {"link", Link("d", std::nullopt, {}), "Link destination: \"d\""},
        {"link without destination", Link(), "Link"},
        {"image", Image("s", "t"), "Image source: \"s\" title: \"t\""},
        {"image with title only", Image(std::nullopt, "t"), "Image title: \"t\""},
        {"symbol link", SymbolLink("x"), "SymbolLink destination: x"},
        {"heading", Heading(2), "Heading level: 2"},
        {"ordered list from 1", OrderedList(), "OrderedList"},
        {"list item", ListItem(), "ListItem"},
        {"checked item", ListItem(Checkbox::checked), "ListItem checkbox: [x]"},
        {"unchecked item", ListItem(Checkbox::unchecked), "ListItem checkbox: [ ]"},
        {"plain cell", TableCell(), "Cell"},
        {"spanning cell", TableCell(2, 1), "Cell colspan: 2"},
        {"covered cell", TableCell(1, 0), "Cell rowspan: 0"},
        {"attributes", InlineAttributes("a: 1"), "InlineAttributes attributes: `a: 1`"},
        {"custom inline", CustomInline("zz"), "CustomInline customInline.text"},
        {"parameter", DoxygenParameter("p"), "DoxygenParameter parameter: p"},
        {"directive", BlockDirective("Na\"me"), "BlockDirective name: \"Na\\\"me\""},
        {"code block without language", CodeBlock(), "CodeBlock language: none"},
        {"table",
         Table(Table::ColumnAlignments{TableColumnAlignment::left, std::nullopt, TableColumnAlignment::center,
                                       TableColumnAlignment::right},
               TableHead(), TableBody()),
         "Table alignments: |l|-|c|r|"},
    };
    for (const Case& c : cases) {
        const std::string dump = c.element.debugDescription();
        EXPECT_EQ(dump.substr(0, dump.find('\n')), c.firstLine) << c.name;
    }
    OrderedList fromThree;
    fromThree.setStartIndex(3);
    EXPECT_EQ(fromThree.debugDescription(), "OrderedList startIndex: 3");
}

TEST(TreeDumper, LiteralBlocksSitInsideTheDrawing) {
    const Document document({CodeBlock("swift", "let x = 1\n\nlet y = 2\n"), HTMLBlock("<div>\n</div>"),
                             BlockDirective("Row", "a: 1\nb: 2")});
    EXPECT_EQ(document.debugDescription(), "Document\n"
                                           "├─ CodeBlock language: swift\n"
                                           "│  let x = 1\n"
                                           "│  \n"
                                           "│  let y = 2\n"
                                           "├─ HTMLBlock\n"
                                           "│  <div>\n"
                                           "│  </div>\n"
                                           "└─ BlockDirective name: \"Row\"\n"
                                           "├─ Argument text segments:\n"
                                           "   a: 1\n"
                                           "   b: 2");
}

TEST(TreeDumper, DeepTreesDumpWithoutRecursion) {
    Markup nested = Text("x");
    // Deeper than any recursive traversal may go; the output itself grows with the square of the depth.
    constexpr int depth = 3000;
    for (int i = 0; i < depth; ++i) {
        nested = Emphasis(std::vector<Markup>{nested});
    }
    const std::string dump = nested.debugDescription();
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), depth);
    EXPECT_TRUE(dump.ends_with("└─ Text \"x\""));
}

} // namespace
