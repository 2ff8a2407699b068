#include "Font.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <utility>

namespace SyntaxHighlighter {
namespace {

struct Match {
    std::string family;
    std::string style;
    int weight = 400;
    int slant = FC_SLANT_ROMAN;
    bool monospaced = false;
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

std::string stringProperty(FcPattern* pattern, const char* name) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, name, 0, &value) != FcResultMatch || !value)
        return {};
    return reinterpret_cast<const char*>(value);
}

std::optional<Match> matchUncached(const std::string& family, const std::string& style) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return std::nullopt;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    if (!style.empty())
        FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(style.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!found)
        return std::nullopt;

    Match match;
    match.family = stringProperty(found, FC_FAMILY);
    match.style = stringProperty(found, FC_STYLE);
    int weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetInteger(found, FC_WEIGHT, 0, &weight) == FcResultMatch)
        match.weight = FcWeightToOpenType(weight);
    FcPatternGetInteger(found, FC_SLANT, 0, &match.slant);
    int spacing = FC_PROPORTIONAL;
    if (FcPatternGetInteger(found, FC_SPACING, 0, &spacing) == FcResultMatch)
        match.monospaced = spacing == FC_MONO || spacing == FC_DUAL || spacing == FC_CHARCELL;
    FcPatternDestroy(found);
    if (match.family.empty())
        return std::nullopt;
    return match;
}

// Theme creation resolves the same few faces again and again; fontconfig matching is not free.
std::optional<Match> match(std::string_view family, std::string_view style) {
    static std::mutex mutex;
    static std::map<std::pair<std::string, std::string>, std::optional<Match>> cache;
    std::pair<std::string, std::string> key{std::string(family), std::string(style)};
    std::lock_guard lock(mutex);
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.emplace(key, matchUncached(key.first, key.second)).first;
    return it->second;
}

Font fontFromMatch(const Match& match, double pointSize) {
    return Font{match.family, match.style, match.weight, match.slant != FC_SLANT_ROMAN, pointSize};
}

bool carriesStyle(const Match& match, std::string_view style) {
    if (equalsIgnoringCase(style, "Bold"))
        return match.weight >= 600;
    if (equalsIgnoringCase(style, "Italic"))
        return match.slant == FC_SLANT_ITALIC;
    if (equalsIgnoringCase(style, "Oblique"))
        return match.slant != FC_SLANT_ROMAN;
    return equalsIgnoringCase(match.style, style);
}

} // namespace

std::optional<Font> Font::codeFont(std::string_view family, double pointSize) {
    if (auto found = match(family, {}))
        if (equalsIgnoringCase(found->family, family) || found->monospaced)
            return fontFromMatch(*found, pointSize);
    if (auto fallback = match("monospace", {}))
        return fontFromMatch(*fallback, pointSize);
    return std::nullopt;
}

std::optional<Font> Font::face(std::string_view family, std::string_view style, double pointSize) {
    auto found = match(family, style);
    if (!found || !equalsIgnoringCase(found->family, family) || !carriesStyle(*found, style))
        return std::nullopt;
    return fontFromMatch(*found, pointSize);
}

} // namespace SyntaxHighlighter
