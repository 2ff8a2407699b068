#pragma once
// The directory "SyntaxHighlighter_SyntaxHighlighter.bundle" that holds highlight.js
// ("highlight.min.js") and its themes ("<name>.min.css").

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SyntaxHighlighter {

class ResourceBundle {
public:
    static constexpr std::string_view kDirectoryName = "SyntaxHighlighter_SyntaxHighlighter.bundle";

    // The process-wide bundle, looked up once: beside the program (<exe dir>/../share/quillstack,
    // which is also the build tree's layout), then in the install prefix. None when neither has it.
    static const std::optional<ResourceBundle>& module();
    // The bundle at an explicit path (the bundle directory itself); none when it is no directory.
    static std::optional<ResourceBundle> at(const std::filesystem::path& directory);

    const std::filesystem::path& directory() const { return m_directory; }

    // The path of the resource "<name>.<type>", when such a regular file exists. Names that would
    // leave the bundle ("/", "..", NUL) give none.
    std::optional<std::filesystem::path> pathForResource(std::string_view name, std::string_view type) const;
    // The file names of all resources of a type.
    std::vector<std::string> resourceNames(std::string_view type) const;

private:
    explicit ResourceBundle(std::filesystem::path directory) : m_directory(std::move(directory)) {}
    std::filesystem::path m_directory;
};

// The whole content of a file; none when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& path);

} // namespace SyntaxHighlighter
