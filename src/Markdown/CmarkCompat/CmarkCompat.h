#pragma once
// The layer over Debian's stock cmark-gfm. It adds what the stock library lacks (code-span backtick
// counts, the inline "attribute" kind `^[text](attributes)` with its reference definitions, table-cell
// spans) behind our own names, and guards the parse against inputs that make the stock library slow
// or produce unboundedly deep trees.

#include <cmark-gfm.h>
#include <cmark-gfm_version.h>

#include <memory>
#include <string>
#include <string_view>

static_assert(CMARK_GFM_VERSION == ((0 << 24) | (29 << 16) | (0 << 8) | 6),
              "The Markdown library is written against cmark-gfm 0.29.0.gfm.6 exactly: its compatibility "
              "layer depends on that version's positions and table behaviour.");

namespace Markdown::CmarkCompat {

// The type string of an inline attributes node.
inline constexpr std::string_view kAttributeTypeString = "attribute";

// Subtrees reaching this depth (the document is depth 0) are folded into plain text.
inline constexpr int kMaxNestingDepth = 128;

// Guards against the stock table extension's slow paths. A text parses without the table extension
// when one of its lines holds more pipes than kMaxTableColumns; when a table's columns times rows
// exceed kMaxTableCells (every short row is padded to full width); or when the squared pipe counts
// of all table lines (header rows included, whether or not they make a table) add up to more than
// kMaxTableWidthCost (splitting a row into cells takes time quadratic in its width).
inline constexpr int kMaxTableColumns = 1000;
inline constexpr long kMaxTableCells = 100000;
inline constexpr long long kMaxTableWidthCost = 20000000;

struct ParseSettings {
    bool smartPunctuation = true;
    // Without it every position reads as unknown (the layer still tracks them for its own work).
    bool sourcePositions = true;
    // Computes column and row spans of table cells; without it every cell spans 1 x 1.
    bool tableCellSpans = true;
};

// cmark's own position convention: 1-based lines, 1-based UTF-8 byte columns, inclusive end; a field
// of 0 means the position is unknown. Like the stock library's, inline positions count lines from
// their block's first line and columns within its content lines (which differs from the source on
// lazy and indented continuation lines); a code span's position covers its content only.
struct NodePosition {
    int startLine = 0;
    int startColumn = 0;
    int endLine = 0;
    int endColumn = 0;
    friend bool operator==(const NodePosition&, const NodePosition&) = default;
};

// What the guards did to one parse.
struct GuardReport {
    int invalidUtf8Sequences = 0; // each replaced by U+FFFD before parsing
    bool tableExtensionDropped = false;
    int foldedSubtrees = 0; // subtrees below the nesting cap turned into plain text
};

// `text` with every ill-formed UTF-8 sequence replaced by U+FFFD, as CmarkDocument::parse sees it.
// Callers that work on the text themselves as well (the block-directive path) start from this, so
// that their columns and cmark's agree. `replacements`, when given, receives the number replaced.
std::string withInvalidUtf8Replaced(std::string_view text, int* replacements = nullptr);

class CmarkArena;

class CmarkDocument {
public:
    // Parses `text` with the "table", "strikethrough" and "tasklist" extensions and our attribute
    // extension. Safe to call from any thread: calls into cmark-gfm are serialised.
    static CmarkDocument parse(std::string_view text, const ParseSettings& settings = {});

    CmarkDocument(CmarkDocument&&) noexcept;
    CmarkDocument& operator=(CmarkDocument&&) noexcept;
    ~CmarkDocument();

    // The document node; the tree stays owned by this object. This layer keeps its data in the
    // nodes' user-data slots: callers must not set them. Like cmark's own reads (which may copy a
    // string into the node), the reads below may record what they work out: a document is read by
    // one thread at a time.
    cmark_node* root() const;
    const GuardReport& guardReport() const;

    // For a code span, the length of the backtick run that opens and closes it (worked out when first
    // asked for a span of its block); 0 for other nodes.
    int backtickCount(cmark_node* node) const;
    // For an attribute node, its attributes text ("" when empty); nullptr for any other node.
    const char* attributes(cmark_node* node) const;
    // For a table cell, its column and row span: 0 for a cell covered by the one to its left or above,
    // the number of cells covered (itself included) otherwise, 1 and 1 for filler cells the stock
    // table added to a short row; -1 for any other node.
    int tableCellColspan(cmark_node* node) const;
    int tableCellRowspan(cmark_node* node) const;
    // The node's position, including nodes this layer created or moved.
    NodePosition position(cmark_node* node) const;
    // The node's type string, "attribute" for attribute nodes. Attribute nodes are stock link nodes
    // underneath (table cells accept no other kind of inline container), so callers dispatch on this
    // string, never on cmark_node_get_type.
    static std::string_view typeString(cmark_node* node);

    // Reading a node's literal, destination, title or fence info may make cmark copy the string.
    // While a ReadScope lives, such copies made on its thread come from the document's own memory,
    // which lets the document release its tree at once rather than node by node.
    class ReadScope {
    public:
        explicit ReadScope(const CmarkDocument& document);
        ~ReadScope();
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        CmarkArena* previous_;
    };

    struct Tables;

private:
    explicit CmarkDocument(std::unique_ptr<Tables> tables);
    std::unique_ptr<Tables> tables_;
};

} // namespace Markdown::CmarkCompat
