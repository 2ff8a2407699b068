#include "HighlightOutput.h"

#include "HTMLUtils.h"
#include "UTF.h"

#include <algorithm>

namespace SyntaxHighlighter {
namespace {

constexpr std::u16string_view kSpanStart = u"span class=\"";
constexpr std::u16string_view kSpanStartClose = u"\">";
constexpr std::u16string_view kSpanEnd = u"/span>";

bool isAsciiAlphanumeric(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

struct Replacement {
    std::size_t start;
    std::size_t end;
    std::u16string text;
};

// Matches of "&#?[a-zA-Z0-9]+;" from first to last, without overlaps.
std::vector<Replacement> findDecodableEntities(std::u16string_view text) {
    std::vector<Replacement> replacements;
    std::size_t position = 0;
    while ((position = text.find(u'&', position)) != std::u16string_view::npos) {
        std::size_t nameStart = position + 1;
        if (nameStart < text.size() && text[nameStart] == u'#')
            ++nameStart;
        std::size_t nameEnd = nameStart;
        while (nameEnd < text.size() && isAsciiAlphanumeric(text[nameEnd]))
            ++nameEnd;
        if (nameEnd == nameStart || nameEnd >= text.size() || text[nameEnd] != u';') {
            ++position;
            continue;
        }
        std::size_t end = nameEnd + 1;
        if (auto scalar = HTMLUtils::decode(text.substr(position, end - position))) {
            std::u16string decoded;
            appendUtf16(decoded, *scalar);
            replacements.push_back({position, end, std::move(decoded)});
        }
        position = end;
    }
    return replacements;
}

} // namespace

StyledText decodeEntities(const StyledText& text) {
    std::u16string_view source = text.text();
    std::vector<Replacement> replacements = findDecodableEntities(source);
    if (replacements.empty())
        return text;

    std::u16string decoded;
    decoded.reserve(source.size());
    std::vector<std::size_t> decodedStarts; // where each replacement starts in the decoded text
    decodedStarts.reserve(replacements.size());
    std::size_t copied = 0;
    for (const Replacement& replacement : replacements) {
        decoded.append(source.substr(copied, replacement.start - copied));
        decodedStarts.push_back(decoded.size());
        decoded.append(replacement.text);
        copied = replacement.end;
    }
    decoded.append(source.substr(copied));

    // Run boundaries arrive in increasing order, so one cursor over the replacements suffices. A
    // boundary inside a reference moves behind its character, which keeps the first run's style.
    std::size_t next = 0;
    auto mapPosition = [&](std::size_t position) {
        while (next < replacements.size() && replacements[next].end <= position)
            ++next;
        if (next < replacements.size() && replacements[next].start < position)
            return decodedStarts[next] + replacements[next].text.size();
        if (next == 0)
            return position;
        const Replacement& previous = replacements[next - 1];
        return decodedStarts[next - 1] + previous.text.size() + (position - previous.end);
    };

    StyledText result;
    std::u16string_view decodedView = decoded;
    for (const StyledText::Run& run : text.runs()) {
        std::size_t start = mapPosition(run.range.location);
        std::size_t end = mapPosition(run.range.end());
        if (end > start)
            result.append(decodedView.substr(start, end - start), run.attributes);
    }
    return result;
}

StyledText processHTMLString(std::u16string_view html, const Theme& theme) {
    StyledText result;
    // The open elements' classes, the style of text in each, and the attributes of text in the
    // innermost one, made when text needs them. A closing tag returns to the parent's style.
    std::vector<std::string> stack{"hljs"};
    std::vector<Theme::Style> styles{theme.styleInElement(stack, {})};
    std::optional<TextAttributes> stackAttributes;
    auto currentAttributes = [&]() -> const TextAttributes& {
        if (!stackAttributes)
            stackAttributes = theme.attributes(styles.empty() ? Theme::Style{} : styles.back());
        return *stackAttributes;
    };

    std::size_t position = 0;
    while (position < html.size()) {
        std::size_t tag = html.find(u'<', position);
        std::size_t textEnd = tag == std::u16string_view::npos ? html.size() : tag;
        if (textEnd > position)
            result.append(html.substr(position, textEnd - position), currentAttributes());
        if (tag == std::u16string_view::npos)
            break;

        position = tag + 1;
        if (position >= html.size()) {
            result.append(u"<", currentAttributes());
            break;
        }
        if (html[position] == u's') {
            position = std::min(position + kSpanStart.size(), html.size());
            std::size_t close = html.find(kSpanStartClose, position);
            if (close == std::u16string_view::npos)
                break;
            stack.push_back(utf16ToUtf8(html.substr(position, close - position)));
            styles.push_back(theme.styleInElement(stack, styles.empty() ? Theme::Style{} : styles.back()));
            stackAttributes.reset();
            position = close + kSpanStartClose.size();
        } else if (html[position] == u'/') {
            position = std::min(position + kSpanEnd.size(), html.size());
            if (!stack.empty()) {
                stack.pop_back();
                styles.pop_back();
                stackAttributes.reset();
            }
        } else {
            result.append(u"<", currentAttributes());
        }
    }
    return decodeEntities(result);
}

} // namespace SyntaxHighlighter
