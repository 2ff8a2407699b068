#pragma once
// The options that steer parsing, as one 64-bit set.

#include <cstdint>
#include <initializer_list>

namespace Markdown {

class ParseOptions {
public:
    constexpr ParseOptions() = default;
    constexpr explicit ParseOptions(std::uint64_t rawValue) : rawValue_(rawValue) {}
    constexpr ParseOptions(std::initializer_list<ParseOptions> members) {
        for (ParseOptions member : members) {
            rawValue_ |= member.rawValue_;
        }
    }

    // Block directives (and, with parseMinimalDoxygen, Doxygen commands) are recognised.
    static const ParseOptions parseBlockDirectives;
    // A code span opened by two or more backticks becomes a symbol link.
    static const ParseOptions parseSymbolLinks;
    // cmark's smart punctuation stays off.
    static const ParseOptions disableSmartOpts;
    // The block-directive path also recognises Doxygen commands.
    static const ParseOptions parseMinimalDoxygen;
    // cmark's source positions stay off.
    static const ParseOptions disableSourcePosOpts;

    constexpr std::uint64_t rawValue() const { return rawValue_; }
    constexpr bool contains(ParseOptions member) const {
        return (rawValue_ & member.rawValue_) == member.rawValue_;
    }
    constexpr bool isSuperset(ParseOptions other) const { return contains(other); }
    constexpr bool isEmpty() const { return rawValue_ == 0; }

    constexpr friend ParseOptions operator|(ParseOptions a, ParseOptions b) {
        return ParseOptions(a.rawValue_ | b.rawValue_);
    }
    constexpr friend ParseOptions operator&(ParseOptions a, ParseOptions b) {
        return ParseOptions(a.rawValue_ & b.rawValue_);
    }
    constexpr friend bool operator==(ParseOptions, ParseOptions) = default;

private:
    std::uint64_t rawValue_ = 0;
};

inline constexpr ParseOptions ParseOptions::parseBlockDirectives{1};
inline constexpr ParseOptions ParseOptions::parseSymbolLinks{2};
inline constexpr ParseOptions ParseOptions::disableSmartOpts{4};
inline constexpr ParseOptions ParseOptions::parseMinimalDoxygen{8};
inline constexpr ParseOptions ParseOptions::disableSourcePosOpts{16};

} // namespace Markdown
