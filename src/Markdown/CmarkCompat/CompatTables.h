#pragma once
// The per-document side tables that carry what stock cmark-gfm nodes cannot hold.

#include "CmarkCompat.h"

#include <string>
#include <unordered_map>
#include <utility>

namespace Markdown::CmarkCompat {

struct CmarkDocument::Tables {
    std::string text;
    cmark_node* root = nullptr;
    GuardReport report;
    std::unordered_map<cmark_node*, int> backtickCounts;
    std::unordered_map<cmark_node*, std::string> attributes;
    std::unordered_map<cmark_node*, std::pair<int, int>> cellSpans;
    // Positions of nodes this layer created or moved from a fragment parse.
    std::unordered_map<cmark_node*, NodePosition> positions;

    Tables() = default;
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;
    ~Tables() {
        if (root) {
            cmark_node_free(root);
        }
    }

    NodePosition positionOf(cmark_node* node) const {
        if (auto found = positions.find(node); found != positions.end()) {
            return found->second;
        }
        return {cmark_node_get_start_line(node), cmark_node_get_start_column(node),
                cmark_node_get_end_line(node), cmark_node_get_end_column(node)};
    }
};

// True for the node types whose content cmark parses into inlines.
inline bool holdsInlines(cmark_node_type type) {
    return type == CMARK_NODE_PARAGRAPH || type == CMARK_NODE_HEADING;
}

} // namespace Markdown::CmarkCompat
