#include "CompatTree.h"

#include <cmark-gfm-core-extensions.h>

#include <string>
#include <vector>

namespace Markdown::Testing {

namespace {

std::string sourcepos(const CmarkCompat::NodePosition& position) {
    if (position.startLine == 0) {
        return {};
    }
    return std::to_string(position.startLine) + ":" + std::to_string(position.startColumn) + "-" +
           std::to_string(position.endLine) + ":" + std::to_string(position.endColumn);
}

const char* alignmentName(char alignment) {
    switch (alignment) {
    case 'l':
        return "left";
    case 'c':
        return "center";
    case 'r':
        return "right";
    default:
        return "";
    }
}

// Leaves are reported by the iterator with an enter event only.
bool isLeaf(cmark_node* node) {
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_TEXT:
    case CMARK_NODE_CODE:
    case CMARK_NODE_HTML_INLINE:
    case CMARK_NODE_HTML_BLOCK:
    case CMARK_NODE_CODE_BLOCK:
    case CMARK_NODE_THEMATIC_BREAK:
    case CMARK_NODE_SOFTBREAK:
    case CMARK_NODE_LINEBREAK:
        return true;
    default:
        return false;
    }
}

ComparableNode makeNode(const CmarkCompat::CmarkDocument& document, cmark_node* node) {
    ComparableNode result;
    result.kind = std::string(CmarkCompat::CmarkDocument::typeString(node));
    result.sourcepos = sourcepos(document.position(node));
    const cmark_node_type type = cmark_node_get_type(node);
    switch (type) {
    case CMARK_NODE_TEXT:
    case CMARK_NODE_CODE:
    case CMARK_NODE_HTML_INLINE:
    case CMARK_NODE_HTML_BLOCK:
    case CMARK_NODE_CODE_BLOCK:
    case CMARK_NODE_CUSTOM_INLINE:
        result.literal = cmark_node_get_literal(node) ? cmark_node_get_literal(node) : "";
        break;
    default:
        break;
    }
    auto put = [&](const char* name, std::string value) {
        if (!value.empty()) {
            result.payload[name] = std::move(value);
        }
    };
    if (type == CMARK_NODE_HEADING) {
        put("level", std::to_string(cmark_node_get_heading_level(node)));
    } else if (type == CMARK_NODE_LIST) {
        const bool ordered = cmark_node_get_list_type(node) == CMARK_ORDERED_LIST;
        put("type", ordered ? "ordered" : "bullet");
        if (ordered) {
            put("start", std::to_string(cmark_node_get_list_start(node)));
        }
    } else if (type == CMARK_NODE_CODE_BLOCK) {
        put("info", cmark_node_get_fence_info(node));
    } else if (type == CMARK_NODE_LINK || type == CMARK_NODE_IMAGE) {
        put("destination", cmark_node_get_url(node));
        put("title", cmark_node_get_title(node));
    } else if (result.kind == "tasklist") {
        put("completed", cmark_gfm_extensions_get_tasklist_item_checked(node) ? "true" : "false");
    } else if (result.kind == "table_cell" &&
               CmarkCompat::CmarkDocument::typeString(cmark_node_parent(node)) == "table_header") {
        // The command prints alignments on header cells only.
        cmark_node* row = cmark_node_parent(node);
        cmark_node* table = cmark_node_parent(row);
        int column = 0;
        for (cmark_node* before = cmark_node_previous(node); before; before = cmark_node_previous(before)) {
            ++column;
        }
        const uint8_t* alignments = cmark_gfm_extensions_get_table_alignments(table);
        if (alignments && column < cmark_gfm_extensions_get_table_columns(table)) {
            put("align", alignmentName(static_cast<char>(alignments[column])));
        }
    }
    return result;
}

} // namespace

ComparableNode comparableTreeFromCompat(const CmarkCompat::CmarkDocument& document) {
    std::vector<ComparableNode> open;
    ComparableNode root;
    cmark_iter* iter = cmark_iter_new(document.root());
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        if (event == CMARK_EVENT_ENTER) {
            open.push_back(makeNode(document, node));
        }
        if (event == CMARK_EVENT_ENTER && !isLeaf(node)) {
            continue;
        }
        ComparableNode done = std::move(open.back());
        open.pop_back();
        if (open.empty()) {
            root = std::move(done);
        } else {
            open.back().children.push_back(std::move(done));
        }
    }
    cmark_iter_free(iter);
    return root;
}

} // namespace Markdown::Testing
