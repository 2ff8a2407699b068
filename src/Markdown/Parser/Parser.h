#pragma once
// The Markdown parser's front door.
//
//     Markdown::Document document = Markdown::Document::parsing(text, {});
//     Markdown::Document withDirectives =
//         Markdown::Document::parsing(text, Markdown::ParseOptions::parseBlockDirectives);
//
// `Document::parsing` never fails on text: every input, however malformed, yields a document. The
// file overload reads the file first and throws std::system_error when it cannot be read. Parsing
// runs on the caller's thread; calls into cmark-gfm's process-wide state are serialised inside.
// Including this header also makes a block directive's `argumentText().parseNameValueArguments()`
// callable.

#include "Markdown/BlockNodes/Document.h"
#include "Markdown/Infrastructure/SourceLocation.h"
#include "Markdown/Parser/DirectiveArgumentParsing.h"
#include "Markdown/Parser/ParseOptions.h"

#include <optional>
#include <string_view>

namespace Markdown {

/// One cmark-gfm pass over a whole text and its conversion into a document tree.
struct MarkupParser {
    /// Parses `text` with the "table", "strikethrough" and "tasklist" extensions (and inline
    /// attributes); `source` goes into every location of the result. Ignores `parseBlockDirectives`.
    static Document parseString(std::string_view text, const std::optional<URL>& source,
                                ParseOptions options);
};

} // namespace Markdown
