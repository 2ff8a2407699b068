#include "Markdown/Walker/Walkers/MarkupTreeDumper.h"

#include <cstdio>

namespace Markdown {

namespace {

bool isLastChild(const Markup& element) {
    const MarkupData* parent = element.data().parent();
    return parent && element.indexInParent() == parent->node().childCount() - 1;
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The string as a quoted literal with control characters escaped: "a\"b\n".
std::string debugQuoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\0':
            out += "\\0";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                char escaped[12];
                std::snprintf(escaped, sizeof escaped, "\\u{%x}", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string alignmentMark(const std::optional<TableColumnAlignment>& alignment) {
    if (!alignment) {
        return "-";
    }
    switch (*alignment) {
    case TableColumnAlignment::left:
        return "l";
    case TableColumnAlignment::center:
        return "c";
    case TableColumnAlignment::right:
        return "r";
    }
    return "-";
}

} // namespace

void MarkupTreeDumper::visit(const Markup& markup) {
    // A null entry closes the element on top of `path`.
    std::vector<std::optional<Markup>> pending{markup};
    while (!pending.empty()) {
        std::optional<Markup> element = std::move(pending.back());
        pending.pop_back();
        if (!element) {
            path.pop_back();
            continue;
        }
        dump(*element, detailText(*element));
        pending.emplace_back(std::nullopt);
        path.push_back(*element);
        for (const Markup& child : element->children().reversed()) {
            pending.emplace_back(child);
        }
    }
}

void MarkupTreeDumper::dump(const Markup& element, const std::string& customDescription) {
    if (!path.empty()) {
        result += "\n";
        result += lineIndentPrefix();
        result += isLastChild(element) ? "└─ " : "├─ ";
    }
    result += element.typeName();
    if (options.contains(MarkupDumpOptions::printSourceLocations()) && element.range()) {
        result += " @" + element.range()->diagnosticDescription(false);
    }
    if (options.contains(MarkupDumpOptions::printUniqueIdentifiers())) {
        const MarkupIdentifier& id = element.data().id();
        if (!element.data().parent()) {
            result += " Root #" + std::to_string(id.rootId);
        }
        result += " #" + std::to_string(id.childId);
    }
    if (!customDescription.empty()) {
        if (customDescription.front() != '\n') {
            result += " ";
        }
        result += customDescription;
    }
}

// One three-column slot per element of `path` below the dumped root: a bar where more siblings follow.
std::string MarkupTreeDumper::lineIndentPrefix() const {
    std::string prefix;
    for (std::size_t n = 1; n < path.size(); ++n) {
        prefix += isLastChild(path[n]) ? "   " : "│  ";
    }
    return prefix;
}

std::string MarkupTreeDumper::literalBlock(const std::string& text, const Markup& element) const {
    std::string prefix = lineIndentPrefix();
    if (!path.empty()) {
        prefix += isLastChild(element) ? "   " : "│  ";
    }
    std::string block;
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) {
            lineEnd = text.size();
        }
        if (!block.empty() || lineStart > 0) {
            block += "\n";
        }
        block += prefix + text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
    }
    return block;
}

std::string MarkupTreeDumper::detailText(const Markup& element) const {
    const RawMarkupData& data = element.data().node().data();
    switch (element.kind()) {
    case RawKind::text:
        return quoted(data.stringPayload().value);
    case RawKind::inlineCode:
        return "`" + data.stringPayload().value + "`";
    case RawKind::inlineHTML:
        return data.stringPayload().value;
    case RawKind::link: {
        const auto& destination = data.linkPayload().destination;
        return destination ? "destination: " + quoted(*destination) : std::string();
    }
    case RawKind::image: {
        std::string detail;
        if (const auto& source = data.linkPayload().destination) {
            detail = "source: " + quoted(*source);
        }
        if (const auto& title = data.linkPayload().title) {
            detail += (detail.empty() ? "" : " ") + std::string("title: ") + quoted(*title);
        }
        return detail;
    }
    case RawKind::symbolLink: {
        const auto& destination = data.symbolLinkPayload().destination;
        return destination ? "destination: " + *destination : std::string();
    }
    case RawKind::heading:
        return "level: " + std::to_string(data.headingPayload().level);
    case RawKind::orderedList: {
        const std::uint64_t start = data.orderedListPayload().startIndex;
        return start == 1 ? std::string() : "startIndex: " + std::to_string(start);
    }
    case RawKind::listItem: {
        const auto& checkbox = data.listItemPayload().checkbox;
        if (!checkbox) {
            return {};
        }
        return *checkbox == Checkbox::checked ? "checkbox: [x]" : "checkbox: [ ]";
    }
    case RawKind::codeBlock: {
        const CodeBlockPayload& code = data.codeBlockPayload();
        const std::string literal = literalBlock(code.code, element);
        return "language: " + code.language.value_or("none") + (literal.empty() ? "" : "\n" + literal);
    }
    case RawKind::htmlBlock: {
        const std::string literal = literalBlock(data.stringPayload().value, element);
        return literal.empty() ? std::string() : "\n" + literal;
    }
    case RawKind::blockDirective: {
        const BlockDirectivePayload& directive = data.blockDirectivePayload();
        std::string detail = "name: " + debugQuoted(directive.name);
        if (!directive.arguments.segments.empty()) {
            std::string arguments;
            const auto& segments = directive.arguments.segments;
            for (std::size_t i = 0; i < segments.size(); ++i) {
                arguments += (i == 0 ? "" : "\n");
                arguments += segments[i].trimmedText();
            }
            detail += "\n├─ Argument text segments:\n" + literalBlock(arguments, element);
        }
        return detail;
    }
    case RawKind::table: {
        std::string marks;
        for (const auto& alignment : data.tablePayload().columnAlignments) {
            marks += alignmentMark(alignment) + "|";
        }
        return "alignments: |" + marks;
    }
    case RawKind::tableCell: {
        const TableCellPayload& spans = data.tableCellPayload();
        std::string detail;
        if (spans.colspan != 1) {
            detail += "colspan: " + std::to_string(spans.colspan);
        }
        if (spans.rowspan != 1) {
            detail += (detail.empty() ? "" : " ") + std::string("rowspan: ") + std::to_string(spans.rowspan);
        }
        return detail;
    }
    case RawKind::inlineAttributes:
        return "attributes: `" + data.stringPayload().value + "`";
    case RawKind::customInline:
        return "customInline.text";
    case RawKind::doxygenParam:
        return "parameter: " + data.stringPayload().value;
    default:
        return {};
    }
}

std::string Markup::debugDescription(MarkupDumpOptions options) const {
    MarkupTreeDumper dumper(options);
    dumper.visit(*this);
    return dumper.result;
}

std::string Markup::debugDescription() const {
    return debugDescription(MarkupDumpOptions{});
}

} // namespace Markdown
