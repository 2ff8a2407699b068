#pragma once
// Attribute reference definitions: at the start of a paragraph, "^[label]:" followed by optional
// blanks with at most one line break and a non-empty rest of line, which is the attributes text. An
// attribute span written "^[text][label]" takes the attributes of the definition with that label.

#include <cmark-gfm.h>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Markdown::CmarkCompat {

struct AttributeDefinition {
    std::string label; // normalised
    std::string attributes;
    std::size_t end = 0; // just past the definition's last line, before its line break
    int lineBreaks = 0;  // inside the definition: 0 or 1
};

using AttributeDefinitions = std::unordered_map<std::string, std::string>;

// The definition that starts at `offset` of a paragraph's content, if one does.
std::optional<AttributeDefinition> parseAttributeDefinition(std::string_view content, std::size_t offset);

// The offset of the "]" that closes the link label opened by the "[" at `open`, if it is a label:
// no unescaped brackets inside, at most 999 characters, not only blanks.
std::optional<std::size_t> linkLabelEnd(std::string_view text, std::size_t open);

// A label as labels are matched: case-folded, inner white space collapsed to one space, trimmed.
std::string normalizedLabel(std::string_view label);

// The definitions at the starts of the tree's paragraphs; the first of a label wins.
AttributeDefinitions collectAttributeDefinitions(cmark_node* root);

} // namespace Markdown::CmarkCompat
