#include "TreeSurvey.h"

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

} // namespace

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

TreeSurvey surveyTree(cmark_node* root) {
    TreeSurvey survey;
    cmark_node* skippedSubtree = nullptr; // a too-deep subtree, left unvisited until its exit
    cmark_node* inlineBlock = nullptr;    // the paragraph, heading or cell being walked
    std::size_t blockCodeStart = 0;
    int depth = -1;
    cmark_iter* iter = cmark_iter_new(root);
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        const cmark_node_type type = cmark_node_get_type(node);
        if (event == CMARK_EVENT_EXIT) {
            --depth;
            if (node == skippedSubtree) {
                skippedSubtree = nullptr;
            }
            if (node == inlineBlock) {
                if (survey.codeSpans.size() > blockCodeStart) {
                    survey.blocks.push_back(node);
                    survey.codeStart.push_back(blockCodeStart);
                }
                inlineBlock = nullptr;
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
        if (type == CMARK_NODE_CODE) {
            survey.codeSpans.push_back(node);
        } else if (type == CMARK_NODE_PARAGRAPH || type == CMARK_NODE_HEADING) {
            inlineBlock = node;
            blockCodeStart = survey.codeSpans.size();
        } else if (!isInline(node) && type != CMARK_NODE_DOCUMENT) {
            const std::string_view name = CmarkDocument::typeString(node);
            if (name == "table_cell") {
                inlineBlock = node;
                blockCodeStart = survey.codeSpans.size();
            } else if (name == "table") {
                survey.tables.push_back(node);
            }
        }
    }
    cmark_iter_free(iter);
    survey.codeStart.push_back(survey.codeSpans.size());
    return survey;
}

} // namespace Markdown::CmarkCompat
