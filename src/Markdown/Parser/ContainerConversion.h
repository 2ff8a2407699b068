#pragma once
// The block-directive path: the pre-parser's container tree turned into a document. Each plain run of
// lines is parsed as Markdown on its own, after its enclosing directive's or command's indentation was
// cut from its lines, and its ranges are moved back into the coordinates of the whole text.

#include "Markdown/BlockNodes/Document.h"
#include "Markdown/Parser/BlockDirectiveParsing.h"
#include "Markdown/Parser/ParseOptions.h"

#include <optional>
#include <string_view>

namespace Markdown {

/// The document for the finished root `container` that the pre-parser built over `text`. Its range starts
/// at line 1, column 1 and ends at the largest end of any node in it. Stops the program when `container`
/// is not a root.
Document convertingParseContainers(const ParseContainer& container, std::string_view text,
                                   const std::optional<URL>& source, ParseOptions options);

/// `text` through the line pre-parser and the container conversion.
Document parsingBlockDirectives(std::string_view text, const std::optional<URL>& source,
                                ParseOptions options);

} // namespace Markdown
