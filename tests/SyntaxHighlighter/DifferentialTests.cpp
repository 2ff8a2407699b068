// highlight.js under JavaScriptCore against the same bundled script under Node.js, and the styled
// text made from its output: same HTML, same text as the input, one style per class stack, and
// the colours the themes give.
#include "TestBundle.h"

#include <SyntaxHighlighter/HighlightScript.h>
#include <SyntaxHighlighter/UTF.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace SyntaxHighlighter;
using SyntaxHighlighter::Testing::hex;
using SyntaxHighlighter::Testing::sameColor;
using SyntaxHighlighter::Testing::testBundle;

namespace {

struct Sample {
    std::optional<std::string> language;
    std::u16string code;
};

const std::vector<Sample>& corpus() {
    static const std::vector<Sample> samples{
        {"cpp", u"#include <vector>\r\n#include \"a.h\"\r\n\r\ntemplate <typename T>\r\nint f(T& t) {\r\n"
                u"\treturn t < 3 && t > 1 ? 0x1F : -2; // \u00e9 & done\r\n}\r\n"},
        {"python",
         u"def greet(name: str) -> str:\n    \"\"\"Say hi \U0001F600\"\"\"\n"
         u"    return f\"hi {name!r} & <bye>\"  # \U0001F680 rocket\n\n@decorator\nclass A(B):\n\tpass\n"},
        {"javascript",
         u"const re = /a&b<c/g;\nlet s = `x ${a + `y ${b}`} &amp; z`;\n"
         u"const f = async (x) => { return x?.y ?? 'q\\'s'; };\nconsole.log(\"&#x1F600;\", '\U0001F9E1');\n"},
        {"json", u"{\"a\": [1, 2.5e3, true, null], \"b\": \"\\u00e9 <&>\", \"\U0001F600\": {}}\n"},
        {"html", u"<!DOCTYPE html>\n<html lang=\"en\"><head><style>p { color: red; }</style>"
                 u"<script>if (a < b && c) { x = '&lt;'; }</script></head>\n"
                 u"<body><p class=\"x\">Tom &amp; Jerry &copy; &#169; \U0001F600</p></body></html>\n"},
        {"sql", u"SELECT a.id, COUNT(*) AS n\r\nFROM t a WHERE a.name <> 'O''Brien' -- c\r\nGROUP BY 1;\r\n"},
        {"rust",
         u"fn main() -> Result<(), Box<dyn Error>> {\n    let v: Vec<&str> = vec![\"a\", \"\U0001F600\"];\n"
         u"    println!(\"{:?}\", v); Ok(())\n}\n"},
        {"go", u"package main\n\nimport \"fmt\"\n\nfunc main() {\n\tch := make(chan int)\n\tgo func() { ch "
               u"<- 1 }()\n"
               u"\tfmt.Println(<-ch, \"\u4e16\u754c\")\n}\n"},
        {"swift", u"func f(_ x: Int) -> String {\n    let s = \"\\(x) \U0001F600\"\n    return s.count > 1 ? "
                  u"s : \"\"\n}\n"},
        {"php", u"<?php\n$a = ['k' => \"v & w\"];\necho htmlspecialchars($a['k']) . \"<br>\";\n?>\n"},
        {"cpp", u""},
        {"cpp", u"\t\t\r\n\r\n  \t"},
        {"no-such-language", u"SELECT name FROM users WHERE id = 1;\n"},
        {std::nullopt, u"def f(x):\n    return [i * 2 for i in range(x)]\n"},
        {std::nullopt, u"plain words & <symbols> \U0001F600\r\nsecond line\r\n"},
        {"javascript", u"a\rb\rc = \"old mac line endings\";\r"},
    };
    return samples;
}

// Real code, one file per language under corpus/, each named after its highlight.js language.
const std::vector<Sample>& realCode() {
    static const std::vector<Sample> samples = [] {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(std::string(QS_TEST_SOURCE_DIR) +
                                                                     "/tests/SyntaxHighlighter/corpus"))
            files.push_back(entry.path());
        std::ranges::sort(files);
        std::vector<Sample> loaded;
        for (const auto& file : files)
            loaded.push_back({file.stem().string(), utf8ToUtf16(readFile(file).value())});
        return loaded;
    }();
    return samples;
}

std::string toHex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string fromHex(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out += static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16));
    return out;
}

// What Node.js gives for one sample: the script's HTML, and the reference style of its text in
// each stylesheet asked for, as the runs node_highlight.js writes.
struct NodeOutput {
    std::optional<std::string> html;
    std::vector<std::string> styles;
};

// Runs the bundled script under Node.js over the samples, styling the output with the given
// stylesheets of the bundle. Node.js is part of the build's requirements (it installs
// highlight.js), so its absence fails the test instead of skipping it.
std::vector<NodeOutput> runNode(const std::vector<Sample>& samples,
                                const std::vector<std::string>& stylesheets = {}) {
    const std::filesystem::path node = QS_TEST_NODE;
    if (node.empty() || !std::filesystem::exists(node)) {
        ADD_FAILURE() << "Node.js was not found when the build was configured; scripts/setup.sh installs it";
        return {};
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "qs-node-XXXXXX").string();
    std::filesystem::path directory = mkdtemp(pattern.data());
    std::filesystem::path input = directory / "input";
    std::filesystem::path output = directory / "output";
    {
        std::ofstream file(input);
        for (const Sample& sample : samples)
            file << sample.language.value_or("-") << ' ' << toHex(utf16ToUtf8(sample.code)) << '\n';
    }
    std::vector<std::string> arguments{
        node.string(), std::string(QS_TEST_SOURCE_DIR) + "/tests/SyntaxHighlighter/node_highlight.js",
        (testBundle().directory() / "highlight.min.js").string(), input.string(), output.string()};
    for (const std::string& name : stylesheets)
        arguments.push_back((testBundle().directory() / (name + ".min.css")).string());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    std::vector<NodeOutput> results;
    std::ifstream file(output);
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string html;
        fields >> html;
        NodeOutput result{html == "-" ? std::nullopt : std::optional(fromHex(html)), {}};
        for (std::string style; fields >> style;)
            result.styles.push_back(style);
        results.push_back(std::move(result));
    }
    std::filesystem::remove_all(directory);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "node failed";
    EXPECT_EQ(results.size(), samples.size());
    return results;
}

// The engine's script calls, made directly: the named language, else detection.
std::optional<std::string> javaScriptCoreHTML(HighlightScript& script, const Sample& sample) {
    std::string code = utf16ToUtf8(sample.code);
    HighlightScript::Output output;
    if (sample.language)
        output = script.highlight(*sample.language, code, false);
    if (output.kind == HighlightScript::Output::Kind::Undefined)
        output = script.highlightAuto(code);
    if (output.kind != HighlightScript::Output::Kind::HTML)
        return std::nullopt;
    return output.html;
}

// The class stack of every UTF-16 unit of the decoded text, read from the HTML independently of
// the engine's scanner.
std::vector<std::string> classStacks(std::u16string_view html) {
    std::vector<std::string> stack{"hljs"};
    std::vector<std::string> perUnit;
    auto key = [&] {
        std::string joined;
        for (const auto& name : stack)
            joined += name + "/";
        return joined;
    };
    for (std::size_t i = 0; i < html.size();) {
        if (html[i] == u'<') {
            std::size_t close = html.find(u'>', i);
            if (html[i + 1] == u'/') {
                stack.pop_back();
            } else {
                std::size_t quote = html.find(u'"', i);
                stack.push_back(utf16ToUtf8(html.substr(quote + 1, html.find(u'"', quote + 1) - quote - 1)));
            }
            i = close + 1;
        } else if (html[i] == u'&') {
            std::size_t semicolon = html.find(u';', i);
            auto scalar = HTMLUtils::decode(html.substr(i, semicolon - i + 1));
            EXPECT_TRUE(scalar) << utf16ToUtf8(html.substr(i, semicolon - i + 1));
            for (int units = scalar && *scalar > 0xFFFF ? 2 : 1; units > 0; --units)
                perUnit.push_back(key());
            i = semicolon + 1;
        } else {
            perUnit.push_back(key());
            ++i;
        }
    }
    return perUnit;
}

// The style the reference cascade gives one UTF-16 unit.
struct ReferenceStyle {
    std::optional<Color> foreground;
    std::optional<Color> background;
    bool bold = false;
    bool italic = false;
};

std::optional<Color> referenceColour(const std::string& field) {
    if (field == "-")
        return std::nullopt;
    return hex(static_cast<unsigned>(std::stoul(field, nullptr, 16)));
}

// Expands the runs "<units>:<colour>:<background>:<b|i|bi|n>" that node_highlight.js writes.
std::vector<ReferenceStyle> referenceUnits(const std::string& runs) {
    std::vector<ReferenceStyle> units;
    if (runs == "-")
        return units;
    std::istringstream list(runs);
    for (std::string run; std::getline(list, run, ',');) {
        std::istringstream fields(run);
        std::string count, colour, background, face;
        std::getline(fields, count, ':');
        std::getline(fields, colour, ':');
        std::getline(fields, background, ':');
        std::getline(fields, face, ':');
        ReferenceStyle style{referenceColour(colour), referenceColour(background),
                             face.find('b') != std::string::npos, face.find('i') != std::string::npos};
        units.insert(units.end(), std::stoul(count), style);
    }
    return units;
}

// A piece of code for a report on one line.
std::string printable(std::u16string_view code) {
    std::string text;
    for (char c : utf16ToUtf8(code))
        text += c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : std::string(1, c);
    return text;
}

std::string describe(const std::optional<Color>& colour) {
    if (!colour)
        return "none";
    char text[8];
    std::snprintf(text, sizeof text, "#%02lx%02lx%02lx", std::lround(colour->red * 255),
                  std::lround(colour->green * 255), std::lround(colour->blue * 255));
    return text;
}

// How the styled unit differs from the reference, as the user would see it, or "" when it does
// not. A unit without a background of its own shows the theme's background. Text shows one face:
// bold where the stylesheet gives bold and italic together.
std::string difference(const TextAttributes& actual, const ReferenceStyle& expected, const Theme& theme) {
    std::string found;
    bool sameForeground =
        expected.foreground ? bool(sameColor(actual.foreground, *expected.foreground)) : !actual.foreground;
    if (!sameForeground)
        found +=
            "colour " + describe(actual.foreground) + " instead of " + describe(expected.foreground) + "; ";
    std::optional<Color> shown = actual.background ? actual.background : theme.themeBackgroundColor();
    bool sameBackground =
        expected.background ? bool(sameColor(shown, *expected.background)) : !actual.background;
    if (!sameBackground)
        found += "background " + describe(shown) + " instead of " + describe(expected.background) + "; ";
    const std::optional<Font>& face = expected.bold     ? theme.boldCodeFont()
                                      : expected.italic ? theme.italicCodeFont()
                                                        : theme.codeFont();
    if (actual.font != face)
        found += std::string("face instead of ") + (expected.bold     ? "bold"
                                                    : expected.italic ? "italic"
                                                                      : "plain");
    return found;
}

class DifferentialTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        auto source = readFile(testBundle().directory() / "highlight.min.js");
        ASSERT_TRUE(source);
        script = HighlightScript::load(*source).release();
        engine = SyntaxHighlighter::SyntaxHighlighter::create(testBundle()).release();
        ASSERT_TRUE(script && engine);
    }
    static void TearDownTestSuite() {
        delete script;
        delete engine;
    }
    static inline HighlightScript* script = nullptr;
    static inline SyntaxHighlighter::SyntaxHighlighter* engine = nullptr;
};

TEST_F(DifferentialTest, JavaScriptCoreAndNodeProduceTheSameHTML) {
    auto expected = runNode(corpus());
    ASSERT_EQ(expected.size(), corpus().size());
    for (std::size_t i = 0; i < corpus().size(); ++i) {
        auto html = javaScriptCoreHTML(*script, corpus()[i]);
        ASSERT_TRUE(html) << "sample " << i;
        ASSERT_TRUE(expected[i].html) << "sample " << i;
        EXPECT_EQ(*html, *expected[i].html) << "sample " << i;
    }
}

TEST_F(DifferentialTest, StyledTextKeepsTheInputAndStylesEachClassStackAlike) {
    for (const char* themeName : {"atom-one-dark", "xcode", "pojoaque"}) {
        ASSERT_TRUE(engine->setTheme(themeName));
        for (std::size_t i = 0; i < corpus().size(); ++i) {
            const Sample& sample = corpus()[i];
            auto styled = engine->highlight(sample.code, sample.language, true);
            ASSERT_TRUE(styled) << "sample " << i;
            EXPECT_EQ(styled->text(), sample.code) << "sample " << i;

            auto stacks = classStacks(utf8ToUtf16(*javaScriptCoreHTML(*script, sample)));
            ASSERT_EQ(stacks.size(), styled->length()) << "sample " << i;
            std::map<std::string, TextAttributes> styleOfStack;
            for (std::size_t unit = 0; unit < stacks.size(); ++unit) {
                const TextAttributes& attributes = styled->attributes(unit);
                auto [entry, inserted] = styleOfStack.emplace(stacks[unit], attributes);
                EXPECT_TRUE(inserted || entry->second == attributes)
                    << themeName << " sample " << i << " unit " << unit << " stack " << stacks[unit];
            }
        }
    }
}

TEST_F(DifferentialTest, ThemesColourTheClassesAsTheirStylesheetsSay) {
    struct Case {
        const char* theme;
        const char* innermostClass;
        unsigned colour;
        bool italic;
    };
    const Case cases[] = {
        {"atom-one-dark", "hljs", 0xabb2bf, false},
        {"atom-one-dark", "hljs-keyword", 0xc678dd, false},
        {"atom-one-dark", "hljs-string", 0x98c379, false},
        {"atom-one-dark", "hljs-comment", 0x5c6370, true},
        {"atom-one-dark", "hljs-number", 0xd19a66, false},
        {"atom-one-dark", "hljs-type", 0xd19a66, false},
        {"xcode", "hljs", 0x000000, false},
        {"xcode", "hljs-keyword", 0xaa0d91, false},
        {"xcode", "hljs-string", 0xc41a16, false},
        {"xcode", "hljs-comment", 0x007400, false},
        {"xcode", "hljs-number", 0x1c00cf, false},
        {"xcode", "hljs-type", 0x5c2699, false},
        {"pojoaque", "hljs", 0xdccf8f, false},
        {"pojoaque", "hljs-keyword", 0xb64926, false},
        {"pojoaque", "hljs-string", 0x468966, false},
        {"pojoaque", "hljs-comment", 0x586e75, true},
        {"pojoaque", "hljs-number", 0x468966, false},
        {"pojoaque", "hljs-type", 0xb58900, false},
    };
    const Sample sample{"cpp", u"int main() {\n    const char* s = \"hi\";\n    return 42; // done\n}\n"};
    auto stacks = classStacks(utf8ToUtf16(*javaScriptCoreHTML(*script, sample)));
    for (const Case& c : cases) {
        ASSERT_TRUE(engine->setTheme(c.theme));
        auto styled = engine->highlight(sample.code, sample.language, true);
        ASSERT_TRUE(styled);
        std::string wanted = std::string(c.innermostClass) + "/";
        int checked = 0;
        for (std::size_t unit = 0; unit < stacks.size(); ++unit) {
            if (!stacks[unit].ends_with("/" + wanted) && stacks[unit] != wanted)
                continue;
            ++checked;
            const TextAttributes& attributes = styled->attributes(unit);
            EXPECT_TRUE(sameColor(attributes.foreground, hex(c.colour)))
                << c.theme << " " << c.innermostClass;
            EXPECT_EQ(attributes.font,
                      c.italic ? engine->theme()->italicCodeFont() : engine->theme()->codeFont())
                << c.theme << " " << c.innermostClass;
        }
        EXPECT_GT(checked, 0) << c.theme << " " << c.innermostClass;
    }
}

// Per character, over real code in many languages, the engine's colours, backgrounds and faces
// against the cascade of the stylesheets the application uses, computed by the reference under
// Node.js from the same script's output.
TEST_F(DifferentialTest, RealCodeShowsWhatTheStylesheetCascadeGives) {
    const std::vector<std::string> themes{"xcode", "atom-one-dark"};
    auto reference = runNode(realCode(), themes);
    ASSERT_EQ(reference.size(), realCode().size());
    for (std::size_t t = 0; t < themes.size(); ++t) {
        ASSERT_TRUE(engine->setTheme(themes[t]));
        const Theme& theme = *engine->theme();
        std::size_t units = 0;
        std::size_t differing = 0;
        for (std::size_t i = 0; i < realCode().size(); ++i) {
            const Sample& sample = realCode()[i];
            const std::string& language = *sample.language;
            auto styled = engine->highlight(sample.code, sample.language, true);
            ASSERT_TRUE(styled) << language;
            ASSERT_EQ(styled->text(), sample.code) << language;
            ASSERT_TRUE(reference[i].html) << language;
            ASSERT_EQ(reference[i].styles.size(), themes.size()) << language;
            auto expected = referenceUnits(reference[i].styles[t]);
            ASSERT_EQ(expected.size(), styled->length()) << language;

            // One line per class stack that differs, with the text where it first does.
            auto stacks = classStacks(utf8ToUtf16(*reference[i].html));
            std::set<std::string> reported;
            std::string report;
            for (std::size_t unit = 0; unit < expected.size(); ++unit) {
                ++units;
                std::string found = difference(styled->attributes(unit), expected[unit], theme);
                if (found.empty())
                    continue;
                ++differing;
                if (reported.insert(stacks[unit]).second)
                    report += "  \"" + printable(sample.code.substr(unit, 12)) + "\" in " + stacks[unit] +
                              ": " + found + "\n";
            }
            EXPECT_TRUE(report.empty()) << themes[t] << ", " << language << ":\n" << report;
        }
        EXPECT_EQ(differing, 0u) << themes[t] << ": " << differing << " of " << units
                                 << " characters differ from the stylesheet";
    }
}

} // namespace
