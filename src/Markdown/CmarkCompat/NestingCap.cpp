#include "NestingCap.h"

#include <string>
#include <vector>

namespace Markdown::CmarkCompat {

namespace {

bool isInline(cmark_node* node) {
    return (cmark_node_get_type(node) & CMARK_NODE_TYPE_MASK) == CMARK_NODE_TYPE_INLINE;
}

bool takesParagraphs(cmark_node* node) {
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_DOCUMENT:
    case CMARK_NODE_BLOCK_QUOTE:
    case CMARK_NODE_ITEM:
        return true;
    default:
        return false;
    }
}

bool getsNoExitEvent(cmark_node* node) {
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_HTML_BLOCK:
    case CMARK_NODE_THEMATIC_BREAK:
    case CMARK_NODE_CODE_BLOCK:
    case CMARK_NODE_TEXT:
    case CMARK_NODE_SOFTBREAK:
    case CMARK_NODE_LINEBREAK:
    case CMARK_NODE_CODE:
    case CMARK_NODE_HTML_INLINE:
        return true;
    default:
        return false;
    }
}

// The node that stands in for the too-deep `node`: itself when it is an inline, else its nearest
// ancestor-or-self whose parent takes paragraphs.
cmark_node* replaceableAncestor(cmark_node* node) {
    if (isInline(node)) {
        return node;
    }
    while (cmark_node_parent(node) && !takesParagraphs(cmark_node_parent(node))) {
        node = cmark_node_parent(node);
    }
    return node;
}

std::string plainText(cmark_node* root) {
    std::string text;
    cmark_iter* iter = cmark_iter_new(root);
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        const cmark_node_type type = cmark_node_get_type(node);
        if (event == CMARK_EVENT_ENTER) {
            if (type == CMARK_NODE_SOFTBREAK || type == CMARK_NODE_LINEBREAK) {
                text.push_back('\n');
            } else if (const char* literal = cmark_node_get_literal(node)) {
                text.append(literal);
            }
        } else if (!isInline(node) && !text.empty() && text.back() != '\n') {
            text.push_back('\n');
        }
    }
    cmark_iter_free(iter);
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

void forgetSubtree(CmarkDocument::Tables& tables, cmark_node* root) {
    cmark_iter* iter = cmark_iter_new(root);
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        if (event == CMARK_EVENT_ENTER) {
            cmark_node* node = cmark_iter_get_node(iter);
            tables.positions.erase(node);
            tables.attributes.erase(node);
            tables.cellSpans.erase(node);
        }
    }
    cmark_iter_free(iter);
}

void fold(CmarkDocument::Tables& tables, cmark_node* node) {
    const NodePosition position = tables.positionOf(node);
    const std::string text = plainText(node);
    cmark_mem* mem = cmark_get_default_mem_allocator();
    cmark_node* replacement = nullptr;
    cmark_node* textNode = nullptr;
    if (!text.empty()) {
        textNode = cmark_node_new_with_mem(CMARK_NODE_TEXT, mem);
        cmark_node_set_literal(textNode, text.c_str());
        tables.positions[textNode] = position;
    }
    if (isInline(node)) {
        replacement = textNode;
    } else if (textNode) {
        replacement = cmark_node_new_with_mem(CMARK_NODE_PARAGRAPH, mem);
        cmark_node_append_child(replacement, textNode);
        tables.positions[replacement] = position;
    }
    if (replacement) {
        cmark_node_insert_before(node, replacement);
    }
    forgetSubtree(tables, node);
    cmark_node_free(node);
    ++tables.report.foldedSubtrees;
}

} // namespace

void foldDeepNesting(CmarkDocument::Tables& tables) {
    std::vector<cmark_node*> folded;
    cmark_node* foldedAncestor = nullptr; // the subtree being skipped, if any
    int depth = -1;
    cmark_iter* iter = cmark_iter_new(tables.root);
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        if (event == CMARK_EVENT_EXIT) {
            if (node == foldedAncestor) {
                foldedAncestor = nullptr;
            }
            --depth;
            continue;
        }
        ++depth;
        if (!foldedAncestor && depth >= kMaxNestingDepth) {
            cmark_node* replaced = replaceableAncestor(node);
            folded.push_back(replaced);
            if (replaced != node || !getsNoExitEvent(node)) {
                foldedAncestor = replaced; // skipped until its exit event
            }
        }
        if (getsNoExitEvent(node)) {
            --depth;
        }
    }
    cmark_iter_free(iter);
    for (cmark_node* node : folded) {
        fold(tables, node);
    }
}

} // namespace Markdown::CmarkCompat
