#include "AttributeExtension.h"

#include "AttributeDefinitions.h"
#include "CompatTables.h"

#include <cmark-gfm-core-extensions.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Markdown::CmarkCompat {

namespace {

bool isAsciiPunctuation(unsigned char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
           (c >= '{' && c <= '~');
}

// Bracket and parenthesis pairs of one inline subject, found in one pass so that many unmatched
// openers cost linear time. Code spans and backslash escapes hide the characters inside them.
struct SubjectScan {
    cmark_node* block = nullptr;
    std::string bytes;
    std::vector<int> lineStarts;
    // The subject's block offset (cmark's columns are offsets in a content line plus this), learnt
    // from the first match, and the line breaks matches have consumed so far.
    std::optional<int> blockOffset;
    int linesSkipped = 0;
    int definitionsEnd = -1; // where a definition following the removed ones would start

    int lineStartOf(int offset) const {
        return *(std::upper_bound(lineStarts.begin(), lineStarts.end(), offset) - 1);
    }
    std::unordered_map<int, int> closingBracket;                     // '[' -> ']'
    std::unordered_map<int, std::pair<int, int>> closingParenthesis; // '(' -> (')', nesting inside)

    void build(cmark_node* owner, cmark_inline_parser* parser) {
        block = owner;
        bytes.clear();
        lineStarts.assign(1, 0);
        blockOffset.reset();
        linesSkipped = 0;
        definitionsEnd = -1;
        closingBracket.clear();
        closingParenthesis.clear();
        for (int i = 0;; ++i) {
            const unsigned char c = cmark_inline_parser_peek_at(parser, i);
            if (c == 0) {
                break;
            }
            bytes.push_back(static_cast<char>(c));
            if (c == '\n') {
                lineStarts.push_back(i + 1);
            }
        }
        const int n = static_cast<int>(bytes.size());

        // Where maximal backtick runs start, by length: a run closes the code span opened by the next
        // earlier unescaped run of the same length.
        std::unordered_map<int, std::vector<int>> runStartsByLength;
        for (int i = 0; i < n;) {
            if (bytes[i] != '`') {
                ++i;
                continue;
            }
            int j = i;
            while (j < n && bytes[j] == '`') {
                ++j;
            }
            runStartsByLength[j - i].push_back(i);
            i = j;
        }
        const auto codeSpanEnd = [&](int open) {
            int length = 0;
            while (open + length < n && bytes[open + length] == '`') {
                ++length;
            }
            const auto starts = runStartsByLength.find(length);
            if (starts != runStartsByLength.end()) {
                const auto closing = std::upper_bound(starts->second.begin(), starts->second.end(), open);
                if (closing != starts->second.end()) {
                    return *closing + length;
                }
            }
            return open + length; // no closing run: the backticks are text
        };

        std::vector<int> brackets;
        std::vector<std::pair<int, int>> parentheses; // (position, deepest nesting inside)
        for (int i = 0; i < n;) {
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            if (c == '\\' && i + 1 < n && isAsciiPunctuation(static_cast<unsigned char>(bytes[i + 1]))) {
                i += 2;
                continue;
            }
            if (c == '`') {
                i = codeSpanEnd(i);
                continue;
            }
            if (c == '[') {
                brackets.push_back(i);
            } else if (c == ']' && !brackets.empty()) {
                closingBracket[brackets.back()] = i;
                brackets.pop_back();
            } else if (c == '(') {
                parentheses.emplace_back(i, 1);
            } else if (c == ')' && !parentheses.empty()) {
                const auto [open, depth] = parentheses.back();
                parentheses.pop_back();
                closingParenthesis[open] = {i, depth};
                if (!parentheses.empty() && parentheses.back().second < depth + 1) {
                    parentheses.back().second = depth + 1;
                }
            }
            ++i;
        }
    }
};

// A match that consumed line breaks. The stock inline parser cannot be told about them, so the nodes
// it makes after the match, in the same block, carry line numbers short by the breaks consumed so far
// and, up to the next line break it handles, columns counted from the wrong line start.
struct LineSkip {
    int reportedLine;        // the line cmark reports for the rest of that line
    int reportedColumnAfter; // the column cmark reports for the first byte after the match
    int linesSkipped;        // all breaks consumed in the block up to and including this match
    int columnExcess;        // how far cmark's columns run ahead on the rest of that line
};

struct ActiveState {
    AttributeParseScope scope;
    int nesting = 0;
    std::vector<SubjectScan> scans;                                   // one per nesting level
    std::unordered_map<cmark_node*, std::vector<LineSkip>> lineSkips; // by block
    const AttributeDefinitions* definitions = nullptr;
    std::vector<cmark_node*> definitionPlaceholders;
    // What the matcher threw; cmark runs on without further matches and it is thrown after the parse.
    std::exception_ptr error;
};

// Maps one position bound cmark reported after `skips` to the position it should have had.
void correctBound(const std::vector<LineSkip>& skips, int& line, int& column) {
    if (line <= 0) {
        return;
    }
    const LineSkip* last = nullptr;
    for (const LineSkip& skip : skips) {
        if (line > skip.reportedLine || (line == skip.reportedLine && column >= skip.reportedColumnAfter)) {
            last = &skip;
        }
    }
    if (!last) {
        return;
    }
    if (line == last->reportedLine) {
        column -= last->columnExcess;
    }
    line += last->linesSkipped;
}

void correctPositionsAfterSkips(CmarkDocument::Tables& tables, cmark_node* block,
                                const std::vector<LineSkip>& skips) {
    cmark_iter* iter = cmark_iter_new(block);
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        if (event != CMARK_EVENT_ENTER || node == block) {
            continue;
        }
        if (const NodeAnnotation* annotation = CmarkDocument::Tables::annotation(node);
            annotation && annotation->position) {
            continue; // made by a match, already right
        }
        NodePosition position = CmarkDocument::Tables::positionOf(node);
        const NodePosition reported = position;
        correctBound(skips, position.startLine, position.startColumn);
        correctBound(skips, position.endLine, position.endColumn);
        if (position != reported) {
            tables.annotate(node).position = position;
        }
    }
    cmark_iter_free(iter);
}

std::unique_ptr<ActiveState> g_active; // guarded by the cmark lock
cmark_syntax_extension* g_extension = nullptr;

constexpr char kFragmentPrefix = '%'; // starts a paragraph and has no inline meaning

void collectSubtree(cmark_node* root, std::vector<cmark_node*>& out) {
    cmark_iter* iter = cmark_iter_new(root);
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        if (event == CMARK_EVENT_ENTER) {
            out.push_back(cmark_iter_get_node(iter));
        }
    }
    cmark_iter_free(iter);
}

// Parses the bracketed text on its own and returns the inlines of its one paragraph, or nullptr
// (with nothing changed) when the text does not come out as one paragraph.
cmark_node* parseFragment(ActiveState& state, cmark_parser* outer, const std::string& text) {
    cmark_parser* parser = cmark_parser_new_with_mem(state.scope.cmarkOptions, CmarkArena::allocator());
    attachExtensions(parser, state.scope.withTableExtension);
    std::string input;
    input.reserve(text.size() + 1);
    input.push_back(kFragmentPrefix);
    input.append(text);
    ++state.nesting;
    if (state.scans.size() > static_cast<std::size_t>(state.nesting)) {
        state.scans[state.nesting].block = nullptr; // an earlier fragment's block may share the address
    }
    cmark_parser_feed(parser, input.data(), input.size());
    cmark_node* document = cmark_parser_finish(parser);
    --state.nesting;
    cmark_parser_free(parser);
    // The fragment's parser cleared the shared special-character table when it finished.
    cmark_manage_extensions_special_characters(outer, 1);

    cmark_node* paragraph = cmark_node_first_child(document);
    if (!paragraph || cmark_node_get_type(paragraph) != CMARK_NODE_PARAGRAPH || cmark_node_next(paragraph)) {
        cmark_node_free(document);
        return nullptr;
    }
    if (auto skips = state.lineSkips.find(paragraph); skips != state.lineSkips.end()) {
        correctPositionsAfterSkips(*state.scope.tables, paragraph, skips->second);
        state.lineSkips.erase(skips);
    }
    return document;
}

// Where a match ends and what it holds.
struct Match {
    int end = 0;                // offset of its last byte
    std::string attributesText; // "" for a definition
    bool isDefinition = false;
};

std::optional<Match> findMatch(const ActiveState& state, const SubjectScan& scan, cmark_node* parent,
                               int caret) {
    if (state.definitions && cmark_node_get_type(parent) == CMARK_NODE_PARAGRAPH &&
        (caret == 0 || caret == scan.definitionsEnd)) {
        if (const auto definition = parseAttributeDefinition(scan.bytes, static_cast<std::size_t>(caret))) {
            return Match{static_cast<int>(definition->end) - 1, {}, true};
        }
    }
    const auto bracket = scan.closingBracket.find(caret + 1);
    if (bracket == scan.closingBracket.end()) {
        return std::nullopt;
    }
    const int closeBracket = bracket->second;
    const auto parenthesis = scan.closingParenthesis.find(closeBracket + 1);
    if (parenthesis != scan.closingParenthesis.end()) {
        if (parenthesis->second.second > kMaxAttributeParenthesisDepth) {
            return std::nullopt;
        }
        const int close = parenthesis->second.first;
        return Match{close, scan.bytes.substr(closeBracket + 2, close - closeBracket - 2), false};
    }
    if (!state.definitions || closeBracket + 1 >= static_cast<int>(scan.bytes.size()) ||
        scan.bytes[closeBracket + 1] != '[') {
        return std::nullopt;
    }
    const std::optional<std::size_t> labelEnd = linkLabelEnd(scan.bytes, closeBracket + 1);
    if (!labelEnd) {
        return std::nullopt;
    }
    const std::string label =
        normalizedLabel(std::string_view(scan.bytes).substr(closeBracket + 2, *labelEnd - closeBracket - 2));
    const auto definition = state.definitions->find(label);
    if (definition == state.definitions->end()) {
        return std::nullopt;
    }
    return Match{static_cast<int>(*labelEnd), definition->second, false};
}

// Whether `text` parses to nothing but one text node with `text` as its literal.
bool isPlainText(std::string_view text, bool smartPunctuation) {
    for (const char c : text) {
        switch (c) {
        case '\n':
        case '\r':
        case '*':
        case '_':
        case '[':
        case ']':
        case '!':
        case '<':
        case '&':
        case '\\':
        case '`':
        case '~':
        case '^':
            return false;
        case '"':
        case '\'':
            if (smartPunctuation) {
                return false;
            }
            break;
        default:
            break;
        }
    }
    return !smartPunctuation ||
           (text.find("--") == std::string_view::npos && text.find("...") == std::string_view::npos);
}

// A link node marked with our extension: the stock table cell accepts only stock inline types.
cmark_node* newAttributeNode(CmarkDocument::Tables& tables, const std::string& attributesText,
                             const NodePosition& span) {
    cmark_node* node = cmark_node_new_with_mem(CMARK_NODE_LINK, CmarkArena::allocator());
    cmark_node_set_syntax_extension(node, g_extension);
    NodeAnnotation& annotation = tables.annotate(node);
    annotation.attributes = attributesText;
    annotation.position = span;
    return node;
}

cmark_node* matchAttributeUnguarded(cmark_parser* parser, cmark_node* parent, unsigned char character,
                                    cmark_inline_parser* inlineParser) {
    if (character != '^' || !g_active || g_active->nesting >= kMaxAttributeNesting) {
        return nullptr;
    }
    ActiveState& state = *g_active;
    const int caret = cmark_inline_parser_get_offset(inlineParser);
    if (cmark_inline_parser_peek_at(inlineParser, caret + 1) != '[') {
        return nullptr;
    }
    if (state.scans.size() <= static_cast<std::size_t>(state.nesting)) {
        state.scans.resize(state.nesting + 1);
    }
    SubjectScan& scan = state.scans[state.nesting];
    if (scan.block != parent) {
        scan.build(parent, inlineParser);
    }
    // cmark's position of the caret, and the one it should have after earlier matches' line breaks.
    // No match has consumed a line break before the first call, which learns the block offset.
    const int reportedLine = cmark_inline_parser_get_line(inlineParser);
    const int reportedColumn = cmark_inline_parser_get_column(inlineParser);
    const int caretLineStart = scan.lineStartOf(caret);
    if (!scan.blockOffset) {
        scan.blockOffset = reportedColumn - 1 - (caret - caretLineStart);
    }
    const int blockOffset = *scan.blockOffset;
    const int line = reportedLine + scan.linesSkipped;
    const int column = caret - caretLineStart + 1 + blockOffset;

    const std::optional<Match> match = findMatch(state, scan, parent, caret);
    if (!match) {
        return nullptr;
    }
    const std::string_view whole = std::string_view(scan.bytes).substr(caret, match->end - caret + 1);
    const int lineBreaks = static_cast<int>(std::count(whole.begin(), whole.end(), '\n'));
    const int endLineStart = scan.lineStartOf(match->end);
    const NodePosition span{line, column, line + lineBreaks, match->end - endLineStart + 1 + blockOffset};
    const auto recordLineSkip = [&] {
        if (lineBreaks > 0) {
            const int reportedLineStart = caret + 1 + blockOffset - reportedColumn;
            scan.linesSkipped += lineBreaks;
            state.lineSkips[parent].push_back({reportedLine, reportedColumn + match->end + 1 - caret,
                                               scan.linesSkipped, endLineStart - reportedLineStart});
        }
    };
    CmarkDocument::Tables& tables = *state.scope.tables;

    if (match->isDefinition) {
        // Stands in for the definition until the parse ends, when it is removed with the line break
        // after it (an inline HTML node, because the parser merges adjacent text nodes).
        recordLineSkip();
        scan.definitionsEnd = match->end + 2;
        cmark_node* placeholder = cmark_node_new_with_mem(CMARK_NODE_HTML_INLINE, CmarkArena::allocator());
        cmark_node_set_literal(placeholder, "");
        cmark_node_set_syntax_extension(placeholder, g_extension);
        tables.annotate(placeholder).position = span;
        state.definitionPlaceholders.push_back(placeholder);
        cmark_inline_parser_set_offset(inlineParser, match->end + 1);
        return placeholder;
    }

    const int closeBracket = scan.closingBracket.at(caret + 1);
    const std::string inner = scan.bytes.substr(caret + 2, closeBracket - caret - 2);
    recordLineSkip();
    if (isPlainText(inner, state.scope.cmarkOptions & CMARK_OPT_SMART)) {
        // What a fragment parse would give, without its cost: at most one text node.
        cmark_node* node = newAttributeNode(tables, match->attributesText, span);
        if (!inner.empty()) {
            cmark_node* text = cmark_node_new_with_mem(CMARK_NODE_TEXT, CmarkArena::allocator());
            cmark_node_set_literal(text, inner.c_str());
            const int textColumn = column + 2;
            tables.annotate(text).position =
                NodePosition{line, textColumn, line, textColumn + static_cast<int>(inner.size()) - 1};
            cmark_node_append_child(node, text);
        }
        cmark_inline_parser_set_offset(inlineParser, match->end + 1);
        return node;
    }

    // `scan` may move while the fragment is parsed; it is not used again below.
    cmark_node* fragment = parseFragment(state, parser, inner);
    if (!fragment) {
        if (lineBreaks > 0) { // undo: nothing was consumed
            state.lineSkips[parent].pop_back();
            state.scans[state.nesting].linesSkipped -= lineBreaks;
        }
        return nullptr;
    }

    cmark_node* node = newAttributeNode(tables, match->attributesText, span);

    // Move the fragment's inlines under the new node, mapping their positions. The fragment's first
    // line starts with the prefix in place of "^[", so its column 2 is `column` + 2; its later lines
    // are the block's next content lines.
    cmark_node* paragraph = cmark_node_first_child(fragment);
    const auto mapBound = [&](int& boundLine, int& boundColumn) {
        if (boundLine <= 0) {
            return;
        }
        boundColumn += boundLine == 1 ? column : blockOffset;
        boundLine += line - 1;
    };
    std::vector<cmark_node*> moved;
    for (cmark_node* child = cmark_node_first_child(paragraph); child; child = cmark_node_next(child)) {
        collectSubtree(child, moved);
    }
    for (cmark_node* each : moved) {
        // Literals may point into the fragment's block content, which is freed below.
        if (const char* literal = cmark_node_get_literal(each)) {
            const std::string owned = literal;
            cmark_node_set_literal(each, owned.c_str());
        }
        NodePosition position = tables.positionOf(each);
        mapBound(position.startLine, position.startColumn);
        mapBound(position.endLine, position.endColumn);
        tables.annotate(each).position = position;
    }
    cmark_node* first = cmark_node_first_child(paragraph);
    if (first && cmark_node_get_type(first) == CMARK_NODE_TEXT) {
        const std::string literal = cmark_node_get_literal(first);
        if (literal.size() <= 1) {
            cmark_node_free(first);
        } else {
            cmark_node_set_literal(first, literal.c_str() + 1);
            tables.annotate(first).position->startColumn += 1;
        }
    }
    while (cmark_node* child = cmark_node_first_child(paragraph)) {
        cmark_node_unlink(child);
        cmark_node_append_child(node, child);
    }
    cmark_node_free(fragment);

    cmark_inline_parser_set_offset(inlineParser, match->end + 1);
    return node;
}

// cmark calls the matcher from C, whose frames an exception must not unwind (cmark would be left
// mid-parse, its lock and memory held): an error is kept and thrown once cmark has finished.
cmark_node* matchAttribute(cmark_syntax_extension*, cmark_parser* parser, cmark_node* parent,
                           unsigned char character, cmark_inline_parser* inlineParser) noexcept {
    if (!g_active || g_active->error) {
        return nullptr;
    }
    try {
        return matchAttributeUnguarded(parser, parent, character, inlineParser);
    } catch (...) {
        g_active->error = std::current_exception();
        return nullptr;
    }
}

const char* attributeTypeString(cmark_syntax_extension*, cmark_node*) {
    return kAttributeTypeString.data();
}

int attributeCanContain(cmark_syntax_extension*, cmark_node*, cmark_node_type child) {
    return (child & CMARK_NODE_TYPE_MASK) == CMARK_NODE_TYPE_INLINE;
}

void createExtension() {
    cmark_gfm_core_extensions_ensure_registered();
    g_extension = cmark_syntax_extension_new("quillstack-attribute");
    cmark_syntax_extension_set_match_inline_func(g_extension, matchAttribute);
    cmark_syntax_extension_set_get_type_string_func(g_extension, attributeTypeString);
    cmark_syntax_extension_set_can_contain_func(g_extension, attributeCanContain);
    cmark_mem* mem = cmark_get_default_mem_allocator();
    cmark_syntax_extension_set_special_inline_chars(
        g_extension, cmark_llist_append(mem, nullptr, reinterpret_cast<void*>(static_cast<uintptr_t>('^'))));
}

} // namespace

cmark_syntax_extension* attributeExtension() {
    static std::once_flag once;
    std::call_once(once, createExtension);
    return g_extension;
}

bool isAttributeNode(cmark_node* node) {
    return node && cmark_node_get_syntax_extension(node) == attributeExtension();
}

void attachExtensions(cmark_parser* parser, bool withTableExtension) {
    cmark_syntax_extension* attribute = attributeExtension(); // registers the core extensions first
    if (withTableExtension) {
        cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension("table"));
    }
    cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension("strikethrough"));
    cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension("tasklist"));
    cmark_parser_attach_syntax_extension(parser, attribute);
}

ActiveAttributeScope::ActiveAttributeScope(const AttributeParseScope& scope) {
    g_active = std::make_unique<ActiveState>(ActiveState{scope, 0, {}, {}, scope.definitions, {}, {}});
}

ActiveAttributeScope::~ActiveAttributeScope() {
    g_active.reset();
}

void ActiveAttributeScope::finishParse() {
    if (g_active->error) {
        std::rethrow_exception(g_active->error);
    }
    for (const auto& [block, skips] : g_active->lineSkips) {
        correctPositionsAfterSkips(*g_active->scope.tables, block, skips);
    }
    g_active->lineSkips.clear();
    for (cmark_node* placeholder : g_active->definitionPlaceholders) {
        cmark_node* paragraph = cmark_node_parent(placeholder);
        cmark_node* next = cmark_node_next(placeholder);
        if (next && (cmark_node_get_type(next) == CMARK_NODE_SOFTBREAK ||
                     cmark_node_get_type(next) == CMARK_NODE_LINEBREAK)) {
            cmark_node_free(next);
        }
        cmark_node_free(placeholder);
        if (paragraph && !cmark_node_first_child(paragraph)) {
            cmark_node_free(paragraph);
        }
    }
    g_active->definitionPlaceholders.clear();
}

} // namespace Markdown::CmarkCompat
