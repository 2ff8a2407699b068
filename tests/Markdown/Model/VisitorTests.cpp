#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

using namespace ModelTest;

struct TypeRecorder : MarkupWalker<TypeRecorder> {
    std::vector<std::string> types;
    void defaultVisit(const Markup& markup) {
        types.emplace_back(markup.typeName());
        descendInto(markup);
    }
};

struct EmphasisSkipper : MarkupWalker<EmphasisSkipper> {
    std::vector<std::string> texts;
    void visitText(const Text& text) { texts.push_back(text.string()); }
    void visitEmphasis(const Emphasis&) {}
};

struct CallCounter : MarkupWalker<CallCounter> {
    int calls = 0;
    void visit(const Markup& markup) {
        ++calls;
        markup.accept(*this);
    }
};

// Every typed operation reports the name it was called under.
struct DispatchRecorder : MarkupVisitor<DispatchRecorder, std::string> {
    std::string defaultVisit(const Markup&) { return "default"; }
    std::string visitTableCell(const TableCell&) { return "cell"; }
    std::string visitTable(const Table&) { return "table"; }
    std::string visitDoxygenParameter(const DoxygenParameter&) { return "parameter"; }
};

Document sampleDocument() {
    return Document({Heading(1, {Text("title")}), Paragraph({Text("a"), Emphasis({Text("b")})})});
}

TEST(Walker, VisitsEveryElementParentFirstInDocumentOrder) {
    TypeRecorder recorder;
    recorder.visit(sampleDocument());
    EXPECT_EQ(recorder.types, (std::vector<std::string>{"Document", "Heading", "Text", "Paragraph", "Text",
                                                        "Emphasis", "Text"}));
    TypeRecorder empty;
    empty.visit(Document());
    EXPECT_EQ(empty.types, std::vector<std::string>{"Document"});
}

TEST(Walker, ASuppliedOperationCutsTheDescent) {
    EmphasisSkipper skipper;
    skipper.visit(sampleDocument());
    EXPECT_EQ(skipper.texts, (std::vector<std::string>{"title", "a"}));
}

TEST(Walker, VisitSeesEveryElementAndDescendIntoExcludesTheStart) {
    CallCounter fromVisit;
    fromVisit.visit(sampleDocument());
    EXPECT_EQ(fromVisit.calls, 7);
    CallCounter fromDescend;
    fromDescend.descendInto(sampleDocument());
    EXPECT_EQ(fromDescend.calls, 6);
}

TEST(Walker, ChildrenHandedOutKnowTheirParentAndIdentity) {
    struct ParentChecker : MarkupWalker<ParentChecker> {
        std::vector<MarkupIdentifier> ids;
        void defaultVisit(const Markup& markup) {
            ids.push_back(markup.data().id());
            if (const auto parent = markup.parent()) {
                EXPECT_EQ(parent->child(markup.indexInParent())->data().id(), markup.data().id());
            }
            descendInto(markup);
        }
    };
    const Document document = sampleDocument();
    ParentChecker first;
    first.visit(document);
    ParentChecker second;
    second.visit(document);
    EXPECT_EQ(first.ids, second.ids);
}

TEST(Visitor, EachElementReachesItsOwnOperation) {
    const Table table(std::nullopt, TableHead(TableCell({Text("x")})), TableBody());
    DispatchRecorder recorder;
    EXPECT_EQ(recorder.visit(table), "table");
    EXPECT_EQ(recorder.visit(*table.child({0, 0})), "cell");
    EXPECT_EQ(recorder.visit(*table.child(0)), "default");
    EXPECT_EQ(recorder.visit(DoxygenParameter("p")), "parameter");
    EXPECT_EQ(recorder.visit(Text("x")), "default");
}

Markup nestedQuotes(int depth, Markup innermost) {
    Markup nested = std::move(innermost);
    for (int i = 0; i < depth; ++i) {
        nested = BlockQuote(std::vector<Markup>{nested});
    }
    return nested;
}

TEST(Visitor, DeepTreesAreWalkedWithoutOverflowingTheStack) {
    constexpr int depth = 30000;
    TypeRecorder recorder;
    recorder.visit(nestedQuotes(depth, Paragraph({Text("x")})));
    ASSERT_EQ(recorder.types.size(), static_cast<std::size_t>(depth + 2));
    EXPECT_EQ(recorder.types.back(), "Text");
}

TEST(Visitor, ErrorsThrownDeepInsideATraversalReachTheCaller) {
    struct Thrower : MarkupWalker<Thrower> {
        void visitText(const Text&) { throw std::domain_error("found the text"); }
    };
    // On the caller's stack, and past it on a helper's.
    for (int depth : {1000, 100000}) {
        Thrower thrower;
        EXPECT_THROW(thrower.visit(nestedQuotes(depth, Paragraph({Text("x")}))), std::domain_error) << depth;
    }
}

// A deep traversal goes on past the caller's stack on one helper for hundreds of thousands of levels, not
// on a new thread every few dozen; every thread that takes part is counted.
TEST(Visitor, DeepTraversalsGoOnOneHelperNotAThreadPerShare) {
    constexpr int depth = 100000;
    const Markup nested = nestedQuotes(depth, Paragraph({Text("x")}));

    struct ThreadWalker : MarkupWalker<ThreadWalker> {
        std::set<std::thread::id> threads;
        std::int64_t nodes = 0;
        void defaultVisit(const Markup& markup) {
            threads.insert(std::this_thread::get_id());
            ++nodes;
            descendInto(markup);
        }
    } walker;
    walker.visit(nested);
    EXPECT_EQ(walker.nodes, depth + 2);
    EXPECT_LE(walker.threads.size(), 3u);

    struct ThreadRewriter : MarkupRewriter<ThreadRewriter> {
        std::set<std::thread::id> threads;
        std::optional<Markup> defaultVisit(const Markup& markup) {
            threads.insert(std::this_thread::get_id());
            return MarkupRewriter::defaultVisit(markup);
        }
    } rewriter;
    const std::optional<Markup> rewritten = rewriter.visit(nested);
    ASSERT_TRUE(rewritten);
    EXPECT_TRUE(rewritten->hasSameStructure(nested));
    EXPECT_LE(rewriter.threads.size(), 3u);
}

TEST(Rewriter, DeepTreesAreRewrittenWithoutOverflowingTheStack) {
    constexpr int depth = 500;
    const Markup nested = nestedQuotes(depth, Paragraph({Text("a"), SoftBreak(), Text("b")}));
    const std::optional<Markup> rewritten = nested.withoutSoftBreaks();
    ASSERT_TRUE(rewritten.has_value());
    EXPECT_TRUE(
        rewritten->hasSameStructure(nestedQuotes(depth, Paragraph({Text("a"), Text(" "), Text("b")}))));
}

struct IdentityRewriter : MarkupRewriter<IdentityRewriter> {};

struct SoftBreakDropper : MarkupRewriter<SoftBreakDropper> {
    std::optional<Markup> visitSoftBreak(const SoftBreak&) { return std::nullopt; }
};

struct TextDropper : MarkupRewriter<TextDropper> {
    std::optional<Markup> visitText(const Text&) { return std::nullopt; }
};

struct DocumentDropper : MarkupRewriter<DocumentDropper> {
    std::optional<Markup> visitDocument(const Document&) { return std::nullopt; }
};

struct ParagraphCounter : MarkupRewriter<ParagraphCounter> {
    std::vector<std::string> seen;
    std::optional<Markup> visitParagraph(const Paragraph& paragraph) {
        seen.push_back(paragraph.plainText());
        return defaultVisit(paragraph);
    }
};

Document parsedSample() {
    return rootView<Document>(
        parsedNode(RawKind::document, rangeOf(1, 1, 4, 1),
                   {parsedNode(RawKind::paragraph, rangeOf(1, 1, 2, 2),
                               {parsedNode(RawMarkupData::text("a"), rangeOf(1, 1, 1, 2)),
                                parsedNode(RawKind::softBreak, rangeOf(1, 2, 2, 1)),
                                parsedNode(RawMarkupData::text("b"), rangeOf(2, 1, 2, 2))}),
                    parsedNode(RawKind::blockQuote, rangeOf(3, 1, 3, 4),
                               {parsedNode(RawKind::paragraph, rangeOf(3, 3, 3, 4),
                                           {parsedNode(RawMarkupData::text("c"), rangeOf(3, 3, 3, 4))})}),
                    parsedNode(RawMarkupData::table({TableColumnAlignment::right}), rangeOf(4, 1, 4, 1),
                               {parsedNode(RawKind::tableHead, std::nullopt,
                                           {parsedNode(RawMarkupData::tableCell(2, 0), std::nullopt)}),
                                parsedNode(RawKind::tableBody, std::nullopt)})}));
}

void expectSameRanges(const Markup& a, const Markup& b) {
    EXPECT_EQ(a.range(), b.range()) << a.typeName();
    ASSERT_EQ(a.childCount(), b.childCount());
    for (std::int64_t i = 0; i < a.childCount(); ++i) {
        expectSameRanges(*a.child(i), *b.child(i));
    }
}

TEST(Rewriter, RewritingNothingRebuildsTheSameTreeWithNewIdentities) {
    const Document document = parsedSample();
    IdentityRewriter rewriter;
    const std::optional<Markup> rewritten = rewriter.visit(document);
    ASSERT_TRUE(rewritten.has_value());
    EXPECT_TRUE(rewritten->hasSameStructure(document));
    EXPECT_FALSE(rewritten->isIdentical(document));
    expectSameRanges(*rewritten, document);
    const Table table = *rewritten->child(2)->as<Table>();
    EXPECT_EQ(table.columnAlignments(), Table::ColumnAlignments{TableColumnAlignment::right});
    EXPECT_EQ(table.head().cells().begin().operator*().colspan(), 2u);
}

TEST(Rewriter, DroppedElementsLeaveTheirSiblingsAndParentsInPlace) {
    SoftBreakDropper dropper;
    const Markup withoutBreaks = *dropper.visit(parsedSample());
    EXPECT_EQ(withoutBreaks.child(0)->childCount(), 2);
    EXPECT_EQ(withoutBreaks.child({0, 1})->as<Text>()->string(), "b");

    TextDropper texts;
    const Markup withoutTexts = *texts.visit(parsedSample());
    EXPECT_EQ(withoutTexts.child(0)->childCount(), 1);
    EXPECT_EQ(withoutTexts.child({1, 0})->childCount(), 0);

    DocumentDropper documents;
    EXPECT_EQ(documents.visit(parsedSample()), std::nullopt);
}

TEST(Rewriter, SeesEveryParagraphOnceInDocumentOrder) {
    ParagraphCounter counter;
    counter.visit(Document({Paragraph({Text("1")}), BlockQuote({Paragraph({Text("2")})}),
                            OrderedList(ListItem(std::nullopt, {Paragraph({Text("3")})}))}));
    EXPECT_EQ(counter.seen, (std::vector<std::string>{"1", "2", "3"}));
}

// Records how many raw nodes are alive after each text is rewritten.
struct LiveNodeSampler : MarkupRewriter<LiveNodeSampler> {
    std::int64_t peak = 0;
    std::optional<Markup> visitText(const Text& text) {
        std::optional<Markup> rewritten = defaultVisit(text);
        peak = std::max(peak, RawMarkup::liveNodeCount());
        return rewritten;
    }
};

TEST(Rewriter, ChildrenOfAWideElementAreRewrittenWithoutATreeCopyEach) {
    constexpr int width = 300;
    std::vector<Markup> texts;
    for (int i = 0; i < width; ++i) {
        texts.push_back(Text("t"));
    }
    const Document document({BlockQuote({Paragraph(texts)})});
    const std::int64_t before = RawMarkup::liveNodeCount();
    LiveNodeSampler sampler;
    const std::optional<Markup> rewritten = sampler.visit(document);
    ASSERT_TRUE(rewritten.has_value());
    EXPECT_TRUE(rewritten->hasSameStructure(document));
    // One new node per rewritten text; none of their ancestors rebuilt for each of them.
    EXPECT_LE(sampler.peak - before, width + 3);
}

TEST(Rewriter, AnInnerStartIsPlacedInARebuiltTree) {
    const Document document = parsedSample();
    const std::optional<Markup> paragraph = document.child(0)->withoutSoftBreaks();
    ASSERT_TRUE(paragraph.has_value());
    EXPECT_EQ(paragraph->indexInParent(), 0);
    ASSERT_TRUE(paragraph->parent().has_value());
    EXPECT_EQ(paragraph->root().childCount(), document.childCount());
    EXPECT_FALSE(paragraph->root().isIdentical(document));
    EXPECT_EQ(paragraph->child(1)->as<Text>()->string(), " ");
}

TEST(WithoutSoftBreaks, SoftBreaksBecomeSpacesWithoutRanges) {
    const Document document = parsedSample();
    const std::optional<Markup> result = document.withoutSoftBreaks();
    ASSERT_TRUE(result.has_value());
    const Markup paragraph = *result->child(0);
    ASSERT_EQ(paragraph.childCount(), 3);
    EXPECT_EQ(paragraph.child(1)->as<Text>()->string(), " ");
    EXPECT_EQ(paragraph.child(1)->range(), std::nullopt);
    EXPECT_EQ(paragraph.child(0)->range(), rangeOf(1, 1, 1, 2));
    EXPECT_EQ(paragraph.range(), rangeOf(1, 1, 2, 2));
    EXPECT_EQ(SoftBreak().withoutSoftBreaks(), std::nullopt);
    EXPECT_TRUE(Paragraph({Text("a")}).withoutSoftBreaks()->is<Paragraph>());
}

} // namespace
