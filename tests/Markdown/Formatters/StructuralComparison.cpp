#include "StructuralComparison.h"

#include <Markdown/Parser/Parser.h>

#include <algorithm>
#include <vector>

namespace FormatterTest {
namespace {

using namespace Markdown;

// An element reduced to what a reader of the document sees: its kind and payload (compared as the model
// compares them), and its children. Source ranges are left out.
struct Node {
    RawMarkupData data;
    // What the printed form may read back as instead, where the printer may lose a payload field.
    std::optional<RawMarkupData> alternative;
    std::vector<Node> children;
};

// The reader leaves an empty text where it strips the blanks at the end of a line. It holds nothing, and
// the printed form has no blanks there to make it from.
bool isEmptyText(const Markup& markup) {
    return markup.kind() == RawKind::text && Text(markup.data()).string().empty();
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Under a line limit the printer makes the lines of inline text itself: where it breaks a line the reader
// finds a soft break (a line break, when lines are split with hard breaks), and the blanks around the break
// go; a tab prints as a space. So there, runs of texts and such breaks compare as one text whose blanks are
// collapsed into single spaces.
void joinWrappedText(std::vector<Node>& children, const MarkupFormatter::Options& options) {
    const std::optional<PreferredLineLimit>& limit = options.preferredLineLimit();
    if (!limit) {
        return;
    }
    const auto joins = [&](const Node& node) {
        return node.data.kind() == RawKind::text || node.data.kind() == RawKind::softBreak ||
               (node.data.kind() == RawKind::lineBreak &&
                limit->lineSplittingElement == LineSplittingElement::hardBreak);
    };
    std::vector<Node> joined;
    bool joining = false;
    for (Node& child : children) {
        if (!joins(child)) {
            joined.push_back(std::move(child));
            joining = false;
            continue;
        }
        if (!joining) {
            joined.push_back({RawMarkupData::text(""), std::nullopt, {}});
            joining = true;
        }
        const std::string piece = child.data.kind() == RawKind::text ? child.data.stringPayload().value : " ";
        std::string text = joined.back().data.stringPayload().value;
        for (const char c : piece) {
            if (!isBlank(c) || text.empty() || !isBlank(text.back())) {
                text += isBlank(c) ? ' ' : c;
            }
        }
        joined.back().data = RawMarkupData::text(std::move(text));
    }
    children = std::move(joined);
}

Node reduced(const Markup& markup, const MarkupFormatter::Options& options) {
    Node node{markup.data().node().data(), std::nullopt, {}};
    for (const Markup& child : markup.children()) {
        if (!isEmptyText(child)) {
            node.children.push_back(reduced(child, options));
        }
    }
    joinWrappedText(node.children, options);
    return node;
}

// Literal text as the printer writes it: the lines between the first and the last non-empty one, each ended
// by a line feed.
std::string withoutOuterEmptyLines(const std::string& literal) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = literal.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(literal.substr(start, end - start));
    }
    lines.push_back(literal.substr(start));
    std::size_t first = 0;
    while (first < lines.size() && lines[first].empty()) {
        ++first;
    }
    std::size_t last = lines.size();
    while (last > first && lines[last - 1].empty()) {
        --last;
    }
    std::string trimmed;
    for (std::size_t i = first; i < last; ++i) {
        trimmed += lines[i] + "\n";
    }
    return trimmed;
}

bool printedOnOneLine(const Heading& heading, const MarkupFormatter::Options& options) {
    return options.preferredHeadingStyle() == PreferredHeadingStyle::atx || heading.level() > 2;
}

// The original as its printed form must read back. Besides unescaped text (see withTextsEscaped), these are
// the losses the printer makes by design, each allowed only in the form the printer gives it:
// - an ordered list starts at the numeral the options give its first item;
// - code and HTML blocks lose the empty lines at their start and end;
// - code printed indented (fences "never") loses its language;
// - a heading printed after "#" marks is one line, so a soft or hard line break in it (at any depth) reads
//   back as one space;
// - under a line limit the printer makes the lines of inline text (see joinWrappedText).
Node expectedAfterPrinting(const Markup& markup, const MarkupFormatter::Options& options,
                           bool insideOneLineHeading = false) {
    Node node{markup.data().node().data(), std::nullopt, {}};
    switch (markup.kind()) {
    case RawKind::orderedList:
        node.data = RawMarkupData::orderedList(options.orderedListNumerals().numeral(0));
        break;
    case RawKind::codeBlock: {
        const CodeBlock code(markup.data());
        const std::string printedCode = withoutOuterEmptyLines(code.code());
        node.data = RawMarkupData::codeBlock(printedCode, code.language());
        if (options.useCodeFence() == UseCodeFence::never) {
            node.alternative = RawMarkupData::codeBlock(printedCode, std::nullopt);
        }
        break;
    }
    case RawKind::htmlBlock:
        node.data = RawMarkupData::htmlBlock(withoutOuterEmptyLines(HTMLBlock(markup.data()).rawHTML()));
        break;
    default:
        break;
    }
    const std::optional<Heading> heading = markup.as<Heading>();
    const bool oneLine = insideOneLineHeading || (heading && printedOnOneLine(*heading, options));
    // The texts and breaks of a one-line heading, and of the elements in it, read back as one text.
    std::string lineText;
    bool inLineText = false;
    const auto endLineText = [&] {
        if (inLineText) {
            node.children.push_back({RawMarkupData::text(lineText), std::nullopt, {}});
            lineText.clear();
            inLineText = false;
        }
    };
    for (const Markup& child : markup.children()) {
        if (isEmptyText(child)) {
            continue;
        }
        if (oneLine && (child.kind() == RawKind::softBreak || child.kind() == RawKind::lineBreak ||
                        child.kind() == RawKind::text)) {
            lineText += child.kind() == RawKind::text ? Text(child.data()).string() : " ";
            inLineText = true;
            continue;
        }
        endLineText();
        node.children.push_back(expectedAfterPrinting(child, options, oneLine));
    }
    endLineText();
    joinWrappedText(node.children, options);
    return node;
}

void describeInto(const Node& node, int depth, std::string& out) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    out += node.data.diagnosticDescription();
    if (node.alternative) {
        out += " or " + node.alternative->diagnosticDescription();
    }
    out += "\n";
    for (const Node& child : node.children) {
        describeInto(child, depth + 1, out);
    }
}

std::string describe(const Node& node) {
    std::string out;
    describeInto(node, 0, out);
    return out;
}

// The first place where the trees part, walking both in document order. Where only the number of children
// differs, the first child that differs says more than the whole element.
std::optional<StructuralDifference> firstDifference(const Node& expected, const Node& actual,
                                                    const std::string& path) {
    if (expected.data == actual.data || expected.alternative == actual.data) {
        const std::size_t common = std::min(expected.children.size(), actual.children.size());
        for (std::size_t i = 0; i < common; ++i) {
            const std::string childPath = path + "/" + std::to_string(i) + ":" +
                                          std::string(rawKindName(expected.children[i].data.kind()));
            if (auto difference = firstDifference(expected.children[i], actual.children[i], childPath)) {
                return difference;
            }
        }
        if (expected.children.size() == actual.children.size()) {
            return std::nullopt;
        }
    }
    return StructuralDifference{path, describe(expected), describe(actual)};
}

bool isASCIIPunctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
           (c >= '{' && c <= '~');
}

// The printer writes a text element as it stands, unescaped by design, so a text holding characters that
// Markdown reads as syntax comes back as that syntax: an escaped "\*" as emphasis, "&lt;T&gt;" as HTML, a
// "1." that followed a soft break as a list. That is the one loss allowed for text, and it is allowed by
// giving such texts what their writer gave them: a backslash before each ASCII punctuation character, which
// reads back as the character itself. Nothing else changes (no element is added, removed or moved, and the
// printer's code paths for text are the same), so every other difference still shows. The text of a link
// printed in the condensed "<destination>" form (as the options say, and always inside a link's text) is left
// as it is: that form prints no text, and the printer chooses it by comparing the text with the destination.
RawMarkupRef withTextsEscaped(const RawMarkupRef& node, const MarkupFormatter::Options& options,
                              bool insideLink = false) {
    const RawMarkupData& data = node->data();
    if (data.kind() == RawKind::text) {
        const std::string& text = data.stringPayload().value;
        if (std::none_of(text.begin(), text.end(), isASCIIPunctuation)) {
            return node;
        }
        std::string escaped;
        for (const char c : text) {
            if (isASCIIPunctuation(c)) {
                escaped += '\\';
            }
            escaped += c;
        }
        return RawMarkup::create(RawMarkupData::text(std::move(escaped)), node->parsedRange(), {});
    }
    if (data.kind() == RawKind::link) {
        const Link link(MarkupData::newRoot(node));
        if ((insideLink && link.isAutolink()) || link.format(options).starts_with("<")) {
            return node;
        }
    }
    std::vector<RawMarkupRef> children;
    for (const RawMarkupRef& child : node->children()) {
        children.push_back(withTextsEscaped(child, options, insideLink || data.kind() == RawKind::link));
    }
    return RawMarkup::create(data, node->parsedRange(), children);
}

} // namespace

std::optional<StructuralDifference> roundTripDifference(const Markup& original,
                                                        const MarkupFormatter::Options& options) {
    const Markup printable(MarkupData::newRoot(withTextsEscaped(original.data().raw().markup, options)));
    return firstStructuralDifference(original, Document::parsing(printable.format(options)), options);
}

std::optional<StructuralDifference> firstStructuralDifference(const Markup& original, const Markup& reprinted,
                                                              const MarkupFormatter::Options& options) {
    const Node expected = expectedAfterPrinting(original, options);
    return firstDifference(expected, reduced(reprinted, options),
                           std::string(rawKindName(expected.data.kind())));
}

} // namespace FormatterTest
