#pragma once
// The inline attributes syntax `^[text](attributes)` as a cmark-gfm syntax extension.

#include "AttributeDefinitions.h"
#include "CmarkCompat.h"

#include <cmark-gfm-extension_api.h>

namespace Markdown::CmarkCompat {

// Attribute spans nested deeper than this inside one another stay literal text.
inline constexpr int kMaxAttributeNesting = 16;
// Parentheses inside the attributes text may nest this deep; deeper, the span does not match.
inline constexpr int kMaxAttributeParenthesisDepth = 32;

// What the extension needs while one document is being parsed. Only touched under the cmark lock.
struct AttributeParseScope {
    CmarkDocument::Tables* tables;
    int cmarkOptions;
    bool withTableExtension;
    // The document's attribute reference definitions, when it has any: then definitions are removed
    // from their paragraphs and "^[text][label]" spans are resolved.
    const AttributeDefinitions* definitions = nullptr;
};

// The extension, created once; the caller holds the cmark lock.
cmark_syntax_extension* attributeExtension();
// Attribute nodes are link nodes that carry our extension (see the matcher for why).
bool isAttributeNode(cmark_node* node);

// Attaches the extensions every parse uses ("table" unless dropped, "strikethrough", "tasklist" and
// ours) to `parser`.
void attachExtensions(cmark_parser* parser, bool withTableExtension);

// Makes `scope` the target of attribute nodes until destroyed. The caller holds the cmark lock.
class ActiveAttributeScope {
public:
    explicit ActiveAttributeScope(const AttributeParseScope& scope);
    ~ActiveAttributeScope();

    // After the parse: moves the positions cmark gave the nodes that follow a span or definition with
    // line breaks to where they belong, and removes the definitions (and paragraphs left empty). First
    // throws what the matcher threw during the parse.
    void finishParse();
    ActiveAttributeScope(const ActiveAttributeScope&) = delete;
    ActiveAttributeScope& operator=(const ActiveAttributeScope&) = delete;
};

} // namespace Markdown::CmarkCompat
