#pragma once
// Hostile Markdown for the robustness tests and the libFuzzer target: a seeded generator of random
// mixtures of every construct the parser treats specially, and one pass of every consumer over a text.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace Markdown::Fuzz {

/// Makes random documents from a seed: blocks nested in quotes, lists and directives, tables with spans,
/// attribute spans and their definitions, Doxygen commands, HTML, fences, links across line breaks,
/// invalid UTF-8, now and then thousands of nesting levels; then a few random byte edits.
class HostileMarkdownGenerator {
public:
    explicit HostileMarkdownGenerator(std::uint64_t seed) : random_(seed) {}

    std::string next();

private:
    int below(int bound) { return static_cast<int>(random_() % static_cast<std::uint64_t>(bound)); }
    bool chance(int percent) { return below(100) < percent; }

    std::string blocks(int depth);
    std::string block(int depth);
    std::string inlines(int depth);
    std::string inlinePiece(int depth);
    std::string word();
    std::string directiveArguments();
    std::string table();
    std::string deepNesting();
    void mutate(std::string& text);

    std::mt19937_64 random_;
};

/// Parses `text` plain, with directives and Doxygen commands, and with symbol links; prints each document
/// as Markdown (default and wrapping options), as HTML and as a dump; walks and rewrites it; and parses the
/// printed Markdown again. Throws what the library throws.
void exerciseMarkdown(std::string_view text);

} // namespace Markdown::Fuzz
