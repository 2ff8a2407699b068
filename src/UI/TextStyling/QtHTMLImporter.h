#pragma once
// The highlighter's HTML import done by QTextDocument on the GUI thread.

#include <SyntaxHighlighter/HTMLImporter.h>

namespace TextStyling {

class QtHTMLImporter final : public SyntaxHighlighter::HTMLImporter {
public:
    // Runs the import on the application's thread, waiting for it when called from another
    // thread; none when there is no application object.
    std::optional<SyntaxHighlighter::StyledText> importHTML(const std::string& html) override;
};

} // namespace TextStyling
