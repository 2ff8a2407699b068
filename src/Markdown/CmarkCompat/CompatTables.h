#pragma once
// The per-document tables that carry what stock cmark-gfm nodes cannot hold. Each node that needs
// more than the stock fields points to its annotation through cmark's user-data slot, so reading an
// accessor costs no lookup.

#include "CmarkArena.h"
#include "CmarkCompat.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Markdown::CmarkCompat {

struct NodeAnnotation {
    std::optional<NodePosition> position;         // for nodes this layer created or moved
    int backtickCount = 0;                        // code spans
    std::optional<std::string> attributes;        // attribute nodes
    std::optional<std::pair<int, int>> cellSpans; // table cells with span data
};

// Annotations in blocks that double in size up to a bound: addresses stay stable, and a document with
// many annotated nodes costs a handful of allocations rather than one per few nodes.
class AnnotationStore {
public:
    NodeAnnotation& add() {
        if (blocks_.empty() || used_ == blockSize_) {
            blockSize_ = blocks_.empty() ? kFirstBlockSize : std::min(blockSize_ * 2, kLargestBlockSize);
            blocks_.push_back(std::make_unique<NodeAnnotation[]>(blockSize_));
            used_ = 0;
        }
        return blocks_.back()[used_++];
    }
    void clear() {
        blocks_.clear();
        used_ = 0;
    }

private:
    static constexpr std::size_t kFirstBlockSize = 16;
    static constexpr std::size_t kLargestBlockSize = 1024;
    std::vector<std::unique_ptr<NodeAnnotation[]>> blocks_;
    std::size_t blockSize_ = 0;
    std::size_t used_ = 0;
};

struct CmarkDocument::Tables {
    CmarkArena arena; // the tree's memory, released after the destructor's body
    std::uint64_t heapAllocationsAtStart = CmarkArena::heapAllocationCount();
    cmark_node* root = nullptr;
    GuardReport report;
    bool reportsPositions = true;
    AnnotationStore annotations;
    // Reused by the backtick count of each block.
    std::vector<cmark_node*> codeSpanScratch;
    std::vector<int> lineStartScratch;

    Tables() = default;
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;
    ~Tables() {
        // Every piece of the tree lies in the arena, which goes with it, unless some piece may have
        // come from the heap since the parse began; only then is the tree released node by node.
        if (root && CmarkArena::heapAllocationCount() != heapAllocationsAtStart) {
            cmark_node_free(root);
        }
    }

    static const NodeAnnotation* annotation(cmark_node* node) {
        return node ? static_cast<const NodeAnnotation*>(cmark_node_get_user_data(node)) : nullptr;
    }

    NodeAnnotation& annotate(cmark_node* node) {
        if (auto* existing = static_cast<NodeAnnotation*>(cmark_node_get_user_data(node))) {
            return *existing;
        }
        NodeAnnotation& created = annotations.add();
        cmark_node_set_user_data(node, &created);
        return created;
    }

    static NodePosition positionOf(cmark_node* node) {
        if (const NodeAnnotation* found = annotation(node); found && found->position) {
            return *found->position;
        }
        return {cmark_node_get_start_line(node), cmark_node_get_start_column(node),
                cmark_node_get_end_line(node), cmark_node_get_end_column(node)};
    }
};

} // namespace Markdown::CmarkCompat
