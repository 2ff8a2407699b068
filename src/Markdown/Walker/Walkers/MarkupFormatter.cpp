#include "Markdown/Walker/Walkers/MarkupFormatter.h"

#include "Markdown/CmarkCompat/AttributeExtension.h"
#include "Markdown/StructuralRestrictions/StructuralProtocols.h"
#include "Markdown/Walker/Walkers/CharacterCount.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>

namespace Markdown {

namespace {

bool isDoxygenCommand(const Markup& markup) {
    switch (markup.kind()) {
    case RawKind::doxygenDiscussion:
    case RawKind::doxygenAbstract:
    case RawKind::doxygenNote:
    case RawKind::doxygenParam:
    case RawKind::doxygenReturns:
        return true;
    default:
        return false;
    }
}

// The length of the line ending at `position` in `text`, or 0 when none starts there: a line feed, a carriage
// return, or both. These are the line endings the reader knows; form feed, vertical tab, U+0085, U+2028 and
// U+2029 are content, which code and HTML blocks keep.
std::size_t lineBreakLength(std::string_view text, std::size_t position) {
    switch (text[position]) {
    case '\n':
        return 1;
    case '\r':
        return position + 1 < text.size() && text[position + 1] == '\n' ? 2 : 1;
    default:
        return 0;
    }
}

// The lines of a literal text, without the empty lines at its start and end.
std::vector<std::string_view> trimmedLineSegments(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t lineStart = 0;
    for (std::size_t position = 0; position < text.size();) {
        if (const std::size_t length = lineBreakLength(text, position)) {
            lines.push_back(text.substr(lineStart, position - lineStart));
            position += length;
            lineStart = position;
        } else {
            ++position;
        }
    }
    lines.push_back(text.substr(lineStart));
    const auto firstFull = std::find_if(lines.begin(), lines.end(), [](auto line) { return !line.empty(); });
    if (firstFull == lines.end()) {
        return {};
    }
    const auto lastFull = std::find_if(lines.rbegin(), lines.rend(), [](auto line) { return !line.empty(); });
    return std::vector<std::string_view>(firstFull, lastFull.base());
}

std::size_t longestRunOf(char c, std::string_view text) {
    std::size_t longest = 0;
    std::size_t run = 0;
    for (const char each : text) {
        run = each == c ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// A code span whose delimiters are longer than any backtick run in the code, padded with a space on each
// side where the code would otherwise merge with its delimiters or lose its own outer spaces.
std::string codeSpan(std::string_view code) {
    const std::string delimiter(longestRunOf('`', code) + 1, '`');
    const bool onlySpaces = code.find_first_not_of(' ') == std::string_view::npos;
    const bool pad = !code.empty() && (code.front() == '`' || code.back() == '`' ||
                                       (code.front() == ' ' && code.back() == ' ' && !onlySpaces));
    const std::string padding = pad ? " " : "";
    return delimiter + padding + std::string(code) + padding + delimiter;
}

bool isASCIIPunctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
           (c >= '{' && c <= '~');
}

bool isASCIILetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isASCIIAlphanumeric(char c) {
    return isASCIILetter(c) || (c >= '0' && c <= '9');
}

// True when the "&" at `position` may start a character reference ("&amp;", "&#42;"), which the reader
// decodes in destinations and titles, before it takes away backslashes: such an "&" is written "&amp;".
// Errs on the side of yes, as "&amp;" reads back as "&" anyway.
bool startsCharacterReference(std::string_view text, std::size_t position) {
    if (text[position] != '&') {
        return false;
    }
    std::size_t end = position + 1;
    end += end < text.size() && text[end] == '#' ? 1 : 0;
    const std::size_t nameStart = end;
    while (end < text.size() && isASCIIAlphanumeric(text[end])) {
        ++end;
    }
    return end > nameStart && end < text.size() && text[end] == ';';
}

// A link or image title between double quotes, its quotes, escaping backslashes and character references
// escaped.
std::string quotedTitle(std::string_view title) {
    std::string quoted = " \"";
    for (std::size_t i = 0; i < title.size(); ++i) {
        const char c = title[i];
        // A backslash at the end would escape the closing quote.
        if (c == '"' || (c == '\\' && (i + 1 == title.size() || isASCIIPunctuation(title[i + 1])))) {
            quoted += '\\';
        }
        if (startsCharacterReference(title, i)) {
            quoted += "&amp;";
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

// A link destination or image source as it reads back unchanged: between angle brackets when it holds
// blanks, control characters or unbalanced parentheses, with escaping backslashes, character references
// and (between angle brackets) the brackets themselves escaped.
std::string destinationText(std::string_view destination) {
    bool needsBrackets = !destination.empty() && destination.front() == '<';
    int openParentheses = 0;
    for (const char c : destination) {
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) {
            needsBrackets = true;
        } else if (c == '(') {
            ++openParentheses;
        } else if (c == ')' && --openParentheses < 0) {
            needsBrackets = true;
        }
    }
    needsBrackets = needsBrackets || openParentheses != 0;
    std::string text = needsBrackets ? "<" : "";
    for (std::size_t i = 0; i < destination.size(); ++i) {
        const char c = destination[i];
        // A backslash at the end would escape the closing parenthesis or angle bracket.
        const bool escapes =
            c == '\\' && (i + 1 == destination.size() || isASCIIPunctuation(destination[i + 1]));
        if (escapes || (needsBrackets && (c == '<' || c == '>'))) {
            text += '\\';
        }
        if (startsCharacterReference(destination, i)) {
            text += "&amp;";
        } else {
            text += c;
        }
    }
    return needsBrackets ? text + ">" : text;
}

// True when "<destination>" reads back as an autolink to this very destination: an absolute URI (a scheme
// of 2 to 32 characters and a colon, then no blank, control character or angle bracket) holding nothing
// that looks like a character reference, which the reader would decode.
bool readsBackAsAutolink(std::string_view destination) {
    const std::size_t colon = destination.find(':');
    if (colon == std::string_view::npos || colon < 2 || colon > 32 || !isASCIILetter(destination[0])) {
        return false;
    }
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = destination[i];
        if (!isASCIIAlphanumeric(c) && c != '+' && c != '.' && c != '-') {
            return false;
        }
    }
    for (std::size_t i = 0; i < destination.size(); ++i) {
        const char c = destination[i];
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F || c == '<' || c == '>' ||
            startsCharacterReference(destination, i)) {
            return false;
        }
    }
    return true;
}

// Splits at every space, and at every tab unless `keepTabs` (a code span's tabs are code), keeping empty
// words.
std::vector<std::string_view> wordsOf(std::string_view text, bool keepTabs) {
    std::vector<std::string_view> words;
    std::size_t wordStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ' || (text[i] == '\t' && !keepTabs)) {
            words.push_back(text.substr(wordStart, i - wordStart));
            wordStart = i + 1;
        }
    }
    words.push_back(text.substr(wordStart));
    return words;
}

// How the reader classes the characters on either side of a run of emphasis delimiters, which decides whether
// the run can open or close emphasis.
enum class Flank { blank, punctuation, other };

Flank flankOf(UChar32 c) {
    if (c == '\t' || c == '\n' || c == '\f' || c == '\r' || (c >= 0 && u_charType(c) == U_SPACE_SEPARATOR)) {
        return Flank::blank;
    }
    if ((c >= 0 && c < 0x80 && isASCIIPunctuation(static_cast<char>(c))) || (c >= 0x80 && u_ispunct(c))) {
        return Flank::punctuation;
    }
    return Flank::other;
}

bool isEmphasisKind(RawKind kind) {
    return kind == RawKind::emphasis || kind == RawKind::strong;
}

// Inline elements whose printed form begins and ends with a delimiter of their own ("*", "~", "[", "](...)"):
// the inline containers that are inline elements themselves.
bool isDelimitedInline(RawKind kind) {
    return isInlineKind(kind) && isInlineContainerKind(kind);
}

// The class of the first (`leading`) or last character an inline element prints; nothing when it prints
// nothing.
std::optional<Flank> edgeFlank(const RawMarkup& node, bool leading) {
    switch (node.kind()) {
    case RawKind::text:
    case RawKind::inlineHTML:
    case RawKind::customInline: {
        const std::string& text = node.data().stringPayload().value;
        if (text.empty()) {
            return std::nullopt;
        }
        // A character takes at most four bytes: decoding the four at the edge is enough.
        const std::int32_t length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), 4));
        const char* edge = leading ? text.data() : text.data() + text.size() - length;
        UChar32 c = 0;
        std::int32_t offset = leading ? 0 : length;
        if (leading) {
            U8_NEXT(edge, offset, length, c);
        } else {
            U8_PREV(edge, 0, offset, c);
        }
        return flankOf(c);
    }
    case RawKind::softBreak:
    case RawKind::lineBreak:
        return Flank::blank;
    default:
        return Flank::punctuation;
    }
}

// What the reader finds right before the child at `index` of `parent`: the end of the closest sibling before
// it that prints something, else its parent's opening delimiter, else the start of a line or cell.
Flank flankBefore(const RawMarkup& parent, std::int64_t index) {
    for (std::int64_t i = index; i-- > 0;) {
        if (const std::optional<Flank> flank = edgeFlank(*parent.child(i), false)) {
            return *flank;
        }
    }
    return isDelimitedInline(parent.kind()) ? Flank::punctuation : Flank::blank;
}

// What the reader finds right after the child at `index` of `parent`.
Flank flankAfter(const RawMarkup& parent, std::int64_t index) {
    for (std::int64_t i = index + 1; i < parent.childCount(); ++i) {
        if (const std::optional<Flank> flank = edgeFlank(*parent.child(i), true)) {
            return *flank;
        }
    }
    return isDelimitedInline(parent.kind()) ? Flank::punctuation : Flank::blank;
}

// Underscores open and close emphasis only where no letter or digit stands against them outside: never
// inside a word.
bool underscoresFit(Flank before, Flank after) {
    return before != Flank::other && after != Flank::other;
}

char otherMarker(char marker) {
    return marker == '*' ? '_' : '*';
}

// Whether a run of star delimiters between characters of these classes can open (close) emphasis.
bool starsCanOpen(Flank before, Flank after) {
    return after != Flank::blank && (after != Flank::punctuation || before != Flank::other);
}

bool starsCanClose(Flank before, Flank after) {
    return before != Flank::blank && (before != Flank::punctuation || after != Flank::other);
}

// Whether the child at `index` of `parent`, an emphasis of its parent's kind, printed with its parent's
// marker could pair with its parent's delimiters instead of its own (`outerBefore` and `outerAfter` flank the
// parent). Its opening run must not be able to close the parent's; where it opens (or ends) its parent, the
// runs join, and the joined run must pair with the closing (opening) runs of both: the reader refuses such a
// pair, whose lengths add up to a multiple of three, when one of the runs can both open and close.
bool pairsWithParentDelimiters(const RawMarkup& parent, std::int64_t index, Flank outerBefore,
                               Flank outerAfter) {
    const RawMarkup& node = *parent.child(index);
    const bool first = index == 0;
    const bool last = index + 1 == parent.childCount();
    if (first && last) {
        // "**a**" is strong emphasis, "****a****" strong emphasis in strong emphasis.
        return node.kind() == RawKind::emphasis;
    }
    const Flank before = flankBefore(parent, index);
    const Flank after = flankAfter(parent, index);
    // Its first and last characters, or its other run where it prints nothing inside.
    const Flank firstInside = flankAfter(node, -1);
    const Flank lastInside = flankBefore(node, node.childCount());
    if (first) {
        return starsCanOpen(lastInside, after) ||
               starsCanOpen(flankBefore(parent, parent.childCount()), outerAfter) ||
               starsCanClose(outerBefore, firstInside);
    }
    if (last) {
        return starsCanClose(before, firstInside) || starsCanClose(outerBefore, flankAfter(parent, -1)) ||
               starsCanOpen(lastInside, outerAfter);
    }
    return starsCanClose(before, firstInside);
}

// How deep below an emphasis, and how far above one, the choice of its marker looks.
constexpr std::size_t kEmphasisLookDepth = 3;

// The marker an emphasis (flanked by `before` and `after`) needs so that a child of its kind that would pair
// with its delimiters can take the other one: underscores when such a child stands where only stars delimit
// (inside a word), or the other marker than the child needs in turn for a child of its own.
std::optional<char> markerNeededForChildren(const RawMarkup& node, Flank before, Flank after,
                                            std::size_t depth) {
    for (std::int64_t i = 0; i < node.childCount(); ++i) {
        const RawMarkup& child = *node.child(i);
        if (child.kind() != node.kind() || !pairsWithParentDelimiters(node, i, before, after)) {
            continue;
        }
        const Flank childBefore = flankBefore(node, i);
        const Flank childAfter = flankAfter(node, i);
        if (!underscoresFit(childBefore, childAfter)) {
            return '_';
        }
        if (depth + 1 < kEmphasisLookDepth) {
            if (const std::optional<char> needed =
                    markerNeededForChildren(child, childBefore, childAfter, depth + 1)) {
                return otherMarker(*needed);
            }
        }
    }
    return std::nullopt;
}

// Whether "(attributes)" after a span's brackets reads back as these very attributes. The reader takes the
// text up to the parenthesis that closes the first one, raw; it skips backslash escapes and code spans on the
// way, and refuses parentheses nested too deep.
bool attributesReadBackInParentheses(std::string_view attributes) {
    int depth = 1;
    int deepest = 1;
    for (std::size_t i = 0; i < attributes.size();) {
        const char c = attributes[i];
        if (c == '\\') {
            if (i + 1 == attributes.size()) {
                return false; // it would escape the closing parenthesis
            }
            i += isASCIIPunctuation(attributes[i + 1]) ? 2 : 1;
            continue;
        }
        if (c == '`') {
            // A run of backticks opens a code span up to the next run of its length, wherever in the
            // paragraph that is: only a span closed within the attributes is sure to end there.
            const std::size_t runEnd = attributes.find_first_not_of('`', i);
            const std::size_t length = (runEnd == std::string_view::npos ? attributes.size() : runEnd) - i;
            std::size_t closing = runEnd;
            while (closing != std::string_view::npos) {
                closing = attributes.find('`', closing);
                if (closing == std::string_view::npos) {
                    return false;
                }
                const std::size_t closingEnd =
                    std::min(attributes.find_first_not_of('`', closing), attributes.size());
                if (closingEnd - closing == length) {
                    i = closingEnd;
                    break;
                }
                closing = closingEnd;
            }
            if (closing == std::string_view::npos) {
                return false;
            }
            continue;
        }
        if (c == '(') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ')' && --depth == 0) {
            return false;
        }
        ++i;
    }
    return depth == 1 && deepest <= CmarkCompat::kMaxAttributeParenthesisDepth;
}

// Whether a definition line "^[label]: attributes" reads back as these attributes: the reader takes the rest
// of the line after the blanks that follow the colon, and only a rest that is not blank.
bool attributesFitADefinition(std::string_view attributes) {
    return !attributes.empty() && attributes.front() != ' ' && attributes.front() != '\t' &&
           attributes.find_first_of("\n\r") == std::string_view::npos;
}

// Whether a line that continues a paragraph and begins with `word` (up to the first blank) would open a block
// instead: a list item ("-", "+", "*", "1.", "1)"), a heading ("#" to "######"), a quote, HTML, a fence, a
// thematic break or setext underline (one character repeated), a table's delimiter row (only "|", ":" and
// "-"), or, where the reader takes them, a directive ("@Name") or a Doxygen command ("\\param").
bool opensABlock(std::string_view word) {
    if (word.empty()) {
        return false;
    }
    const char first = word.front();
    if (first == '>' || first == '<' || word.starts_with("```") || word.starts_with("~~~")) {
        return true;
    }
    if ((first == '@' || first == '\\') && word.size() > 1 && isASCIILetter(word[1])) {
        return true;
    }
    const bool repeated = word.find_first_not_of(first) == std::string_view::npos;
    if (repeated && (first == '-' || first == '+' || first == '*' || first == '_' || first == '=' ||
                     (first == '#' && word.size() <= 6))) {
        return true;
    }
    const std::size_t digits = word.find_first_not_of("0123456789");
    if (digits > 0 && digits <= 9 && digits + 1 == word.size() &&
        (word[digits] == '.' || word[digits] == ')')) {
        return true;
    }
    return word.find_first_not_of("|:-") == std::string_view::npos;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether the words of a text may go on a new line from word `start` on, after `openings` (delimiters
// carried over with them): the line begins with the first word from there that is not empty (the blanks
// before it are dropped), which must not open a block. Where only blanks are left, the line begins with what
// follows the text, which may start a line only when `endsBeforeAnElement` is false.
bool lineMayStartWith(const std::vector<std::string_view>& words, std::size_t start,
                      std::string_view openings, bool endsBeforeAnElement) {
    for (std::size_t i = start; i < words.size(); ++i) {
        if (!words[i].empty()) {
            return !opensABlock(std::string(openings) + std::string(words[i]));
        }
    }
    return !endsBeforeAnElement;
}

// True inside a heading printed after "#" marks, which ends at the end of its line.
bool insideATXHeading(const Markup& element, PreferredHeadingStyle style) {
    for (const MarkupData* ancestor = element.data().parent(); ancestor; ancestor = ancestor->parent()) {
        if (ancestor->node().kind() == RawKind::heading) {
            return style == PreferredHeadingStyle::atx || ancestor->node().data().headingPayload().level > 2;
        }
    }
    return false;
}

bool hasHeadingAncestor(const Markup& element) {
    for (std::optional<Markup> ancestor = element.parent(); ancestor; ancestor = ancestor->parent()) {
        if (ancestor->kind() == RawKind::heading) {
            return true;
        }
    }
    return false;
}

std::string escapedForTableCell(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '|') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

// A cell's text between the pipes of its row. The row splits at every pipe without a backslash before it,
// whatever stands before that backslash, so a text ending with one is followed by a blank (the reader trims
// it away).
std::string tableCellText(std::string_view text) {
    std::string escaped = escapedForTableCell(text);
    if (!escaped.empty() && escaped.back() == '\\') {
        escaped += ' ';
    }
    return escaped;
}

std::int64_t minimumColumnWidth(const std::optional<TableColumnAlignment>& alignment) {
    if (!alignment) {
        return 1;
    }
    return *alignment == TableColumnAlignment::center ? 3 : 2;
}

std::string delimiterCell(const std::optional<TableColumnAlignment>& alignment, std::int64_t width) {
    const auto hyphens = [](std::int64_t count) {
        return std::string(static_cast<std::size_t>(count), '-');
    };
    if (!alignment) {
        return hyphens(width);
    }
    switch (*alignment) {
    case TableColumnAlignment::left:
        return ":" + hyphens(width - 1);
    case TableColumnAlignment::center:
        return ":" + hyphens(width - 2) + ":";
    case TableColumnAlignment::right:
        return hyphens(width - 1) + ":";
    }
    return hyphens(width);
}

} // namespace

const MarkupFormatterOptions& MarkupFormatterOptions::defaultOptions() {
    static const MarkupFormatterOptions options(
        UnorderedListMarker::dash, OrderedListNumerals::allSame(1), UseCodeFence::always, std::nullopt,
        ThematicBreakCharacter::dash, 5, EmphasisMarker::star, true, PreferredHeadingStyle::atx, std::nullopt,
        "", DoxygenCommandPrefix::backslash, AdjacentDoxygenCommandsSpacing::singleNewline);
    return options;
}

std::string Markup::format(const MarkupFormatterOptions& options) const {
    // With a line limit the text is printed as if every soft break were a text of one space (see
    // `withoutSoftBreaks`); the formatter does that as it goes instead of rebuilding the tree first.
    if (options.preferredLineLimit() && kind() == RawKind::softBreak) {
        return {};
    }
    MarkupFormatter formatter(options);
    formatter.visit(*this);
    formatter.writeAttributeDefinitions(*this);
    return formatter.result();
}

// Printing primitives

void MarkupFormatter::addressPendingNewlines(const Markup& element) {
    if (state_.queuedNewlines < 1) {
        return;
    }
    const std::string prefix = linePrefix(element);
    const std::int64_t prefixLength = characterCount(prefix);
    for (std::int64_t i = 0; i < state_.queuedNewlines; ++i) {
        result_ += '\n';
        result_ += prefix;
    }
    state_.currentLength += state_.queuedNewlines * (prefixLength + 1);
    state_.lineNumber += state_.queuedNewlines;
    state_.newlineStreak += state_.queuedNewlines;
    state_.queuedNewlines = 0;
    state_.lastLineLength = prefixLength;
    lineContentStart_ = result_.size();
}

void MarkupFormatter::print(std::string_view text, const Markup& element) {
    openingRun_.reset();
    addressPendingNewlines(element);
    if (result_.empty()) {
        const std::string prefix = linePrefix(element);
        const std::int64_t prefixLength = characterCount(prefix);
        result_ += prefix;
        state_.currentLength += prefixLength;
        state_.lastLineLength += prefixLength;
        lineContentStart_ = result_.size();
    }
    const std::int64_t length = characterCount(text);
    result_ += text;
    state_.currentLength += length;
    state_.lastLineLength += length;
    state_.newlineStreak = 0;
}

void MarkupFormatter::printOpening(std::string_view delimiter, const Markup& element) {
    const OpeningRun run = openingRun_.value_or(OpeningRun{state_, result_.size()});
    print(delimiter, element);
    openingRun_ = run;
}

void MarkupFormatter::ensureNewlines(std::int64_t count) {
    if (state_.queuedNewlines + state_.newlineStreak < count) {
        state_.queuedNewlines = count - state_.newlineStreak;
    }
}

void MarkupFormatter::separateBlock(const Markup& block) {
    if (block.indexInParent() > 0) {
        ensureNewlines(2);
    }
}

std::optional<std::string> MarkupFormatter::numeralPrefix(const ListItem& item) const {
    const std::optional<Markup> list = item.parent();
    if (!list || list->kind() != RawKind::orderedList) {
        return std::nullopt;
    }
    return std::to_string(formattingOptions.orderedListNumerals().numeral(item.indexInParent())) + ". ";
}

std::string MarkupFormatter::linePrefix(const Markup& element) const {
    // The chain from the element up to the root; walked below from the root down.
    std::vector<Markup> chain;
    for (std::optional<Markup> node = element; node; node = node->parent()) {
        chain.push_back(*node);
    }
    std::string prefix = formattingOptions.customLinePrefix();
    for (std::size_t i = chain.size(); i-- > 0;) {
        const Markup& node = chain[i];
        const Markup* parent = i + 1 < chain.size() ? &chain[i + 1] : nullptr;
        if (parent && parent->kind() == RawKind::listItem) {
            // Everything inside a list item, nested lists and quotes included, lines up behind the item's
            // marker: two columns for "- ", the numeral's width for "10. ".
            const ListItem item(parent->data());
            const std::optional<Markup> list = item.parent();
            if (list && list->kind() == RawKind::unorderedList) {
                prefix += "  ";
            } else if (list && list->kind() == RawKind::orderedList) {
                prefix += std::string(numeralPrefix(item)->size(), ' ');
            }
        }
        if (node.kind() == RawKind::blockQuote) {
            prefix += "> ";
        }
        if (parent && parent->kind() == RawKind::blockDirective) {
            prefix += "    ";
        }
    }
    return prefix;
}

void MarkupFormatter::restoreState(const State& savedState) {
    if (state_.currentLength != savedState.currentLength) {
        result_.resize(result_.size() -
                       byteLengthOfLastCharacters(result_, state_.currentLength - savedState.currentLength));
    }
    state_ = savedState;
    if (lineContentStart_ > result_.size()) {
        // The line taken back began after its last newline (and the prefix, which holds no newline).
        const std::size_t newline = result_.rfind('\n');
        lineContentStart_ = newline == std::string::npos ? 0 : newline + 1;
    }
}

void MarkupFormatter::markLineContentStart() {
    lineContentStart_ = result_.size();
}

bool MarkupFormatter::lineMayBreak() const {
    // A backslash right before a line end is a line break.
    if (!result_.empty() && result_.back() == '\\') {
        return false;
    }
    // A line that begins with what would open a block, and did not as the document wrote it (it went on),
    // could open one once shorter: such a line is not broken. Only a paragraph's first line, or the line
    // after a line break, can begin so.
    const std::size_t start = std::min(lineContentStart_, result_.size());
    const std::size_t wordEnd = result_.find_first_of(" \t", start);
    return !opensABlock(
        std::string_view(result_).substr(start, wordEnd == std::string::npos ? wordEnd : wordEnd - start));
}

void MarkupFormatter::breakLineForWrapping(std::string_view breakText, bool keepsBlanks,
                                           const Markup& element) {
    // The reader drops the blanks that end a line before a soft break, but takes two or more of them for a
    // line break: all but one go (where they are not a code span's).
    if (breakText.empty() && !keepsBlanks) {
        std::size_t blanks = 0;
        while (result_.size() - blanks > lineContentStart_ && isBlank(result_[result_.size() - blanks - 1])) {
            ++blanks;
        }
        if (blanks > 1) {
            const std::int64_t dropped = static_cast<std::int64_t>(blanks) - 1;
            result_.resize(result_.size() - static_cast<std::size_t>(dropped));
            state_.currentLength -= dropped;
            state_.lastLineLength -= dropped;
        }
    }
    print(breakText, element);
    state_.queuedNewlines += 1;
}

void MarkupFormatter::softWrapPrint(std::string_view text, const Markup& element) {
    if (!lineLimit_ || hasHeadingAncestor(element)) {
        print(text, element);
        return;
    }
    const std::int64_t maxLength = lineLimit_->maxLength;
    const std::string_view breakText =
        lineLimit_->lineSplittingElement == LineSplittingElement::softBreak ? "" : "  ";
    const std::int64_t breakLength = characterCount(breakText);
    const bool insideCode = element.kind() == RawKind::inlineCode;
    const std::vector<std::string_view> words = wordsOf(text, insideCode);
    // Where only blanks are left, what follows them is another element, which stood on this line in the
    // document, unless the text is a soft break's.
    const bool endsBeforeAnElement = element.kind() != RawKind::softBreak;
    std::int64_t wordsOnLine = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::int64_t wordLength = characterCount(words[i]);
        // A break before an empty word would start a line with nothing on it, and one more there an empty
        // line, which ends the paragraph: blanks never start a line.
        if (i == 0) {
            if (!words[0].empty() && state_.lastLineLength + wordLength >= maxLength) {
                startTextOnANewLine(words, endsBeforeAnElement, element);
            }
        } else if (words[i].empty() || state_.lastLineLength + wordLength + breakLength + 1 < maxLength) {
            if (wordsOnLine > 0) {
                print(" ", element);
            }
        } else if (lineMayStartWith(words, i, "", endsBeforeAnElement) && lineMayBreak()) {
            // Inside a code span a break needs no break text: its line ends read as blanks.
            breakLineForWrapping(insideCode ? "" : breakText, insideCode, element);
            wordsOnLine = 0;
        } else {
            // The word stays on this line, past the limit.
            print(" ", element);
        }
        print(words[i], element);
        ++wordsOnLine;
    }
}

void MarkupFormatter::startTextOnANewLine(const std::vector<std::string_view>& words,
                                          bool endsBeforeAnElement, const Markup& element) {
    // A word that starts a line anyway gets no newline of its own: one more would make an empty line. Inside
    // an element that moves whole to a new line when it does not fit (see `printUnbroken`), the element
    // moves instead.
    if (state_.queuedNewlines > 0 || checkingElements_ > 0 || !lineMayBreak()) {
        return;
    }
    // A word right after the opening delimiters of the elements it starts moves with them, where a blank
    // stands before them; a word right after anything else continues a word begun there, which never breaks.
    if (openingRun_) {
        const OpeningRun run = *openingRun_;
        const std::string openings = result_.substr(run.resultSize);
        const bool afterABlank = run.state.queuedNewlines == 0 && run.resultSize > lineContentStart_ &&
                                 isBlank(result_[run.resultSize - 1]);
        if (afterABlank && lineMayStartWith(words, 0, openings, endsBeforeAnElement)) {
            restoreState(run.state);
            breakLineForWrapping("", false, element);
            print(openings, element);
        }
        return;
    }
    if (result_.size() > lineContentStart_ && isBlank(result_.back()) &&
        lineMayStartWith(words, 0, "", endsBeforeAnElement)) {
        breakLineForWrapping("", false, element);
    }
}

template <class PrintElement>
void MarkupFormatter::printUnbroken(const Markup& element, PrintElement printElement) {
    // Without a line limit the lines are the document's own: an element broken over lines holds its own
    // soft or hard breaks, which a move would keep while adding a line break before it that the document
    // does not have.
    if (!lineLimit_ || reprintDepth_ > 0 || checkingElements_ > 0 || element.indexInParent() == 0) {
        printElement();
        return;
    }
    const State saved = state_;
    // An element that already starts a new line gains nothing by moving; one more newline would end the
    // paragraph. One that follows a word without a blank between them is part of that word, which never
    // breaks.
    const bool mayMove = saved.queuedNewlines == 0 && result_.size() > lineContentStart_ &&
                         isBlank(result_.back()) && lineMayBreak();
    ++checkingElements_;
    printElement();
    --checkingElements_;
    const bool pastLimit = state_.lastLineLength >= lineLimit_->maxLength;
    const bool brokenOverLines =
        state_.lineNumber + state_.queuedNewlines > saved.lineNumber + saved.queuedNewlines;
    if (mayMove && (pastLimit || brokenOverLines)) {
        restoreState(saved);
        breakLineForWrapping("", false, element);
        ++reprintDepth_;
        printElement();
        --reprintDepth_;
    }
}

// Blocks

void MarkupFormatter::visitCustomBlock(const CustomBlock& block) {
    separateBlock(block);
    descendInto(block);
}

void MarkupFormatter::visitParagraph(const Paragraph& paragraph) {
    separateBlock(paragraph);
    descendInto(paragraph);
}

void MarkupFormatter::visitBlockQuote(const BlockQuote& blockQuote) {
    const std::optional<Markup> parent = blockQuote.parent();
    if (parent && parent->kind() == RawKind::blockQuote) {
        state_.queuedNewlines += 1;
    } else if (blockQuote.indexInParent() > 0) {
        state_.queuedNewlines += 1;
        addressPendingNewlines(*parent);
        state_.queuedNewlines += 1;
    } else if (parent && parent->kind() == RawKind::listItem && !result_.empty() &&
               state_.queuedNewlines == 0) {
        // The quote opens on its item's marker line, which carries no "> " of its own.
        print("> ", blockQuote);
        markLineContentStart();
        descendInto(blockQuote);
        return;
    }
    if (blockQuote.childCount() == 0) {
        // An empty quote still writes its marker, through its own line prefix.
        print("", blockQuote);
    }
    descendInto(blockQuote);
}

void MarkupFormatter::visitUnorderedList(const UnorderedList& list) {
    printList(list);
}

void MarkupFormatter::visitOrderedList(const OrderedList& list) {
    printList(list);
}

void MarkupFormatter::printList(const Markup& list) {
    const MarkupData* parent = list.data().parent();
    const bool parentIsList = parent && (parent->node().kind() == RawKind::unorderedList ||
                                         parent->node().kind() == RawKind::orderedList);
    if (list.indexInParent() > 0 && !parentIsList) {
        ensureNewlines(2);
    }
    // Two lists of one kind separated only by a blank line read back as one list, unless their markers
    // differ: the second takes the other marker, the third the first one again, and so on.
    const bool followsListOfSameKind =
        parent && lastFinishedList_ && lastFinishedList_->parent == parent->id() &&
        lastFinishedList_->index + 1 == list.indexInParent() && lastFinishedList_->kind == list.kind();
    bool otherMarker = followsListOfSameKind && !lastFinishedList_->otherMarker;
    // A list whose first item is empty ends its line with its marker. After two markers of one kind (of the
    // items it is the first block of), a third marker of that kind would make the line a thematic break.
    const RawMarkup& raw = list.data().node();
    if (list.kind() == RawKind::unorderedList && raw.childCount() > 0 && raw.child(0)->childCount() == 0 &&
        markersEndingTheLine(bulletCharacter(otherMarker)) >= 2) {
        otherMarker = !otherMarker;
    }
    openListsTakeOtherMarker_.push_back(otherMarker);
    descendInto(list);
    openListsTakeOtherMarker_.pop_back();
    if (parent) {
        lastFinishedList_ = FinishedList{parent->id(), list.indexInParent(), list.kind(), otherMarker};
    }
}

void MarkupFormatter::visitListItem(const ListItem& item) {
    const std::optional<Markup> list = item.parent();
    if (item.indexInParent() > 0 || (list && list->indexInParent() > 0)) {
        ensureNewlines(1);
    }
    std::string checkbox;
    if (item.checkbox()) {
        checkbox = *item.checkbox() == Checkbox::checked ? "[x] " : "[ ] ";
    }
    const bool otherMarker = !openListsTakeOtherMarker_.empty() && openListsTakeOtherMarker_.back();
    if (list && list->kind() == RawKind::unorderedList) {
        print(std::string(1, bulletCharacter(otherMarker)) + " " + checkbox, item);
        markLineContentStart();
    } else if (std::optional<std::string> numeral = numeralPrefix(item)) {
        if (otherMarker) {
            numeral->replace(numeral->size() - 2, 1, ")");
        }
        print(*numeral + checkbox, item);
        markLineContentStart();
    }
    descendInto(item);
}

char MarkupFormatter::bulletCharacter(bool otherMarker) const {
    const char marker = rawValue(formattingOptions.unorderedListMarker()).front();
    if (!otherMarker) {
        return marker;
    }
    return marker == '-' ? '*' : '-';
}

std::int64_t MarkupFormatter::markersEndingTheLine(char marker) const {
    if (state_.queuedNewlines > 0) {
        return 0;
    }
    std::int64_t count = 0;
    for (std::size_t i = result_.size(); i-- > 0;) {
        const char c = result_[i];
        if (c == marker) {
            ++count;
        } else if (c != ' ' && c != '\t') {
            break;
        }
    }
    return count;
}

void MarkupFormatter::visitCodeBlock(const CodeBlock& codeBlock) {
    separateBlock(codeBlock);
    const std::vector<std::string_view> lines = trimmedLineSegments(codeBlock.code());
    const std::optional<std::string>& language = codeBlock.language();
    bool fenced = true;
    switch (formattingOptions.useCodeFence()) {
    case UseCodeFence::onlyWhenLanguageIsPresent:
        fenced = language.has_value();
        break;
    case UseCodeFence::always:
        fenced = true;
        break;
    case UseCodeFence::never:
        fenced = false;
        break;
    }
    // Code without lines has no indented form. Indented lines after a list continue its last item, and after
    // indented code they continue that code: code there needs a fence too.
    // (The previous sibling is read from the raw tree: a view of it costs time in proportion to its index.)
    const MarkupData* parent = codeBlock.data().parent();
    const std::int64_t index = codeBlock.indexInParent();
    const std::optional<RawKind> previous =
        parent && index > 0 ? std::optional(parent->node().child(index - 1)->kind()) : std::nullopt;
    fenced = fenced || lines.empty() ||
             (previous && (*previous == RawKind::unorderedList || *previous == RawKind::orderedList ||
                           *previous == RawKind::codeBlock));
    std::string fence;
    if (fenced) {
        const std::string info = language.value_or(formattingOptions.defaultCodeBlockLanguage().value_or(""));
        // The fence outlasts every run of its character in the code, so no code line can close it; an info
        // string holding a backtick needs a tilde fence.
        const char fenceCharacter = info.find('`') == std::string::npos ? '`' : '~';
        fence.assign(std::max<std::size_t>(3, longestRunOf(fenceCharacter, codeBlock.code()) + 1),
                     fenceCharacter);
        print(fence, codeBlock);
        print(info, codeBlock);
        state_.queuedNewlines += 1;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            state_.queuedNewlines += 1;
        }
        print(fenced ? std::string(lines[i]) : "    " + std::string(lines[i]), codeBlock);
    }
    if (fenced) {
        // Without lines the closing fence follows the opening one directly, so the code reads back empty.
        state_.queuedNewlines += lines.empty() ? 0 : 1;
        print(fence, codeBlock);
    }
}

void MarkupFormatter::visitHeading(const Heading& heading) {
    separateBlock(heading);
    if (formattingOptions.preferredHeadingStyle() == PreferredHeadingStyle::atx || heading.level() > 2) {
        print(std::string(static_cast<std::size_t>(std::max<std::int64_t>(heading.level(), 0)), '#'),
              heading);
        print(" ", heading);
        descendInto(heading);
        return;
    }
    descendInto(heading);
    state_.queuedNewlines += 1;
    print(std::string(static_cast<std::size_t>(state_.lastLineLength), heading.level() == 1 ? '=' : '-'),
          heading);
}

void MarkupFormatter::visitThematicBreak(const ThematicBreak& thematicBreak) {
    separateBlock(thematicBreak);
    char character = rawValue(formattingOptions.thematicBreakCharacter()).front();
    // A rule that opens a list item stands on the item's marker line; in the marker's character the whole
    // line would read as one rule.
    const MarkupData* item = thematicBreak.data().parent();
    const MarkupData* list = item ? item->parent() : nullptr;
    if (thematicBreak.indexInParent() == 0 && item->node().kind() == RawKind::listItem && list &&
        list->node().kind() == RawKind::unorderedList && !openListsTakeOtherMarker_.empty() &&
        character == bulletCharacter(openListsTakeOtherMarker_.back())) {
        character = character == '-' ? '*' : '-';
    }
    print(std::string(static_cast<std::size_t>(formattingOptions.thematicBreakLength()), character),
          thematicBreak);
}

void MarkupFormatter::visitHTMLBlock(const HTMLBlock& html) {
    separateBlock(html);
    for (const std::string_view line : trimmedLineSegments(html.rawHTML())) {
        print(line, html);
        state_.queuedNewlines += 1;
    }
}

void MarkupFormatter::visitBlockDirective(const BlockDirective& directive) {
    separateBlock(directive);
    print("@" + directive.name(), directive);
    const auto& segments = directive.argumentText().segments;
    if (!segments.empty()) {
        print("(", directive);
        for (std::size_t i = 0; i < segments.size(); ++i) {
            if (i > 0) {
                state_.queuedNewlines += 1;
            }
            print(segments[i].trimmedText(), directive);
        }
        print(")", directive);
    }
    if (directive.childCount() > 0) {
        print(" {", directive);
        state_.queuedNewlines += 1;
        descendInto(directive);
        state_.queuedNewlines += 1;
        print("}", directive);
    }
}

void MarkupFormatter::ensureDoxygenCommandPrecedingNewline(const Markup& command) {
    if (command.indexInParent() == 0 || !command.parent()) {
        return;
    }
    if (formattingOptions.adjacentDoxygenCommandsSpacing() ==
        AdjacentDoxygenCommandsSpacing::separateParagraphs) {
        ensureNewlines(2);
        return;
    }
    const std::optional<Markup> previous = command.parent()->child(command.indexInParent() - 1);
    ensureNewlines(previous && isDoxygenCommand(*previous) ? 1 : 2);
}

void MarkupFormatter::printDoxygenCommand(const Markup& command, std::string_view word) {
    ensureDoxygenCommandPrecedingNewline(command);
    print(std::string(rawValue(formattingOptions.doxygenCommandPrefix())) + std::string(word) + " ", command);
    markLineContentStart();
}

void MarkupFormatter::visitDoxygenDiscussion(const DoxygenDiscussion& command) {
    printDoxygenCommand(command, "discussion");
    descendInto(command);
}

void MarkupFormatter::visitDoxygenAbstract(const DoxygenAbstract& command) {
    printDoxygenCommand(command, "abstract");
    descendInto(command);
}

void MarkupFormatter::visitDoxygenNote(const DoxygenNote& command) {
    printDoxygenCommand(command, "note");
    descendInto(command);
}

void MarkupFormatter::visitDoxygenParameter(const DoxygenParameter& command) {
    printDoxygenCommand(command, "param");
    print(command.name() + " ", command);
    markLineContentStart();
    descendInto(command);
}

void MarkupFormatter::visitDoxygenReturns(const DoxygenReturns& command) {
    printDoxygenCommand(command, "returns");
    descendInto(command);
}

// Inlines

void MarkupFormatter::visitText(const Text& text) {
    softWrapPrint(text.string(), text);
}

void MarkupFormatter::visitInlineCode(const InlineCode& code) {
    printUnbroken(code, [&] { softWrapPrint(codeSpan(code.code()), code); });
}

void MarkupFormatter::visitEmphasis(const Emphasis& emphasis) {
    printEmphasis(emphasis, 1);
}

void MarkupFormatter::visitStrong(const Strong& strong) {
    printEmphasis(strong, 2);
}

char MarkupFormatter::emphasisMarker(const Markup& element) const {
    const char option = formattingOptions.emphasisMarker() == EmphasisMarker::star ? '*' : '_';
    const MarkupData* parentData = element.data().parent();
    if (!parentData) {
        return option;
    }
    const RawMarkup& node = element.data().node();
    const RawMarkup& parent = parentData->node();
    const std::int64_t index = element.indexInParent();
    const std::int64_t last = parent.childCount() - 1;
    const Flank before = flankBefore(parent, index);
    const Flank after = flankAfter(parent, index);
    const MarkupData* grandparent = parentData->parent();
    const Flank parentBefore =
        grandparent ? flankBefore(grandparent->node(), parentData->indexInParent()) : Flank::blank;
    const Flank parentAfter =
        grandparent ? flankAfter(grandparent->node(), parentData->indexInParent()) : Flank::blank;
    const OpenEmphasis* enclosing =
        isEmphasisKind(parent.kind()) && !openEmphases_.empty() ? &openEmphases_.back() : nullptr;

    // An emphasis that opens (or ends) an emphasis whose outside touches a letter or digit joins its run:
    // the outer run, with the inner one's punctuation on its inside, could neither open nor close alone.
    if (enclosing &&
        ((index == 0 && parentBefore == Flank::other) || (index == last && parentAfter == Flank::other))) {
        return enclosing->marker;
    }

    // Markers that would not read back as written here, for reasons from the strongest to the weakest: where
    // no marker is left, the weakest reasons are given up first (no text the reader gives such a tree has it
    // read back either).
    // Underscores open and close only where no letter or digit stands against them outside.
    const std::string neverReads = underscoresFit(before, after) ? "" : "_";
    // Two runs of one marker side by side are one run to the reader, which pairs its delimiters by other
    // rules: emphasis right after emphasis takes the other marker, and emphasis before emphasis that needs
    // one marker (stars inside a word, or what its children need) leaves it to it. Delimiters that could
    // pair with those of an emphasis of this kind around it take the other marker.
    std::string pairsAmiss;
    if (index > 0 && isEmphasisKind(parent.child(index - 1)->kind()) && state_.queuedNewlines == 0 &&
        !result_.empty()) {
        pairsAmiss += result_.back();
    }
    if (index < last && isEmphasisKind(parent.child(index + 1)->kind())) {
        const Flank nextBefore = flankBefore(parent, index + 1);
        const Flank nextAfter = flankAfter(parent, index + 1);
        if (!underscoresFit(nextBefore, nextAfter)) {
            pairsAmiss += '*';
        } else if (const std::optional<char> needed =
                       markerNeededForChildren(*parent.child(index + 1), nextBefore, nextAfter, 0)) {
            pairsAmiss += *needed;
        }
    }
    if (enclosing && parent.kind() == node.kind() &&
        pairsWithParentDelimiters(parent, index, parentBefore, parentAfter)) {
        pairsAmiss += enclosing->marker;
    }
    // An opening run of its own that can close pairs with the nearest open emphasis of its kind and marker
    // further out, past emphases of the other kind (whose runs of other lengths it skips). The first child
    // of an emphasis that takes its parent's marker joins its parent's run instead of opening one.
    std::string pairsFurtherOut;
    if (starsCanClose(before, flankAfter(node, -1))) {
        pairsFurtherOut = markersOfEnclosingEmphases(*parentData, node.kind());
        if (index == 0 && enclosing) {
            std::erase(pairsFurtherOut, enclosing->marker);
        }
    }

    char preferred = option;
    // Emphasis that is all of a strong emphasis's content takes the other marker: "**_a_**" reads back as
    // written, "***a***" as emphasis around strong emphasis.
    if (enclosing && node.kind() == RawKind::emphasis && parent.kind() == RawKind::strong &&
        parent.childCount() == 1) {
        preferred = otherMarker(enclosing->marker);
    }
    if (const std::optional<char> needed = markerNeededForChildren(node, before, after, 0)) {
        preferred = *needed;
    }
    for (const std::string& refused :
         {neverReads + pairsAmiss + pairsFurtherOut, neverReads + pairsAmiss, neverReads}) {
        for (const char marker : {preferred, otherMarker(preferred)}) {
            if (refused.find(marker) == std::string::npos) {
                return marker;
            }
        }
    }
    return '*'; // not reached: stars are never refused for the strongest reason
}

std::string MarkupFormatter::markersOfEnclosingEmphases(const MarkupData& parent, RawKind kind) const {
    std::string markers;
    std::size_t open = openEmphases_.size();
    const MarkupData* ancestor = &parent;
    for (std::size_t step = 0; ancestor && open > 0 && step < 2 * kEmphasisLookDepth; ++step) {
        const RawKind ancestorKind = ancestor->node().kind();
        if (isEmphasisKind(ancestorKind)) {
            const OpenEmphasis& around = openEmphases_[--open];
            if (around.kind == kind) {
                markers += around.marker;
            }
        } else if (ancestorKind != RawKind::strikethrough) {
            break;
        }
        ancestor = ancestor->parent();
    }
    return markers;
}

void MarkupFormatter::printEmphasis(const Markup& element, std::size_t markerCount) {
    const char marker = emphasisMarker(element);
    const std::string markers(markerCount, marker);
    printOpening(markers, element);
    openEmphases_.push_back({element.kind(), marker});
    descendInto(element);
    openEmphases_.pop_back();
    print(markers, element);
}

void MarkupFormatter::visitStrikethrough(const Strikethrough& strikethrough) {
    // Tilde runs pair only with runs of their length: strikethrough inside strikethrough takes the other
    // length (one tilde or two) than the one around it.
    const std::string tildes =
        openStrikethroughTildes_.empty() || openStrikethroughTildes_.back().size() == 2 ? "~" : "~~";
    printOpening(tildes, strikethrough);
    openStrikethroughTildes_.push_back(tildes);
    descendInto(strikethrough);
    openStrikethroughTildes_.pop_back();
    print(tildes, strikethrough);
}

void MarkupFormatter::visitImage(const Image& image) {
    printUnbroken(image, [&] {
        printOpening("![", image);
        descendInto(image);
        print("](", image);
        print(destinationText(image.source().value_or("")), image);
        if (image.title()) {
            print(quotedTitle(*image.title()), image);
        }
        print(")", image);
    });
}

void MarkupFormatter::visitLink(const Link& link) {
    // A link inside a link's text reads back only as an autolink: the spelled-out form would end the outer
    // link's text.
    if ((formattingOptions.condenseAutolinks() || openLinks_ > 0) && link.destination() &&
        link.isAutolink() && readsBackAsAutolink(*link.destination())) {
        print("<" + *link.destination() + ">", link);
        return;
    }
    printUnbroken(link, [&] {
        printOpening("[", link);
        ++openLinks_;
        descendInto(link);
        --openLinks_;
        print("](", link);
        print(destinationText(link.destination().value_or("")), link);
        if (link.title()) {
            print(quotedTitle(*link.title()), link);
        }
        print(")", link);
    });
}

void MarkupFormatter::visitInlineHTML(const InlineHTML& html) {
    print(html.rawHTML(), html);
}

void MarkupFormatter::visitLineBreak(const LineBreak& lineBreak) {
    // A heading after "#" marks ends with its line, so a line break in it is a blank, as a soft break is.
    if (insideATXHeading(lineBreak, formattingOptions.preferredHeadingStyle())) {
        softWrapPrint(" ", lineBreak);
        return;
    }
    // Two trailing spaces would swallow the blanks the line ends with, and on a line that holds nothing but
    // its prefix (which ends with a blank, or is empty, as at the very start) make an empty line, which ends
    // the paragraph, or blanks that start it, which it drops. A backslash breaks the line as well and keeps
    // both.
    const bool startsOrEndsBlank = state_.queuedNewlines > 0 || result_.empty() || result_.back() == ' ' ||
                                   result_.back() == '\t' || result_.back() == '\n';
    print(startsOrEndsBlank ? "\\" : "  ", lineBreak);
    state_.queuedNewlines += 1;
}

void MarkupFormatter::visitSoftBreak(const SoftBreak& softBreak) {
    if (softBreaksAsSpaces_ || insideATXHeading(softBreak, formattingOptions.preferredHeadingStyle())) {
        softWrapPrint(" ", softBreak);
    } else {
        state_.queuedNewlines += 1;
    }
}

void MarkupFormatter::visitSymbolLink(const SymbolLink& symbolLink) {
    print("``" + symbolLink.destination().value_or("") + "``", symbolLink);
}

void MarkupFormatter::visitInlineAttributes(const InlineAttributes& attributes) {
    // Attributes that the parentheses cannot hold are written as a definition (see
    // `writeAttributeDefinitions`), which holds any one line; the span names it by its label.
    const std::string& text = attributes.attributes();
    const bool inParentheses = attributesReadBackInParentheses(text) || !attributesFitADefinition(text);
    const std::string reference = inParentheses ? "" : attributeDefinitionLabel(text);
    printUnbroken(attributes, [&] {
        printOpening("^[", attributes);
        descendInto(attributes);
        if (inParentheses) {
            print("](", attributes);
            print(text, attributes);
            print(")", attributes);
        } else {
            print("][" + reference + "]", attributes);
        }
    });
}

std::string MarkupFormatter::attributeDefinitionLabel(const std::string& attributes) {
    const auto defined =
        std::find_if(attributeDefinitions_.begin(), attributeDefinitions_.end(),
                     [&](const auto& definition) { return definition.second == attributes; });
    if (defined != attributeDefinitions_.end()) {
        return defined->first;
    }
    attributeDefinitions_.emplace_back("attributes-" + std::to_string(attributeDefinitions_.size() + 1),
                                       attributes);
    return attributeDefinitions_.back().first;
}

void MarkupFormatter::writeAttributeDefinitions(const Markup& printedElement) {
    if (attributeDefinitions_.empty()) {
        return;
    }
    // A paragraph of its own ahead of everything: the reader gathers definitions from the whole document
    // before it reads the spans, and nothing before them can take their lines in.
    const std::string prefix = linePrefix(printedElement);
    std::string definitions;
    for (const auto& [label, attributes] : attributeDefinitions_) {
        definitions += prefix + "^[" + label + "]: " + attributes + "\n";
    }
    result_.insert(0, definitions + prefix + "\n");
}

void MarkupFormatter::visitCustomInline(const CustomInline& custom) {
    softWrapPrint(custom.text(), custom);
}

// Tables

std::string MarkupFormatter::formatIndependently(const TableCell& cell) {
    MarkupFormatter formatter(formattingOptions);
    formatter.lineLimit_.reset();
    formatter.softBreaksAsSpaces_ = true;
    // Definitions made for spans in the cell are written with the others.
    formatter.attributeDefinitions_ = std::move(attributeDefinitions_);
    for (const Markup& child : cell.detachedFromParent().children()) {
        formatter.visit(child);
    }
    attributeDefinitions_ = std::move(formatter.attributeDefinitions_);
    return formatter.result();
}

/// The parts of a table to print: the head (with the delimiter row) when present, and body rows.
struct MarkupFormatter::TableLines {
    std::optional<TableHead> head;
    std::vector<TableRow> rows;
    Table::ColumnAlignments alignments;
};

void MarkupFormatter::printTableLines(const TableLines& lines) {
    struct Cell {
        std::string text;
        std::uint64_t colspan = 1;
    };
    const auto cellsOf = [&](const TableCellContainerBase& row, bool isHead) {
        std::vector<Cell> cells;
        for (const TableCell& cell : row.cells()) {
            const bool coveredFromAbove = !isHead && cell.rowspan() == 0;
            cells.push_back(
                {coveredFromAbove ? "^" : tableCellText(formatIndependently(cell)), cell.colspan()});
        }
        return cells;
    };
    std::vector<std::vector<Cell>> rows;
    if (lines.head) {
        rows.push_back(cellsOf(*lines.head, true));
    }
    for (const TableRow& row : lines.rows) {
        rows.push_back(cellsOf(row, false));
    }
    std::size_t columnCount = 0;
    for (const auto& row : rows) {
        columnCount = std::max(columnCount, row.size());
    }
    Table::ColumnAlignments alignments = lines.alignments;
    alignments.resize(columnCount);

    std::vector<std::int64_t> widths(columnCount);
    for (std::size_t column = 0; column < columnCount; ++column) {
        widths[column] = minimumColumnWidth(alignments[column]);
    }
    for (auto& row : rows) {
        row.resize(columnCount);
        for (std::size_t column = 0; column < columnCount; ++column) {
            widths[column] = std::max(widths[column], characterCount(row[column].text));
        }
    }

    const auto lineOf = [&](const std::vector<Cell>& row) {
        std::string line = "|";
        for (std::size_t column = 0; column < columnCount; ++column) {
            const Cell& cell = row[column];
            if (cell.colspan > 0) {
                const std::size_t end = std::min<std::size_t>(columnCount, column + cell.colspan);
                std::int64_t width = 0;
                for (std::size_t spanned = column; spanned < end; ++spanned) {
                    width += widths[spanned];
                }
                line += cell.text;
                line.append(
                    static_cast<std::size_t>(std::max<std::int64_t>(0, width - characterCount(cell.text))),
                    ' ');
            }
            line += "|";
        }
        return line;
    };

    std::size_t rowIndex = 0;
    if (lines.head) {
        print(lineOf(rows[rowIndex++]), *lines.head);
        state_.queuedNewlines += 1;
        std::string delimiter = "|";
        for (std::size_t column = 0; column < columnCount; ++column) {
            delimiter += delimiterCell(alignments[column], widths[column]) + "|";
        }
        print(delimiter, *lines.head);
        state_.queuedNewlines += 1;
    }
    for (const TableRow& row : lines.rows) {
        print(lineOf(rows[rowIndex++]), row);
        state_.queuedNewlines += 1;
    }
}

namespace {

std::vector<TableRow> rowsOf(const TableBody& body) {
    std::vector<TableRow> rows;
    for (const TableRow& row : body.rows()) {
        rows.push_back(row);
    }
    return rows;
}

Table::ColumnAlignments alignmentsAbove(const Markup& part) {
    for (std::optional<Markup> ancestor = part.parent(); ancestor; ancestor = ancestor->parent()) {
        if (const std::optional<Table> table = ancestor->as<Table>()) {
            return table->columnAlignments();
        }
    }
    return {};
}

} // namespace

void MarkupFormatter::visitTable(const Table& table) {
    separateBlock(table);
    printTableLines({table.head(), rowsOf(table.body()), table.columnAlignments()});
}

void MarkupFormatter::visitTableHead(const TableHead& head) {
    printTableLines({head, {}, alignmentsAbove(head)});
}

void MarkupFormatter::visitTableBody(const TableBody& body) {
    printTableLines({std::nullopt, rowsOf(body), alignmentsAbove(body)});
}

void MarkupFormatter::visitTableRow(const TableRow& row) {
    printTableLines({std::nullopt, {row}, alignmentsAbove(row)});
}

void MarkupFormatter::visitTableCell(const TableCell& cell) {
    print(escapedForTableCell(formatIndependently(cell)), cell);
}

} // namespace Markdown
