#pragma once
// Compares a parsed document with the parse of its printed form, element by element: kinds, payloads and
// children, never source ranges. The printer loses a few things by design; each is allowed only in the
// exact form the printer produces (see StructuralComparison.cpp), so any other change of structure is
// reported.

#include <Markdown/Markdown.h>

#include <optional>
#include <string>

namespace FormatterTest {

struct StructuralDifference {
    /// The element where the trees part, as kinds and positions from the root ("document/2:paragraph").
    std::string path;
    /// The differing subtrees, one element a line.
    std::string expected;
    std::string actual;
};

/// Where the parse of `original` printed with `options` parts from `original`; nothing when the two agree up
/// to the printer's named losses. Texts that Markdown would read as syntax are escaped before printing
/// (the printer writes text unescaped by design; StructuralComparison.cpp says why this is the allowance).
std::optional<StructuralDifference> roundTripDifference(const Markdown::Markup& original,
                                                        const Markdown::MarkupFormatter::Options& options);

/// The first difference between `original` and `reprinted`, a parse of `original` printed with `options`;
/// nothing when they agree up to the printer's named losses other than unescaped text.
std::optional<StructuralDifference>
firstStructuralDifference(const Markdown::Markup& original, const Markdown::Markup& reprinted,
                          const Markdown::MarkupFormatter::Options& options);

} // namespace FormatterTest
