#include "Markdown/Walker/Walkers/CharacterCount.h"

#include <unicode/ubrk.h>
#include <unicode/utext.h>

#include <memory>
#include <stdexcept>

namespace Markdown {

namespace {

struct BreakIteratorCloser {
    void operator()(UBreakIterator* iterator) const { ubrk_close(iterator); }
};
struct TextCloser {
    void operator()(UText* text) const { utext_close(text); }
};

// One grapheme-cluster iterator per thread, pointed at each text in turn.
UBreakIterator* characterBreaks(std::string_view text, std::unique_ptr<UText, TextCloser>& holder) {
    thread_local std::unique_ptr<UBreakIterator, BreakIteratorCloser> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UBreakIterator, BreakIteratorCloser> made(
            ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status));
        if (U_FAILURE(status)) {
            throw std::runtime_error("characterCount: no grapheme break iterator");
        }
        return made;
    }();
    UErrorCode status = U_ZERO_ERROR;
    holder.reset(utext_openUTF8(nullptr, text.data(), static_cast<std::int64_t>(text.size()), &status));
    ubrk_setUText(iterator.get(), holder.get(), &status);
    if (U_FAILURE(status)) {
        throw std::runtime_error("characterCount: cannot read the text");
    }
    return iterator.get();
}

bool isASCII(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

std::int64_t characterCount(std::string_view text) {
    if (isASCII(text)) {
        // Every ASCII character is a cluster of its own, except that CR LF is one.
        auto count = static_cast<std::int64_t>(text.size());
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (text[i - 1] == '\r' && text[i] == '\n') {
                --count;
            }
        }
        return count;
    }
    std::unique_ptr<UText, TextCloser> holder;
    UBreakIterator* breaks = characterBreaks(text, holder);
    std::int64_t count = 0;
    ubrk_first(breaks);
    while (ubrk_next(breaks) != UBRK_DONE) {
        ++count;
    }
    return count;
}

std::size_t byteLengthOfLastCharacters(std::string_view text, std::int64_t count) {
    // Step back over ASCII as long as possible; anything else is measured by the break iterator.
    std::size_t position = text.size();
    std::int64_t left = count;
    while (left > 0 && position > 0 && static_cast<unsigned char>(text[position - 1]) < 0x80) {
        position -= (text[position - 1] == '\n' && position >= 2 && text[position - 2] == '\r') ? 2 : 1;
        --left;
    }
    if (left == 0 || position == 0) {
        return text.size() - position;
    }
    std::unique_ptr<UText, TextCloser> holder;
    UBreakIterator* breaks = characterBreaks(text, holder);
    auto boundary = static_cast<std::int32_t>(position);
    while (left > 0 && boundary > 0) {
        boundary = ubrk_preceding(breaks, boundary);
        --left;
    }
    return text.size() - static_cast<std::size_t>(boundary < 0 ? 0 : boundary);
}

} // namespace Markdown
