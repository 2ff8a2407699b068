#pragma once
// A small tree of what two Markdown parses must agree on: node kinds, literals, the payloads a
// conversion reads, and source positions in cmark's convention ("line:column-line:column").

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Markdown::Testing {

struct ComparableNode {
    std::string kind;
    std::string sourcepos; // empty when the node has no position
    std::string literal;
    // Only the payloads compared: level, type and start (lists), info, destination, title, align,
    // completed; empty values are left out.
    std::map<std::string, std::string> payload;
    std::vector<ComparableNode> children;

    friend bool operator==(const ComparableNode&, const ComparableNode&) = default;
};

// Reads the XML that `cmark-gfm -t xml` prints. Throws std::runtime_error on malformed XML.
ComparableNode comparableTreeFromCmarkXml(std::string_view xml);

// One line per node, indented by depth: easy to diff in a test failure.
std::string describe(const ComparableNode& root);

} // namespace Markdown::Testing
