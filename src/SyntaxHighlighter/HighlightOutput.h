#pragma once
// Turns the HTML that highlight.js produces into styled text without a general HTML parser.

#include "StyledText.h"
#include "Theme.h"

#include <string_view>

namespace SyntaxHighlighter {

// Follows the script's "<span class=\"...\">" and "</span>" tags with a stack of class names that
// starts as ["hljs"], styles each text run with the theme, then decodes character references.
// Any input yields styled text: a stray "<" is text, an opening tag without its closing quote and
// ">" ends the scan, and closing tags beyond the open ones are ignored.
StyledText processHTMLString(std::u16string_view html, const Theme& theme);

// Replaces every "&name;", "&#digits;" and "&#xhex;" that decodes to a character. References are
// found in the text as given, so "&amp;lt;" decodes once, to "&lt;"; the character takes the
// attributes of the reference's first character.
StyledText decodeEntities(const StyledText& text);

} // namespace SyntaxHighlighter
