#include "BlockDirectiveParsing.h"

#include "Graphemes.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Markdown {

namespace {

using ParseState = PendingBlockDirective::ParseState;

[[noreturn]] void fatal(const char* message) {
    std::fprintf(stderr, "%s\n", message);
    std::abort();
}

std::string_view firstCharacter(std::string_view text) {
    return text.empty() ? text : text.substr(0, Graphemes::nextBoundary(text, 0));
}

bool startsWith(const TrimmedLine& line, std::string_view character) {
    return firstCharacter(line.remaining()) == character;
}

bool isBlankOnly(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// Characters from the start of `text` up to the first one that `stops` (or the end).
template <typename Stops> std::size_t countUntil(std::string_view text, Stops stops) {
    std::size_t count = 0;
    for (std::size_t offset = 0; offset < text.size();) {
        const std::size_t next = Graphemes::nextBoundary(text, offset);
        if (stops(text.substr(offset, next - offset))) {
            break;
        }
        ++count;
        offset = next;
    }
    return count;
}

bool isWhiteSpaceCharacter(std::string_view character) {
    int32_t offset = 0;
    UChar32 codePoint = 0;
    U8_NEXT(character.data(), offset, static_cast<int32_t>(character.size()), codePoint);
    return codePoint >= 0 && u_isUWhiteSpace(codePoint);
}

SourceLocation lower(const std::optional<TrimmedLine::Lex>& lex) {
    return lex && lex->range ? lex->range->start() : SourceLocation(0, 0);
}

SourceLocation upper(const std::optional<TrimmedLine::Lex>& lex) {
    return lex && lex->range ? lex->range->end() : SourceLocation(0, 0);
}

// Columns are UTF-8 bytes: the position just past the whole line.
SourceLocation endOfLine(const TrimmedLine& line) {
    return SourceLocation(line.lineNumber().value_or(0),
                          static_cast<std::int64_t>(line.untrimmedText().size()) + 1, line.source());
}

std::string asciiLowercase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

} // namespace

// The directive syntax, one state at a time.

bool PendingBlockDirective::parseArgumentsStart(TrimmedLine line) {
    line.lexWhitespace();
    if (startsWith(line, "(")) {
        line.take(1);
        parseState = ParseState::argumentsText;
        parseArgumentsText(line);
        return true;
    }
    parseState = ParseState::contentsStart;
    return parseContentsStart(line);
}

bool PendingBlockDirective::parseArgumentsText(TrimmedLine line) {
    bool escaped = false;
    bool quoted = false;
    const std::size_t count = countUntil(line.remaining(), [&](std::string_view c) {
        if (escaped) {
            escaped = false;
            return false;
        }
        if (c == "\\") {
            escaped = true;
        } else if (c == "\"") {
            quoted = !quoted;
        } else if (c == ")" && !quoted) {
            return true;
        }
        return false;
    });
    const std::optional<TrimmedLine::Lex> piece = line.take(count);
    if (piece) {
        argumentsText.push_back(*piece);
    }
    endLocation = line.location().value_or(endLocation);
    if (startsWith(line, ")")) {
        parseState = ParseState::argumentsEnd;
        return parseArgumentsEnd(line);
    }
    return piece.has_value();
}

bool PendingBlockDirective::parseArgumentsEnd(TrimmedLine line) {
    line.lexWhitespace();
    if (!startsWith(line, ")")) {
        return false;
    }
    line.take(1);
    parseState = ParseState::contentsStart;
    endLocation = line.location().value_or(endLocation);
    parseContentsStart(line);
    return true;
}

bool PendingBlockDirective::parseContentsStart(TrimmedLine line) {
    line.lexWhitespace();
    if (!startsWith(line, "{")) {
        return false;
    }
    line.take(1);
    parseState = ParseState::contents;
    endLocation = line.location().value_or(endLocation);
    parseContentsEnd(line);
    return true;
}

bool PendingBlockDirective::parseContentsEnd(TrimmedLine line) {
    line.lexWhitespace();
    if (startsWith(line, "}")) {
        line.take(1);
        parseState = ParseState::done;
        endLocation = line.location().value_or(endLocation);
        return true;
    }
    const std::string_view content = line.remaining();
    if (content.empty()) {
        return false;
    }
    std::size_t end = content.size();
    while (end > 0 && (content[end - 1] == ' ' || content[end - 1] == '\t')) {
        --end;
    }
    if (end == 0 || content[end - 1] != '}') {
        return false;
    }
    // The directive closes on this line after some content, which becomes its one line. The padding
    // counts bytes, so that the content keeps its (byte) columns.
    --end;
    while (end > 0 && (content[end - 1] == ' ' || content[end - 1] == '\t')) {
        --end;
    }
    const std::size_t padding = line.parseIndex();
    auto text = std::make_shared<std::string>(padding, ' ');
    text->append(content.substr(0, end));
    pendingLineText = text;
    pendingLine = TrimmedLine(*pendingLineText, line.lineNumber(), 0, line.source());
    innerIndentationColumnCount = static_cast<int>(padding);
    parseState = ParseState::done;
    endLocation = endOfLine(line);
    return false;
}

void PendingDoxygenCommand::addLine(const TrimmedLine& line) {
    endLocation = endOfLine(line);
    if (!innerIndentation && line.lineNumber() != atLocation.line() && !isBlankOnly(line.remaining())) {
        innerIndentation = line.indentationColumnCount();
    }
}

// Containers.

ParseContainer ParseContainer::root() {
    return ParseContainer(Kind::root);
}

ParseContainer ParseContainer::lineRun(std::vector<TrimmedLine> lines, bool isInCodeFence) {
    ParseContainer container(Kind::lineRun);
    container.lines_ = std::move(lines);
    container.isInCodeFence_ = isInCodeFence;
    return container;
}

ParseContainer ParseContainer::blockDirective(PendingBlockDirective directive) {
    ParseContainer container(Kind::blockDirective);
    container.directive_ = std::move(directive);
    return container;
}

ParseContainer ParseContainer::doxygenCommand(PendingDoxygenCommand command, std::vector<TrimmedLine> lines) {
    ParseContainer container(Kind::doxygenCommand);
    container.command_ = command;
    container.lines_ = std::move(lines);
    return container;
}

ParseContainer::~ParseContainer() {
    std::vector<ParseContainer> pending = std::move(children_);
    while (!pending.empty()) {
        ParseContainer last = std::move(pending.back());
        pending.pop_back();
        for (ParseContainer& child : last.children_) {
            pending.push_back(std::move(child));
        }
        last.children_.clear();
    }
}

int ParseContainer::indentationAdjustment(const ParseContainer* parent) const {
    switch (kind_) {
    case Kind::root:
        return 0;
    case Kind::lineRun:
        return parent ? parent->indentationAdjustment(nullptr) : 0;
    case Kind::blockDirective:
        return directive_->innerIndentationColumnCount.value_or(directive_->atIndentationColumnCount);
    case Kind::doxygenCommand:
        return command_->innerIndentation.value_or(command_->atSignIndentation);
    }
    return 0;
}

namespace {

class Printer {
public:
    void print(std::string_view text) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = text.find('\n', start);
            const std::string_view piece =
                text.substr(start, end == std::string_view::npos ? end : end - start);
            for (; pendingBreaks > 0; --pendingBreaks) {
                out += '\n';
                out.append(static_cast<std::size_t>(indentation), ' ');
            }
            out += piece;
            if (end == std::string_view::npos) {
                return;
            }
            ++pendingBreaks;
            start = end + 1;
        }
    }
    void printQuoted(std::string_view text) {
        std::string quoted = "\"";
        for (char c : text) {
            if (c == '"' || c == '\\') {
                quoted += '\\';
            }
            quoted += c;
        }
        quoted += '"';
        print(quoted);
    }

    int indentation = 0;
    int pendingBreaks = 0;
    std::string out;
};

const char* kindName(PendingDoxygenCommand::Kind kind) {
    switch (kind) {
    case PendingDoxygenCommand::Kind::param:
        return "'param'";
    case PendingDoxygenCommand::Kind::discussion:
        return "'discussion'";
    case PendingDoxygenCommand::Kind::note:
        return "'note'";
    case PendingDoxygenCommand::Kind::abstract:
        return "'abstract'";
    case PendingDoxygenCommand::Kind::returns:
        return "'returns'";
    }
    return "";
}

} // namespace

std::string ParseContainer::debugDescription() const {
    Printer printer;
    // Depth-first without recursion: each entry is a container and the indentation of its heading.
    std::vector<std::pair<const ParseContainer*, int>> pending = {{this, 0}};
    while (!pending.empty()) {
        const auto [container, indentation] = pending.back();
        pending.pop_back();
        printer.indentation = indentation;
        const auto printLines = [&](const std::vector<TrimmedLine>& lines) {
            for (const TrimmedLine& line : lines) {
                printer.indentation = indentation + 4;
                ++printer.pendingBreaks;
                printer.printQuoted(line.remaining());
            }
        };
        switch (container->kind_) {
        case Kind::root:
            printer.print("* Root Document");
            break;
        case Kind::lineRun:
            printer.print("* Line Run");
            printLines(container->lines_);
            break;
        case Kind::blockDirective:
            printer.print("* Block directive '" + std::string(container->directive_->name) + "'");
            if (!container->directive_->argumentsText.empty()) {
                printer.indentation = indentation + 2;
                ++printer.pendingBreaks;
                printer.print("Arguments Text:");
                for (const TrimmedLine::Lex& piece : container->directive_->argumentsText) {
                    printer.indentation = indentation + 4;
                    ++printer.pendingBreaks;
                    printer.printQuoted(piece.text);
                }
            }
            break;
        case Kind::doxygenCommand: {
            std::string heading = std::string("* Doxygen command ") + kindName(container->command_->kind);
            if (container->command_->kind == PendingDoxygenCommand::Kind::param) {
                heading += " Argument: '" + std::string(container->command_->parameterName) + "'";
            }
            printer.print(heading);
            printLines(container->lines_);
            break;
        }
        }
        ++printer.pendingBreaks;
        for (auto child = container->children_.rbegin(); child != container->children_.rend(); ++child) {
            pending.emplace_back(&*child, indentation + 4);
        }
    }
    return printer.out;
}

// The stack of open containers.

ParseContainerStack::ParseContainerStack(LazySplitLines::Iterator lines, ParseOptions options)
    : options_(options) {
    containerStack_.push_back(ParseContainer::root());
    while (const std::optional<TrimmedLine> line = lines.next()) {
        accept(*line);
    }
    while (containerStack_.size() > 1) {
        closeTop();
    }
}

const ParseContainer* ParseContainerStack::parentOfTop() const {
    return containerStack_.size() > 1 ? &containerStack_[containerStack_.size() - 2] : nullptr;
}

void ParseContainerStack::push(ParseContainer container) {
    if (container.kind() == ParseContainer::Kind::root && !containerStack_.empty()) {
        fatal("Cannot push additional document containers onto the parse container stack");
    }
    containerStack_.push_back(std::move(container));
}

void ParseContainerStack::closeTop() {
    ParseContainer child = std::move(containerStack_.back());
    containerStack_.pop_back();
    ParseContainer& parent = containerStack_.back();
    if (parent.kind() == ParseContainer::Kind::lineRun) {
        fatal("Line runs cannot have children");
    }
    if (parent.kind() == ParseContainer::Kind::doxygenCommand) {
        fatal("Doxygen commands cannot have children");
    }
    parent.children_.push_back(std::move(child));
}

void ParseContainerStack::pushPendingLine(const PendingBlockDirective& directive) {
    ParseContainer run = ParseContainer::lineRun({*directive.pendingLine}, false);
    run.ownedLineTexts_.push_back(directive.pendingLineText);
    push(std::move(run));
}

bool ParseContainerStack::isInBlockDirective() const {
    // From the top: only directives with a body nest, so one is found near the top when there is one.
    return std::any_of(containerStack_.rbegin(), containerStack_.rend(), [](const ParseContainer& container) {
        return container.kind() == ParseContainer::Kind::blockDirective &&
               container.directive().parseState == ParseState::contents;
    });
}

std::size_t ParseContainerStack::openBlockDirectiveCount() const {
    return static_cast<std::size_t>(
        std::count_if(containerStack_.begin(), containerStack_.end(), [](const ParseContainer& container) {
            return container.kind() == ParseContainer::Kind::blockDirective;
        }));
}

bool ParseContainerStack::isCodeFenceOrIndentedCodeBlock(const TrimmedLine& line) const {
    const ParseContainer& topContainer = containerStack_.back();
    const int adjustment = topContainer.indentationAdjustment(parentOfTop());
    return line.indentationColumnCount() - adjustment > 3 || line.isProbablyCodeFence() ||
           (topContainer.kind() == ParseContainer::Kind::lineRun && topContainer.isInCodeFence());
}

void ParseContainerStack::updateIndentation(const TrimmedLine& line) {
    // The first non-blank line that reaches a directive, or a line run or command directly inside it,
    // fixes the directive's content indentation.
    ParseContainer* directive = &top();
    if (directive->kind() != ParseContainer::Kind::blockDirective) {
        if (directive->kind() == ParseContainer::Kind::root || containerStack_.size() < 2) {
            return;
        }
        directive = &containerStack_[containerStack_.size() - 2];
        if (directive->kind() != ParseContainer::Kind::blockDirective) {
            return;
        }
    }
    PendingBlockDirective& pending = *directive->directive_;
    if (!pending.innerIndentationColumnCount && !isBlankOnly(line.remaining())) {
        pending.innerIndentationColumnCount = line.indentationColumnCount();
    }
}

std::optional<PendingBlockDirective>
ParseContainerStack::parseBlockDirectiveOpening(const TrimmedLine& line) const {
    if (isCodeFenceOrIndentedCodeBlock(line)) {
        return std::nullopt;
    }
    TrimmedLine copy = line;
    copy.lexWhitespace();
    if (!startsWith(copy, "@")) {
        return std::nullopt;
    }
    const std::optional<TrimmedLine::Lex> at = copy.take(1);
    const std::size_t nameLength = countUntil(copy.remaining(), [](std::string_view c) {
        return c == "(" || c == ")" || c == "," || c == ":" || c == "{" || c == " " || c == "\t";
    });
    const std::optional<TrimmedLine::Lex> name = copy.take(nameLength);
    if (!name) {
        return std::nullopt;
    }
    PendingBlockDirective directive;
    directive.atIndentationColumnCount = line.indentationColumnCount();
    directive.atLocation = lower(at);
    directive.nameLocation = lower(name);
    directive.name = name->text;
    directive.endLocation = upper(name);
    directive.parseArgumentsStart(copy);
    return directive;
}

std::optional<std::pair<PendingDoxygenCommand, TrimmedLine>>
ParseContainerStack::parseDoxygenCommandOpening(const TrimmedLine& line) {
    if (!options_.contains(ParseOptions::parseMinimalDoxygen) || isInBlockDirective()) {
        return std::nullopt;
    }
    const ParseContainer& topContainer = containerStack_.back();
    if ((topContainer.kind() == ParseContainer::Kind::lineRun && topContainer.isInCodeFence()) ||
        isCodeFenceOrIndentedCodeBlock(line)) {
        return std::nullopt;
    }
    TrimmedLine copy = line;
    const std::optional<TrimmedLine::Lex> blanks = copy.lexWhitespace();
    const std::size_t prefixLength =
        countUntil(copy.remaining(), [](std::string_view c) { return c != "@" && c != "\\"; });
    const std::optional<TrimmedLine::Lex> prefix = copy.take(prefixLength);
    if (!prefix) {
        return std::nullopt;
    }
    const std::optional<TrimmedLine::Lex> word =
        copy.take(countUntil(copy.remaining(), isWhiteSpaceCharacter));
    if (!word) {
        return std::nullopt;
    }
    copy.lexWhitespace();

    PendingDoxygenCommand command;
    const std::string lowered = asciiLowercase(word->text);
    if (lowered == "discussion") {
        command.kind = PendingDoxygenCommand::Kind::discussion;
    } else if (lowered == "note") {
        command.kind = PendingDoxygenCommand::Kind::note;
    } else if (lowered == "abstract" || lowered == "brief") {
        command.kind = PendingDoxygenCommand::Kind::abstract;
    } else if (lowered == "return" || lowered == "returns" || lowered == "result") {
        command.kind = PendingDoxygenCommand::Kind::returns;
    } else if (lowered == "param") {
        const std::optional<TrimmedLine::Lex> parameter =
            copy.take(countUntil(copy.remaining(), isWhiteSpaceCharacter));
        if (!parameter) {
            return std::nullopt;
        }
        command.kind = PendingDoxygenCommand::Kind::param;
        command.parameterName = parameter->text;
        copy.lexWhitespace();
    } else {
        return std::nullopt;
    }
    command.atLocation = lower(prefix);
    command.atSignIndentation = blanks ? static_cast<int>(blanks->text.size()) : 0;
    command.nameLocation = lower(word);
    command.endLocation = upper(word);
    command.addLine(copy);
    return std::pair(command, copy);
}

void ParseContainerStack::accept(const TrimmedLine& line) {
    using Kind = ParseContainer::Kind;

    // 1. A blank line closes a Doxygen command, and a directive that cannot continue over it.
    if (isBlankOnly(line.remaining())) {
        const ParseContainer& topContainer = top();
        if (topContainer.kind() == Kind::doxygenCommand) {
            closeTop();
        } else if (topContainer.kind() == Kind::blockDirective) {
            const ParseState state = topContainer.directive().parseState;
            if (state == ParseState::argumentsStart || state == ParseState::contentsStart ||
                state == ParseState::done) {
                closeTop();
            }
        }
    }

    // 2. Doxygen commands.
    if (auto opening = parseDoxygenCommandOpening(line)) {
        if (top().kind() != Kind::root) {
            closeTop();
        }
        push(ParseContainer::doxygenCommand(opening->first, {opening->second}));
        return;
    }

    // 3. The first non-blank line to reach a directive fixes its content indentation.
    updateIndentation(line);

    // 4. A closing brace closes everything opened inside the nearest directive with a body; the
    // directive itself takes the brace below. A brace matching a refused opening stays text.
    bool closesRefusedOpening = false;
    if (!isCodeFenceOrIndentedCodeBlock(line)) {
        TrimmedLine copy = line;
        copy.lexWhitespace();
        if (startsWith(copy, "}") && refusedOpenings_ > 0) {
            --refusedOpenings_;
            closesRefusedOpening = true;
        } else if (startsWith(copy, "}")) {
            const auto open =
                std::find_if(containerStack_.rbegin(), containerStack_.rend(), [](const auto& c) {
                    return c.kind() == Kind::blockDirective &&
                           c.directive().parseState == ParseState::contents;
                });
            if (open != containerStack_.rend()) {
                const std::size_t keep =
                    containerStack_.size() - static_cast<std::size_t>(open - containerStack_.rbegin());
                while (containerStack_.size() > keep) {
                    closeTop();
                }
            }
        }
    }

    // 5. Directive openings, up to the nesting cap.
    std::optional<PendingBlockDirective> opening;
    if (!closesRefusedOpening) {
        opening = parseBlockDirectiveOpening(line);
    }
    if (opening && openBlockDirectiveCount() >= kMaxBlockDirectiveNesting) {
        if (opening->parseState == ParseState::contents) {
            ++refusedOpenings_;
        }
        opening.reset();
    }
    if (std::optional<PendingBlockDirective>& directive = opening) {
        const ParseContainer& topContainer = top();
        if (topContainer.kind() == Kind::lineRun || topContainer.kind() == Kind::doxygenCommand ||
            (topContainer.kind() == Kind::blockDirective &&
             topContainer.directive().parseState != ParseState::contents &&
             topContainer.directive().parseState != ParseState::contentsEnd)) {
            closeTop();
        }
        const bool done = directive->parseState == ParseState::done;
        const bool hasPendingLine = directive->pendingLine.has_value();
        PendingBlockDirective pendingCopy = *directive;
        push(ParseContainer::blockDirective(std::move(*directive)));
        if (hasPendingLine) {
            pushPendingLine(pendingCopy);
        }
        if (done) {
            closeTop();
        }
        return;
    }

    // 6. The line goes to the top container.
    ParseContainer& topContainer = top();
    switch (topContainer.kind()) {
    case Kind::lineRun:
        topContainer.lines_.push_back(line);
        topContainer.isInCodeFence_ = topContainer.isInCodeFence_ != line.isProbablyCodeFence();
        return;
    case Kind::doxygenCommand:
        topContainer.lines_.push_back(line);
        topContainer.command_->addLine(line);
        return;
    case Kind::root:
        push(ParseContainer::lineRun({line}, line.isProbablyCodeFence()));
        return;
    case Kind::blockDirective:
        break;
    }

    // The directive is changed in place (its argument text can grow long); what a line that it does
    // not take may have changed is put back.
    PendingBlockDirective& directive = *topContainer.directive_;
    const ParseState before = directive.parseState;
    const SourceLocation endBefore = directive.endLocation;
    const std::size_t piecesBefore = directive.argumentsText.size();
    bool taken = false;
    if (before == ParseState::argumentsText) {
        taken = directive.parseArgumentsText(line);
    } else if (before == ParseState::done || isCodeFenceOrIndentedCodeBlock(line)) {
        taken = false;
    } else {
        switch (before) {
        case ParseState::argumentsStart:
            taken = directive.parseArgumentsStart(line);
            break;
        case ParseState::argumentsEnd:
            taken = directive.parseArgumentsEnd(line);
            break;
        case ParseState::contentsStart:
            taken = directive.parseContentsStart(line);
            break;
        case ParseState::contents:
        case ParseState::contentsEnd:
            taken = directive.parseContentsEnd(line);
            break;
        case ParseState::argumentsText:
        case ParseState::done:
            break;
        }
    }
    if (before != ParseState::done && directive.parseState == ParseState::done) {
        if (directive.pendingLine) {
            const PendingBlockDirective finished = directive; // `directive` moves with the stack
            pushPendingLine(finished);
            closeTop();
        }
        closeTop();
    } else if (!taken) {
        directive.parseState = before;
        directive.endLocation = endBefore;
        directive.argumentsText.resize(piecesBefore);
        if (before != ParseState::contents && before != ParseState::contentsEnd) {
            closeTop(); // as it stood before this line: without body or without further arguments
        }
        push(ParseContainer::lineRun({line}, line.isProbablyCodeFence()));
    }
}

} // namespace Markdown
