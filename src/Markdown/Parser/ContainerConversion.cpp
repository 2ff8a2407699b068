#include "ContainerConversion.h"

#include "Markdown/CmarkCompat/CmarkCompat.h"
#include "Markdown/Parser/CmarkConversion.h"
#include "Markdown/Parser/RangeAdjustment.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace Markdown {

namespace {

[[noreturn]] void fatal(const char* message) {
    std::fprintf(stderr, "%s\n", message);
    std::abort();
}

using Kind = ParseContainer::Kind;

SourceRange rangeFrom(const SourceLocation& start, const SourceLocation& end) {
    return end < start ? SourceRange(start, start) : SourceRange(start, end);
}

// Whether a line break of the line splitter ends just before `offset`.
bool followsLineBreak(std::string_view text, std::size_t offset) {
    const unsigned char last = static_cast<unsigned char>(text[offset - 1]);
    if (last >= 0x0A && last <= 0x0D) {
        return true;
    }
    if (offset >= 2 && last == 0x85 && static_cast<unsigned char>(text[offset - 2]) == 0xC2) {
        return true;
    }
    return offset >= 3 && (last == 0xA8 || last == 0xA9) &&
           static_cast<unsigned char>(text[offset - 2]) == 0x80 &&
           static_cast<unsigned char>(text[offset - 3]) == 0xE2;
}

class ContainerConverter {
public:
    ContainerConverter(std::string_view text, const std::optional<URL>& source, ParseOptions options)
        : text_(text), source_(source),
          options_(options), ranges_{
                                 SourceRange(SourceLocation(1, 1, source), SourceLocation(1, 1, source))} {}

    // Works through the container tree with a stack of its own, so that directives nested any number of
    // levels deep take no more machine stack than one.
    RawMarkupRef convert(const ParseContainer& root) {
        std::vector<Frame> open{{&root, 0, 0}};
        while (!open.empty()) {
            Frame& frame = open.back();
            const ParseContainer& container = *frame.container;
            if (frame.nextChild < container.children().size()) {
                const ParseContainer& child = container.children()[frame.nextChild++];
                switch (child.kind()) {
                case Kind::lineRun:
                    appendRun(child.lines(), child.indentationAdjustment(&container));
                    break;
                case Kind::doxygenCommand:
                    appendDoxygenCommand(child);
                    break;
                case Kind::blockDirective:
                    widen(ranges_.totalRange, directiveRange(child.directive()));
                    open.push_back({&child, 0, built_.size()});
                    break;
                case Kind::root:
                    fatal("Cannot push additional document containers onto the parse container stack");
                }
                continue;
            }
            const std::span<const RawMarkupRef> children(built_.data() + frame.firstChild,
                                                         built_.size() - frame.firstChild);
            RawMarkupRef node = container.kind() == Kind::root
                                    ? RawMarkup::create(RawMarkupData::withoutPayload(RawKind::document),
                                                        ranges_.totalRange, children)
                                    : directiveNode(container.directive(), children);
            built_.resize(frame.firstChild);
            built_.push_back(std::move(node));
            open.pop_back();
        }
        return std::move(built_.front());
    }

private:
    struct Frame {
        const ParseContainer* container;
        std::size_t nextChild;
        std::size_t firstChild;
    };

    static SourceRange directiveRange(const PendingBlockDirective& directive) {
        return rangeFrom(directive.atLocation, directive.endLocation);
    }

    RawMarkupRef directiveNode(const PendingBlockDirective& directive,
                               std::span<const RawMarkupRef> children) const {
        std::vector<DirectiveArgumentText::LineSegment> segments;
        segments.reserve(directive.argumentsText.size());
        for (const TrimmedLine::Lex& piece : directive.argumentsText) {
            const char* lineStart = startOfLine(piece);
            const char* pieceEnd = piece.text.data() + piece.text.size();
            segments.emplace_back(std::string(lineStart, pieceEnd),
                                  static_cast<std::size_t>(piece.text.data() - lineStart), piece.range);
        }
        return RawMarkup::create(RawMarkupData::blockDirective(std::string(directive.name),
                                                               directive.nameLocation,
                                                               DirectiveArgumentText(std::move(segments))),
                                 directiveRange(directive), children);
    }

    // Argument pieces view the document text; their source line starts `column - 1` bytes before them.
    const char* startOfLine(const TrimmedLine::Lex& piece) const {
        if (piece.range) {
            return piece.text.data() - (piece.range->start().column() - 1);
        }
        std::size_t offset = static_cast<std::size_t>(piece.text.data() - text_.data());
        while (offset > 0 && !followsLineBreak(text_, offset)) {
            --offset;
        }
        return text_.data() + offset;
    }

    void appendDoxygenCommand(const ParseContainer& container) {
        const PendingDoxygenCommand& command = container.command();
        const SourceRange range = rangeFrom(command.atLocation, command.endLocation);
        widen(ranges_.totalRange, range);
        const std::size_t firstChild = built_.size();
        appendRun(container.lines(), container.indentationAdjustment(nullptr));
        const std::span<const RawMarkupRef> children(built_.data() + firstChild, built_.size() - firstChild);
        RawMarkupRef node = RawMarkup::create(commandData(command), range, children);
        built_.resize(firstChild);
        built_.push_back(std::move(node));
    }

    static RawMarkupData commandData(const PendingDoxygenCommand& command) {
        switch (command.kind) {
        case PendingDoxygenCommand::Kind::param:
            return RawMarkupData::doxygenParam(std::string(command.parameterName));
        case PendingDoxygenCommand::Kind::discussion:
            return RawMarkupData::withoutPayload(RawKind::doxygenDiscussion);
        case PendingDoxygenCommand::Kind::note:
            return RawMarkupData::withoutPayload(RawKind::doxygenNote);
        case PendingDoxygenCommand::Kind::abstract:
            return RawMarkupData::withoutPayload(RawKind::doxygenAbstract);
        case PendingDoxygenCommand::Kind::returns:
            return RawMarkupData::withoutPayload(RawKind::doxygenReturns);
        }
        std::abort();
    }

    // Cuts up to `adjustment` columns of leading blanks (a tab reaching the next multiple of four, counted
    // from where the line's text resumes), joins the lines, parses them, and moves the nodes' ranges back
    // by the bytes cut from each line.
    void appendRun(const std::vector<TrimmedLine>& lines, int adjustment) {
        std::string joined;
        std::vector<std::int64_t> cuts;
        cuts.reserve(lines.size());
        for (const TrimmedLine& line : lines) {
            const std::string_view rest = line.remaining();
            std::size_t cut = 0;
            int columns = 0;
            while (cut < rest.size() && (rest[cut] == ' ' || rest[cut] == '\t')) {
                const int next = rest[cut] == ' ' ? columns + 1 : (columns + 4) / 4 * 4;
                if (next > adjustment) {
                    break;
                }
                columns = next;
                ++cut;
            }
            if (!cuts.empty()) {
                joined.push_back('\n');
            }
            joined.append(rest.substr(cut));
            cuts.push_back(static_cast<std::int64_t>(line.parseIndex() + cut));
        }
        const std::int64_t startLine = lines.empty() ? 1 : lines.front().lineNumber().value_or(1);
        const FragmentPlacement placement{startLine, cuts, ranges_};
        const RawMarkupRef parsed = parseIntoRawTree(joined, source_, options_, &placement);
        for (const RawMarkupRef& child : parsed->children()) {
            built_.push_back(child);
        }
    }

    std::string_view text_;
    const std::optional<URL>& source_;
    ParseOptions options_;
    RangeTracker ranges_;
    std::vector<RawMarkupRef> built_;
};

} // namespace

Document convertingParseContainers(const ParseContainer& container, std::string_view text,
                                   const std::optional<URL>& source, ParseOptions options) {
    if (container.kind() != Kind::root) {
        fatal("Tried to convert a non-root container to a `Document`");
    }
    RawMarkupRef document = ContainerConverter(text, source, options).convert(container);
    if (!document || document->kind() != RawKind::document) {
        fatal("Conversion from ParseContainer.document to RawMarkup.document failed");
    }
    return Document(MarkupData::newRoot(std::move(document)));
}

Document parsingBlockDirectives(std::string_view text, const std::optional<URL>& source,
                                ParseOptions options) {
    // The lines are cut from the same text cmark-gfm will see, so that both count the same bytes.
    const std::string valid = CmarkCompat::withInvalidUtf8Replaced(text);
    ParseContainerStack stack(LazySplitLines(valid, source).makeIterator(), options);
    return convertingParseContainers(stack.root(), valid, source, options);
}

} // namespace Markdown
