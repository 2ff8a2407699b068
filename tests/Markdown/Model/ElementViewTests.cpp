#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

namespace {

using namespace ModelTest;

// Document [Paragraph [T1, Emphasis [T2], T3], ThematicBreak], every node with a range as if parsed.
class ParsedDocument : public ::testing::Test {
protected:
    ParsedDocument()
        : document(rootView<Document>(parsedNode(
              RawKind::document, rangeOf(1, 1, 3, 4),
              {parsedNode(RawKind::paragraph, rangeOf(1, 1, 1, 12),
                          {parsedNode(RawMarkupData::text("T1"), rangeOf(1, 1, 1, 3)),
                           parsedNode(RawKind::emphasis, rangeOf(1, 3, 1, 7),
                                      {parsedNode(RawMarkupData::text("T2"), rangeOf(1, 4, 1, 6))}),
                           parsedNode(RawMarkupData::text("T3"), rangeOf(1, 7, 1, 12))}),
               parsedNode(RawKind::thematicBreak, rangeOf(3, 1, 3, 4))}))) {}

    Document document;
};

TEST_F(ParsedDocument, ChildIdentifiersArePreorderNumbers) {
    std::vector<std::pair<std::string, std::int64_t>> seen;
    std::vector<Markup> pending{document};
    while (!pending.empty()) {
        Markup view = pending.back();
        pending.pop_back();
        seen.emplace_back(std::string(view.typeName()), childIdOf(view));
        const std::vector<Markup> children = childrenOf(view);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    const std::vector<std::pair<std::string, std::int64_t>> expected = {
        {"Document", 0}, {"Paragraph", 1}, {"Text", 2},         {"Emphasis", 3},
        {"Text", 4},     {"Text", 5},      {"ThematicBreak", 6}};
    EXPECT_EQ(seen, expected);
    const Markup rule = *document.child(1);
    EXPECT_EQ(childIdOf(rule), 6);
    EXPECT_EQ(rule.indexInParent(), 1);
}

TEST_F(ParsedDocument, BackwardIterationGivesTheSameViewsReversed) {
    const Markup paragraph = *document.child(0);
    const std::vector<Markup> forward = childrenOf(paragraph);
    std::vector<Markup> backward;
    for (const Markup& child : paragraph.children().reversed()) {
        backward.push_back(child);
    }
    ASSERT_EQ(forward.size(), 3u);
    ASSERT_EQ(backward.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(forward[i].isIdentical(backward[2 - i]));
        EXPECT_EQ(backward[2 - i].indexInParent(), static_cast<std::int64_t>(i));
    }
    EXPECT_EQ(childIdOf(backward[0]), childIdOf(paragraph) + paragraph.data().node().subtreeCount() -
                                          backward[0].data().node().subtreeCount());
}

TEST_F(ParsedDocument, ChildLookupsOutsideTheTreeAreAbsent) {
    EXPECT_EQ(document.child(2), std::nullopt);
    EXPECT_EQ(document.child(-1), std::nullopt);
    EXPECT_TRUE(document.child(TypedChildIndexPath{})->isIdentical(document));
    EXPECT_EQ(document.child({0, 5}), std::nullopt);
    EXPECT_EQ(document.child({0, -1}), std::nullopt);
    EXPECT_EQ(document.child(TypedChildIndexPath{{0, RawKind::heading}}), std::nullopt);
    const std::optional<Markup> t2 =
        document.child(TypedChildIndexPath{{0, RawKind::paragraph}, {1, std::nullopt}, {0, RawKind::text}});
    ASSERT_TRUE(t2.has_value());
    EXPECT_EQ(t2->as<Text>()->string(), "T2");
    EXPECT_TRUE(document.child(std::vector<std::int64_t>{0, 1, 0})->isIdentical(*t2));
}

TEST_F(ParsedDocument, ParentAndRootFollowTheWayDown) {
    const Markup t2 = *document.child({0, 1, 0});
    ASSERT_TRUE(t2.parent().has_value());
    EXPECT_EQ(t2.parent()->kind(), RawKind::emphasis);
    EXPECT_TRUE(t2.root().isIdentical(document));
    EXPECT_TRUE(document.root().isIdentical(document));
    EXPECT_EQ(document.parent(), std::nullopt);
}

TEST_F(ParsedDocument, DetachingMakesAFreshRootOverTheSameNodes) {
    EXPECT_TRUE(document.detachedFromParent().isIdentical(document));
    const Markup emphasis = *document.child({0, 1});
    const Markup detached = emphasis.detachedFromParent();
    EXPECT_FALSE(detached.isIdentical(emphasis));
    EXPECT_EQ(childIdOf(detached), 0);
    EXPECT_EQ(detached.parent(), std::nullopt);
    EXPECT_TRUE(detached.hasSameStructure(emphasis));
    EXPECT_EQ(&detached.data().node(), &emphasis.data().node());
}

TEST_F(ParsedDocument, ASetterThatChangesDropsRangesUpToTheRootOnly) {
    Text t2 = *document.child({0, 1, 0})->as<Text>();
    t2.setString("changed");
    EXPECT_NE(rootIdOf(t2), rootIdOf(document));
    EXPECT_EQ(childIdOf(t2), 4);
    EXPECT_EQ(t2.range(), std::nullopt);
    EXPECT_EQ(t2.parent()->range(), std::nullopt);
    EXPECT_EQ(t2.root().range(), std::nullopt);
    // Siblings keep their ranges and are the same nodes.
    const Markup newParagraph = *t2.root().child(0);
    EXPECT_EQ(newParagraph.child(0)->range(), rangeOf(1, 1, 1, 3));
    EXPECT_EQ(&t2.root().child(1)->data().node(), &document.child(1)->data().node());
    // The old document reads as before.
    EXPECT_EQ(document.child({0, 1, 0})->as<Text>()->string(), "T2");
    EXPECT_EQ(document.range(), rangeOf(1, 1, 3, 4));
}

TEST_F(ParsedDocument, UncheckedChildrenKeepTheReceiversRangeAndHandItUp) {
    const Markup paragraph = *document.child(0);
    const Markup rebuilt = paragraph.withUncheckedChildren(std::vector<Markup>{Text("x"), ThematicBreak()});
    EXPECT_EQ(rebuilt.range(), rangeOf(1, 1, 1, 12));
    EXPECT_EQ(rebuilt.root().range(), rangeOf(1, 1, 1, 12));
    EXPECT_EQ(rebuilt.child(1)->kind(), RawKind::thematicBreak);
    EXPECT_EQ(rebuilt.kind(), RawKind::paragraph);
}

TEST_F(ParsedDocument, DeepSubstitutionKeepsRangesOfTheRebuiltPathWhenAsked) {
    const RawMarkupRef replacement = parsedNode(RawMarkupData::text("new"), std::nullopt);
    const std::int64_t positions[] = {0, 1, 0};
    const std::optional<MarkupData> kept = document.data().substitutingChild(replacement, positions, true);
    ASSERT_TRUE(kept.has_value());
    const Markup keptRoot(*kept);
    EXPECT_EQ(keptRoot.range(), rangeOf(1, 1, 3, 4));
    EXPECT_EQ(keptRoot.child({0, 1})->range(), rangeOf(1, 3, 1, 7));
    EXPECT_EQ(keptRoot.child({0, 1, 0})->as<Text>()->string(), "new");
    const std::int64_t outside[] = {0, 7};
    EXPECT_EQ(document.data().substitutingChild(replacement, outside, true), std::nullopt);
    EXPECT_EQ(document.data().substitutingChild(replacement, {}, true), std::nullopt);
}

TEST(ElementViews, NewRootsAreNotIdenticalButHaveTheSameStructure) {
    const Document a;
    const Document b;
    EXPECT_EQ(a.childCount(), 0);
    EXPECT_EQ(a.range(), std::nullopt);
    EXPECT_FALSE(a.isIdentical(b));
    EXPECT_TRUE(a.hasSameStructure(b));
    EXPECT_GT(rootIdOf(b), rootIdOf(a));
}

TEST(ElementViews, TheCounterHandsOutIncreasingValues) {
    const std::uint64_t current = _cmarkup_current_unique_id();
    EXPECT_EQ(_cmarkup_increment_and_get_unique_id(), current + 1);
    EXPECT_EQ(_cmarkup_current_unique_id(), current + 1);
    const Text text("x");
    EXPECT_EQ(rootIdOf(text), current + 2);
}

TEST(ElementViews, IdentitiesDrawnFromManyThreadsAreDistinct) {
    constexpr int threadCount = 8;
    constexpr int perThread = 5000;
    std::vector<std::vector<std::uint64_t>> drawn(threadCount);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&drawn, t] {
            for (int i = 0; i < perThread; ++i) {
                Paragraph paragraph({Text("x")});
                paragraph.setInlineChildren(std::vector<Markup>{Text("y")});
                drawn[static_cast<std::size_t>(t)].push_back(rootIdOf(paragraph));
                drawn[static_cast<std::size_t>(t)].push_back(_cmarkup_increment_and_get_unique_id());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<std::uint64_t> all;
    for (const auto& ids : drawn) {
        all.insert(ids.begin(), ids.end());
    }
    EXPECT_EQ(all.size(), static_cast<std::size_t>(threadCount * perThread * 2));
}

TEST(ElementViews, ViewsOfAVeryDeepTreeAreReleasedWithoutRecursion) {
    RawMarkupRef node = parsedNode(RawMarkupData::text("leaf"), std::nullopt);
    constexpr int depth = 100000;
    for (int i = 0; i < depth; ++i) {
        node = parsedNode(RawKind::blockQuote, std::nullopt, {node});
    }
    std::optional<Markup> view = rootView(std::move(node));
    for (int i = 0; i < depth; ++i) {
        view = view->child(0);
    }
    EXPECT_EQ(view->kind(), RawKind::text);
    EXPECT_EQ(childIdOf(*view), depth);
    // An edit at the bottom rebuilds the path and releases the old tree once the last view goes.
    Text leaf = *view->as<Text>();
    view.reset();
    leaf.setString("edited");
    EXPECT_EQ(leaf.root().data().node().subtreeCount(), depth + 1);
}

} // namespace

namespace {

struct TextCollector : MarkupWalker<TextCollector> {
    std::string texts;
    void visitText(const Text& text) { texts += text.string(); }
};

TEST(ElementViews, ThreadsShareOneTreeWhileEachEditsItsOwnCopy) {
    std::vector<Markup> paragraphs;
    for (int i = 0; i < 50; ++i) {
        paragraphs.push_back(Paragraph({Text(std::to_string(i)), Emphasis({Text("e")})}));
    }
    const Document shared(paragraphs);
    TextCollector expected;
    expected.visit(shared);

    constexpr int threadCount = 8;
    std::vector<std::string> failures(threadCount);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 200; ++round) {
                TextCollector collector;
                collector.visit(shared);
                const int editedIndex = (t + round) % 50;
                const int untouchedIndex = (editedIndex + 1) % 50;
                Text text = *shared.child({editedIndex, 0})->as<Text>();
                text.setString("edited");
                const Markup edited = text.root();
                const bool sharesUntouched = edited.child(untouchedIndex)->data().raw().markup ==
                                             shared.child(untouchedIndex)->data().raw().markup;
                if (collector.texts != expected.texts || edited.hasSameStructure(shared) ||
                    !sharesUntouched) {
                    failures[static_cast<std::size_t>(t)] = "round " + std::to_string(round);
                    return;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::string& failure : failures) {
        EXPECT_EQ(failure, "");
    }
    TextCollector after;
    after.visit(shared);
    EXPECT_EQ(after.texts, expected.texts);
}

} // namespace
