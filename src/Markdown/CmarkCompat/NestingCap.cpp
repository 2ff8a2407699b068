#include "NestingCap.h"

#include "TreeSurvey.h"

#include <string>

namespace Markdown::CmarkCompat {

namespace {

bool isInline(cmark_node* node) {
    return (cmark_node_get_type(node) & CMARK_NODE_TYPE_MASK) == CMARK_NODE_TYPE_INLINE;
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
            if (!getsNoExitEvent(node)) {
                continue;
            }
        }
        if (!isInline(node) && !text.empty() && text.back() != '\n') {
            text.push_back('\n'); // after each block
        }
    }
    cmark_iter_free(iter);
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

void fold(CmarkDocument::Tables& tables, cmark_node* node) {
    const NodePosition position = tables.positionOf(node);
    const std::string text = plainText(node);
    cmark_mem* mem = CmarkArena::allocator();
    cmark_node* replacement = nullptr;
    if (!text.empty()) {
        cmark_node* textNode = cmark_node_new_with_mem(CMARK_NODE_TEXT, mem);
        cmark_node_set_literal(textNode, text.c_str());
        tables.annotate(textNode).position = position;
        replacement = textNode;
        if (!isInline(node)) {
            replacement = cmark_node_new_with_mem(CMARK_NODE_PARAGRAPH, mem);
            cmark_node_append_child(replacement, textNode);
            tables.annotate(replacement).position = position;
        }
        cmark_node_insert_before(node, replacement);
    }
    cmark_node_free(node);
    ++tables.report.foldedSubtrees;
}

} // namespace

void foldIntoPlainText(CmarkDocument::Tables& tables, const std::vector<cmark_node*>& subtrees) {
    for (cmark_node* node : subtrees) {
        fold(tables, node);
    }
}

} // namespace Markdown::CmarkCompat
