#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace ModelTest;

TEST(RawMarkup, SubtreeCountsAddUpFromTheLeaves) {
    const RawMarkupRef leaf = parsedNode(RawKind::thematicBreak, std::nullopt);
    EXPECT_EQ(leaf->childCount(), 0);
    EXPECT_EQ(leaf->subtreeCount(), 1);
    const RawMarkupRef paragraph = parsedNode(RawKind::paragraph, std::nullopt,
                                              {parsedNode(RawMarkupData::text("a"), std::nullopt),
                                               parsedNode(RawMarkupData::text("b"), std::nullopt)});
    EXPECT_EQ(paragraph->subtreeCount(), 3);
    const RawMarkupRef document = parsedNode(RawKind::document, std::nullopt, {paragraph, leaf});
    EXPECT_EQ(document->subtreeCount(), 5);
    EXPECT_EQ(document->child(1), leaf);
}

TEST(RawMarkup, ChildAccessOutsideTheChildrenThrows) {
    const RawMarkupRef document =
        parsedNode(RawKind::document, std::nullopt, {parsedNode(RawKind::thematicBreak, {})});
    EXPECT_THROW(document->child(1), std::out_of_range);
    EXPECT_THROW(document->child(-1), std::out_of_range);
}

TEST(RawMarkup, KindsWithPayloadCannotBeMadeWithout) {
    EXPECT_THROW(RawMarkupData::withoutPayload(RawKind::text), std::invalid_argument);
    EXPECT_THROW(RawMarkupData::withoutPayload(RawKind::doxygenParam), std::invalid_argument);
    EXPECT_NO_THROW(RawMarkupData::withoutPayload(RawKind::doxygenReturns));
}

TEST(RawMarkupData, EqualityComparesKindAndEveryPayloadField) {
    struct Case {
        const char* name;
        RawMarkupData a;
        RawMarkupData b;
        bool equal;
    };
    const Case cases[] = {
        {"absent vs empty language", RawMarkupData::codeBlock("x", std::nullopt),
         RawMarkupData::codeBlock("x", ""), false},
        {"same code block", RawMarkupData::codeBlock("x", "c"), RawMarkupData::codeBlock("x", "c"), true},
        {"precomposed vs combining", RawMarkupData::text("caf\xC3\xA9"), RawMarkupData::text("cafe\xCC\x81"),
         true},
        {"kelvin sign is not K", RawMarkupData::text("K"), RawMarkupData::text("k"), false},
        {"text vs inline code", RawMarkupData::text("x"), RawMarkupData::inlineCode("x"), false},
        {"checked vs unchecked", RawMarkupData::listItem(Checkbox::checked),
         RawMarkupData::listItem(Checkbox::unchecked), false},
        {"absent checkbox vs checked", RawMarkupData::listItem(std::nullopt),
         RawMarkupData::listItem(Checkbox::checked), false},
        {"absent alignment vs left", RawMarkupData::table({std::nullopt, TableColumnAlignment::right}),
         RawMarkupData::table({TableColumnAlignment::left, TableColumnAlignment::right}), false},
        {"same alignments", RawMarkupData::table({std::nullopt}), RawMarkupData::table({std::nullopt}), true},
        {"link title differs", RawMarkupData::link("d", "t"), RawMarkupData::link("d", std::nullopt), false},
        {"link vs image", RawMarkupData::link("d", std::nullopt), RawMarkupData::image("d", std::nullopt),
         false},
        {"spans", RawMarkupData::tableCell(1, 2), RawMarkupData::tableCell(2, 1), false},
        {"directive name location",
         RawMarkupData::blockDirective("a", SourceLocation(1, 2), DirectiveArgumentText("x")),
         RawMarkupData::blockDirective("a", std::nullopt, DirectiveArgumentText("x")), false},
        {"directive arguments", RawMarkupData::blockDirective("a", std::nullopt, DirectiveArgumentText("x")),
         RawMarkupData::blockDirective("a", std::nullopt, DirectiveArgumentText("x")), true},
        {"payload-free kinds", RawMarkupData::withoutPayload(RawKind::strong),
         RawMarkupData::withoutPayload(RawKind::strong), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << c.name;
    }
}

TEST(RawMarkup, SameStructureIgnoresRangesButSeesDeepDifferences) {
    auto build = [](std::string deepText, std::int64_t line) {
        return parsedNode(RawKind::document, rangeOf(line, 1, line, 9),
                          {parsedNode(RawKind::paragraph, rangeOf(line, 1, line, 5),
                                      {parsedNode(RawKind::emphasis, std::nullopt,
                                                  {parsedNode(RawMarkupData::text(std::move(deepText)),
                                                              rangeOf(line, 2, line, 3))})})});
    };
    const RawMarkupRef first = build("x", 1);
    EXPECT_TRUE(first->hasSameStructure(*first));
    EXPECT_TRUE(first->hasSameStructure(*build("x", 7)));
    EXPECT_FALSE(first->hasSameStructure(*build("y", 1)));
    const RawMarkupRef extraChild = parsedNode(RawKind::document, std::nullopt,
                                               {first->child(0), parsedNode(RawKind::thematicBreak, {})});
    EXPECT_FALSE(first->hasSameStructure(*extraChild));
}

TEST(RawMarkup, SubstitutingAChildTakesItsRangeUnlessPreserved) {
    const RawMarkupRef parent = parsedNode(RawKind::paragraph, rangeOf(1, 1, 1, 10),
                                           {parsedNode(RawMarkupData::text("a"), rangeOf(1, 1, 1, 2))});
    const RawMarkupRef ranged = parsedNode(RawMarkupData::text("b"), rangeOf(4, 1, 4, 3));
    const RawMarkupRef unranged = parsedNode(RawMarkupData::text("c"), std::nullopt);
    EXPECT_EQ(parent->substitutingChild(ranged, 0, true)->parsedRange(), rangeOf(1, 1, 1, 10));
    EXPECT_EQ(parent->substitutingChild(ranged, 0, false)->parsedRange(), rangeOf(4, 1, 4, 3));
    EXPECT_EQ(parent->substitutingChild(unranged, 0, false)->parsedRange(), std::nullopt);
    EXPECT_EQ(parent->substitutingChild(unranged, 0, false)->child(0), unranged);
    EXPECT_THROW(parent->substitutingChild(unranged, 1, false), std::out_of_range);
    EXPECT_THROW(parent->substitutingChild(unranged, -1, false), std::out_of_range);
}

// Nodes keep parsed ranges in a compact form and any other range whole; either way the range comes back
// exactly as given, sources included.
TEST(RawMarkup, RangesComeBackExactlyAsGiven) {
    const URL file("file:///notes/a.md");
    const URL other("file:///notes/b.md");
    constexpr std::int64_t beyond32Bits = std::int64_t{1} << 40;
    struct Case {
        const char* name;
        std::optional<SourceRange> range;
    };
    const Case cases[] = {
        {"none", std::nullopt},
        {"without a source", rangeOf(3, 1, 4, 7)},
        {"empty", rangeOf(2, 5, 2, 5)},
        {"one source", SourceRange(SourceLocation(1, 2, file), SourceLocation(1, 9, file))},
        {"two sources", SourceRange(SourceLocation(1, 2, file), SourceLocation(1, 9, other))},
        {"source at one end only", SourceRange(SourceLocation(1, 2), SourceLocation(1, 9, file))},
        {"lines beyond 32 bits",
         SourceRange(SourceLocation(1, 1, file), SourceLocation(beyond32Bits, 1, file))},
        {"negative columns", rangeOf(1, -beyond32Bits, 1, -1)},
    };
    for (const Case& c : cases) {
        const RawMarkupRef node = parsedNode(RawMarkupData::text("x"), c.range);
        const std::optional<SourceRange> range = node->parsedRange();
        EXPECT_EQ(range, c.range) << c.name;
        if (range && c.range) {
            EXPECT_EQ(range->start().source(), c.range->start().source()) << c.name;
            EXPECT_EQ(range->end().source(), c.range->end().source()) << c.name;
        }
    }
}

TEST(RawMarkup, CompactRangesFromAParserAreCheckedLikeAnyOther) {
    const URL file("file:///notes/a.md");
    const RawMarkupRef node =
        RawMarkup::create(RawMarkupData::text("x"), StoredSourceRange(2, 3, 2, 8, file), {});
    EXPECT_EQ(node->parsedRange(), SourceRange(SourceLocation(2, 3, file), SourceLocation(2, 8, file)));
    EXPECT_EQ(RawMarkup::create(RawMarkupData::text("x"), StoredSourceRange(), {})->parsedRange(),
              std::nullopt);
    constexpr std::int64_t beyond32Bits = std::int64_t{1} << 40;
    EXPECT_EQ(RawMarkup::create(RawMarkupData::text("x"), StoredSourceRange(2, 3, beyond32Bits, 1, file), {})
                  ->parsedRange(),
              SourceRange(SourceLocation(2, 3, file), SourceLocation(beyond32Bits, 1, file)));
    EXPECT_THROW(StoredSourceRange(2, 3, 2, 2, file), std::invalid_argument);
    EXPECT_THROW(StoredSourceRange(2, 3, 1, 9, std::nullopt), std::invalid_argument);
}

TEST(RawMarkup, RangeOfARunSpansFirstToLast) {
    const RawMarkupRef first = parsedNode(RawKind::thematicBreak, rangeOf(1, 1, 1, 4));
    const RawMarkupRef middle = parsedNode(RawKind::thematicBreak, std::nullopt);
    const RawMarkupRef last = parsedNode(RawKind::thematicBreak, rangeOf(3, 1, 3, 4));
    EXPECT_EQ(parsedRangeOfRun({}), std::nullopt);
    const std::vector<RawMarkupRef> run{first, middle, last};
    EXPECT_EQ(parsedRangeOfRun(run), rangeOf(1, 1, 3, 4));
    const std::vector<RawMarkupRef> unrangedEnd{first, middle};
    EXPECT_EQ(parsedRangeOfRun(unrangedEnd), std::nullopt);
    const std::vector<RawMarkupRef> unrangedStart{middle, last};
    EXPECT_EQ(parsedRangeOfRun(unrangedStart), std::nullopt);
    // Nodes placed in reverse order would give a range ending before it starts: no range.
    const std::vector<RawMarkupRef> reversed{last, first};
    EXPECT_EQ(parsedRangeOfRun(reversed), std::nullopt);
}

TEST(RawMarkup, ConversionErrorNamesTheNodeAndTheTargetType) {
    const Markup text = rootView(parsedNode(RawMarkupData::text("Hello"), std::nullopt));
    try {
        Heading heading(text.data());
        FAIL() << "wrapped a text as a heading";
    } catch (const RawMarkup::Error& error) {
        EXPECT_STREQ(error.what(), "Can't wrap a text(\"Hello\") in a Heading");
    }
    EXPECT_EQ(text.as<Heading>(), std::nullopt);
}

// A chain of nodes far deeper than any stack could recurse through.
RawMarkupRef deepChain(std::int64_t depth, const std::string& leafText) {
    RawMarkupRef node = parsedNode(RawMarkupData::text(leafText), std::nullopt);
    for (std::int64_t i = 0; i < depth; ++i) {
        node = parsedNode(RawKind::blockQuote, std::nullopt, {node});
    }
    return node;
}

TEST(RawMarkup, VeryDeepTreesCompareAndReleaseWithoutRecursion) {
    const std::int64_t before = RawMarkup::liveNodeCount();
    {
        constexpr std::int64_t depth = 200000;
        const RawMarkupRef a = deepChain(depth, "x");
        const RawMarkupRef b = deepChain(depth, "x");
        const RawMarkupRef c = deepChain(depth, "y");
        EXPECT_EQ(a->subtreeCount(), depth + 1);
        EXPECT_TRUE(a->hasSameStructure(*b));
        EXPECT_FALSE(a->hasSameStructure(*c));
        EXPECT_EQ(RawMarkup::liveNodeCount() - before, 3 * (depth + 1));
    }
    EXPECT_EQ(RawMarkup::liveNodeCount(), before);
}

TEST(RawMarkup, SharedSubtreesLiveUntilTheirLastParentGoes) {
    const std::int64_t before = RawMarkup::liveNodeCount();
    RawMarkupRef shared = parsedNode(RawMarkupData::text("shared"), std::nullopt);
    RawMarkupRef first = parsedNode(RawKind::paragraph, std::nullopt, {shared});
    RawMarkupRef second = parsedNode(RawKind::paragraph, std::nullopt, {shared, shared});
    shared = {};
    EXPECT_EQ(RawMarkup::liveNodeCount() - before, 3);
    first = {};
    EXPECT_EQ(RawMarkup::liveNodeCount() - before, 2);
    EXPECT_EQ(second->child(1)->data().stringPayload().value, "shared");
    second = {};
    EXPECT_EQ(RawMarkup::liveNodeCount(), before);
}

// Nodes carved out of blocks, as the parser makes them: a block must stay while any node in it is
// alive, whoever holds it and on whichever thread it goes. The sanitizer pass checks the memory.
TEST(RawNodeBlocks, NodesStayValidUntilTheirOwnLastReferenceGoes) {
    const std::int64_t before = RawMarkup::liveNodeCount();
    constexpr int paragraphCount = 3000;
    RawMarkupRef document;
    {
        RawNodeBlocks blocks;
        std::vector<RawMarkupRef> paragraphs;
        for (int i = 0; i < paragraphCount; ++i) {
            // A node released while its block is still being filled.
            RawMarkup::create(RawMarkupData::text("dropped at once"), StoredSourceRange(), {}, &blocks);
            RawMarkupRef text = RawMarkup::create(
                RawMarkupData::text("paragraph number " + std::to_string(i) + ", long enough for the heap"),
                StoredSourceRange(i + 1, 1, i + 1, 40, std::nullopt), {}, &blocks);
            paragraphs.push_back(RawMarkup::createAdopting(
                RawMarkupData::withoutPayload(RawKind::paragraph),
                StoredSourceRange(i + 1, 1, i + 1, 40, std::nullopt), std::span(&text, 1), &blocks));
        }
        // Too many children for a block: this node gets its own allocation.
        document = RawMarkup::createAdopting(RawMarkupData::withoutPayload(RawKind::document),
                                             StoredSourceRange(), paragraphs, &blocks);
    }
    EXPECT_EQ(RawMarkup::liveNodeCount() - before, 1 + 2 * paragraphCount);

    RawMarkupRef first = document->child(0);
    RawMarkupRef middle = document->child(1234);
    RawMarkupRef last = document->child(paragraphCount - 1);
    document = {};
    EXPECT_EQ(RawMarkup::liveNodeCount() - before, 6);
    EXPECT_EQ(middle->child(0)->data().stringPayload().value,
              "paragraph number 1234, long enough for the heap");
    EXPECT_EQ(last->parsedRange()->start().line(), paragraphCount);

    std::thread([held = std::move(middle)]() mutable { held = {}; }).join();
    first = {};
    EXPECT_EQ(last->child(0)->data().stringPayload().value,
              "paragraph number 2999, long enough for the heap");
    last = {};
    EXPECT_EQ(RawMarkup::liveNodeCount(), before);
}

} // namespace

namespace {

// A tree owned by a static object is released after the thread's own objects are gone; freeing it
// then must not touch any per-thread state.
TEST(RawMarkup, TreeHeldByAStaticIsFreedWhileTheProgramExits) {
    EXPECT_EXIT(
        {
            static const RawMarkupRef held =
                ModelTest::parsedNode(RawKind::paragraph, std::nullopt,
                                      {ModelTest::parsedNode(RawMarkupData::text("a"), std::nullopt),
                                       ModelTest::parsedNode(RawMarkupData::text("b"), std::nullopt)});
            (void)held;
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
