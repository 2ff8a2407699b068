#include "Markdown/Walker/Walkers/HTMLFormatter.h"

#include "Markdown/InterpretiveNodes/Aside.h"
#include "Markdown/Parser/Parser.h"

#include <vector>

namespace Markdown {

std::string escapedForHTML(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

namespace {

// Reads the members of an object whose braces the caller has left out, in a lenient JSON: bare or quoted
// keys, single- or double-quoted strings, trailing commas. Nested objects and arrays are skipped by matching
// their brackets (no recursion, so any nesting depth is safe).
class AttributeReader {
public:
    explicit AttributeReader(std::string_view text) : text_(text) {}

    // The last string-valued "class" member, or nothing when the text is not a valid member list or has no
    // string-valued "class".
    std::optional<std::string> classValue() {
        std::optional<std::string> found;
        bool foundNonString = false;
        skipBlanks();
        while (!atEnd()) {
            std::optional<std::string> key = readKey();
            skipBlanks();
            if (!key || !consume(':')) {
                return std::nullopt;
            }
            skipBlanks();
            if (peek() == '"' || peek() == '\'') {
                std::optional<std::string> value = readString();
                if (!value) {
                    return std::nullopt;
                }
                if (*key == "class") {
                    found = std::move(value);
                    foundNonString = false;
                }
            } else {
                if (!skipNonStringValue()) {
                    return std::nullopt;
                }
                if (*key == "class") {
                    foundNonString = true;
                }
            }
            skipBlanks();
            if (atEnd()) {
                break;
            }
            if (!consume(',')) {
                return std::nullopt;
            }
            skipBlanks();
        }
        return foundNonString ? std::nullopt : found;
    }

private:
    bool atEnd() const { return position_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[position_]; }
    bool consume(char c) {
        if (peek() == c && !atEnd()) {
            ++position_;
            return true;
        }
        return false;
    }
    void skipBlanks() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) {
            ++position_;
        }
    }

    static bool isIdentifierCharacter(char c, bool first) {
        const auto byte = static_cast<unsigned char>(c);
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || byte >= 0x80 ||
               (!first && c >= '0' && c <= '9');
    }

    std::optional<std::string> readKey() {
        if (peek() == '"' || peek() == '\'') {
            return readString();
        }
        const std::size_t start = position_;
        while (!atEnd() && isIdentifierCharacter(peek(), position_ == start)) {
            ++position_;
        }
        if (position_ == start) {
            return std::nullopt;
        }
        return std::string(text_.substr(start, position_ - start));
    }

    static void appendUTF8(std::string& out, std::uint32_t scalar) {
        if (scalar < 0x80) {
            out += static_cast<char>(scalar);
        } else if (scalar < 0x800) {
            out += static_cast<char>(0xC0 | (scalar >> 6));
            out += static_cast<char>(0x80 | (scalar & 0x3F));
        } else if (scalar < 0x10000) {
            out += static_cast<char>(0xE0 | (scalar >> 12));
            out += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (scalar & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (scalar >> 18));
            out += static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (scalar & 0x3F));
        }
    }

    std::optional<std::uint32_t> readHex4() {
        if (position_ + 4 > text_.size()) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[position_++];
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= static_cast<std::uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value |= static_cast<std::uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                value |= static_cast<std::uint32_t>(c - 'A' + 10);
            } else {
                return std::nullopt;
            }
        }
        return value;
    }

    // A quoted string with its escapes resolved; nothing when it is not closed or holds a raw line break.
    std::optional<std::string> readString() {
        const char quote = text_[position_++];
        std::string value;
        while (!atEnd()) {
            const char c = text_[position_++];
            if (c == quote) {
                return value;
            }
            if (c == '\n' || c == '\r') {
                return std::nullopt;
            }
            if (c != '\\') {
                value += c;
                continue;
            }
            if (atEnd()) {
                return std::nullopt;
            }
            const char escaped = text_[position_++];
            switch (escaped) {
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'r':
                value += '\r';
                break;
            case 'b':
                value += '\b';
                break;
            case 'f':
                value += '\f';
                break;
            case 'v':
                value += '\v';
                break;
            case '0':
                value += '\0';
                break;
            case '\n':
                break; // a line continuation
            case 'u': {
                std::optional<std::uint32_t> unit = readHex4();
                if (!unit) {
                    return std::nullopt;
                }
                std::uint32_t scalar = *unit;
                if (scalar >= 0xD800 && scalar <= 0xDBFF && text_.substr(position_, 2) == "\\u") {
                    const std::size_t afterHigh = position_;
                    position_ += 2;
                    const std::optional<std::uint32_t> low = readHex4();
                    if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                        scalar = 0x10000 + ((scalar - 0xD800) << 10) + (*low - 0xDC00);
                    } else {
                        position_ = afterHigh;
                    }
                }
                appendUTF8(value, scalar >= 0xD800 && scalar <= 0xDFFF ? 0xFFFD : scalar);
                break;
            }
            default:
                value += escaped; // \" \' \\ \/ and any other character stand for themselves
            }
        }
        return std::nullopt;
    }

    // A number, literal, object or array; nested brackets must match and strings inside must be closed.
    bool skipNonStringValue() {
        if (peek() == '{' || peek() == '[') {
            std::vector<char> open;
            while (!atEnd()) {
                const char c = peek();
                if (c == '"' || c == '\'') {
                    if (!readString()) {
                        return false;
                    }
                    continue;
                }
                ++position_;
                if (c == '{' || c == '[') {
                    open.push_back(c == '{' ? '}' : ']');
                } else if (c == '}' || c == ']') {
                    if (open.empty() || open.back() != c) {
                        return false;
                    }
                    open.pop_back();
                    if (open.empty()) {
                        return true;
                    }
                }
            }
            return false;
        }
        const std::size_t start = position_;
        while (!atEnd() && peek() != ',' && peek() != ' ' && peek() != '\t' && peek() != '\n' &&
               peek() != '\r') {
            const char c = peek();
            const bool allowed = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                 c == '.' || c == '+' || c == '-';
            if (!allowed) {
                return false;
            }
            ++position_;
        }
        const std::string_view token = text_.substr(start, position_ - start);
        if (token == "true" || token == "false" || token == "null") {
            return true;
        }
        std::string_view unsigned_ = token;
        if (!unsigned_.empty() && (unsigned_.front() == '+' || unsigned_.front() == '-')) {
            unsigned_.remove_prefix(1);
        }
        return unsigned_ == "Infinity" || unsigned_ == "NaN" ||
               (!unsigned_.empty() && ((unsigned_.front() >= '0' && unsigned_.front() <= '9') ||
                                       (unsigned_.front() == '.' && unsigned_.size() > 1)));
    }

    std::string_view text_;
    std::size_t position_ = 0;
};

std::string_view alignmentName(TableColumnAlignment alignment) {
    switch (alignment) {
    case TableColumnAlignment::left:
        return "left";
    case TableColumnAlignment::center:
        return "center";
    case TableColumnAlignment::right:
        return "right";
    }
    return "left";
}

} // namespace

std::optional<std::string> inlineAttributeClass(std::string_view attributes) {
    return AttributeReader(attributes).classValue();
}

std::string HTMLFormatter::format(const Markup& markup, HTMLFormatterOptions options) {
    HTMLFormatter formatter(options);
    formatter.visit(markup);
    return std::move(formatter.result);
}

std::string HTMLFormatter::format(std::string_view markdown, HTMLFormatterOptions options) {
    const Document document = MarkupParser::parseString(markdown, std::nullopt, {});
    HTMLFormatter formatter(options);
    for (const Markup& block : document.children()) {
        formatter.visit(block);
    }
    return std::move(formatter.result);
}

void HTMLFormatter::visitBlockQuote(const BlockQuote& blockQuote) {
    if (options.contains(HTMLFormatterOptions::parseAsides())) {
        if (const std::optional<Aside> aside =
                Aside::make(blockQuote, Aside::TagRequirement::requireSingleWordTag)) {
            result += "<aside data-kind=\"" + escapedForHTML(aside->kind.rawValue) + "\">\n";
            for (const Markup& block : aside->content) {
                visit(block);
            }
            result += "</aside>\n";
            return;
        }
    }
    result += "<blockquote>\n";
    descendInto(blockQuote);
    result += "</blockquote>\n";
}

void HTMLFormatter::visitCodeBlock(const CodeBlock& codeBlock) {
    result += "<pre><code";
    if (codeBlock.language()) {
        result += " class=\"language-" + escapedForHTML(*codeBlock.language()) + "\"";
    }
    result += ">" + escapedForHTML(codeBlock.code()) + "</code></pre>\n";
}

void HTMLFormatter::visitHeading(const Heading& heading) {
    const std::string level = std::to_string(heading.level());
    result += "<h" + level + ">" + escapedForHTML(plainTextOf(heading.data().node())) + "</h" + level + ">\n";
}

void HTMLFormatter::visitThematicBreak(const ThematicBreak&) {
    result += "<hr />\n";
}

void HTMLFormatter::visitHTMLBlock(const HTMLBlock& html) {
    result += html.rawHTML();
}

void HTMLFormatter::visitListItem(const ListItem& item) {
    result += "<li>";
    if (item.checkbox()) {
        result += "<input type=\"checkbox\" disabled=\"\"";
        if (*item.checkbox() == Checkbox::checked) {
            result += " checked=\"\"";
        }
        result += " /> ";
    }
    descendInto(item);
    result += "</li>\n";
}

void HTMLFormatter::visitOrderedList(const OrderedList& list) {
    result += "<ol";
    if (list.startIndex() != 1) {
        result += " start=\"" + std::to_string(list.startIndex()) + "\"";
    }
    result += ">\n";
    descendInto(list);
    result += "</ol>\n";
}

void HTMLFormatter::visitUnorderedList(const UnorderedList& list) {
    result += "<ul>\n";
    descendInto(list);
    result += "</ul>\n";
}

void HTMLFormatter::visitParagraph(const Paragraph& paragraph) {
    result += "<p>";
    descendInto(paragraph);
    result += "</p>\n";
}

void HTMLFormatter::visitTable(const Table& table) {
    result += "<table>\n";
    // Cells hold inlines only, so tables never nest and one set of table state suffices.
    tableColumnAlignments_ = table.columnAlignments();
    descendInto(table);
    tableColumnAlignments_.reset();
    result += "</table>\n";
}

void HTMLFormatter::visitTableHead(const TableHead& head) {
    result += "<thead>\n<tr>\n";
    inTableHead_ = true;
    currentTableColumn_ = 0;
    descendInto(head);
    inTableHead_ = false;
    result += "</tr>\n</thead>\n";
}

void HTMLFormatter::visitTableBody(const TableBody& body) {
    if (body.childCount() == 0) {
        return;
    }
    result += "<tbody>\n";
    descendInto(body);
    result += "</tbody>\n";
}

void HTMLFormatter::visitTableRow(const TableRow& row) {
    result += "<tr>\n";
    currentTableColumn_ = 0;
    descendInto(row);
    result += "</tr>\n";
}

void HTMLFormatter::visitTableCell(const TableCell& cell) {
    if (!tableColumnAlignments_ ||
        currentTableColumn_ >= static_cast<std::int64_t>(tableColumnAlignments_->size())) {
        return;
    }
    // Every cell of a row stands in its own column, the fillers of a span included, so a cell after a span
    // takes its own column's alignment.
    const std::optional<TableColumnAlignment> alignment =
        (*tableColumnAlignments_)[static_cast<std::size_t>(currentTableColumn_)];
    ++currentTableColumn_;
    if (cell.colspan() == 0 || cell.rowspan() == 0) {
        return;
    }
    const std::string_view tag = inTableHead_ ? "th" : "td";
    result += "<" + std::string(tag);
    if (alignment) {
        result += " align=\"" + std::string(alignmentName(*alignment)) + "\"";
    }
    if (cell.rowspan() >= 2) {
        result += " rowspan=\"" + std::to_string(cell.rowspan()) + "\"";
    }
    if (cell.colspan() >= 2) {
        result += " colspan=\"" + std::to_string(cell.colspan()) + "\"";
    }
    result += ">";
    descendInto(cell);
    result += "</" + std::string(tag) + ">\n";
}

void HTMLFormatter::visitInlineCode(const InlineCode& code) {
    result += "<code>" + escapedForHTML(code.code()) + "</code>";
}

void HTMLFormatter::printInline(std::string_view tag, const Markup& element) {
    result += "<" + std::string(tag) + ">";
    descendInto(element);
    result += "</" + std::string(tag) + ">";
}

void HTMLFormatter::visitEmphasis(const Emphasis& emphasis) {
    printInline("em", emphasis);
}

void HTMLFormatter::visitStrong(const Strong& strong) {
    printInline("strong", strong);
}

void HTMLFormatter::visitStrikethrough(const Strikethrough& strikethrough) {
    printInline("del", strikethrough);
}

void HTMLFormatter::visitImage(const Image& image) {
    result += "<img";
    if (image.source() && !image.source()->empty()) {
        result += " src=\"" + escapedForHTML(*image.source()) + "\"";
    }
    if (image.title() && !image.title()->empty()) {
        result += " title=\"" + escapedForHTML(*image.title()) + "\"";
    }
    result += " />";
}

void HTMLFormatter::visitInlineHTML(const InlineHTML& html) {
    result += html.rawHTML();
}

void HTMLFormatter::visitLineBreak(const LineBreak&) {
    result += "<br />\n";
}

void HTMLFormatter::visitSoftBreak(const SoftBreak&) {
    result += "\n";
}

void HTMLFormatter::visitLink(const Link& link) {
    result += "<a";
    if (link.destination()) {
        result += " href=\"" + escapedForHTML(*link.destination()) + "\"";
    }
    result += ">";
    descendInto(link);
    result += "</a>";
}

void HTMLFormatter::visitText(const Text& text) {
    result += escapedForHTML(text.string());
}

void HTMLFormatter::visitSymbolLink(const SymbolLink& symbolLink) {
    if (symbolLink.destination()) {
        result += "<code>" + escapedForHTML(*symbolLink.destination()) + "</code>";
    }
}

void HTMLFormatter::visitInlineAttributes(const InlineAttributes& attributes) {
    // The attribute text keeps its quotes marked with a backslash, as readers of this attribute expect, and
    // is then escaped so that the value stays inside its own quotes.
    std::string marked;
    for (const char c : attributes.attributes()) {
        if (c == '"') {
            marked += '\\';
        }
        marked += c;
    }
    result += "<span data-attributes=\"" + escapedForHTML(marked) + "\"";
    if (options.contains(HTMLFormatterOptions::parseInlineAttributeClass())) {
        if (const std::optional<std::string> className = inlineAttributeClass(attributes.attributes())) {
            result += " class=\"" + escapedForHTML(*className) + "\"";
        }
    }
    result += ">";
    descendInto(attributes);
    result += "</span>";
}

} // namespace Markdown
