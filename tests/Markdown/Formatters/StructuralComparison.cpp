#include "StructuralComparison.h"

#include <Markdown/Parser/Parser.h>

#include <algorithm>
#include <vector>

namespace FormatterTest {
namespace {

using namespace Markdown;

// An element reduced to what a reader of the document sees: its kind, every payload field written out as
// its detail, and its children. Source ranges are left out.
struct Node {
    std::string kind;
    std::string detail;
    // A second detail the printed form may read back with, where the printer may lose a payload field.
    std::optional<std::string> alternativeDetail;
    std::vector<Node> children;
};

std::string quoted(const std::optional<std::string>& text) {
    if (!text) {
        return "none";
    }
    std::string quoted = "\"";
    for (const char c : *text) {
        quoted += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return quoted + "\"";
}

std::string alignmentName(const std::optional<TableColumnAlignment>& alignment) {
    if (!alignment) {
        return "none";
    }
    switch (*alignment) {
    case TableColumnAlignment::left:
        return "left";
    case TableColumnAlignment::center:
        return "center";
    case TableColumnAlignment::right:
        return "right";
    }
    return "none";
}

std::string codeBlockDetail(const std::optional<std::string>& language, const std::string& code) {
    return "language " + quoted(language) + " " + quoted(code);
}

std::string detailOf(const Markup& markup) {
    const RawMarkupData& data = markup.data().node().data();
    switch (markup.kind()) {
    case RawKind::codeBlock:
        return codeBlockDetail(data.codeBlockPayload().language, data.codeBlockPayload().code);
    case RawKind::heading:
        return "level " + std::to_string(data.headingPayload().level);
    case RawKind::listItem: {
        const auto& checkbox = data.listItemPayload().checkbox;
        return checkbox ? (*checkbox == Checkbox::checked ? "[x]" : "[ ]") : "";
    }
    case RawKind::orderedList:
        return "start " + std::to_string(data.orderedListPayload().startIndex);
    case RawKind::link:
    case RawKind::image:
        return quoted(data.linkPayload().destination) + " title " + quoted(data.linkPayload().title);
    case RawKind::symbolLink:
        return quoted(data.symbolLinkPayload().destination);
    case RawKind::table: {
        std::string detail = "alignments";
        for (const auto& alignment : data.tablePayload().columnAlignments) {
            detail += " " + alignmentName(alignment);
        }
        return detail;
    }
    case RawKind::tableCell:
        return "span " + std::to_string(data.tableCellPayload().colspan) + "x" +
               std::to_string(data.tableCellPayload().rowspan);
    case RawKind::blockDirective:
        return quoted(data.blockDirectivePayload().name);
    case RawKind::htmlBlock:
    case RawKind::inlineCode:
    case RawKind::customInline:
    case RawKind::inlineHTML:
    case RawKind::text:
    case RawKind::inlineAttributes:
    case RawKind::doxygenParam:
        return quoted(data.stringPayload().value);
    default:
        return "";
    }
}

// The reader leaves an empty text where it strips the blanks at the end of a line. It holds nothing, and
// the printed form has no blanks there to make it from.
bool isEmptyText(const Markup& markup) {
    return markup.kind() == RawKind::text && Text(markup.data()).string().empty();
}

Node reduced(const Markup& markup) {
    Node node{std::string(rawKindName(markup.kind())), detailOf(markup), std::nullopt, {}};
    for (const Markup& child : markup.children()) {
        if (!isEmptyText(child)) {
            node.children.push_back(reduced(child));
        }
    }
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
// the losses the printer's requirements name, each allowed only in the form the printer gives it:
// - an ordered list starts at the numeral the options give its first item;
// - code and HTML blocks lose the empty lines at their start and end;
// - code printed indented (fences "never") loses its language;
// - a heading printed after "#" marks is one line, so a soft or hard line break in it reads back as one
//   space.
Node expectedAfterPrinting(const Markup& markup, const MarkupFormatter::Options& options) {
    Node node{std::string(rawKindName(markup.kind())), detailOf(markup), std::nullopt, {}};
    switch (markup.kind()) {
    case RawKind::orderedList:
        node.detail = "start " + std::to_string(options.orderedListNumerals().numeral(0));
        break;
    case RawKind::codeBlock: {
        const CodeBlock code(markup.data());
        const std::string printedCode = withoutOuterEmptyLines(code.code());
        node.detail = codeBlockDetail(code.language(), printedCode);
        if (options.useCodeFence() == UseCodeFence::never) {
            node.alternativeDetail = codeBlockDetail(std::nullopt, printedCode);
        }
        break;
    }
    case RawKind::htmlBlock:
        node.detail = quoted(withoutOuterEmptyLines(HTMLBlock(markup.data()).rawHTML()));
        break;
    default:
        break;
    }
    const std::optional<Heading> heading = markup.as<Heading>();
    const bool oneLine = heading && printedOnOneLine(*heading, options);
    std::optional<std::string> lineText;
    const auto endLineText = [&] {
        if (lineText) {
            node.children.push_back({"text", quoted(*lineText), std::nullopt, {}});
            lineText.reset();
        }
    };
    for (const Markup& child : markup.children()) {
        if (isEmptyText(child)) {
            continue;
        }
        if (oneLine && (child.kind() == RawKind::softBreak || child.kind() == RawKind::lineBreak ||
                        child.kind() == RawKind::text)) {
            lineText =
                lineText.value_or("") + (child.kind() == RawKind::text ? Text(child.data()).string() : " ");
            continue;
        }
        endLineText();
        node.children.push_back(expectedAfterPrinting(child, options));
    }
    endLineText();
    return node;
}

void describeInto(const Node& node, int depth, std::string& out) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    out += node.kind + (node.detail.empty() ? "" : " " + node.detail);
    if (node.alternativeDetail) {
        out += " (or " + *node.alternativeDetail + ")";
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

bool sameElement(const Node& expected, const Node& actual) {
    return expected.kind == actual.kind &&
           (expected.detail == actual.detail || expected.alternativeDetail == actual.detail);
}

// The first place where the trees part, walking both in document order. Where only the number of children
// differs, the first child that differs says more than the whole element.
std::optional<StructuralDifference> firstDifference(const Node& expected, const Node& actual,
                                                    const std::string& path) {
    if (sameElement(expected, actual)) {
        const std::size_t common = std::min(expected.children.size(), actual.children.size());
        for (std::size_t i = 0; i < common; ++i) {
            if (auto difference =
                    firstDifference(expected.children[i], actual.children[i],
                                    path + "/" + std::to_string(i) + ":" + expected.children[i].kind)) {
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

// The printer writes text as it stands (its requirements say so: nothing is escaped), so a text holding
// characters that Markdown reads as syntax comes back as that syntax: an escaped "\*" as emphasis,
// "&lt;T&gt;" as HTML, a "1." that followed a soft break as a list. That is the one loss allowed for text,
// and it is allowed by giving such texts what their writer gave them: a backslash before each ASCII
// punctuation character, which reads back as the character itself. Nothing else changes (no element is added,
// removed or moved, and the printer's code paths for text are the same), so every other difference still
// shows. The text of a link printed in the condensed "<destination>" form is left as it is: that form prints
// no text, and the printer chooses it by comparing the text with the destination.
RawMarkupRef withTextsEscaped(const RawMarkupRef& node, const MarkupFormatter::Options& options) {
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
    if (data.kind() == RawKind::link && Markup(MarkupData::newRoot(node)).format(options).starts_with("<")) {
        return node;
    }
    std::vector<RawMarkupRef> children;
    for (const RawMarkupRef& child : node->children()) {
        children.push_back(withTextsEscaped(child, options));
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
    return firstDifference(expected, reduced(reprinted), expected.kind);
}

} // namespace FormatterTest
