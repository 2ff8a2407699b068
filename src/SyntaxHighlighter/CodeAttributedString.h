#pragma once
// Text storage for an editable code view: it keeps characters with attributes and re-highlights
// the edited paragraphs in the background after every character edit.

#include "HighlightEngine.h"
#include "MainQueue.h"
#include "StyledText.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace SyntaxHighlighter {

// Told about highlighting passes; both operations are optional.
class HighlightDelegate {
public:
    virtual ~HighlightDelegate() = default;
    // False cancels the pass for the range.
    virtual bool shouldHighlight(Range) { return true; }
    // After each pass that reached the background work: success is false when the text changed
    // meanwhile (a later pass covers it).
    virtual void didHighlight(Range, bool /*success*/) {}
};

// Used on one thread, the one the main queue runs on. Passes run one after another on a worker
// thread of this storage and come back through the main queue; a pass whose text has changed
// meanwhile is dropped. Destroying the storage never waits for a pass: one still running finishes
// on its own and its result is dropped.
class CodeAttributedString {
public:
    enum EditMask : unsigned {
        editedAttributes = 1,
        editedCharacters = 2,
    };

    // The main queue must be given (not null). With an engine of its own; none when no engine can
    // be created.
    static std::unique_ptr<CodeAttributedString> create(std::shared_ptr<MainQueue> mainQueue);
    // Takes over the engine's theme-change callback: every theme change re-highlights the whole
    // text, on the main queue.
    CodeAttributedString(std::shared_ptr<SyntaxHighlighter> highlighter,
                         std::shared_ptr<MainQueue> mainQueue);
    ~CodeAttributedString();
    CodeAttributedString(const CodeAttributedString&) = delete;
    CodeAttributedString& operator=(const CodeAttributedString&) = delete;

    std::shared_ptr<HighlightDelegate> highlightDelegate() const;
    void setHighlightDelegate(std::shared_ptr<HighlightDelegate> delegate);

    // The highlight.js language; nothing is highlighted while it is absent. Setting it highlights
    // the whole text.
    const std::optional<std::string>& language() const;
    void setLanguage(std::optional<std::string> language);

    // Highlights a range of the current text (clamped to it) with the language of this moment.
    void highlight(Range range);

    const std::u16string& string() const;
    std::size_t length() const;
    const StyledText& styledText() const;
    // The attributes at a position and the run that carries them; empty attributes and an empty
    // range at the end of the text for positions beyond it.
    TextAttributes attributes(std::size_t position, Range* effectiveRange = nullptr) const;

    // Edits; ranges are clamped to the text. A character edit re-highlights the paragraphs it
    // touches once editing ends.
    void replaceCharacters(Range range, std::u16string_view text);
    void setAttributes(const TextAttributes& attributes, Range range);
    void beginEditing();
    void endEditing();

    // The paragraphs (lines with their terminators) that the range touches.
    static Range paragraphRange(std::u16string_view text, Range range);

private:
    struct Core;
    std::shared_ptr<Core> m_core;
};

} // namespace SyntaxHighlighter
