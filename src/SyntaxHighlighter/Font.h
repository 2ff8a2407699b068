#pragma once
// Font descriptors resolved through fontconfig.

#include <optional>
#include <string>
#include <string_view>

namespace SyntaxHighlighter {

// A concrete installed face: family and style as fontconfig names them, weight on the CSS scale
// (400 regular, 700 bold), and the size in points.
struct Font {
    std::string family;
    std::string style;
    int weight = 400;
    bool italic = false;
    double pointSize = 0;

    // Look-ups are cached per process, so repeated ones cost a map search.

    // A monospaced code font: the family when installed or substituted by a monospaced face,
    // else the system's monospace font.
    static std::optional<Font> codeFont(std::string_view family, double pointSize);
    // The face of the given family that carries the named style ("Bold", "Italic", "Oblique"),
    // or none when the family has no such face.
    static std::optional<Font> face(std::string_view family, std::string_view style, double pointSize);

    bool operator==(const Font&) const = default;
};

} // namespace SyntaxHighlighter
