#include "ResourceBundle.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace SyntaxHighlighter {
namespace {

bool isSafeName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos && name.find("..") == std::string_view::npos;
}

std::vector<std::filesystem::path> candidateDirectories() {
    std::vector<std::filesystem::path> candidates;
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        candidates.push_back(executable.parent_path().parent_path() / "share" / "quillstack");
    candidates.emplace_back(QS_SYNTAXHIGHLIGHTER_INSTALL_RESOURCE_DIR);
    return candidates;
}

} // namespace

const std::optional<ResourceBundle>& ResourceBundle::module() {
    static const std::optional<ResourceBundle> bundle = [] {
        for (const auto& directory : candidateDirectories())
            if (auto found = at(directory / kDirectoryName))
                return found;
        return std::optional<ResourceBundle>();
    }();
    return bundle;
}

std::optional<ResourceBundle> ResourceBundle::at(const std::filesystem::path& directory) {
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error))
        return std::nullopt;
    return ResourceBundle(directory);
}

std::optional<std::filesystem::path> ResourceBundle::pathForResource(std::string_view name,
                                                                     std::string_view type) const {
    if (!isSafeName(name) || !isSafeName(type))
        return std::nullopt;
    std::filesystem::path path = m_directory / (std::string(name) + "." + std::string(type));
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    return path;
}

std::vector<std::string> ResourceBundle::resourceNames(std::string_view type) const {
    std::vector<std::string> names;
    std::string suffix = "." + std::string(type);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_directory, error)) {
        std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() && name.ends_with(suffix) && entry.is_regular_file(error))
            names.push_back(std::move(name));
    }
    return names;
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad())
        return std::nullopt;
    return std::move(content).str();
}

} // namespace SyntaxHighlighter
