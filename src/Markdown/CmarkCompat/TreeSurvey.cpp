#include "TreeSurvey.h"

#include <cmark-gfm-extension_api.h>

#include <cstring>
#include <string_view>

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

// Whether `node` is a block of one of the extensions' kinds named `name`; the extensions' kinds get
// their numbers when they register, after the core kinds.
bool isExtensionBlock(cmark_node* node, std::string_view name) {
    const cmark_node_type type = cmark_node_get_type(node);
    return (type & CMARK_NODE_TYPE_MASK) == CMARK_NODE_TYPE_BLOCK && type > CMARK_NODE_FOOTNOTE_DEFINITION &&
           cmark_node_get_type_string(node) == name;
}

bool isTable(cmark_node* node) {
    return isExtensionBlock(node, "table");
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

// Every inline container is opened and closed by markup of at least one byte each, so the inlines of
// a block whose raw content has n bytes nest at most n / 2 containers deep.
bool mayHoldTooDeepInlines(cmark_node* block, int depth) {
    const char* content = cmark_node_get_string_content(block);
    const std::size_t length = content ? std::strlen(content) : 0;
    return static_cast<std::size_t>(depth) + 1 + length / 2 >= static_cast<std::size_t>(kMaxNestingDepth);
}

// The blocks in document order, without their inlines. Returns false as soon as a block reaches the
// cap or may hold inlines that do.
bool surveyBlocks(cmark_node* root, const std::function<void(cmark_node*)>& eachTable) {
    cmark_node* node = root;
    int depth = 0;
    while (node) {
        if (depth >= kMaxNestingDepth) {
            return false;
        }
        cmark_node* descend = nullptr;
        if (holdsInlines(node)) {
            if (mayHoldTooDeepInlines(node, depth)) {
                return false;
            }
        } else if (!getsNoExitEvent(node)) {
            if (isTable(node)) {
                eachTable(node);
            }
            descend = cmark_node_first_child(node);
        }
        if (descend) {
            node = descend;
            ++depth;
            continue;
        }
        while (node != root && !cmark_node_next(node)) {
            node = cmark_node_parent(node);
            --depth;
        }
        node = node == root ? nullptr : cmark_node_next(node);
    }
    return true;
}

// Every node, finding the subtrees that reach the cap.
TreeSurvey surveyEveryNode(cmark_node* root, const std::function<void(cmark_node*)>& eachTable) {
    TreeSurvey survey;
    cmark_node* skippedSubtree = nullptr; // a too-deep subtree, left unvisited until its exit
    int depth = -1;
    cmark_iter* iter = cmark_iter_new(root);
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        if (event == CMARK_EVENT_EXIT) {
            --depth;
            if (node == skippedSubtree) {
                skippedSubtree = nullptr;
            }
            continue;
        }
        ++depth;
        const bool leaf = getsNoExitEvent(node);
        if (leaf) {
            --depth;
        }
        if (skippedSubtree) {
            continue;
        }
        if (depth >= kMaxNestingDepth) {
            cmark_node* replaced = replaceableAncestor(node);
            survey.tooDeep.push_back(replaced);
            if (replaced != node || !leaf) {
                skippedSubtree = replaced;
            }
            continue;
        }
        if (isTable(node)) {
            eachTable(node);
        }
    }
    cmark_iter_free(iter);
    return survey;
}

} // namespace

bool getsNoExitEvent(cmark_node* node) {
    return isLeafType(cmark_node_get_type(node));
}

bool isLeafType(cmark_node_type type) {
    switch (type) {
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

bool holdsInlines(cmark_node* node) {
    const cmark_node_type type = cmark_node_get_type(node);
    if (type == CMARK_NODE_PARAGRAPH || type == CMARK_NODE_HEADING) {
        return true;
    }
    return isExtensionBlock(node, "table_cell");
}

TreeSurvey surveyTree(cmark_node* root, const std::function<void(cmark_node*)>& eachTable) {
    if (surveyBlocks(root, eachTable)) {
        return {};
    }
    return surveyEveryNode(root, eachTable);
}

} // namespace Markdown::CmarkCompat
