#include "Markdown/Infrastructure/CanonicalEquivalence.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace Markdown {

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

bool canonicallyEqual(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    // Pure ASCII text is already in NFC, so differing bytes mean differing text.
    if (isAscii(a) && isAscii(b)) {
        return false;
    }
    constexpr std::size_t icuLimit = 0x7fffffff;
    if (a.size() > icuLimit || b.size() > icuLimit) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return false;
    }
    const icu::UnicodeString left = nfc->normalize(
        icu::UnicodeString::fromUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size()))), status);
    const icu::UnicodeString right = nfc->normalize(
        icu::UnicodeString::fromUTF8(icu::StringPiece(b.data(), static_cast<int32_t>(b.size()))), status);
    return U_SUCCESS(status) && left == right;
}

} // namespace Markdown
