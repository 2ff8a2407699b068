// The parse entry and the conversion of cmark-gfm's tree: kinds, payloads and exact ranges.

#include <Markdown/Markdown.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace Markdown {
namespace {

SourceRange range(int startLine, int startColumn, int endLine, int endColumn) {
    return SourceRange(SourceLocation(startLine, startColumn), SourceLocation(endLine, endColumn));
}

Markup at(const Markup& root, std::initializer_list<std::int64_t> path) {
    const std::optional<Markup> found = root.child(path);
    if (!found) {
        throw std::out_of_range("no element at that path");
    }
    return *found;
}

// Every range in the tree, in preorder.
void collectRanges(const Markup& markup, std::vector<std::optional<SourceRange>>& ranges) {
    ranges.push_back(markup.range());
    for (const Markup& child : markup.children()) {
        collectRanges(child, ranges);
    }
}

TEST(ParserTest, EmptyTextGivesAnEmptyDocument) {
    EXPECT_EQ(Document::parsing("", {}).childCount(), 0);
    EXPECT_EQ(Document::parsing("", ParseOptions::parseBlockDirectives).childCount(), 0);
    EXPECT_EQ(Document::parsing("", ParseOptions::parseBlockDirectives).range(), range(1, 1, 1, 1));
}

TEST(ParserTest, SmartPunctuationIsOnUnlessDisabled) {
    const std::string text = "\"Quoted\" -- and 'single'";
    EXPECT_EQ(at(Document::parsing(text, {}), {0, 0}).as<Text>()->string(),
              "\xE2\x80\x9CQuoted\xE2\x80\x9D \xE2\x80\x93 and \xE2\x80\x98single\xE2\x80\x99");
    EXPECT_EQ(at(Document::parsing(text, ParseOptions::disableSmartOpts), {0, 0}).as<Text>()->string(), text);
}

TEST(ParserTest, DisabledSourcePositionsLeaveEveryNodeWithoutRange) {
    const Document document = Document::parsing("# Title `x`\n\n| a | b |\n|---|---|\n| 1 | 2 |\n",
                                                ParseOptions::disableSourcePosOpts);
    std::vector<std::optional<SourceRange>> ranges;
    collectRanges(document, ranges);
    ASSERT_GT(ranges.size(), 8u);
    for (const auto& found : ranges) {
        EXPECT_FALSE(found);
    }
}

TEST(ParserTest, CodeSpanRangeCoversItsBackticks) {
    const Document document = Document::parsing("`a` and ``b``", {});
    const Markup code = at(document, {0, 0});
    ASSERT_TRUE(code.is<InlineCode>());
    EXPECT_EQ(code.range(), range(1, 1, 1, 4));
    const Markup doubled = at(document, {0, 2});
    ASSERT_TRUE(doubled.is<InlineCode>());
    EXPECT_EQ(doubled.range(), range(1, 9, 1, 14));
}

TEST(ParserTest, SymbolLinksNeedTheOptionAndTwoBackticks) {
    const std::string text = "`single` ``double`` ```triple```";
    const Document plain = Document::parsing(text, {});
    EXPECT_TRUE(at(plain, {0, 2}).is<InlineCode>());
    const Document symbols = Document::parsing(text, ParseOptions::parseSymbolLinks);
    EXPECT_TRUE(at(symbols, {0, 0}).is<InlineCode>());
    const std::optional<SymbolLink> doubled = at(symbols, {0, 2}).as<SymbolLink>();
    ASSERT_TRUE(doubled);
    EXPECT_EQ(doubled->destination(), "double");
    EXPECT_EQ(doubled->range(), range(1, 10, 1, 20));
    EXPECT_EQ(at(symbols, {0, 4}).as<SymbolLink>()->destination(), "triple");
}

TEST(ParserTest, CodeBlockLanguageIsTheWholeInfoString) {
    const Document document =
        Document::parsing("```swift example\nlet x\n```\n\n```\nplain\n```\n\n    indented\n", {});
    EXPECT_EQ(at(document, {0}).as<CodeBlock>()->language(), "swift example");
    EXPECT_EQ(at(document, {0}).as<CodeBlock>()->code(), "let x\n");
    EXPECT_EQ(at(document, {1}).as<CodeBlock>()->language(), std::nullopt);
    EXPECT_EQ(at(document, {2}).as<CodeBlock>()->language(), std::nullopt);
    EXPECT_EQ(at(document, {2}).as<CodeBlock>()->code(), "indented\n");
}

TEST(ParserTest, LinksAndImagesWithoutDestinationOrTitle) {
    const Document document = Document::parsing("[a]() [b](/url \"T\") ![c]()", {});
    const Link empty = *at(document, {0, 0}).as<Link>();
    EXPECT_EQ(empty.destination(), std::nullopt);
    EXPECT_EQ(empty.title(), std::nullopt);
    const Link full = *at(document, {0, 2}).as<Link>();
    EXPECT_EQ(full.destination(), "/url");
    EXPECT_EQ(full.title(), "T");
    EXPECT_EQ(at(document, {0, 4}).as<Image>()->source(), std::nullopt);
}

TEST(ParserTest, ListsTaskItemsAndStartIndex) {
    const Document document = Document::parsing("- [x] done\n- [ ] open\n- plain\n\n3. three\n4. four\n", {});
    const Markup list = at(document, {0});
    ASSERT_TRUE(list.is<UnorderedList>());
    EXPECT_EQ(at(list, {0}).as<ListItem>()->checkbox(), Checkbox::checked);
    EXPECT_EQ(at(list, {1}).as<ListItem>()->checkbox(), Checkbox::unchecked);
    EXPECT_EQ(at(list, {2}).as<ListItem>()->checkbox(), std::nullopt);
    ASSERT_TRUE(at(document, {1}).is<OrderedList>());
    EXPECT_EQ(at(document, {1}).as<OrderedList>()->startIndex(), 3u);
}

TEST(ParserTest, TableHeadAndBody) {
    const Document document =
        Document::parsing("| a | b | c |\n|:--|:-:|--:|\n| 1 | 2 | 3 |\n| 4 | 5 | 6 |\n\n"
                          "| x |\n|---|\n\n"
                          "| y |\n|---|\n| 7 |\n",
                          {});
    const Table table = *at(document, {0}).as<Table>();
    EXPECT_EQ(table.columnAlignments(),
              (Table::ColumnAlignments{TableColumnAlignment::left, TableColumnAlignment::center,
                                       TableColumnAlignment::right}));
    EXPECT_EQ(table.range(), range(1, 1, 4, 14));
    const Markup head = at(table, {0});
    ASSERT_TRUE(head.is<TableHead>());
    EXPECT_EQ(head.childCount(), 3);
    EXPECT_EQ(head.range(), range(1, 1, 1, 14));
    const Markup body = at(table, {1});
    ASSERT_TRUE(body.is<TableBody>());
    EXPECT_EQ(body.childCount(), 2);
    EXPECT_EQ(body.range(), range(3, 1, 4, 14));

    const Markup headOnlyBody = at(document, {1, 1});
    EXPECT_EQ(headOnlyBody.childCount(), 0);
    EXPECT_EQ(headOnlyBody.range(), std::nullopt);

    // The second table with rows opens a body of its own.
    EXPECT_EQ(at(document, {2, 1}).range(), range(11, 1, 11, 6));
}

TEST(ParserTest, TableCellSpans) {
    const Document document = Document::parsing(
        "| h1 | h2 | h3 |\n|---|---|---|\n| a || b |\n| c | d | e |\n| ^ | f | g |\n| ^ | | ^ |\n", {});
    auto spans = [&](std::int64_t row, std::int64_t cell) {
        const TableCell found = *at(document, {0, 1, row, cell}).as<TableCell>();
        return std::pair{found.colspan(), found.rowspan()};
    };
    EXPECT_EQ(spans(0, 0), (std::pair<std::uint64_t, std::uint64_t>{2, 1}));
    EXPECT_EQ(spans(0, 1), (std::pair<std::uint64_t, std::uint64_t>{0, 1}));
    EXPECT_EQ(spans(0, 2), (std::pair<std::uint64_t, std::uint64_t>{1, 1}));
    EXPECT_EQ(spans(1, 0), (std::pair<std::uint64_t, std::uint64_t>{1, 3}));
    EXPECT_EQ(spans(2, 0), (std::pair<std::uint64_t, std::uint64_t>{1, 0}));
    EXPECT_EQ(spans(3, 1), (std::pair<std::uint64_t, std::uint64_t>{1, 1})); // a blank between the pipes
    EXPECT_EQ(spans(1, 2), (std::pair<std::uint64_t, std::uint64_t>{1, 1}));
    EXPECT_EQ(spans(2, 2), (std::pair<std::uint64_t, std::uint64_t>{1, 2}));
}

TEST(ParserTest, InlineAttributes) {
    const Document document = Document::parsing("See ^[word](size: 2, \"x\") and ^[not] (this)", {});
    const std::optional<InlineAttributes> attributes = at(document, {0, 1}).as<InlineAttributes>();
    ASSERT_TRUE(attributes);
    EXPECT_EQ(attributes->attributes(), "size: 2, \"x\"");
    EXPECT_EQ(attributes->range(), range(1, 5, 1, 26));
    ASSERT_EQ(attributes->childCount(), 1);
    EXPECT_EQ(at(*attributes, {0}).as<Text>()->string(), "word");
    for (const Markup& child : at(document, {0}).children()) {
        if (child.indexInParent() > 1) {
            EXPECT_FALSE(child.is<InlineAttributes>());
        }
    }
}

TEST(ParserTest, InvalidUtf8BecomesReplacementCharacters) {
    const Document document = Document::parsing("a\xFF\xC3 b", {});
    EXPECT_EQ(at(document, {0, 0}).as<Text>()->string(), "a\xEF\xBF\xBD\xEF\xBF\xBD b");
}

TEST(ParserTest, TwoParsesShareStructureNotIdentity) {
    const std::string text = "# A\n\n> quote *b*\n";
    const Document first = Document::parsing(text, {});
    const Document second = Document::parsing(text, {});
    EXPECT_TRUE(first.hasSameStructure(second));
    EXPECT_FALSE(first.isIdentical(second));
}

class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& bytes) {
        path_ = (std::filesystem::temp_directory_path() / ("qs-parser-" + std::to_string(getpid()) + ".md"))
                    .string();
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~TemporaryFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST(ParserTest, FileParsingCarriesTheFileAsSource) {
    const TemporaryFile file("# Title\n\nText `code`\n");
    const URL url("file://" + file.path());
    const Document document = Document::parsing(url, {});
    std::vector<std::optional<SourceRange>> ranges;
    collectRanges(document, ranges);
    for (const auto& found : ranges) {
        ASSERT_TRUE(found);
        EXPECT_EQ(found->start().source(), url);
        EXPECT_EQ(found->end().source(), url);
    }
    const Document directives = Document::parsing(url, ParseOptions::parseBlockDirectives);
    EXPECT_EQ(at(directives, {1, 1}).range()->start().source(), url);
}

TEST(ParserTest, FileInUtf16IsDecoded) {
    const TemporaryFile file(std::string("\xFF\xFE"
                                         "a\0\xE9\0",
                                         6));
    EXPECT_EQ(at(Document::parsing(URL(file.path()), {}), {0, 0}).as<Text>()->string(), "a\xC3\xA9");
}

TEST(ParserTest, UnreadableFilesThrow) {
    EXPECT_THROW(Document::parsing(URL("file:///nonexistent/quillstack/none.md"), {}), std::system_error);
    // A directory opens like a file but holds no text: it is refused, not parsed as an empty document.
    EXPECT_THROW(Document::parsing(URL(std::filesystem::temp_directory_path().string()), {}),
                 std::system_error);
}

} // namespace
} // namespace Markdown
