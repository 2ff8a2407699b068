#include "CodeAttributedString.h"

#include "SerialWorker.h"

#include <algorithm>

namespace SyntaxHighlighter {
namespace {

bool isLineTerminator(char16_t c) {
    return c == u'\n' || c == u'\r' || c == 0x85 || c == 0x2028 || c == 0x2029;
}

Range clamped(Range range, std::size_t length) {
    std::size_t start = std::min(range.location, length);
    return {start, std::min(range.length, length - start)};
}

} // namespace

struct CodeAttributedString::Core : std::enable_shared_from_this<Core> {
    Core(std::shared_ptr<SyntaxHighlighter> engine, std::shared_ptr<MainQueue> queue)
        : highlighter(std::move(engine)), mainQueue(std::move(queue)) {}

    StyledText storage;
    std::shared_ptr<SyntaxHighlighter> highlighter;
    std::shared_ptr<MainQueue> mainQueue;
    std::shared_ptr<HighlightDelegate> delegate;
    std::optional<std::string> language;

    int editingDepth = 0;
    unsigned editedMask = 0;
    Range editedRange;

    // Last member: destroyed first. Passes not started are dropped; a running one holds only what it
    // captured and finds the storage gone when its result comes back.
    SerialWorker worker;

    void highlight(Range requested) {
        if (!language)
            return;
        Range range = clamped(requested, storage.length());
        if (delegate && !delegate->shouldHighlight(range))
            return;
        std::u16string code = storage.text().substr(range.location, range.length);
        worker.post([weak = weak_from_this(), engine = highlighter, queue = mainQueue, code = std::move(code),
                     passLanguage = *language, range] {
            auto result = engine->highlight(code, passLanguage, true);
            queue->async([weak, range, result = std::move(result)] {
                if (auto core = weak.lock())
                    core->apply(range, result);
            });
        });
    }

    void apply(Range range, const std::optional<StyledText>& result) {
        bool fits = range.end() <= storage.length();
        bool matches =
            fits && result &&
            std::u16string_view(storage.text()).substr(range.location, range.length) == result->text();
        if (matches) {
            storage.copyAttributes(*result, range.location);
            edited(editedAttributes, range, 0);
        }
        if (delegate)
            delegate->didHighlight(range, matches);
    }

    void edited(unsigned mask, Range range, std::ptrdiff_t changeInLength) {
        std::size_t newEnd = static_cast<std::size_t>(
            std::max<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(range.location),
                                     static_cast<std::ptrdiff_t>(range.end()) + changeInLength));
        if (editedMask == 0) {
            editedRange = {range.location, newEnd - range.location};
        } else {
            std::ptrdiff_t previousEnd = static_cast<std::ptrdiff_t>(editedRange.end());
            if (range.location < editedRange.end())
                previousEnd = std::max<std::ptrdiff_t>(previousEnd + changeInLength,
                                                       static_cast<std::ptrdiff_t>(range.location));
            std::size_t start = std::min(editedRange.location, range.location);
            std::size_t end = std::max(static_cast<std::size_t>(previousEnd), newEnd);
            editedRange = {start, end - start};
        }
        editedMask |= mask;
        if (editingDepth == 0)
            processEditing();
    }

    void processEditing() {
        unsigned mask = editedMask;
        Range range = clamped(editedRange, storage.length());
        editedMask = 0;
        editedRange = {};
        if (language && (mask & editedCharacters))
            highlight(paragraphRange(storage.text(), range));
    }
};

std::unique_ptr<CodeAttributedString> CodeAttributedString::create(std::shared_ptr<MainQueue> mainQueue) {
    std::shared_ptr<SyntaxHighlighter> engine = SyntaxHighlighter::create();
    if (!engine)
        return nullptr;
    return std::make_unique<CodeAttributedString>(std::move(engine), std::move(mainQueue));
}

CodeAttributedString::CodeAttributedString(std::shared_ptr<SyntaxHighlighter> highlighter,
                                           std::shared_ptr<MainQueue> mainQueue)
    : m_core(std::make_shared<Core>(std::move(highlighter), std::move(mainQueue))) {
    // The theme may change on any thread; the text is only touched on the main queue.
    m_core->highlighter->setThemeChanged(
        [weak = std::weak_ptr<Core>(m_core), queue = m_core->mainQueue](const std::shared_ptr<Theme>&) {
            queue->async([weak] {
                if (auto core = weak.lock())
                    core->highlight({0, core->storage.length()});
            });
        });
}

CodeAttributedString::~CodeAttributedString() = default;

std::shared_ptr<HighlightDelegate> CodeAttributedString::highlightDelegate() const {
    return m_core->delegate;
}

void CodeAttributedString::setHighlightDelegate(std::shared_ptr<HighlightDelegate> delegate) {
    m_core->delegate = std::move(delegate);
}

const std::optional<std::string>& CodeAttributedString::language() const {
    return m_core->language;
}

void CodeAttributedString::setLanguage(std::optional<std::string> language) {
    m_core->language = std::move(language);
    m_core->highlight({0, m_core->storage.length()});
}

void CodeAttributedString::highlight(Range range) {
    m_core->highlight(range);
}

const std::u16string& CodeAttributedString::string() const {
    return m_core->storage.text();
}

std::size_t CodeAttributedString::length() const {
    return m_core->storage.length();
}

const StyledText& CodeAttributedString::styledText() const {
    return m_core->storage;
}

TextAttributes CodeAttributedString::attributes(std::size_t position, Range* effectiveRange) const {
    if (position >= m_core->storage.length()) {
        if (effectiveRange)
            *effectiveRange = {m_core->storage.length(), 0};
        return {};
    }
    return m_core->storage.attributes(position, effectiveRange);
}

void CodeAttributedString::replaceCharacters(Range range, std::u16string_view text) {
    Range target = clamped(range, m_core->storage.length());
    m_core->storage.replaceCharacters(target, text);
    m_core->edited(editedCharacters, target,
                   static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(target.length));
}

void CodeAttributedString::setAttributes(const TextAttributes& attributes, Range range) {
    Range target = clamped(range, m_core->storage.length());
    m_core->storage.setAttributes(target, attributes);
    m_core->edited(editedAttributes, target, 0);
}

void CodeAttributedString::beginEditing() {
    ++m_core->editingDepth;
}

void CodeAttributedString::endEditing() {
    if (m_core->editingDepth == 0)
        return;
    if (--m_core->editingDepth == 0 && m_core->editedMask != 0)
        m_core->processEditing();
}

Range CodeAttributedString::paragraphRange(std::u16string_view text, Range range) {
    Range target = clamped(range, text.size());
    std::size_t start = target.location;
    while (start > 0 && !isLineTerminator(text[start - 1]))
        --start;
    std::size_t end = target.end();
    if (target.length == 0 || !isLineTerminator(text[end - 1])) {
        while (end < text.size() && !isLineTerminator(text[end]))
            ++end;
        if (end < text.size())
            ++end;
    }
    // A CR LF pair ends one paragraph.
    if (end > 0 && end < text.size() && text[end - 1] == u'\r' && text[end] == u'\n')
        ++end;
    return {start, end - start};
}

} // namespace SyntaxHighlighter
