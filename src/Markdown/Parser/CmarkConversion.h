#pragma once
// Turns a cmark-gfm tree into raw nodes in one pass over its events.

#include "Markdown/Base/RawMarkup.h"
#include "Markdown/CmarkCompat/CmarkCompat.h"
#include "Markdown/Parser/ParseOptions.h"

#include <optional>

namespace Markdown {

/// The raw `document` node for `document`'s tree. Ranges are half-open UTF-8 byte ranges carrying `source`;
/// a code span's range covers its backtick runs; a table's rows are grouped into a head and a body. With
/// `parseSymbolLinks`, code spans opened by two or more backticks become symbol links. Holds no pointer
/// into cmark memory. Stops the program when the tree breaks what cmark-gfm guarantees.
RawMarkupRef convertCmarkTree(const CmarkCompat::CmarkDocument& document, const std::optional<URL>& source,
                              ParseOptions options);

} // namespace Markdown
