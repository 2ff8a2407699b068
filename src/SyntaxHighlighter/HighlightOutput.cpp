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

namespace {

// The class paths met in one conversion, as a tree: a path is styled by the theme once, however
// often its spans recur. Node 0 stands for no element at all.
class ClassPaths {
public:
    explicit ClassPaths(const Theme& theme) : m_theme(theme) { m_nodes.push_back({{}, {}, 0, {}, {}, {}}); }

    // The node of the path made of the given node's path and one more element.
    std::size_t child(std::size_t parent, std::u16string_view classes) {
        for (std::size_t child : m_nodes[parent].children)
            if (m_nodes[child].classes == classes)
                return child;
        std::vector<std::string> path;
        for (std::size_t node = parent; node != 0; node = m_nodes[node].parent)
            path.push_back(m_nodes[node].utf8Classes);
        std::ranges::reverse(path);
        path.push_back(utf16ToUtf8(classes));
        Theme::Style style = m_theme.styleInElement(path, m_nodes[parent].style);
        m_nodes.push_back({std::u16string(classes), std::move(path.back()), parent, style, {}, {}});
        m_nodes[parent].children.push_back(m_nodes.size() - 1);
        return m_nodes.size() - 1;
    }

    const TextAttributes& attributes(std::size_t node) {
        if (!m_nodes[node].attributes)
            m_nodes[node].attributes = m_theme.attributes(m_nodes[node].style);
        return *m_nodes[node].attributes;
    }

private:
    struct Node {
        std::u16string classes;
        std::string utf8Classes;
        std::size_t parent;
        Theme::Style style;
        std::optional<TextAttributes> attributes;
        std::vector<std::size_t> children;
    };

    const Theme& m_theme;
    std::vector<Node> m_nodes;
};

} // namespace

StyledText processHTMLString(std::u16string_view html, const Theme& theme) {
    StyledText result;
    ClassPaths paths(theme);
    // The open elements, innermost last, above node 0 (no element), which is never closed.
    std::vector<std::size_t> stack{0, paths.child(0, u"hljs")};

    std::size_t position = 0;
    while (position < html.size()) {
        std::size_t tag = html.find(u'<', position);
        std::size_t textEnd = tag == std::u16string_view::npos ? html.size() : tag;
        if (textEnd > position)
            result.append(html.substr(position, textEnd - position), paths.attributes(stack.back()));
        if (tag == std::u16string_view::npos)
            break;

        position = tag + 1;
        if (position >= html.size()) {
            result.append(u"<", paths.attributes(stack.back()));
            break;
        }
        if (html[position] == u's') {
            position = std::min(position + kSpanStart.size(), html.size());
            std::size_t close = html.find(kSpanStartClose, position);
            if (close == std::u16string_view::npos)
                break;
            stack.push_back(paths.child(stack.back(), html.substr(position, close - position)));
            position = close + kSpanStartClose.size();
        } else if (html[position] == u'/') {
            position = std::min(position + kSpanEnd.size(), html.size());
            if (stack.size() > 1)
                stack.pop_back();
        } else {
            result.append(u"<", paths.attributes(stack.back()));
        }
    }
    return decodeEntities(result);
}

} // namespace SyntaxHighlighter
