#include "BacktickCounts.h"

#include "TreeSurvey.h"

#include <cmark-gfm-extension_api.h>

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace Markdown::CmarkCompat {

namespace {

class BlockContent {
public:
    // `lineStarts` is scratch storage, reused from block to block.
    BlockContent(cmark_node* block, std::vector<int>& lineStarts) : lineStarts_(lineStarts) {
        const char* content = cmark_node_get_string_content(block);
        text_ = content ? std::string_view(content) : std::string_view();
        lineStarts_.clear();
        lineStarts_.push_back(0);
        for (std::size_t i = 0; i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                lineStarts_.push_back(static_cast<int>(i) + 1);
            }
        }
    }

    int lineCount() const { return static_cast<int>(lineStarts_.size()); }
    int lineStart(int k) const { return lineStarts_[k]; }
    int lineEnd(int k) const {
        return k + 1 < lineCount() ? lineStarts_[k + 1] - 1 : static_cast<int>(text_.size());
    }
    bool isBacktick(int i) const { return i >= 0 && i < static_cast<int>(text_.size()) && text_[i] == '`'; }

    // Length of the maximal backtick run that ends just before `end`, within [lineBegin, end).
    int runEndingAt(int end, int lineBegin) const {
        int start = end;
        while (start > lineBegin && isBacktick(start - 1)) {
            --start;
        }
        return isBacktick(end) ? 0 : end - start;
    }

    // Whether a maximal run of exactly `length` backticks starts at `start` and ends by `lineEnd`.
    bool runStartingAt(int start, int length, int lineEnd) const {
        if (isBacktick(start - 1) || start + length > lineEnd) {
            return false;
        }
        for (int i = start; i < start + length; ++i) {
            if (!isBacktick(i)) {
                return false;
            }
        }
        return !isBacktick(start + length);
    }

private:
    std::string_view text_;
    std::vector<int>& lineStarts_;
};

struct CodeSpan {
    cmark_node* node;
    NodePosition position;
};

// The opening run length of `span` if the block offset is `blockOffset`, or 0 when the content does
// not hold a span there.
int countWithOffset(const BlockContent& content, const CodeSpan& span, int blockLine, int blockOffset) {
    const int k = span.position.startLine - blockLine;
    if (k < 0 || k >= content.lineCount() || blockOffset < 0) {
        return 0;
    }
    const int lineBegin = content.lineStart(k);
    const int lineEnd = content.lineEnd(k);
    const int after = lineBegin + span.position.startColumn - 1 - blockOffset;
    if (after <= lineBegin || after > lineEnd) {
        return 0;
    }
    const int count = content.runEndingAt(after, lineBegin);
    if (count == 0) {
        return 0;
    }
    if (span.position.endLine == span.position.startLine) {
        const int closing = after + span.position.endColumn - span.position.startColumn + 1;
        if (!content.runStartingAt(closing, count, lineEnd)) {
            return 0;
        }
    }
    return count;
}

// Every block offset under which `span` sits right after a backtick run, smallest first.
std::vector<int> candidateOffsets(const BlockContent& content, const CodeSpan& span, int blockLine) {
    std::vector<int> offsets;
    const int k = span.position.startLine - blockLine;
    if (k < 0 || k >= content.lineCount()) {
        return offsets;
    }
    const int lineBegin = content.lineStart(k);
    for (int after = content.lineEnd(k); after > lineBegin; --after) {
        const int offset = span.position.startColumn - 1 - (after - lineBegin);
        if (content.isBacktick(after - 1) && countWithOffset(content, span, blockLine, offset) > 0) {
            offsets.push_back(offset);
        }
    }
    return offsets;
}

void recordBlock(CmarkDocument::Tables& tables, cmark_node* block, std::span<cmark_node* const> codeNodes,
                 std::vector<int>& lineStarts) {
    const BlockContent content(block, lineStarts);
    const NodePosition blockPosition = CmarkDocument::Tables::positionOf(block);
    const int minimumOffset = blockPosition.startColumn - 1;
    // Paragraphs and setext headings start their content at their own column; ATX headings and table
    // cells start it after their markers or padding, which the offset search finds.
    std::optional<int> blockOffset;
    const cmark_node_type type = cmark_node_get_type(block);
    if (type == CMARK_NODE_PARAGRAPH ||
        (type == CMARK_NODE_HEADING && blockPosition.endLine > blockPosition.startLine)) {
        blockOffset = minimumOffset;
    }
    for (cmark_node* node : codeNodes) {
        const CodeSpan span{node, CmarkDocument::Tables::positionOf(node)};
        int count = blockOffset ? countWithOffset(content, span, blockPosition.startLine, *blockOffset) : 0;
        if (count == 0) {
            for (int offset : candidateOffsets(content, span, blockPosition.startLine)) {
                if (offset >= minimumOffset || !blockOffset) {
                    blockOffset = offset;
                    count = countWithOffset(content, span, blockPosition.startLine, offset);
                    if (offset >= minimumOffset) {
                        break;
                    }
                }
            }
        }
        // A span the content does not explain keeps the shortest possible run.
        tables.annotate(span.node).backtickCount = count > 0 ? count : 1;
    }
}

} // namespace

int backtickCountOf(CmarkDocument::Tables& tables, cmark_node* code) {
    if (const NodeAnnotation* annotation = CmarkDocument::Tables::annotation(code);
        annotation && annotation->backtickCount > 0) {
        return annotation->backtickCount;
    }
    cmark_node* block = cmark_node_parent(code);
    while (block && !holdsInlines(block)) {
        block = cmark_node_parent(block);
    }
    if (!block) {
        return 0;
    }
    // The block's code spans in document order.
    std::vector<cmark_node*>& spans = tables.codeSpanScratch;
    spans.clear();
    for (cmark_node* node = cmark_node_first_child(block); node;) {
        if (cmark_node_get_type(node) == CMARK_NODE_CODE) {
            spans.push_back(node);
        }
        if (cmark_node* child = cmark_node_first_child(node)) {
            node = child;
            continue;
        }
        while (node != block && !cmark_node_next(node)) {
            node = cmark_node_parent(node);
        }
        node = node == block ? nullptr : cmark_node_next(node);
    }
    recordBlock(tables, block, spans, tables.lineStartScratch);
    return CmarkDocument::Tables::annotation(code)->backtickCount;
}

} // namespace Markdown::CmarkCompat
