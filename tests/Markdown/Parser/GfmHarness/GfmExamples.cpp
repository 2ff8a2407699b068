#include "GfmExamples.h"

#include <zlib.h>

#include <stdexcept>
#include <string_view>

namespace Markdown::Testing {

namespace {

// The Debian package cmark-gfm installs its GFM examples under this name; it is the dependency's file.
constexpr const char* kExamplesPath = "/usr/share/doc/cmark-gfm/spec.txt.gz";
constexpr std::string_view kFence = "````````````````````````````````";
constexpr std::string_view kTabArrow = "\xE2\x86\x92"; // U+2192

std::string readGzipFile(const char* path) {
    gzFile file = gzopen(path, "rb");
    if (!file) {
        throw std::runtime_error(std::string("The GFM examples file is missing: ") + path +
                                 " (install the Debian package cmark-gfm)");
    }
    std::string content;
    char buffer[1 << 16];
    int read = 0;
    while ((read = gzread(file, buffer, sizeof buffer)) > 0) {
        content.append(buffer, static_cast<std::size_t>(read));
    }
    const bool failed = read < 0;
    gzclose(file);
    if (failed) {
        throw std::runtime_error(std::string("The GFM examples file cannot be read: ") + path);
    }
    return content;
}

std::string withTabs(std::string_view line) {
    std::string result;
    for (std::size_t i = 0; i < line.size();) {
        if (line.substr(i, kTabArrow.size()) == kTabArrow) {
            result.push_back('\t');
            i += kTabArrow.size();
        } else {
            result.push_back(line[i++]);
        }
    }
    return result;
}

} // namespace

std::string loadGfmExamplesText() {
    return readGzipFile(kExamplesPath);
}

std::vector<GfmExample> loadGfmExamples() {
    const std::string content = loadGfmExamplesText();
    std::vector<GfmExample> examples;
    enum class Section { outside, markdown, html } section = Section::outside;
    std::string heading;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            end = content.size();
        }
        const std::string_view line(content.data() + start, end - start);
        start = end + 1;
        switch (section) {
        case Section::outside:
            if (line.starts_with(kFence) && line.substr(kFence.size()).starts_with(" example")) {
                GfmExample& example = examples.emplace_back();
                example.number = static_cast<int>(examples.size());
                std::string_view rest = line.substr(kFence.size() + 8);
                while (rest.starts_with(' ')) {
                    rest.remove_prefix(1);
                }
                example.extension = std::string(rest);
                example.section = heading;
                section = Section::markdown;
            } else if (line.starts_with('#')) {
                const std::size_t space = line.find(' ');
                heading =
                    space == std::string_view::npos ? std::string() : std::string(line.substr(space + 1));
            }
            break;
        case Section::markdown:
            if (line == ".") {
                section = Section::html;
            } else {
                examples.back().markdown += withTabs(line);
                examples.back().markdown += '\n';
            }
            break;
        case Section::html:
            if (line == kFence) {
                section = Section::outside;
            } else {
                examples.back().html += withTabs(line);
                examples.back().html += '\n';
            }
            break;
        }
    }
    if (examples.empty()) {
        throw std::runtime_error(std::string("No examples found in ") + kExamplesPath);
    }
    return examples;
}

} // namespace Markdown::Testing
