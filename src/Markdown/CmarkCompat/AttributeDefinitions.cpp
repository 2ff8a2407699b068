#include "AttributeDefinitions.h"

#include <cmark-gfm-extension_api.h>
#include <unicode/unistr.h>

namespace Markdown::CmarkCompat {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isWhiteSpace(char c) {
    return isBlank(c) || c == '\n' || c == '\r';
}

bool isAsciiPunctuation(unsigned char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
           (c >= '{' && c <= '~');
}

} // namespace

std::optional<std::size_t> linkLabelEnd(std::string_view text, std::size_t open) {
    constexpr std::size_t kMaxLabelLength = 999;
    bool hasContent = false;
    for (std::size_t i = open + 1; i < text.size() && i - open - 1 <= kMaxLabelLength; ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && isAsciiPunctuation(static_cast<unsigned char>(text[i + 1]))) {
            hasContent = true;
            ++i;
        } else if (c == '[') {
            return std::nullopt;
        } else if (c == ']') {
            return hasContent ? std::optional(i) : std::nullopt;
        } else if (!isWhiteSpace(c)) {
            hasContent = true;
        }
    }
    return std::nullopt;
}

std::string normalizedLabel(std::string_view label) {
    std::string collapsed;
    for (char c : label) {
        if (isWhiteSpace(c)) {
            if (!collapsed.empty() && collapsed.back() != ' ') {
                collapsed.push_back(' ');
            }
        } else {
            collapsed.push_back(c);
        }
    }
    if (!collapsed.empty() && collapsed.back() == ' ') {
        collapsed.pop_back();
    }
    std::string folded;
    icu::UnicodeString::fromUTF8(collapsed).foldCase().toUTF8String(folded);
    return folded;
}

std::optional<AttributeDefinition> parseAttributeDefinition(std::string_view content, std::size_t offset) {
    // A definition may end the content without a line break (a table took the lines after it), so the
    // next offset can lie one past the end.
    if (offset >= content.size() || content.substr(offset, 2) != "^[") {
        return std::nullopt;
    }
    const std::optional<std::size_t> close = linkLabelEnd(content, offset + 1);
    if (!close || *close + 1 >= content.size() || content[*close + 1] != ':') {
        return std::nullopt;
    }
    AttributeDefinition definition;
    definition.label = normalizedLabel(content.substr(offset + 2, *close - offset - 2));
    std::size_t i = *close + 2;
    while (i < content.size() && isBlank(content[i])) {
        ++i;
    }
    if (i < content.size() && content[i] == '\n') {
        definition.lineBreaks = 1;
        ++i;
        while (i < content.size() && isBlank(content[i])) {
            ++i;
        }
    }
    std::size_t end = content.find('\n', i);
    if (end == std::string_view::npos) {
        end = content.size();
    }
    std::size_t last = end;
    while (last > i && isBlank(content[last - 1])) {
        --last;
    }
    if (last == i) {
        return std::nullopt;
    }
    definition.attributes = std::string(content.substr(i, end - i));
    definition.end = end;
    return definition;
}

AttributeDefinitions collectAttributeDefinitions(cmark_node* root) {
    AttributeDefinitions definitions;
    cmark_iter* iter = cmark_iter_new(root);
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        if (event != CMARK_EVENT_ENTER || cmark_node_get_type(node) != CMARK_NODE_PARAGRAPH) {
            continue;
        }
        const char* content = cmark_node_get_string_content(node);
        const std::string_view text = content ? content : "";
        std::size_t offset = 0;
        while (const std::optional<AttributeDefinition> definition = parseAttributeDefinition(text, offset)) {
            definitions.emplace(definition->label, definition->attributes);
            offset = definition->end + 1;
        }
    }
    cmark_iter_free(iter);
    return definitions;
}

} // namespace Markdown::CmarkCompat
