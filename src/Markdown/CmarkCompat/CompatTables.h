#pragma once
// The per-document tables that carry what stock cmark-gfm nodes cannot hold. Each node that needs
// more than the stock fields points to its annotation through cmark's user-data slot, so reading an
// accessor costs no lookup.

#include "CmarkCompat.h"

#include <deque>
#include <optional>
#include <string>
#include <utility>

namespace Markdown::CmarkCompat {

struct NodeAnnotation {
    std::optional<NodePosition> position;         // for nodes this layer created or moved
    int backtickCount = 0;                        // code spans
    std::optional<std::string> attributes;        // attribute nodes
    std::optional<std::pair<int, int>> cellSpans; // table cells with span data
};

struct CmarkDocument::Tables {
    std::string text;
    cmark_node* root = nullptr;
    GuardReport report;
    bool reportsPositions = true;
    std::deque<NodeAnnotation> annotations; // stable addresses

    Tables() = default;
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;
    ~Tables() {
        if (root) {
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
        NodeAnnotation& created = annotations.emplace_back();
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
