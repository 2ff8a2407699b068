#pragma once
// Turns a cmark-gfm tree into raw nodes in one pass over its events.

#include "Markdown/Base/RawMarkup.h"
#include "Markdown/CmarkCompat/CmarkCompat.h"
#include "Markdown/Parser/ParseOptions.h"
#include "Markdown/Parser/RangeAdjustment.h"

#include <optional>
#include <string_view>

namespace Markdown {

/// The raw `document` node for `document`'s tree. Ranges are half-open UTF-8 byte ranges carrying `source`;
/// a code span's range covers its backtick runs; a table's rows are grouped into a head and a body. With
/// `parseSymbolLinks`, code spans opened by two or more backticks become symbol links. Holds no pointer
/// into cmark memory. Stops the program when the tree breaks what cmark-gfm guarantees.
/// With `placement`, every range is placed in the whole text as it is made (see FragmentPlacement).
RawMarkupRef convertCmarkTree(const CmarkCompat::CmarkDocument& document, const std::optional<URL>& source,
                              ParseOptions options, const FragmentPlacement* placement = nullptr);

/// Parses `text` with cmark-gfm under `options` (smart punctuation and source positions unless the options
/// turn them off) and converts the tree; `placement` as for convertCmarkTree.
RawMarkupRef parseIntoRawTree(std::string_view text, const std::optional<URL>& source, ParseOptions options,
                              const FragmentPlacement* placement = nullptr);

} // namespace Markdown
