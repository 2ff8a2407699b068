#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace ModelTest;

// Each element below is parsed (it carries a range) inside a document, so a rebuild is visible as a new root
// identifier and a dropped range.
template <class T> T parsedInDocument(RawMarkupRef node, RawKind parentKind = RawKind::paragraph) {
    const RawMarkupRef parent = parsedNode(parentKind, rangeOf(1, 1, 9, 9), {node});
    const Markup document = rootView(parsedNode(RawKind::document, rangeOf(1, 1, 9, 9), {parent}));
    return *document.child({0, 0})->as<T>();
}

struct SetterCase {
    std::string name;
    bool comparesFirst;
    // Assigns the value already stored; returns the view before and after.
    std::function<std::pair<Markup, Markup>()> assignSameValue;
};

TEST(ElementSetters, WhichCompareFirstAndWhichAlwaysRebuild) {
    const SourceRange r = rangeOf(2, 1, 2, 5);
    const std::vector<SetterCase> cases = {
        {"Heading.level", true,
         [&] {
             auto e =
                 parsedInDocument<Heading>(parsedNode(RawMarkupData::heading(2), r), RawKind::blockQuote);
             const Markup original = e;
             e.setLevel(2);
             return std::pair<Markup, Markup>{original, e};
         }},
        {"OrderedList.startIndex", true,
         [&] {
             auto e = parsedInDocument<OrderedList>(parsedNode(RawMarkupData::orderedList(3), r),
                                                    RawKind::blockQuote);
             const Markup original = e;
             e.setStartIndex(3);
             return std::pair<Markup, Markup>{original, e};
         }},
        {"Image.source", true,
         [&] {
             auto e = parsedInDocument<Image>(parsedNode(RawMarkupData::image("a", std::nullopt), r));
             const Markup original = e;
             e.setSource("a");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"Image.title (absent)", true,
         [&] {
             auto e = parsedInDocument<Image>(parsedNode(RawMarkupData::image("a", std::nullopt), r));
             const Markup original = e;
             e.setTitle(std::nullopt);
             return std::pair<Markup, Markup>{original, e};
         }},
        {"Image.source (canonically equal)", true,
         [&] {
             auto e =
                 parsedInDocument<Image>(parsedNode(RawMarkupData::image("caf\xC3\xA9", std::nullopt), r));
             const Markup original = e;
             e.setSource("cafe\xCC\x81");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"ListItem.checkbox", false,
         [&] {
             auto e = parsedInDocument<ListItem>(parsedNode(RawMarkupData::listItem(Checkbox::checked), r),
                                                 RawKind::unorderedList);
             const Markup original = e;
             e.setCheckbox(Checkbox::checked);
             return std::pair<Markup, Markup>{original, e};
         }},
        {"CodeBlock.code", false,
         [&] {
             auto e = parsedInDocument<CodeBlock>(parsedNode(RawMarkupData::codeBlock("x", "c"), r),
                                                  RawKind::blockQuote);
             const Markup original = e;
             e.setCode("x");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"CodeBlock.language", false,
         [&] {
             auto e = parsedInDocument<CodeBlock>(parsedNode(RawMarkupData::codeBlock("x", "c"), r),
                                                  RawKind::blockQuote);
             const Markup original = e;
             e.setLanguage("c");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"HTMLBlock.rawHTML", false,
         [&] {
             auto e = parsedInDocument<HTMLBlock>(parsedNode(RawMarkupData::htmlBlock("<p>"), r),
                                                  RawKind::blockQuote);
             const Markup original = e;
             e.setRawHTML("<p>");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"Text.string", false,
         [&] {
             auto e = parsedInDocument<Text>(parsedNode(RawMarkupData::text("x"), r));
             const Markup original = e;
             e.setString("x");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"InlineCode.code", false,
         [&] {
             auto e = parsedInDocument<InlineCode>(parsedNode(RawMarkupData::inlineCode("x"), r));
             const Markup original = e;
             e.setCode("x");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"InlineHTML.rawHTML", false,
         [&] {
             auto e = parsedInDocument<InlineHTML>(parsedNode(RawMarkupData::inlineHTML("<b>"), r));
             const Markup original = e;
             e.setRawHTML("<b>");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"SymbolLink.destination", false,
         [&] {
             auto e = parsedInDocument<SymbolLink>(parsedNode(RawMarkupData::symbolLink("x"), r));
             const Markup original = e;
             e.setDestination("x");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"Link.destination", false,
         [&] {
             auto e = parsedInDocument<Link>(parsedNode(RawMarkupData::link("d", "t"), r));
             const Markup original = e;
             e.setDestination("d");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"Link.title", false,
         [&] {
             auto e = parsedInDocument<Link>(parsedNode(RawMarkupData::link("d", "t"), r));
             const Markup original = e;
             e.setTitle("t");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"InlineAttributes.attributes", false,
         [&] {
             auto e = parsedInDocument<InlineAttributes>(parsedNode(RawMarkupData::inlineAttributes("a"), r));
             const Markup original = e;
             e.setAttributes("a");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"Table.Cell.colspan", false,
         [&] {
             auto e = parsedInDocument<TableCell>(parsedNode(RawMarkupData::tableCell(1, 1), r),
                                                  RawKind::tableRow);
             const Markup original = e;
             e.setColspan(1);
             return std::pair<Markup, Markup>{original, e};
         }},
        {"BlockDirective.name", false,
         [&] {
             auto e = parsedInDocument<BlockDirective>(
                 parsedNode(
                     RawMarkupData::blockDirective("Name", SourceLocation(2, 2), DirectiveArgumentText()), r),
                 RawKind::blockQuote);
             const Markup original = e;
             e.setName("Name");
             return std::pair<Markup, Markup>{original, e};
         }},
        {"DoxygenParameter.name", false,
         [&] {
             auto e = parsedInDocument<DoxygenParameter>(parsedNode(RawMarkupData::doxygenParam("p"), r),
                                                         RawKind::blockQuote);
             const Markup original = e;
             e.setName("p");
             return std::pair<Markup, Markup>{original, e};
         }},
    };
    for (const SetterCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [original, edited] = c.assignSameValue();
        EXPECT_EQ(original.range(), r);
        if (c.comparesFirst) {
            EXPECT_TRUE(edited.isIdentical(original)) << "kept its tree";
            EXPECT_EQ(edited.range(), r);
        } else {
            EXPECT_FALSE(edited.isIdentical(original)) << "rebuilt";
            EXPECT_EQ(childIdOf(edited), childIdOf(original));
            EXPECT_EQ(edited.range(), std::nullopt);
            EXPECT_EQ(edited.root().range(), std::nullopt);
        }
    }
}

TEST(ElementSetters, EmptyStringsThatBecomeAbsent) {
    const Link link("", "", std::vector<Markup>{Text("x")});
    EXPECT_EQ(link.destination(), std::nullopt);
    EXPECT_EQ(link.title(), std::nullopt);
    EXPECT_FALSE(link.isAutolink());

    Image image("", "");
    EXPECT_EQ(image.source(), std::nullopt);
    const std::uint64_t before = rootIdOf(image);
    image.setSource(""); // absent vs empty differ: rebuilds, and stores absent
    EXPECT_NE(rootIdOf(image), before);
    EXPECT_EQ(image.source(), std::nullopt);

    EXPECT_EQ(InlineAttributes("").attributes(), "");

    SymbolLink symbol;
    EXPECT_EQ(symbol.destination(), std::optional<std::string>("")); // built without one: the empty string
    symbol.setDestination("");
    EXPECT_EQ(symbol.destination(), std::nullopt); // set to empty: absent

    CodeBlock code;
    EXPECT_EQ(code.language(), std::nullopt);
    code.setLanguage("");
    EXPECT_EQ(code.language(), std::optional<std::string>(""));
}

TEST(ElementSetters, SettersKeepTheOtherFieldsAndTheChildren) {
    Link link("page", "t", std::vector<Markup>{Text("a"), Emphasis({Text("b")})});
    link.setTitle("u");
    EXPECT_EQ(link.destination(), std::optional<std::string>("page"));
    EXPECT_EQ(link.childCount(), 2);
    Image image("pic", "t", std::vector<Markup>{Text("alt")});
    image.setSource("other");
    EXPECT_EQ(image.title(), std::optional<std::string>("t"));
    EXPECT_EQ(image.plainText(), "alt");
    CodeBlock code("swift", "let x");
    code.setCode("let y");
    EXPECT_EQ(code.language(), std::optional<std::string>("swift"));
    code.setLanguage(std::nullopt);
    EXPECT_EQ(code.code(), "let y");
}

TEST(ElementSetters, HeadingLevelBelowOneIsRefusedAndChangesNothing) {
    Heading heading(0, {Text("x")});
    EXPECT_EQ(heading.level(), 0);
    const Heading before = heading;
    EXPECT_THROW(heading.setLevel(0), std::invalid_argument);
    EXPECT_THROW(heading.setLevel(-3), std::invalid_argument);
    EXPECT_TRUE(heading.isIdentical(before));
    heading.setLevel(2);
    EXPECT_EQ(heading.level(), 2);
    EXPECT_FALSE(heading.isIdentical(before));
}

TEST(ElementPlainText, Forms) {
    struct Case {
        const char* name;
        Markup element;
        std::function<std::string(const Markup&)> plainText;
        std::string expected;
    };
    auto inlineContainer = [](const Markup& m) {
        return plainTextOf(m.data().node());
    };
    const Case cases[] = {
        {"text", Text("a"), inlineContainer, "a"},
        {"inline code with a backtick", InlineCode("a`b"), inlineContainer, "`a`b`"},
        {"empty inline code", InlineCode(""), inlineContainer, "``"},
        {"symbol link", SymbolLink("x"), inlineContainer, "``x``"},
        {"symbol link without destination", SymbolLink(), inlineContainer, "````"},
        {"line break", LineBreak(), inlineContainer, "\n"},
        {"soft break", SoftBreak(), inlineContainer, " "},
        {"strikethrough", Strikethrough({Text("a"), Emphasis({Text("b")})}), inlineContainer, "~ab~"},
        {"empty strikethrough", Strikethrough(), inlineContainer, "~~"},
        {"nested strikethrough", Emphasis({Strikethrough({Text("a")}), Text("b")}), inlineContainer, "~a~b"},
        {"emphasis with soft break", Emphasis({Text("a"), SoftBreak(), Text("b")}), inlineContainer, "a b"},
        {"image", Image("pic", std::nullopt, std::vector<Markup>{Text("alt")}), inlineContainer, "alt"},
        {"link", Link("d", std::nullopt, std::vector<Markup>{Text("x"), InlineCode("y")}), inlineContainer,
         "x`y`"},
        {"paragraph", Paragraph({Text("a"), SoftBreak(), Text("b")}), inlineContainer, "a b"},
        {"empty paragraph", Paragraph(), inlineContainer, ""},
        {"heading", Heading(3, {Text("a"), Text("b")}), inlineContainer, "ab"},
        {"cell", TableCell({Text("a"), Text("b")}), inlineContainer, "ab"},
        {"custom inline", CustomInline("c"), inlineContainer, "c"},
        {"non-inline child skipped",
         Paragraph({Text("a")})
             .withUncheckedChildren(std::vector<Markup>{Text("a"), ThematicBreak(), Text("b")}),
         inlineContainer, "ab"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.plainText(c.element), c.expected) << c.name;
    }
    EXPECT_EQ(Paragraph({Text("a"), SoftBreak(), Text("b")}).plainText(), "a b");
    EXPECT_EQ(InlineCode("a`b").plainText(), "`a`b`");
}

TEST(ElementPlainText, DeeplyNestedInlinesNeedNoRecursion) {
    Markup nested = Text("x");
    for (int i = 0; i < 50000; ++i) {
        nested = i % 2 ? Markup(Emphasis(std::vector<Markup>{nested}))
                       : Markup(Strikethrough(std::vector<Markup>{nested}));
    }
    const std::string text = plainTextOf(nested.data().node());
    EXPECT_EQ(text.size(), 50001u);
}

TEST(Link, Autolink) {
    EXPECT_TRUE(Link("page", std::nullopt, std::vector<Markup>{Text("page")}).isAutolink());
    EXPECT_TRUE(Link("caf\xC3\xA9", std::nullopt, std::vector<Markup>{Text("cafe\xCC\x81")}).isAutolink());
    EXPECT_FALSE(Link("page", std::nullopt, std::vector<Markup>{Text("Page")}).isAutolink());
    EXPECT_FALSE(Link("page", std::nullopt, std::vector<Markup>{Text("pa"), Text("ge")}).isAutolink());
    EXPECT_FALSE(Link("page", std::nullopt, std::vector<Markup>{Emphasis({Text("page")})}).isAutolink());
    EXPECT_FALSE(Link(std::nullopt, std::nullopt, std::vector<Markup>{Text("page")}).isAutolink());
}

TEST(Containers, ChildrenOfTheWrongFamilyAreRefused) {
    EXPECT_THROW(Paragraph({ThematicBreak()}), std::invalid_argument);
    EXPECT_THROW(Document({Text("x")}), std::invalid_argument);
    EXPECT_THROW(Link("d", std::nullopt, std::vector<Markup>{Link("e", std::nullopt, {})}),
                 std::invalid_argument);
    EXPECT_THROW(Image("d", std::nullopt, std::vector<Markup>{SymbolLink("s")}), std::invalid_argument);
    BlockQuote quote({Paragraph()});
    const BlockQuote before = quote;
    EXPECT_THROW(quote.setBlockChildren(std::vector<Markup>{Text("x")}), std::invalid_argument);
    EXPECT_TRUE(quote.isIdentical(before));
}

TEST(Containers, ReplacingChildrenInsertsRemovesAndRefusesBadRanges) {
    BlockQuote quote({Paragraph({Text("a")}), Paragraph({Text("c")})});
    quote.replaceChildrenInRange(1, 1, std::vector<Markup>{Heading(1, {Text("b")})});
    ASSERT_EQ(quote.childCount(), 3);
    EXPECT_EQ(quote.child(1)->kind(), RawKind::heading);
    const BlockQuote before = quote;
    EXPECT_THROW(quote.replaceChildrenInRange(2, 1, std::vector<Markup>{}), std::out_of_range);
    EXPECT_THROW(quote.replaceChildrenInRange(-1, 1, std::vector<Markup>{}), std::out_of_range);
    EXPECT_THROW(quote.replaceChildrenInRange(0, 4, std::vector<Markup>{}), std::out_of_range);
    EXPECT_TRUE(quote.isIdentical(before));
    quote.replaceChildrenInRange(0, quote.childCount(), std::vector<Markup>{});
    EXPECT_EQ(quote.childCount(), 0);
}

TEST(Containers, InheritedRangesSpanFirstToLastChild) {
    const Text first = rootView<Text>(parsedNode(RawMarkupData::text("a"), rangeOf(1, 1, 1, 2)));
    const Text last = rootView<Text>(parsedNode(RawMarkupData::text("b"), rangeOf(2, 3, 2, 9)));
    EXPECT_EQ(Paragraph({first, last}, true).range(), rangeOf(1, 1, 2, 9));
    EXPECT_EQ(Emphasis({first, last}, true).range(), rangeOf(1, 1, 2, 9));
    EXPECT_EQ(Paragraph({first, last}, false).range(), std::nullopt);
    EXPECT_EQ(Paragraph({Text("x"), last}, true).range(), std::nullopt);
    EXPECT_EQ(Paragraph(std::vector<Markup>{}, true).range(), std::nullopt);
    const Paragraph p1({first}, true);
    const Paragraph p2({last}, true);
    EXPECT_EQ(Document({p1, p2}, true).range(), rangeOf(1, 1, 2, 9));
    EXPECT_EQ(Document({p1, p2}).range(), std::nullopt);
}

TEST(Lists, ItemsStartIndexAndAppending) {
    OrderedList list({ListItem(std::nullopt, {Paragraph({Text("a")})}), ListItem(Checkbox::checked, {})});
    EXPECT_EQ(list.startIndex(), 1u);
    const std::uint64_t before = rootIdOf(list);
    list.setStartIndex(1);
    EXPECT_EQ(rootIdOf(list), before);
    list.setStartIndex(0);
    EXPECT_EQ(list.startIndex(), 0u);
    EXPECT_NE(rootIdOf(list), before);
    list.appendItem(ListItem(Checkbox::unchecked));
    std::vector<std::optional<Checkbox>> checkboxes;
    for (const ListItem& item : list.listItems()) {
        checkboxes.push_back(item.checkbox());
    }
    EXPECT_EQ(checkboxes,
              (std::vector<std::optional<Checkbox>>{std::nullopt, Checkbox::checked, Checkbox::unchecked}));
    EXPECT_THROW(list.replaceItemsInRange(2, 9, std::vector<ListItem>{}), std::out_of_range);
}

TEST(Lists, BuildingFromAChildOfAnotherDocumentLeavesItUnchanged) {
    const Document document({Paragraph({Text("a")})});
    const Paragraph paragraph = *document.child(0)->as<Paragraph>();
    const ListItem item(std::nullopt, {paragraph});
    EXPECT_EQ(childIdOf(item), 0);
    EXPECT_TRUE(item.child(0)->hasSameStructure(paragraph));
    EXPECT_EQ(childIdOf(*item.child(0)), 1);
    EXPECT_TRUE(document.child(0)->isIdentical(paragraph));
    EXPECT_EQ(document.child(0)->parent()->kind(), RawKind::document);
}

TEST(Table, AlignmentsAreCompletedToTheColumnCountAndNeverCut) {
    auto row = [](int cells) {
        return TableRow(std::vector<TableCell>(static_cast<std::size_t>(cells), TableCell()));
    };
    const Table table(std::nullopt, TableHead(std::vector<TableCell>(3, TableCell())),
                      TableBody({row(2), row(4), row(1)}));
    EXPECT_EQ(table.maxColumnCount(), 4);
    EXPECT_EQ(table.columnAlignments(), Table::ColumnAlignments(4));

    const Table wide(Table::ColumnAlignments(5, TableColumnAlignment::left),
                     TableHead(std::vector<TableCell>(2)), TableBody());
    EXPECT_EQ(wide.columnAlignments().size(), 5u);

    Table edited = table;
    edited.setColumnAlignments({TableColumnAlignment::center});
    EXPECT_EQ(edited.columnAlignments(), (Table::ColumnAlignments{TableColumnAlignment::center, std::nullopt,
                                                                  std::nullopt, std::nullopt}));
    edited.setHead(TableHead(std::vector<TableCell>(6)));
    EXPECT_EQ(edited.columnAlignments().size(), 6u);
    EXPECT_EQ(edited.columnAlignments()[0], TableColumnAlignment::center);
    EXPECT_EQ(edited.head().cells().size(), 6);
}

TEST(Table, EmptinessSpansAndParts) {
    EXPECT_TRUE(Table(std::nullopt, TableHead(), TableBody()).isEmpty());
    EXPECT_FALSE(Table(std::nullopt, TableHead(), TableBody(TableRow())).isEmpty());
    EXPECT_EQ(TableBody().maxColumnCount(), 0);
    const TableCell plain({Text("a"), Text("b")});
    EXPECT_EQ(plain.colspan(), 1u);
    EXPECT_EQ(plain.rowspan(), 1u);
    EXPECT_EQ(plain.plainText(), "ab");
    const TableCell covered(0, 0);
    EXPECT_EQ(covered.colspan(), 0u);
    EXPECT_EQ(covered.plainText(), "");
    TableCell cell = covered;
    cell.setRowspan(3);
    EXPECT_EQ(cell.colspan(), 0u);
    EXPECT_EQ(cell.rowspan(), 3u);
}

TEST(Table, RowEditsKeepTheBodyRangeAndCellsFromElsewhereAreShared) {
    const RawMarkupRef body =
        parsedNode(RawKind::tableBody, rangeOf(3, 1, 4, 5),
                   {parsedNode(RawKind::tableRow, rangeOf(3, 1, 3, 5),
                               {parsedNode(RawMarkupData::tableCell(1, 1), rangeOf(3, 2, 3, 3))})});
    const Table parsed =
        rootView<Table>(parsedNode(RawMarkupData::table({std::nullopt}), rangeOf(1, 1, 4, 5),
                                   {parsedNode(RawKind::tableHead, rangeOf(1, 1, 1, 5)), body}));
    TableBody parsedBody = parsed.body();
    parsedBody.appendRow(TableRow(TableCell()));
    EXPECT_EQ(parsedBody.range(), rangeOf(3, 1, 4, 5));
    EXPECT_EQ(parsedBody.rows().size(), 2);

    const TableCell foreign = *parsed.body().child({0, 0})->as<TableCell>();
    const TableHead head(foreign);
    EXPECT_EQ(childIdOf(*head.child(0)), 1);
    EXPECT_NE(rootIdOf(head), rootIdOf(parsed));
    EXPECT_TRUE(parsed.body().child({0, 0})->isIdentical(foreign));

    const Markup firstRow = *parsed.body().child(0);
    EXPECT_TRUE(firstRow.is<TableRow>());
    EXPECT_FALSE(firstRow.is<Table>());
}

TEST(Table, PartsMissingAfterAnUncheckedEditAreReported) {
    const Table table(std::nullopt, TableHead(), TableBody());
    const Table broken = *table.withUncheckedChildren(std::vector<Markup>{TableHead()}).as<Table>();
    EXPECT_THROW(broken.body(), std::logic_error);
    Table editable = broken;
    EXPECT_THROW(editable.setColumnAlignments({}), std::logic_error);
    EXPECT_TRUE(editable.isIdentical(broken));
}

TEST(BlockDirective, ArgumentTextIsCutIntoLines) {
    struct Case {
        std::optional<std::string_view> argumentText;
        std::vector<std::string> segments;
    };
    const Case cases[] = {
        {std::nullopt, {}},
        {"", {""}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\n\rb", {"a", "", "b"}},
        {"a\n", {"a", ""}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\xE2\x80\xA8"
         "b\xC2\x85"
         "c\fd",
         {"a", "b", "c", "d"}},
    };
    for (const Case& c : cases) {
        const BlockDirective directive("Name", c.argumentText);
        std::vector<std::string> segments;
        for (const auto& segment : directive.argumentText().segments) {
            segments.push_back(segment.untrimmedText());
            EXPECT_EQ(segment.parseIndex(), 0u);
            EXPECT_EQ(segment.range(), std::nullopt);
        }
        EXPECT_EQ(segments, c.segments) << (c.argumentText ? std::string(*c.argumentText) : "(absent)");
    }
}

TEST(BlockDirective, NameRangeAndItsLossOnEdit) {
    EXPECT_EQ(BlockDirective("Abc").nameLocation(), std::nullopt);
    EXPECT_EQ(BlockDirective("Abc").nameRange(), std::nullopt);
    auto parsed = [](std::string name) {
        return parsedInDocument<BlockDirective>(
            parsedNode(RawMarkupData::blockDirective(std::move(name), SourceLocation(3, 5),
                                                     DirectiveArgumentText("x")),
                       rangeOf(3, 4, 3, 20), {parsedNode(RawKind::paragraph, std::nullopt)}),
            RawKind::blockQuote);
    };
    EXPECT_EQ(parsed("Abc").nameRange(), rangeOf(3, 5, 3, 8));
    EXPECT_EQ(parsed("\xC3\xA9"
                     "b")
                  .nameRange(),
              rangeOf(3, 5, 3, 8));
    BlockDirective directive = parsed("Abc");
    directive.setArgumentText(DirectiveArgumentText("y"));
    EXPECT_EQ(directive.nameLocation(), std::nullopt);
    EXPECT_EQ(directive.nameRange(), std::nullopt);
    EXPECT_EQ(directive.name(), "Abc");
    EXPECT_EQ(directive.childCount(), 1);
}

TEST(Doxygen, ElementsHoldBlocks) {
    const DoxygenNote note;
    EXPECT_EQ(note.childCount(), 0);
    EXPECT_EQ(note.range(), std::nullopt);
    DoxygenParameter parameter("value", {Paragraph({Text("x")})});
    EXPECT_EQ(parameter.name(), "value");
    parameter.setName("other name");
    EXPECT_EQ(parameter.name(), "other name");
    EXPECT_EQ(parameter.childCount(), 1);
    EXPECT_THROW(DoxygenReturns({Text("x")}), std::invalid_argument);
}

TEST(Elements, LiteralInitialisersAndEmptyValues) {
    const Text empty("");
    EXPECT_EQ(empty.string(), "");
    EXPECT_EQ(empty.childCount(), 0);
    EXPECT_EQ(empty.range(), std::nullopt);
    EXPECT_TRUE(Text("x").hasSameStructure(Text("x")));
    EXPECT_FALSE(LineBreak().isIdentical(LineBreak()));
    EXPECT_TRUE(ThematicBreak().isEmpty());
    static_assert(LiteralMarkup<Text> && LiteralMarkup<HTMLBlock> && LiteralMarkup<InlineHTML>);
    static_assert(BlockContainer<BlockDirective> && !BasicBlockContainer<BlockDirective>);
    static_assert(RecurringInlineMarkup<Strong> && !RecurringInlineMarkup<Link> &&
                  !RecurringInlineMarkup<SymbolLink>);
    static_assert(InlineContainer<Heading> && !BasicInlineContainer<Heading> &&
                  BasicInlineContainer<TableCell>);
    static_assert(ListItemContainer<OrderedList> && !BlockMarkup<TableRow> && !InlineMarkup<Paragraph>);
}

} // namespace
