// Random edit sequences applied both to the library and to a naive mutable reference tree; after every step
// the two must agree, and the copy-on-write invariants must hold.
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>

namespace {

using namespace ModelTest;

/// The reference: a plain mutable tree, deep-copied on every edit.
struct RefNode {
    RawMarkupData data;
    std::optional<SourceRange> range;
    std::vector<std::unique_ptr<RefNode>> children;

    std::unique_ptr<RefNode> clone() const {
        auto copy = std::make_unique<RefNode>(RefNode{data, range, {}});
        for (const auto& child : children) {
            copy->children.push_back(child->clone());
        }
        return copy;
    }
};

std::unique_ptr<RefNode> refFromRaw(const RawMarkup& node) {
    auto ref = std::make_unique<RefNode>(RefNode{node.data(), node.parsedRange(), {}});
    for (const RawMarkupRef& child : node.children()) {
        ref->children.push_back(refFromRaw(*child));
    }
    return ref;
}

/// Builds random documents of blocks and inlines with ranges, as a parser would.
class TreeGenerator {
public:
    explicit TreeGenerator(std::mt19937& random) : random_(random) {}

    RawMarkupRef document() {
        std::vector<RawMarkupRef> blocks;
        const int count = pick(1, 4);
        for (int i = 0; i < count; ++i) {
            blocks.push_back(block(2));
        }
        return parsedNode(RawKind::document, nextRange(), blocks);
    }

    RawMarkupRef block(int depth) {
        switch (pick(0, depth > 0 ? 4 : 2)) {
        case 0:
            return parsedNode(RawKind::paragraph, nextRange(), inlines(2));
        case 1:
            return parsedNode(RawMarkupData::heading(pick(1, 6)), nextRange(), inlines(1));
        case 2:
            return parsedNode(
                RawMarkupData::codeBlock("code " + std::to_string(pick(0, 9)),
                                         pick(0, 1) ? std::optional<std::string>("c") : std::nullopt),
                nextRange());
        case 3: {
            std::vector<RawMarkupRef> blocks;
            for (int i = pick(0, 2); i >= 0; --i) {
                blocks.push_back(block(depth - 1));
            }
            return parsedNode(RawKind::blockQuote, nextRange(), blocks);
        }
        default:
            return parsedNode(RawKind::thematicBreak, nextRange());
        }
    }

    std::vector<RawMarkupRef> inlines(int depth) {
        std::vector<RawMarkupRef> nodes;
        for (int i = pick(0, 3); i > 0; --i) {
            nodes.push_back(inlineNode(depth));
        }
        return nodes;
    }

    RawMarkupRef inlineNode(int depth) {
        switch (pick(0, depth > 0 ? 5 : 2)) {
        case 0:
            return parsedNode(RawMarkupData::text("t" + std::to_string(pick(0, 99))), nextRange());
        case 1:
            return parsedNode(RawKind::softBreak, nextRange());
        case 2:
            return parsedNode(RawMarkupData::inlineCode("x"), nextRange());
        case 3:
            return parsedNode(RawKind::emphasis, nextRange(), inlines(depth - 1));
        case 4:
            return parsedNode(RawMarkupData::link("d" + std::to_string(pick(0, 3)), std::nullopt),
                              nextRange(), inlines(depth - 1));
        default:
            return parsedNode(RawMarkupData::image(
                                  pick(0, 1) ? std::optional<std::string>("s") : std::nullopt, std::nullopt),
                              nextRange(), inlines(0));
        }
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

private:
    SourceRange nextRange() {
        ++line_;
        return rangeOf(line_, 1, line_, 1 + pick(0, 20));
    }

    std::mt19937& random_;
    std::int64_t line_ = 0;
};

void expectSameAsReference(const RawMarkup& node, const RefNode& ref, const std::string& where) {
    ASSERT_EQ(node.kind(), ref.data.kind()) << where;
    EXPECT_TRUE(node.data() == ref.data) << where << ": " << node.data().diagnosticDescription();
    EXPECT_EQ(node.parsedRange(), ref.range) << where;
    ASSERT_EQ(node.childCount(), static_cast<std::int64_t>(ref.children.size())) << where;
    for (std::int64_t i = 0; i < node.childCount(); ++i) {
        expectSameAsReference(*node.child(i), *ref.children[static_cast<std::size_t>(i)],
                              where + "/" + std::to_string(i));
    }
}

/// Subtree counts, preorder identities and forward/backward iteration, checked over the whole view tree.
void expectViewInvariants(const Markup& root) {
    std::int64_t preorder = 0;
    std::vector<Markup> pending{root};
    while (!pending.empty()) {
        const Markup view = pending.back();
        pending.pop_back();
        EXPECT_EQ(childIdOf(view), preorder++);
        EXPECT_EQ(rootIdOf(view), rootIdOf(root));
        std::int64_t sum = 1;
        std::vector<Markup> forward;
        for (const Markup& child : view.children()) {
            sum += child.data().node().subtreeCount();
            forward.push_back(child);
        }
        EXPECT_EQ(view.data().node().subtreeCount(), sum);
        std::vector<Markup> backward;
        for (const Markup& child : view.children().reversed()) {
            backward.push_back(child);
        }
        ASSERT_EQ(forward.size(), backward.size());
        for (std::size_t i = 0; i < forward.size(); ++i) {
            EXPECT_TRUE(forward[i].isIdentical(backward[backward.size() - 1 - i]));
            EXPECT_EQ(forward[i].indexInParent(), static_cast<std::int64_t>(i));
        }
        for (auto child = forward.rbegin(); child != forward.rend(); ++child) {
            pending.push_back(*child);
        }
    }
}

void collectNodes(const RawMarkup& node, std::set<const RawMarkup*>& into) {
    into.insert(&node);
    for (const RawMarkupRef& child : node.children()) {
        collectNodes(*child, into);
    }
}

RefNode& refAt(RefNode& root, const std::vector<std::int64_t>& path) {
    RefNode* node = &root;
    for (std::int64_t position : path) {
        node = node->children[static_cast<std::size_t>(position)].get();
    }
    return *node;
}

/// After an edit that built a new node at `path` with `newRange`, every ancestor carries that range.
void handRangeUp(RefNode& root, const std::vector<std::int64_t>& path,
                 const std::optional<SourceRange>& newRange) {
    RefNode* node = &root;
    for (std::int64_t position : path) {
        node->range = newRange;
        node = node->children[static_cast<std::size_t>(position)].get();
    }
}

class ReferenceModelTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(ReferenceModelTest, RandomEditSequencesAgreeWithTheReferenceAndKeepInvariants) {
    std::mt19937 random(GetParam());
    TreeGenerator generator(random);
    Markup current = rootView(generator.document());
    std::unique_ptr<RefNode> reference = refFromRaw(current.data().node());
    std::set<std::uint64_t> rootIdsSeen{rootIdOf(current)};
    int edits = 0;

    for (int step = 0; step < 60; ++step) {
        // Pick a random node by walking down from the root.
        std::vector<std::int64_t> path;
        Markup target = current;
        while (target.childCount() > 0 && generator.pick(0, 3) != 0) {
            const auto position =
                static_cast<std::int64_t>(generator.pick(0, static_cast<int>(target.childCount()) - 1));
            path.push_back(position);
            target = *target.child(position);
        }
        const std::int64_t oldChildId = childIdOf(target);
        const Markup oldRoot = current;
        const std::unique_ptr<RefNode> oldReference = reference->clone();
        std::set<const RawMarkup*> oldNodes;
        collectNodes(oldRoot.data().node(), oldNodes);
        std::set<const RawMarkup*> insertedNodes;

        RefNode& refTarget = refAt(*reference, path);
        std::optional<Markup> edited;
        bool changed = true;
        std::string operation;
        // 0: a payload setter, 1: replacing children, 2: unchecked children; only what the target offers.
        std::vector<int> offered{2};
        if (target.is<Text>() || target.is<Heading>() || target.is<Image>() || target.is<Link>()) {
            offered.push_back(0);
        }
        if (target.is<Paragraph>() || target.is<Emphasis>() || target.is<BlockQuote>() ||
            target.is<Document>()) {
            offered.push_back(1);
            offered.push_back(1);
        }
        const int choice =
            offered[static_cast<std::size_t>(generator.pick(0, static_cast<int>(offered.size()) - 1))];
        if (choice == 0 && target.is<Text>()) {
            operation = "Text::setString";
            Text text = *target.as<Text>();
            const std::string value = "s" + std::to_string(generator.pick(0, 5));
            text.setString(value);
            refTarget.data = RawMarkupData::text(value);
            refTarget.range.reset();
            handRangeUp(*reference, path, std::nullopt);
            edited = text;
        } else if (choice == 0 && target.is<Heading>()) {
            operation = "Heading::setLevel";
            Heading heading = *target.as<Heading>();
            const int level = generator.pick(1, 3);
            changed = level != heading.level();
            heading.setLevel(level);
            if (changed) {
                refTarget.data = RawMarkupData::heading(level);
                refTarget.range.reset();
                handRangeUp(*reference, path, std::nullopt);
            }
            edited = heading;
        } else if (choice == 0 && target.is<Image>()) {
            operation = "Image::setSource";
            Image image = *target.as<Image>();
            const std::optional<std::string> source =
                generator.pick(0, 1) ? std::optional<std::string>("s") : std::nullopt;
            changed = source != image.source();
            image.setSource(source);
            if (changed) {
                refTarget.data = RawMarkupData::image(source, std::nullopt);
                refTarget.range.reset();
                handRangeUp(*reference, path, std::nullopt);
            }
            edited = image;
        } else if (choice == 0 && target.is<Link>()) {
            operation = "Link::setDestination";
            Link link = *target.as<Link>();
            link.setDestination(link.destination());
            refTarget.range.reset();
            handRangeUp(*reference, path, std::nullopt);
            edited = link;
        } else if (choice == 1) {
            operation = "replaceChildrenInRange";
            const bool blocks = target.is<BlockQuote>() || target.is<Document>();
            const int lower = generator.pick(0, static_cast<int>(target.childCount()));
            const int upper = generator.pick(lower, static_cast<int>(target.childCount()));
            std::vector<Markup> incoming;
            for (int i = generator.pick(0, 2); i > 0; --i) {
                // Either a fresh element built in code or a shared subtree of the current tree.
                if (generator.pick(0, 1) == 0 && target.childCount() > 0) {
                    Markup sibling =
                        *target.child(generator.pick(0, static_cast<int>(target.childCount()) - 1));
                    incoming.push_back(sibling);
                } else {
                    incoming.push_back(blocks ? Markup(Paragraph({Text("new")})) : Markup(Text("new")));
                    collectNodes(incoming.back().data().node(), insertedNodes);
                }
            }
            std::vector<std::unique_ptr<RefNode>> refIncoming;
            for (const Markup& element : incoming) {
                refIncoming.push_back(refFromRaw(element.data().node()));
            }
            if (blocks) {
                BlockContainerBase container = target.is<Document>()
                                                   ? BlockContainerBase(*target.as<Document>())
                                                   : BlockContainerBase(*target.as<BlockQuote>());
                container.replaceChildrenInRange(lower, upper, incoming);
                edited = container;
            } else {
                InlineContainerBase container = target.is<Paragraph>()
                                                    ? InlineContainerBase(*target.as<Paragraph>())
                                                    : InlineContainerBase(*target.as<Emphasis>());
                container.replaceChildrenInRange(lower, upper, incoming);
                edited = container;
            }
            refTarget.children.erase(refTarget.children.begin() + lower, refTarget.children.begin() + upper);
            refTarget.children.insert(refTarget.children.begin() + lower,
                                      std::make_move_iterator(refIncoming.begin()),
                                      std::make_move_iterator(refIncoming.end()));
            handRangeUp(*reference, path, refTarget.range);
        } else {
            operation = "withUncheckedChildren (reversed)";
            std::vector<Markup> reversed;
            for (const Markup& child : target.children().reversed()) {
                reversed.push_back(child);
            }
            edited = target.withUncheckedChildren(reversed);
            std::reverse(refTarget.children.begin(), refTarget.children.end());
            handRangeUp(*reference, path, refTarget.range);
        }
        SCOPED_TRACE("step " + std::to_string(step) + ": " + operation);
        ++edits;

        current = edited->root();
        expectSameAsReference(current.data().node(), *reference, "new");
        expectSameAsReference(oldRoot.data().node(), *oldReference, "old");
        expectViewInvariants(current);
        EXPECT_EQ(childIdOf(*edited), oldChildId);
        EXPECT_EQ(edited->indexInParent(), target.indexInParent());

        std::set<const RawMarkup*> newNodes;
        collectNodes(current.data().node(), newNodes);
        std::int64_t created = 0;
        for (const RawMarkup* node : newNodes) {
            created += !oldNodes.contains(node) && !insertedNodes.contains(node);
        }
        if (!changed) {
            EXPECT_EQ(created, 0);
            EXPECT_EQ(rootIdOf(current), rootIdOf(oldRoot));
            continue;
        }
        EXPECT_EQ(created, static_cast<std::int64_t>(path.size()) + 1);
        EXPECT_TRUE(rootIdsSeen.insert(rootIdOf(current)).second) << "root identity reused";
        // Off the edited path, every child is the very node of the old tree.
        const RawMarkup* oldLevel = &oldRoot.data().node();
        const RawMarkup* newLevel = &current.data().node();
        for (std::int64_t position : path) {
            if (oldLevel->childCount() == newLevel->childCount()) {
                for (std::int64_t i = 0; i < oldLevel->childCount(); ++i) {
                    if (i != position) {
                        EXPECT_EQ(oldLevel->child(i).get(), newLevel->child(i).get());
                    }
                }
            }
            oldLevel = oldLevel->child(position).get();
            newLevel = newLevel->child(position).get();
        }
    }
    EXPECT_EQ(edits, 60);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ReferenceModelTest, ::testing::Range(1u, 25u));

} // namespace
