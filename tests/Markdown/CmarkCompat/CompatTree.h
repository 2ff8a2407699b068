#pragma once

#include <Markdown/CmarkCompat/CmarkCompat.h>

#include "GfmHarness/ComparableTree.h"

namespace Markdown::Testing {

// The compatibility layer's cmark tree in the shape the cmark-gfm command's XML is read into.
ComparableNode comparableTreeFromCompat(const CmarkCompat::CmarkDocument& document);

} // namespace Markdown::Testing
