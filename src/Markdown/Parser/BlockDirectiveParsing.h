#pragma once
// The line pre-parser of the block-directive path: before any Markdown parsing, source lines are
// arranged into a tree of containers: plain line runs (later parsed as Markdown), block directives
// `@Name(arguments) { body }` with their child containers, and Doxygen commands with their lines.
// One pass, no look-ahead: each line is routed by what is open on the stack at that moment.
//
// Lines and pieces are views into the document text, which must outlive the tree; the few lines the
// pre-parser makes itself (content before a closing brace on a directive's own line) are owned by the
// tree.

#include "LineSplitting.h"
#include "ParseOptions.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Markdown {

// Directives open inside this many others are not opened: their lines, and the closing braces that
// would have matched them, stay text of the innermost directive (the cmark containers are capped alike).
inline constexpr std::size_t kMaxBlockDirectiveNesting = 128;

struct PendingBlockDirective {
    enum class ParseState {
        argumentsStart,
        argumentsText,
        argumentsEnd,
        contentsStart,
        contents,
        contentsEnd,
        done
    };

    int atIndentationColumnCount = 0;
    std::optional<int> innerIndentationColumnCount;
    SourceLocation atLocation{0, 0};
    SourceLocation nameLocation{0, 0};
    std::string_view name;
    std::vector<TrimmedLine::Lex> argumentsText; // one piece per source line, without parentheses
    ParseState parseState = ParseState::argumentsStart;
    SourceLocation endLocation{0, 0};
    // Content found before the closing brace on the same line, padded so that it keeps its columns.
    std::optional<TrimmedLine> pendingLine;
    std::shared_ptr<const std::string> pendingLineText; // what pendingLine views

    // Each takes the line by value, lexes it, and answers whether the line (or its rest) was taken.
    bool parseArgumentsStart(TrimmedLine line);
    bool parseArgumentsText(TrimmedLine line);
    bool parseArgumentsEnd(TrimmedLine line);
    bool parseContentsStart(TrimmedLine line);
    bool parseContentsEnd(TrimmedLine line);
};

struct PendingDoxygenCommand {
    enum class Kind { param, discussion, note, abstract, returns };

    SourceLocation atLocation{0, 0};
    int atSignIndentation = 0; // blank characters before the "@" or "\"
    SourceLocation nameLocation{0, 0};
    std::optional<int> innerIndentation;
    Kind kind = Kind::discussion;
    std::string_view parameterName; // for param
    SourceLocation endLocation{0, 0};

    void addLine(const TrimmedLine& line);
};

class ParseContainer {
public:
    enum class Kind { root, lineRun, blockDirective, doxygenCommand };

    static ParseContainer root();
    static ParseContainer lineRun(std::vector<TrimmedLine> lines, bool isInCodeFence);
    static ParseContainer blockDirective(PendingBlockDirective directive);
    static ParseContainer doxygenCommand(PendingDoxygenCommand command, std::vector<TrimmedLine> lines);

    ParseContainer(ParseContainer&&) noexcept = default;
    ParseContainer& operator=(ParseContainer&&) noexcept = default;
    // Destroys deep trees without recursion.
    ~ParseContainer();

    Kind kind() const { return kind_; }
    // The root's and a directive's child containers.
    const std::vector<ParseContainer>& children() const { return children_; }
    // A line run's and a Doxygen command's lines.
    const std::vector<TrimmedLine>& lines() const { return lines_; }
    bool isInCodeFence() const { return isInCodeFence_; }
    const PendingBlockDirective& directive() const { return *directive_; }
    const PendingDoxygenCommand& command() const { return *command_; }

    // The content indentation this container imposes on its lines (0 at the top level).
    int indentationAdjustment(const ParseContainer* parent) const;

    // An indented outline for diagnostics.
    std::string debugDescription() const;

private:
    friend class ParseContainerStack;
    explicit ParseContainer(Kind kind) : kind_(kind) {}

    Kind kind_;
    std::vector<ParseContainer> children_;
    std::vector<TrimmedLine> lines_;
    bool isInCodeFence_ = false;
    std::optional<PendingBlockDirective> directive_;
    std::optional<PendingDoxygenCommand> command_;
    std::vector<std::shared_ptr<const std::string>> ownedLineTexts_; // texts of lines made here
};

class ParseContainerStack {
public:
    // Accepts every line, then closes every container above the root.
    ParseContainerStack(LazySplitLines::Iterator lines, ParseOptions options);

    // The finished root container.
    const ParseContainer& root() const { return containerStack_.front(); }
    ParseContainer takeRoot() { return std::move(containerStack_.front()); }

private:
    void accept(const TrimmedLine& line);
    std::optional<std::pair<PendingDoxygenCommand, TrimmedLine>>
    parseDoxygenCommandOpening(const TrimmedLine& line);
    void updateIndentation(const TrimmedLine& line);
    bool isCodeFenceOrIndentedCodeBlock(const TrimmedLine& line) const;
    std::optional<PendingBlockDirective> parseBlockDirectiveOpening(const TrimmedLine& line) const;
    bool isInBlockDirective() const;
    std::size_t openBlockDirectiveCount() const;
    void push(ParseContainer container);
    void pushPendingLine(const PendingBlockDirective& directive);
    void closeTop();

    ParseContainer& top() { return containerStack_.back(); }
    const ParseContainer* parentOfTop() const;

    std::vector<ParseContainer> containerStack_;
    ParseOptions options_;
    // Openings with a body refused at the nesting cap whose closing braces have not come yet.
    std::size_t refusedOpenings_ = 0;
};

} // namespace Markdown
