#include "Graphemes.h"

#include <unicode/ubrk.h>
#include <unicode/utext.h>

#include <memory>

namespace Markdown::Graphemes {

namespace {

bool isAscii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

// One character-break iterator per thread; ICU iterators are not shareable between threads.
class BreakIterator {
public:
    BreakIterator() {
        UErrorCode status = U_ZERO_ERROR;
        iterator_ = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
        if (U_FAILURE(status)) {
            iterator_ = nullptr;
        }
    }
    ~BreakIterator() {
        if (iterator_) {
            ubrk_close(iterator_);
        }
        utext_close(&text_);
    }
    BreakIterator(const BreakIterator&) = delete;
    BreakIterator& operator=(const BreakIterator&) = delete;

    // The end of the first character of `text`, or 0 when ICU is unavailable.
    std::size_t firstCharacterEnd(std::string_view text) {
        if (!iterator_) {
            return 0;
        }
        UErrorCode status = U_ZERO_ERROR;
        utext_openUTF8(&text_, text.data(), static_cast<int64_t>(text.size()), &status);
        ubrk_setUText(iterator_, &text_, &status);
        if (U_FAILURE(status)) {
            return 0;
        }
        const int32_t end = ubrk_following(iterator_, 0);
        return end == UBRK_DONE ? text.size() : static_cast<std::size_t>(end);
    }

private:
    UBreakIterator* iterator_ = nullptr;
    UText text_ = UTEXT_INITIALIZER;
};

// Length of the UTF-8 sequence led by `lead`, 1 for stray bytes.
std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

} // namespace

std::size_t nextBoundary(std::string_view text, std::size_t offset) {
    const char c = text[offset];
    // ASCII followed by ASCII (or the end) is a whole character, except CR LF.
    if (isAscii(c) && (offset + 1 == text.size() || isAscii(text[offset + 1]))) {
        return offset + (c == '\r' && offset + 1 < text.size() && text[offset + 1] == '\n' ? 2 : 1);
    }
    thread_local BreakIterator iterator;
    const std::size_t length = iterator.firstCharacterEnd(text.substr(offset));
    if (length == 0) {
        return std::min(text.size(), offset + sequenceLength(static_cast<unsigned char>(c)));
    }
    return offset + length;
}

std::size_t prefixLength(std::string_view text, std::size_t count, std::size_t& taken) {
    std::size_t offset = 0;
    taken = 0;
    while (taken < count && offset < text.size()) {
        offset = nextBoundary(text, offset);
        ++taken;
    }
    return offset;
}

} // namespace Markdown::Graphemes
