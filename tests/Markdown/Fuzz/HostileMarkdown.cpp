#include "HostileMarkdown.h"

#include <Markdown/Markdown.h>

#include <array>

namespace Markdown::Fuzz {

namespace {

constexpr int kMaxGeneratedDepth = 6;

// Fragments that the parser's hand-written scanners look at, thrown in at random places.
constexpr std::array<std::string_view, 48> kFragments = {
    "@D(",   "@Dir {", "}",     "{",      ")",     "\\note ", "@param x ", "@returns ", "\"",   "\\",
    "`",     "``",     "```",   "~~~",    "> ",    "- ",      "1. ",       "- [x] ",    "|",    "|---|",
    "| ^ |", "||",     "^[",    "](a)",   "]: b",  "[",       "]",         "(",         "*",    "_",
    "~~",    "<div>",  "&amp;", "\t",     "    ", "  ",      "\n",        "\n\n",      "\r\n", "\xE2\x80\xA8",
    "\xC3\xA9", "\xFF", "text", "#",     "\\brief ", "^",     "\r",        "&#x0;"};

// Byte sequences that are not well-formed UTF-8 (stray continuation, overlong, surrogate, truncated).
constexpr std::array<std::string_view, 7> kInvalidUtf8 = {"\x80",         "\xC0\xAF", "\xED\xA0\x80", "\xF0\x9F\x98",
                                                          "\xF8\x88\x80", "\xFE",     "\xC3"};

constexpr std::array<std::string_view, 8> kWords = {"alpha", "b", "Zeta", "x_y", "日本", "e\xCC\x81",
                                                     "👩‍👩‍👧", "42"};

std::string indentedLines(std::string_view text, std::string_view first, std::string_view rest) {
    std::string result;
    bool atLineStart = true;
    bool firstLine = true;
    for (char c : text) {
        if (atLineStart) {
            result += firstLine ? first : rest;
            firstLine = false;
        }
        result.push_back(c);
        atLineStart = c == '\n';
    }
    return result;
}

} // namespace

std::string HostileMarkdownGenerator::next() {
    std::string text = chance(5) ? deepNesting() : blocks(0);
    mutate(text);
    return text;
}

std::string HostileMarkdownGenerator::blocks(int depth) {
    std::string text;
    const int count = 1 + below(depth == 0 ? 8 : 4);
    for (int i = 0; i < count; ++i) {
        text += block(depth);
        if (chance(60)) {
            text += chance(80) ? "\n" : "\n\n";
        }
    }
    return text;
}

std::string HostileMarkdownGenerator::block(int depth) {
    const bool canNest = depth < kMaxGeneratedDepth;
    switch (below(canNest ? 20 : 14)) {
    case 0:
        return std::string(static_cast<std::size_t>(1 + below(7)), '#') + " " + inlines(depth) + "\n";
    case 1:
        return inlines(depth) + "\n" + (chance(50) ? "===\n" : "---\n");
    case 2: {
        const std::string fence = chance(50) ? std::string(static_cast<std::size_t>(3 + below(3)), '`') : "~~~";
        std::string code = fence + (chance(50) ? "swift" : "") + "\n" + inlines(depth) + "\n";
        return chance(70) ? code + fence + "\n" : code;
    }
    case 3:
        return "    " + inlines(depth) + "\n";
    case 4:
        return chance(50) ? "<div class=\"a\">\n" + inlines(depth) + "\n</div>\n" : "<!-- " + word() + "\n";
    case 5:
        return chance(50) ? "***\n" : "- - -\n";
    case 6:
        return table();
    case 7:
        return "^[" + word() + "]:" + (chance(30) ? "\n  " : " ") + "class: \"" + word() + "\", n: 1\n";
    case 8:
        return "[" + word() + "]: /" + word() + (chance(50) ? " \"title\"" : "") + "\n";
    case 9: {
        static constexpr std::array<std::string_view, 7> commands = {"param", "returns", "note", "abstract",
                                                                     "discussion", "brief", "return"};
        std::string command = (chance(50) ? "\\" : "@") + std::string(commands[below(7)]);
        if (command.ends_with("param")) {
            command += " " + word();
        }
        return command + " " + inlines(depth) + "\n";
    }
    case 10:
    case 11:
    case 12:
    case 13:
        return inlines(depth) + "\n";
    case 14:
    case 15:
        return indentedLines(blocks(depth + 1), "> ", chance(80) ? "> " : "");
    case 16:
    case 17: {
        static constexpr std::array<std::string_view, 5> markers = {"- ", "* ", "1. ", "2) ", "- [x] "};
        std::string list;
        const std::string_view marker = markers[below(5)];
        for (int item = 1 + below(3); item > 0; --item) {
            list += indentedLines(blocks(depth + 1), marker, std::string(marker.size(), ' '));
        }
        return list;
    }
    default: {
        std::string directive = "@" + word();
        if (chance(70)) {
            directive += "(" + directiveArguments() + (chance(90) ? ")" : "");
        }
        if (chance(20)) {
            return directive + " { " + inlines(depth) + " }\n";
        }
        directive += chance(90) ? " {\n" : "\n";
        directive += indentedLines(blocks(depth + 1), "  ", chance(80) ? "  " : "");
        return chance(85) ? directive + "}\n" : directive;
    }
    }
}

std::string HostileMarkdownGenerator::directiveArguments() {
    std::string arguments;
    for (int i = below(4); i > 0; --i) {
        switch (below(5)) {
        case 0:
            arguments += word() + ": " + word();
            break;
        case 1:
            arguments += word() + ": \"" + word() + " \\\" , ) x\"";
            break;
        case 2:
            arguments += word() + ":\n  " + word();
            break;
        case 3:
            arguments += "\"unterminated";
            break;
        default:
            arguments += word();
        }
        if (i > 1) {
            arguments += chance(80) ? ", " : ",,";
        }
    }
    return arguments;
}

std::string HostileMarkdownGenerator::table() {
    const int columns = 1 + below(4);
    std::string text;
    auto row = [&](bool body) {
        std::string line = chance(80) ? "|" : "";
        const int cells = columns + below(3) - 1;
        for (int cell = 0; cell < cells; ++cell) {
            if (body && chance(15)) {
                line += " ^ |";
            } else if (chance(15)) {
                line += "|";
            } else {
                line += " " + inlinePiece(kMaxGeneratedDepth) + " |";
            }
        }
        return line + "\n";
    };
    text += row(false);
    text += chance(80) ? "|" : "";
    static constexpr std::array<std::string_view, 4> alignments = {"---", ":--", "--:", ":-:"};
    for (int cell = 0; cell < columns; ++cell) {
        text += std::string(alignments[below(4)]) + "|";
    }
    text += "\n";
    for (int rows = below(5); rows > 0; --rows) {
        text += row(true);
    }
    return text;
}

std::string HostileMarkdownGenerator::inlines(int depth) {
    std::string text;
    for (int count = 1 + below(6); count > 0; --count) {
        text += inlinePiece(depth);
        if (chance(40)) {
            text += " ";
        }
    }
    return text;
}

std::string HostileMarkdownGenerator::inlinePiece(int depth) {
    const bool canNest = depth < kMaxGeneratedDepth + 2;
    switch (below(canNest ? 22 : 10)) {
    case 0:
    case 1:
    case 2:
        return word();
    case 3:
        return "`" + word() + "`";
    case 4:
        return "``" + word() + "``";
    case 5:
        return "<span a=\"1\">";
    case 6:
        return "&copy;&#1234;&bogus;";
    case 7:
        return std::string(kInvalidUtf8[below(static_cast<int>(kInvalidUtf8.size()))]);
    case 8:
        return "  \n";
    case 9:
        return std::string(kFragments[below(static_cast<int>(kFragments.size()))]);
    case 10:
        return "*" + inlinePiece(depth + 1) + "*";
    case 11:
        return "**" + inlinePiece(depth + 1) + "**";
    case 12:
        return "~~" + inlinePiece(depth + 1) + "~~";
    case 13:
        return "_" + inlinePiece(depth + 1) + "_";
    case 14:
        return "[" + inlinePiece(depth + 1) + (chance(50) ? "\n" : "") + word() + "](/" + word() + ")";
    case 15:
        return "[" + word() + "\n" + word() + "][" + word() + "]";
    case 16:
        return "![" + word() + "](" + word() + ".png \"t\")";
    case 17:
        return "<https://" + word() + ".example/>";
    case 18:
        return "^[" + inlinePiece(depth + 1) + "](class: \"" + word() + "\")";
    case 19:
        return "^[" + word() + (chance(30) ? "\n" : "") + "][" + word() + "]";
    case 20:
        return "\\" + std::string(1, "*_`[]()#^|\\"[below(11)]);
    default:
        return "\n";
    }
}

std::string HostileMarkdownGenerator::word() {
    return std::string(kWords[below(static_cast<int>(kWords.size()))]);
}

std::string HostileMarkdownGenerator::deepNesting() {
    static constexpr std::array<std::string_view, 8> openers = {"> ", "- ", "1. ", "@d {\n", "*", "[", "^[", "> - "};
    const int levels = 100 + below(1100);
    const std::string_view opener = openers[below(static_cast<int>(openers.size()))];
    std::string text;
    text.reserve(static_cast<std::size_t>(levels) * (opener.size() + 2) + 16);
    for (int i = 0; i < levels; ++i) {
        text += opener;
    }
    text += "x\n";
    if (opener == "@d {\n") {
        for (int i = 0; i < levels; ++i) {
            text += "}\n";
        }
    } else if (opener == "[" || opener == "^[") {
        for (int i = 0; i < levels; ++i) {
            text += "](y)";
        }
    }
    return text;
}

void HostileMarkdownGenerator::mutate(std::string& text) {
    for (int edits = chance(50) ? below(4) : 0; edits > 0 && !text.empty(); --edits) {
        const std::size_t at = static_cast<std::size_t>(random_() % text.size());
        switch (below(4)) {
        case 0:
            text.erase(at, static_cast<std::size_t>(1 + below(4)));
            break;
        case 1:
            text.insert(at, kFragments[below(static_cast<int>(kFragments.size()))]);
            break;
        case 2:
            text[at] = static_cast<char>(random_() & 0xFF);
            break;
        default:
            text.insert(at, text.substr(at, static_cast<std::size_t>(below(40))));
        }
    }
}

namespace {

struct IdentityRewriter : MarkupRewriter<IdentityRewriter> {};

struct NodeCount : MarkupWalker<NodeCount> {
    std::int64_t nodes = 0;
    void defaultVisit(const Markup& markup) {
        ++nodes;
        descendInto(markup);
    }
};

const MarkupFormatterOptions& wrappingOptions() {
    static const MarkupFormatterOptions options(
        UnorderedListMarker::star, OrderedListNumerals::incrementing(7), UseCodeFence::never, "swift",
        ThematicBreakCharacter::underline, 4, EmphasisMarker::underline, false, PreferredHeadingStyle::setext,
        PreferredLineLimit(12, LineSplittingElement::hardBreak), "/// ", DoxygenCommandPrefix::at,
        AdjacentDoxygenCommandsSpacing::separateParagraphs);
    return options;
}

} // namespace

void exerciseMarkdown(std::string_view text) {
    static const std::array<ParseOptions, 3> optionSets = {
        ParseOptions{},
        ParseOptions{ParseOptions::parseBlockDirectives, ParseOptions::parseMinimalDoxygen},
        ParseOptions{ParseOptions::parseSymbolLinks, ParseOptions::disableSourcePosOpts}};
    for (ParseOptions options : optionSets) {
        const Document document = Document::parsing(text, options);
        NodeCount count;
        count.visit(document);

        const std::string printed = document.format(MarkupFormatterOptions::defaultOptions());
        document.format(wrappingOptions());
        HTMLFormatter::format(document, HTMLFormatterOptions::parseAsides() |
                                            HTMLFormatterOptions::parseInlineAttributeClass());
        document.debugDescription(MarkupDumpOptions::printEverything());

        IdentityRewriter rewriter;
        if (const std::optional<Markup> rewritten = rewriter.visit(document)) {
            rewritten->hasSameStructure(document);
        }
        document.withoutSoftBreaks();
        Document::parsing(printed, options);
    }
}

} // namespace Markdown::Fuzz
