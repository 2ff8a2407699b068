#pragma once

#include "Markdown/Walker/MarkupWalker.h"
#include "Markdown/Walker/Walkers/MarkupFormatterOptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Markdown {

/// Prints a tree back to Markdown text. Usually reached through `markup.format(options)`.
///
/// No visit writes a newline itself: blocks queue newlines (`ensureNewlines`), and the next `print` writes
/// them, each followed by the line prefix (custom prefix, "> " of quotes, list indentation) of the element
/// that starts the new line. Text is not escaped, except where the printed form would otherwise read back
/// as something else: code spans and fences are longer than any backtick run inside them, a `|` inside a
/// table cell is written as "\|", a double quote in a title as "\"", an "&" that would start a character
/// reference in a destination or title as "&amp;", and a link destination holding blanks or unbalanced
/// parentheses goes between angle brackets. Structure is kept the same way: only a destination that reads
/// back as an autolink is condensed to one, a line break on an empty line or after blanks is written as a
/// backslash, a list that follows a list of its kind takes the other marker, emphasis takes the marker whose
/// delimiters pair as written with those around them (never underscores inside a word), strikethrough in
/// strikethrough the other number of tildes, a rule that opens a list item a character other than the
/// item's marker, and code is fenced where an indented block would read back as something else.
///
/// With a preferred line limit, text wraps at spaces; a code span, image, link or inline-attribute span that
/// would end up past the limit or broken over lines is moved whole to a new line, unless it is the first
/// element of its parent or starts a line already. Wrapping keeps the structure too: it never starts a line
/// with what would open a block there, never breaks a word (nor between an element and a word it touches),
/// carries opening delimiters along with the word they open, never leaves an empty line or a line that
/// ends in a line break (two blanks, a backslash), and never wraps a table cell, whose row is one line.
class MarkupFormatter : public MarkupWalker<MarkupFormatter> {
public:
    using Options = MarkupFormatterOptions;

    /// Line state; counts are user-perceived characters (grapheme clusters).
    struct State {
        std::int64_t currentLength = 0;
        std::int64_t queuedNewlines = 0;
        std::int64_t newlineStreak = 0;
        /// Characters on the last line of the result, its line prefix included.
        std::int64_t lastLineLength = 0;
        std::int64_t lineNumber = 0;
        friend bool operator==(const State&, const State&) = default;
    };

    explicit MarkupFormatter(Options formattingOptions)
        : formattingOptions(std::move(formattingOptions)),
          lineLimit_(this->formattingOptions.preferredLineLimit()),
          softBreaksAsSpaces_(lineLimit_.has_value()) {}

    Options formattingOptions;
    const std::string& result() const { return result_; }
    const State& state() const { return state_; }

    void visitDocument(const Document& document) { descendInto(document); }
    void visitCustomBlock(const CustomBlock& block);
    void visitParagraph(const Paragraph& paragraph);
    void visitBlockQuote(const BlockQuote& blockQuote);
    void visitUnorderedList(const UnorderedList& list);
    void visitOrderedList(const OrderedList& list);
    void visitListItem(const ListItem& item);
    void visitCodeBlock(const CodeBlock& codeBlock);
    void visitHeading(const Heading& heading);
    void visitThematicBreak(const ThematicBreak& thematicBreak);
    void visitHTMLBlock(const HTMLBlock& html);
    void visitBlockDirective(const BlockDirective& directive);
    void visitDoxygenDiscussion(const DoxygenDiscussion& command);
    void visitDoxygenAbstract(const DoxygenAbstract& command);
    void visitDoxygenNote(const DoxygenNote& command);
    void visitDoxygenParameter(const DoxygenParameter& command);
    void visitDoxygenReturns(const DoxygenReturns& command);

    void visitText(const Text& text);
    void visitInlineCode(const InlineCode& code);
    void visitEmphasis(const Emphasis& emphasis);
    void visitStrong(const Strong& strong);
    void visitStrikethrough(const Strikethrough& strikethrough);
    void visitImage(const Image& image);
    void visitLink(const Link& link);
    void visitInlineHTML(const InlineHTML& html);
    void visitLineBreak(const LineBreak& lineBreak);
    void visitSoftBreak(const SoftBreak& softBreak);
    void visitSymbolLink(const SymbolLink& symbolLink);
    void visitInlineAttributes(const InlineAttributes& attributes);
    void visitCustomInline(const CustomInline& custom);

    /// A table prints as one unit: padded columns, the delimiter row with the alignments, spans as empty
    /// cells (column span) and "^" (row span).
    void visitTable(const Table& table);
    /// A head, body, row or cell printed on its own gives the lines it would have in a table of its own: a
    /// head with its delimiter row, rows padded to their own widths, a cell's content alone.
    void visitTableHead(const TableHead& head);
    void visitTableBody(const TableBody& body);
    void visitTableRow(const TableRow& row);
    void visitTableCell(const TableCell& cell);

    /// Writes the queued newlines (each followed by `element`'s line prefix), then `text`.
    void print(std::string_view text, const Markup& element);
    /// Prints the opening delimiter of an inline element ("*", "~", "[", "![", "^["): when wrapping moves the
    /// first word inside it to a new line, the delimiters that open the word move with it.
    void printOpening(std::string_view delimiter, const Markup& element);
    void addressPendingNewlines(const Markup& element);
    /// The text that starts every line written for `element`.
    std::string linePrefix(const Markup& element) const;
    /// "n. " for an item of an ordered list (n from the numeral option), nothing otherwise.
    std::optional<std::string> numeralPrefix(const ListItem& item) const;
    /// Takes the result back to a state saved earlier in the same walk.
    void restoreState(const State& savedState);
    /// Prints `text`, wrapping it at spaces when a line limit is set (never inside a heading).
    void softWrapPrint(std::string_view text, const Markup& element);
    void ensureDoxygenCommandPrecedingNewline(const Markup& command);
    /// Writes the definitions of the attributes that spans named by label (those the parenthesised form
    /// cannot hold) ahead of everything printed for `printedElement`, as a paragraph of their own.
    void writeAttributeDefinitions(const Markup& printedElement);

private:
    /// Queues newlines so that at least `count` separate what was printed from what comes next.
    void ensureNewlines(std::int64_t count);
    /// Applies the separation of a leaf or inline-container block: two newlines unless it comes first.
    void separateBlock(const Markup& block);
    void printDoxygenCommand(const Markup& command, std::string_view word);
    void printList(const Markup& list);
    /// The character that marks the items of an unordered list: the option's, or the other one.
    char bulletCharacter(bool otherMarker) const;
    /// How many `marker` characters, with nothing but blanks between them, end the line being printed (what
    /// follows the markers of the containers on it); 0 when a new line is due.
    std::int64_t markersEndingTheLine(char marker) const;
    void printEmphasis(const Markup& element, std::size_t markerCount);
    /// The marker character of an emphasis or strong emphasis: the option's, unless the other one is needed
    /// for the delimiters to pair as written with the delimiters around them.
    char emphasisMarker(const Markup& element) const;
    /// The markers of the emphases of `kind` being printed around an element whose parent is `parent`, up to
    /// the nearest inline that is neither emphasis nor strikethrough (a link's text pairs on its own).
    std::string markersOfEnclosingEmphases(const MarkupData& parent, RawKind kind) const;
    /// Prints an inline element whose printed form must not be split across lines: under a line limit, when
    /// it ends past the limit or broken over lines (and is not its parent's first child and does not start a
    /// line already), it is printed again from a new line.
    template <class PrintElement> void printUnbroken(const Markup& element, PrintElement printElement);
    /// Under a line limit, starts a text whose first word would not fit on the line on a new one, where it
    /// may start one (`words` are the text's; see `softWrapPrint`).
    void startTextOnANewLine(const std::vector<std::string_view>& words, bool endsBeforeAnElement,
                             const Markup& element);
    /// Whether wrapping may break the line being printed: not right after a backslash, nor a line that
    /// begins with what would open a block once the line is shorter.
    bool lineMayBreak() const;
    /// Ends the line being printed where wrapping breaks it: prints `breakText` and queues a newline.
    void breakLineForWrapping(std::string_view breakText, bool keepsBlanks, const Markup& element);
    /// Marks where the content of the line being printed begins, after container markers ("- ", "> ").
    void markLineContentStart();

    /// The label of the definition of `attributes`, made when it is the first span with them.
    std::string attributeDefinitionLabel(const std::string& attributes);

    struct TableLines;
    void printTableLines(const TableLines& lines);

    /// The content of a table cell printed on its own: detached from its table, soft breaks as spaces, one
    /// line of inline Markdown (unescaped).
    std::string formatIndependently(const TableCell& cell);

    std::string result_;
    State state_;
    // The line limit text wraps at: the option's, none in table cells, which are one line each.
    std::optional<PreferredLineLimit> lineLimit_;
    // Soft breaks print as texts of one space: under a line limit, where lines come from wrapping alone,
    // and in table cells.
    bool softBreaksAsSpaces_;
    // Where the opening delimiters printed last, with nothing printed after them yet, began: the state and
    // the size of the result before them. A word that moves to a new line takes them along.
    struct OpeningRun {
        State state;
        std::size_t resultSize = 0;
    };
    std::optional<OpeningRun> openingRun_;
    // Where in the result the content of the last line begins: after its line prefix and any container
    // markers printed on it.
    std::size_t lineContentStart_ = 0;
    // Elements being printed under the unbroken rule that will check themselves when done; the elements
    // nested in them need not check, because any element that would move forces its enclosing one to move.
    std::int64_t checkingElements_ = 0;
    // Depth of reprints under the unbroken rule: nothing inside a reprint is checked again, so nested links
    // and images cost linear time instead of doubling per level.
    std::int64_t reprintDepth_ = 0;
    // Whether each list being printed (innermost last) writes the marker other than the option's, and the
    // list printed last: a list that follows a list of its kind takes the other marker.
    struct FinishedList {
        MarkupIdentifier parent;
        std::int64_t index = 0;
        RawKind kind = RawKind::unorderedList;
        bool otherMarker = false;
    };
    std::vector<bool> openListsTakeOtherMarker_;
    // The kind and marker character of each emphasis or strong emphasis being printed, innermost last.
    struct OpenEmphasis {
        RawKind kind;
        char marker;
    };
    std::vector<OpenEmphasis> openEmphases_;
    // How many links are being printed around the element being printed.
    std::int64_t openLinks_ = 0;
    // The tildes of each strikethrough being printed, innermost last.
    std::vector<std::string> openStrikethroughTildes_;
    std::optional<FinishedList> lastFinishedList_;
    // Label and attributes of each definition that spans name, in the order of their first span.
    std::vector<std::pair<std::string, std::string>> attributeDefinitions_;
};

} // namespace Markdown
