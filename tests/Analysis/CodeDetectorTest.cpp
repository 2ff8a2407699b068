#include "Analysis/CodeDetector.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct CodeCase {
    const char* name;
    QString text;
    std::optional<QString> source;
    bool isCode;
};

class CodeDetectorIsCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CodeDetectorIsCode, ScoresTheText) {
    const CodeCase& c = GetParam();
    EXPECT_EQ(CodeDetector::isCode(c.text, c.source), c.isCode) << c.name;
}

const QString kEditor = QStringLiteral("org.kde.kate");

INSTANTIATE_TEST_SUITE_P(
    Cases, CodeDetectorIsCode,
    ::testing::Values(
        // A single line of 120 characters is never code; at 121 it is scored.
        CodeCase{"line120",
                 QStringLiteral("let ") + QStringLiteral("f(a); ").repeated(19) + QStringLiteral("ab"),
                 kEditor, false},
        CodeCase{"line121",
                 QStringLiteral("let ") + QStringLiteral("f(a); ").repeated(19) + QStringLiteral("abc"),
                 std::nullopt, true},
        // Two plain lines from an editor score exactly 2 (the editor bonus).
        CodeCase{"editorTwoLines", QStringLiteral("hello there\nworld"), kEditor, true},
        CodeCase{"otherAppTwoLines", QStringLiteral("hello there\nworld"), QStringLiteral("firefox-esr"),
                 false},
        CodeCase{"editorIdIsCaseSensitive", QStringLiteral("hello there\nworld"),
                 QStringLiteral("org.kde.Kate"), false},
        // 3 lines with 1 indented (0.33) earn the indentation point, 4 lines with 1 (0.25) do not.
        CodeCase{"indentThird", QStringLiteral("aaaa aaaa\n    bbbb\ncccc {"), std::nullopt, true},
        CodeCase{"indentQuarter", QStringLiteral("aaaa aaaa\n    bbbb\ncccc\ndddd {"), std::nullopt, false},
        CodeCase{"tabIndent", QStringLiteral("aaaa aaaa\n\tbbbb\ncccc {"), std::nullopt, true},
        // A CR LF pair counts as two line ends, so this text has three lines.
        CodeCase{"crlfMakesThreeLines", QStringLiteral("a\r\n    b {"), std::nullopt, true},
        CodeCase{"lfMakesTwoLines", QStringLiteral("a\n    b {"), std::nullopt, false},
        // Short assignments with semicolons starting with a keyword: symbols + keyword.
        CodeCase{"letAssignments", QStringLiteral("let a = 1;\nlet b = 2;"), std::nullopt, true},
        // Prose with a keyword but no symbols: keyword +1, prose -1.
        CodeCase{"prose",
                 QStringLiteral("We import goods from abroad. They arrive weekly.\nThe port is busy. Trucks "
                                "leave at dawn.\nNothing else happens here."),
                 std::nullopt, false},
        // ". " costs a point only when there is neither ";" nor "{".
        CodeCase{"proseMarkWithSemicolon", QStringLiteral("let x = 1. y = 2;\nz"), std::nullopt, true},
        CodeCase{"proseMarkWithoutSemicolon", QStringLiteral("let x = 1. y = 2\nz"), std::nullopt, false},
        CodeCase{"emptyText", QString(), kEditor, false}),
    [](const ::testing::TestParamInfo<CodeCase>& info) { return std::string(info.param.name); });

struct LanguageCase {
    const char* name;
    QString text;
    std::optional<QString> language;
};

class CodeDetectorGuessLanguage : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(CodeDetectorGuessLanguage, FirstRuleWins) {
    const LanguageCase& c = GetParam();
    EXPECT_EQ(CodeDetector::guessLanguage(c.text), c.language) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CodeDetectorGuessLanguage,
    ::testing::Values(
        LanguageCase{"swiftBeforeGo", QStringLiteral("package main\nfunc f() { let x = 1 }"),
                     QStringLiteral("swift")},
        LanguageCase{"python", QStringLiteral("def f(x):\n    return x"), QStringLiteral("python")},
        LanguageCase{"rust", QStringLiteral("fn main() -> i32 { 0 }"), QStringLiteral("rust")},
        LanguageCase{"cpp", QStringLiteral("#include <stdio.h>"), QStringLiteral("cpp")},
        LanguageCase{"go", QStringLiteral("package main\nfunc main() {}"), QStringLiteral("go")},
        LanguageCase{"php", QStringLiteral("<?php echo 1;"), QStringLiteral("php")},
        LanguageCase{"html", QStringLiteral("<div>x</div>"), QStringLiteral("html")},
        LanguageCase{"sqlUpper", QStringLiteral("SELECT a FROM b"), QStringLiteral("sql")},
        LanguageCase{"sqlLower", QStringLiteral("select * from b"), QStringLiteral("sql")},
        LanguageCase{"sqlOtherCase", QStringLiteral("select a from b"), std::nullopt},
        LanguageCase{"jsonObject", QStringLiteral("{\"a\": \"x => y\"}"), QStringLiteral("json")},
        LanguageCase{"jsonArray", QStringLiteral("[1, 2, 3]"), QStringLiteral("json")},
        LanguageCase{"jsonAfterSpace", QStringLiteral(" {\"a\": 1}"), std::nullopt},
        LanguageCase{"jsonAfterSpaceFallsToJs", QStringLiteral("\n{\"a\": \"=>\"}"),
                     QStringLiteral("javascript")},
        LanguageCase{"brokenJsonFallsToJs", QStringLiteral("{ a => b }"), QStringLiteral("javascript")},
        LanguageCase{"javascript", QStringLiteral("console.log(1)"), QStringLiteral("javascript")},
        LanguageCase{"nothing", QStringLiteral("plain words"), std::nullopt}),
    [](const ::testing::TestParamInfo<LanguageCase>& info) { return std::string(info.param.name); });

// Two plain lines score only through the application they were copied from.
TEST(CodeDetector, EditorFamiliesEarnTheBonusAsTheirInstallersNameThem) {
    struct Case {
        const char* id;
        bool editor;
    };
    const Case cases[] = {
        // JetBrains IDEs from their tarballs, and from the Toolbox with the installation's id.
        {"jetbrains-idea", true},
        {"jetbrains-pycharm-ce", true},
        {"jetbrains-goland", true},
        {"jetbrains-idea-3f0c1a52-8e1b-4c2d-9f7a-52d9a8c7b1e4", true},
        {"jetbrains-pycharm-ce-0b7d2e6c-1f3a-4e59-8c2d-7a9e4b1c5d30", true},
        {"jetbrains-clion-5a1e", true},
        // Their Flatpaks.
        {"com.jetbrains.IntelliJ-IDEA-Community", true},
        {"com.jetbrains.PyCharm-Professional", true},
        {"com.jetbrains.GoLand", true},
        // VS Code's snap, beside its other packages.
        {"code_code", true},
        {"code", true},
        {"com.visualstudio.code", true},
        // Neither editors nor members of these families.
        {"jetbrains-toolbox", false},
        {"jetbrains-", false},
        {"jetbrains", false},
        {"com.jetbrains.", false},
        {"com.jetbrainsx.Editor", false},
        {"org.jetbrains.idea", false},
        {"code_code_helper", false},
        {"Code", false},
        {"firefox-esr", false},
    };
    const QString plainLines = QStringLiteral("hello there\nworld");
    for (const Case& c : cases) {
        EXPECT_EQ(CodeDetector::isCode(plainLines, QString::fromLatin1(c.id)), c.editor) << c.id;
        EXPECT_EQ(CodeDetector::isEditorBundleID(QString::fromLatin1(c.id)), c.editor) << c.id;
    }
}

TEST(CodeDetector, EditorListNamesLinuxDesktopFiles) {
    for (const QString& id : CodeDetector::editorBundleIDs()) {
        EXPECT_FALSE(id.isEmpty());
        EXPECT_FALSE(id.endsWith(QStringLiteral(".desktop"))) << id.toStdString();
        EXPECT_FALSE(id.startsWith(QStringLiteral("com.apple."))) << id.toStdString();
    }
}

} // namespace
