// The engine over the real resource bundle and JavaScriptCore.
#include "TestBundle.h"

#include <algorithm>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace SyntaxHighlighter;
using namespace std::string_literals;
using SyntaxHighlighter::Testing::hex;
using SyntaxHighlighter::Testing::sameColor;
using SyntaxHighlighter::Testing::testBundle;

namespace {

// A scratch bundle directory, removed afterwards.
class ScratchBundle {
public:
    ScratchBundle() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qs-bundle-XXXXXX").string();
        m_directory = mkdtemp(pattern.data());
    }
    ~ScratchBundle() { std::filesystem::remove_all(m_directory); }

    void copy(const std::string& name, const std::string& as = {}) {
        std::filesystem::copy_file(testBundle().directory() / name, m_directory / (as.empty() ? name : as));
    }
    void write(const std::string& name, const std::string& content) {
        std::ofstream(m_directory / name) << content;
    }
    ResourceBundle bundle() const { return *ResourceBundle::at(m_directory); }
    const std::filesystem::path& directory() const { return m_directory; }

private:
    std::filesystem::path m_directory;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = SyntaxHighlighter::SyntaxHighlighter::create(testBundle());
        ASSERT_TRUE(engine);
    }
    std::unique_ptr<SyntaxHighlighter::SyntaxHighlighter> engine;
};

TEST_F(EngineTest, StartsWithPojoaqueAndHighlightsInTheCurrentTheme) {
    ASSERT_TRUE(engine->theme());
    EXPECT_TRUE(sameColor(engine->theme()->themeBackgroundColor(), hex(0x181914)));

    auto result = engine->highlight(u"return 1;", "cpp", true);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->text(), u"return 1;");
    EXPECT_TRUE(sameColor(result->attributes(0).foreground, hex(0xb64926))); // keyword
    EXPECT_TRUE(sameColor(result->attributes(7).foreground, hex(0x468966))); // number

    ASSERT_TRUE(engine->setTheme("xcode"));
    result = engine->highlight(u"return 1;", "cpp", true);
    EXPECT_TRUE(sameColor(result->attributes(0).foreground, hex(0xaa0d91)));
}

TEST_F(EngineTest, UnknownOrMissingLanguageFallsBackToDetection) {
    std::u16string code = u"def f(x):\n    return [x for x in range(3)]\n";
    auto detected = engine->highlight(code, std::nullopt, true);
    auto unknown = engine->highlight(code, "no-such-language", true);
    ASSERT_TRUE(detected);
    ASSERT_TRUE(unknown);
    EXPECT_EQ(*detected, *unknown);
    EXPECT_EQ(detected->text(), code);
    // Detection found a language: more than one style.
    EXPECT_GT(detected->runs().size(), 1u);
}

TEST_F(EngineTest, EmptyAndUnusualInputKeepsItsText) {
    const std::u16string inputs[] = {u"", u"\0a\0"s, u"\t\r\n", u"<&>\"'", u"\U0001F600 x = \"\U0001F680\";"};
    for (const auto& input : inputs) {
        auto result = engine->highlight(input, "javascript", true);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->text(), input);
    }
    // A lone surrogate cannot reach the script as it stands.
    auto lone = engine->highlight(u"a\xD800z", "cpp", true);
    ASSERT_TRUE(lone);
    EXPECT_EQ(lone->text(), u"a\uFFFDz");
}

TEST_F(EngineTest, SetThemeReportsEveryChangeAndRefusesUnknownOrEscapingNames) {
    int changes = 0;
    std::shared_ptr<Theme> last;
    engine->setThemeChanged([&](const std::shared_ptr<Theme>& theme) {
        ++changes;
        last = theme;
    });
    auto before = engine->theme();
    for (const char* name : {"no-such-theme", "../SyntaxHighlighter_SyntaxHighlighter.bundle/xcode",
                             "base16/github", "/etc/passwd", "..", "", "xcode.min.css"})
        EXPECT_FALSE(engine->setTheme(std::string_view(name))) << name;
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(engine->theme(), before);

    EXPECT_TRUE(engine->setTheme("xcode"));
    EXPECT_TRUE(engine->setTheme("xcode"));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(last, engine->theme());
    EXPECT_NE(last, before);
}

TEST_F(EngineTest, ListsThemesAndLanguages) {
    auto themes = engine->availableThemes();
    for (const char* name : {"pojoaque", "atom-one-dark", "xcode"})
        EXPECT_NE(std::ranges::find(themes, name), themes.end()) << name;
    EXPECT_TRUE(std::ranges::is_sorted(themes));

    auto languages = engine->supportedLanguages();
    for (const char* name :
         {"swift", "python", "rust", "cpp", "go", "php", "xml", "sql", "json", "javascript"})
        EXPECT_NE(std::ranges::find(languages, name), languages.end()) << name;
}

TEST_F(EngineTest, WithoutAnHTMLImporterTheSlowPathGivesNothing) {
    EXPECT_FALSE(engine->highlight(u"int x;", "cpp", false));
}

TEST(EngineCreationTest, MissingPiecesGiveNoEngine) {
    EXPECT_FALSE(ResourceBundle::at("/nonexistent/bundle"));

    ScratchBundle empty;
    EXPECT_FALSE(SyntaxHighlighter::SyntaxHighlighter::create(empty.bundle()));

    ScratchBundle withoutStartingTheme;
    withoutStartingTheme.copy("highlight.min.js");
    withoutStartingTheme.copy("xcode.min.css");
    EXPECT_FALSE(SyntaxHighlighter::SyntaxHighlighter::create(withoutStartingTheme.bundle()));

    ScratchBundle withoutHljs;
    withoutHljs.write("highlight.min.js", "var notHljs = 1;");
    withoutHljs.copy("pojoaque.min.css");
    EXPECT_FALSE(SyntaxHighlighter::SyntaxHighlighter::create(withoutHljs.bundle()));

    ScratchBundle brokenScript;
    brokenScript.write("highlight.min.js", "var hljs = {; syntax error");
    brokenScript.copy("pojoaque.min.css");
    EXPECT_FALSE(SyntaxHighlighter::SyntaxHighlighter::create(brokenScript.bundle()));

    EXPECT_FALSE(SyntaxHighlighter::SyntaxHighlighter::create(testBundle(), "/nonexistent/highlight.js"));
    EXPECT_FALSE(SyntaxHighlighter::SyntaxHighlighter::create(testBundle(), testBundle().directory()));
}

TEST(EngineCreationTest, AnExplicitScriptStillTakesThemesFromTheBundle) {
    ScratchBundle bundle;
    bundle.copy("pojoaque.min.css");
    bundle.write("plain.css", ".hljs{color:#123456}");
    bundle.write("notes.txt", "not a theme");
    auto engine = SyntaxHighlighter::SyntaxHighlighter::create(bundle.bundle(),
                                                               testBundle().directory() / "highlight.min.js");
    ASSERT_TRUE(engine);
    EXPECT_EQ(engine->availableThemes(), (std::vector<std::string>{"plain.css", "pojoaque"}));
    EXPECT_FALSE(engine->setTheme("xcode"));
    EXPECT_TRUE(engine->highlight(u"x", "cpp", true));
}

TEST(EngineCreationTest, ScriptFailuresGiveNoResultOrNoLanguages) {
    ScratchBundle bundle;
    bundle.copy("pojoaque.min.css");
    bundle.write(
        "highlight.min.js",
        "var hljs = { highlight(l, c) { if (l === 'throw') throw new Error('x');"
        "  if (l === 'novalue') return {}; return { value: 'L<span class=\"hljs-x\">' + c + '</span>' }; },"
        "  highlightAuto(c) { return c === 'none' ? undefined : { value: 'A' + c }; },"
        "  listLanguages() { return ['a', 2]; } };");
    auto engine = SyntaxHighlighter::SyntaxHighlighter::create(bundle.bundle());
    ASSERT_TRUE(engine);
    EXPECT_EQ(engine->highlight(u"c", "ok", true)->text(), u"Lc");
    EXPECT_EQ(engine->highlight(u"c", "throw", true)->text(), u"Ac");
    EXPECT_FALSE(engine->highlight(u"c", "novalue", true));
    EXPECT_FALSE(engine->highlight(u"none", std::nullopt, true));
    // A thrown exception is cleared: the engine goes on working.
    EXPECT_EQ(engine->highlight(u"c", "ok", true)->text(), u"Lc");
    EXPECT_TRUE(engine->supportedLanguages().empty());
}

} // namespace

namespace {

// Run in a copy of this program placed where no bundle lies beside it: the look-up of the
// process-wide bundle fails and creation gives nothing instead of ending the program.
TEST(ModuleBundleTest, AProgramWithoutTheBundleGetsNoEngineAndGoesOn) {
    if (std::getenv("QS_EXPECT_NO_MODULE_BUNDLE")) {
        EXPECT_FALSE(ResourceBundle::module());
        EXPECT_FALSE(SyntaxHighlighter::SyntaxHighlighter::create());
        struct UnusedQueue : MainQueue {
            void async(std::function<void()>) override {}
        };
        EXPECT_FALSE(CodeAttributedString::create(std::make_shared<UnusedQueue>()));
        return;
    }
    if (std::filesystem::exists(std::filesystem::path(QS_TEST_INSTALL_RESOURCE_DIR) /
                                ResourceBundle::kDirectoryName))
        GTEST_SKIP() << "a bundle is installed in the prefix";
    ScratchBundle directory; // used only as an empty place for the program
    std::filesystem::create_directory(directory.directory() / "bin");
    std::filesystem::path program = directory.directory() / "bin" / "tests";
    std::filesystem::copy_file(std::filesystem::read_symlink("/proc/self/exe"), program);

    std::string path = program.string();
    std::string filter = "--gtest_filter=ModuleBundleTest.*";
    char* argv[] = {path.data(), filter.data(), nullptr};
    std::vector<std::string> environment{"QS_EXPECT_NO_MODULE_BUNDLE=1"};
    for (char** variable = environ; *variable; ++variable)
        environment.emplace_back(*variable);
    std::vector<char*> envp;
    for (auto& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, envp.data()), 0);
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
