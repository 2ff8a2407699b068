#pragma once
// The general HTML import behind highlighting without fast rendering. The library itself has no
// HTML engine: the user-interface layer supplies one.

#include "StyledText.h"

#include <optional>
#include <string>

namespace SyntaxHighlighter {

class HTMLImporter {
public:
    virtual ~HTMLImporter() = default;
    // Imports a UTF-8 HTML document synchronously and returns its text and attributes; none on an
    // import error. May be called from any thread; an implementation that needs its GUI thread
    // does the work there while the caller waits, so it must not be called from a thread that the
    // GUI thread is waiting on.
    virtual std::optional<StyledText> importHTML(const std::string& html) = 0;
};

} // namespace SyntaxHighlighter
