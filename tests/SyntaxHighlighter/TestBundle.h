#pragma once
// Where the tests find the built resource bundle and what they compare colours with.

#include <SyntaxHighlighter/SyntaxHighlighter.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace SyntaxHighlighter::Testing {

inline std::filesystem::path bundleDirectory() {
    const char* resources = std::getenv("QS_RESOURCE_DIR");
    std::filesystem::path base =
        resources ? resources : std::filesystem::path(QS_TEST_BINARY_DIR) / "share/quillstack";
    return base / ResourceBundle::kDirectoryName;
}

inline ResourceBundle testBundle() {
    auto bundle = ResourceBundle::at(bundleDirectory());
    if (!bundle)
        throw std::runtime_error("no resource bundle at " + bundleDirectory().string());
    return *bundle;
}

inline Color hex(unsigned rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1};
}

inline ::testing::AssertionResult sameColor(const std::optional<Color>& actual, const Color& expected) {
    if (!actual)
        return ::testing::AssertionFailure() << "no colour";
    auto close = [](double a, double b) {
        return std::abs(a - b) < 1e-9;
    };
    if (close(actual->red, expected.red) && close(actual->green, expected.green) &&
        close(actual->blue, expected.blue) && close(actual->alpha, expected.alpha))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "colour (" << actual->red << ", " << actual->green << ", " << actual->blue << ", "
           << actual->alpha << ") expected (" << expected.red << ", " << expected.green << ", "
           << expected.blue << ", " << expected.alpha << ")";
}

} // namespace SyntaxHighlighter::Testing
