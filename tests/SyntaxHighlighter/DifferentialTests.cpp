// highlight.js under JavaScriptCore against the same bundled script under Node.js, and the styled
// text made from its output: same HTML, same text as the input, one style per class stack, and
// the colours the themes give.
#include "TestBundle.h"

#include <SyntaxHighlighter/HighlightScript.h>
#include <SyntaxHighlighter/UTF.h>

#include <fstream>
#include <map>
#include <spawn.h>
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

// The HTML Node.js produces for each sample, or none when Node.js is not installed.
std::optional<std::vector<std::optional<std::string>>> nodeHTML(const std::vector<Sample>& samples) {
    const std::filesystem::path node = "/usr/bin/node";
    if (!std::filesystem::exists(node))
        return std::nullopt;
    std::string pattern = (std::filesystem::temp_directory_path() / "qs-node-XXXXXX").string();
    std::filesystem::path directory = mkdtemp(pattern.data());
    std::filesystem::path input = directory / "input";
    std::filesystem::path output = directory / "output";
    {
        std::ofstream file(input);
        for (const Sample& sample : samples)
            file << sample.language.value_or("-") << ' ' << toHex(utf16ToUtf8(sample.code)) << '\n';
    }
    std::string script = std::string(QS_TEST_SOURCE_DIR) + "/tests/SyntaxHighlighter/node_highlight.js";
    std::string highlightJS = (testBundle().directory() / "highlight.min.js").string();
    std::string inputPath = input.string();
    std::string outputPath = output.string();
    std::string nodePath = node.string();
    char* argv[] = {nodePath.data(),  script.data(),     highlightJS.data(),
                    inputPath.data(), outputPath.data(), nullptr};
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, nodePath.c_str(), nullptr, nullptr, argv, environ) == 0)
        waitpid(pid, &status, 0);
    std::vector<std::optional<std::string>> results;
    std::ifstream file(output);
    for (std::string line; std::getline(file, line);)
        results.push_back(line == "-" ? std::nullopt : std::optional(fromHex(line)));
    std::filesystem::remove_all(directory);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "node failed";
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
    auto expected = nodeHTML(corpus());
    if (!expected)
        GTEST_SKIP() << "Node.js is not installed";
    ASSERT_EQ(expected->size(), corpus().size());
    for (std::size_t i = 0; i < corpus().size(); ++i) {
        auto html = javaScriptCoreHTML(*script, corpus()[i]);
        ASSERT_TRUE(html) << "sample " << i;
        ASSERT_TRUE((*expected)[i]) << "sample " << i;
        EXPECT_EQ(*html, *(*expected)[i]) << "sample " << i;
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

} // namespace
