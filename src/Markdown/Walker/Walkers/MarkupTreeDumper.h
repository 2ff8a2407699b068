#pragma once

#include "Markdown/Walker/MarkupWalker.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Markdown {

/// What a tree dump shows besides each element's type and details.
struct MarkupDumpOptions {
    std::uint64_t rawValue = 0;

    static constexpr std::uint64_t printSourceLocationsBit = 1;
    static constexpr std::uint64_t printUniqueIdentifiersBit = 2;
    static MarkupDumpOptions printSourceLocations() { return {printSourceLocationsBit}; }
    static MarkupDumpOptions printUniqueIdentifiers() { return {printUniqueIdentifiersBit}; }
    static MarkupDumpOptions printEverything() {
        return {printSourceLocationsBit | printUniqueIdentifiersBit};
    }

    bool contains(MarkupDumpOptions other) const { return (rawValue & other.rawValue) == other.rawValue; }
    friend MarkupDumpOptions operator|(MarkupDumpOptions a, MarkupDumpOptions b) {
        return {a.rawValue | b.rawValue};
    }
    friend bool operator==(MarkupDumpOptions a, MarkupDumpOptions b) = default;
};

/// Dumps a subtree as an outline, one line per element, drawn with box-drawing connectors:
///
///     Document
///     ├─ Heading level: 1
///     │  └─ Text "Title"
///     └─ CodeBlock language: swift
///        let x = 1
///
/// Each line: the element's type name, " @" and its range (with `printSourceLocations`), " Root #" and the
/// root identifier for a true root and " #" and the child identifier (with `printUniqueIdentifiers`), then
/// the element's details. Literal text (code, HTML, directive arguments) follows on lines of its own,
/// indented where the element's children would be; its empty lines are kept, except the one after a final
/// line feed. Table column alignments print as "l", "c", "r", or "-" for none. The output has no final
/// newline. The walk keeps its own stack, so any depth can be dumped.
class MarkupTreeDumper : public MarkupWalker<MarkupTreeDumper> {
public:
    explicit MarkupTreeDumper(MarkupDumpOptions options = {}) : options(options) {}

    /// Appends the lines of `markup` and its whole subtree to `result`.
    void visit(const Markup& markup);
    void defaultVisit(const Markup& markup) { visit(markup); }

    MarkupDumpOptions options;
    std::string result;
    /// The elements from the dumped root down to the parent of the element being printed.
    std::vector<Markup> path;

private:
    void dump(const Markup& element, const std::string& customDescription);
    std::string lineIndentPrefix() const;
    std::string detailText(const Markup& element) const;
    std::string literalBlock(const std::string& text, const Markup& element) const;
};

} // namespace Markdown
