#include "Analysis/MarkdownDetector.h"

#include <QElapsedTimer>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct MarkdownCase {
    const char* name;
    QString text;
    bool isMarkdown;
};

class MarkdownDetectorLooksLike : public ::testing::TestWithParam<MarkdownCase> {};

TEST_P(MarkdownDetectorLooksLike, ScoresTheText) {
    const MarkdownCase& c = GetParam();
    EXPECT_EQ(MarkdownDetector::looksLikeMarkdown(c.text), c.isMarkdown) << c.name;
}

QString lines(int count, const QString& line) {
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(line);
    return list.join(u'\n');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkdownDetectorLooksLike,
    ::testing::Values(
        MarkdownCase{"twoCharacters", QStringLiteral("  **  "), false},
        MarkdownCase{"heading", QStringLiteral("# Title"), true},
        MarkdownCase{"headingIndented", QStringLiteral("\t  ## Title"), true},
        MarkdownCase{"hashtagIsNoHeading", QStringLiteral("#hashtag"), false},
        MarkdownCase{"sevenHashes", QStringLiteral("####### seven"), false},
        MarkdownCase{"oneListItem", QStringLiteral("- item"), false},
        MarkdownCase{"twoListItems", QStringLiteral("- one\n- two"), true},
        MarkdownCase{"numberedItems", QStringLiteral("1. one\n2. two"), true},
        MarkdownCase{"taskItem", QStringLiteral("- [ ] task"), true},
        MarkdownCase{"oneQuote", QStringLiteral("> quote"), false},
        MarkdownCase{"twoQuotes", QStringLiteral("> quote\n>"), true},
        MarkdownCase{"fence", QStringLiteral("```\ncode\n```"), true},
        MarkdownCase{"tildeFence", QStringLiteral("~~~\ncode"), true},
        MarkdownCase{"oneTableRow", QStringLiteral("| a | b |"), false},
        MarkdownCase{"tableRows", QStringLiteral("| a | b |\n| c | d |"), true},
        MarkdownCase{"barPairNeedsContent", QStringLiteral("||\n||"), false},
        MarkdownCase{"delimiterRow", QStringLiteral("---|:---:"), true},
        MarkdownCase{"sixHyphensAreTwoCells", QStringLiteral("------"), true},
        // Three hyphens are one cell only: a thematic break (+1), not a delimiter row.
        MarkdownCase{"threeHyphens", QStringLiteral("---"), false},
        MarkdownCase{"delimiterWithTwoBars", QStringLiteral("--- || ---"), false},
        MarkdownCase{"inlineLink", QStringLiteral("see [docs](https://example.com)"), true},
        MarkdownCase{"emptyLinkText", QStringLiteral("see [](x)"), false},
        MarkdownCase{"image", QStringLiteral("![](pic.png)"), true},
        MarkdownCase{"bareUrl", QStringLiteral("see https://example.com now"), false},
        MarkdownCase{"emphasisAlone", QStringLiteral("a *word* here"), false},
        MarkdownCase{"inlineMarks", QStringLiteral("**bold** and *it*, and `code`"), true},
        MarkdownCase{"underscoreMarks", QStringLiteral("__bold__ and _it_. `x`"), true},
        MarkdownCase{"snakeCaseIsNoEmphasis", QStringLiteral("call my_var_name and `x`"), false},
        MarkdownCase{"headingOnLine121", lines(120, QStringLiteral("x")) + QStringLiteral("\n# Late"), false},
        MarkdownCase{"headingOnLine120", lines(119, QStringLiteral("x")) + QStringLiteral("\n# Late"), true},
        MarkdownCase{"linkOnLine500", lines(499, QStringLiteral("x")) + QStringLiteral("\n[a](b)"), true},
        // The whole-text searches stop at the first 64 KB.
        MarkdownCase{"linkBeyondSearchWindow",
                     QString(MarkdownDetector::kWholeTextLimit, u'x') + QStringLiteral(" [a](b)"), false}),
    [](const ::testing::TestParamInfo<MarkdownCase>& info) { return std::string(info.param.name); });

TEST(MarkdownDetector, MarkdownLanguageNames) {
    EXPECT_TRUE(MarkdownDetector::isMarkdownLanguage(QStringLiteral("Markdown")));
    EXPECT_TRUE(MarkdownDetector::isMarkdownLanguage(QStringLiteral("MD")));
    EXPECT_TRUE(MarkdownDetector::isMarkdownLanguage(QStringLiteral("gfm")));
    EXPECT_TRUE(MarkdownDetector::isMarkdownLanguage(QStringLiteral("mkd")));
    EXPECT_FALSE(MarkdownDetector::isMarkdownLanguage(std::nullopt));
    EXPECT_FALSE(MarkdownDetector::isMarkdownLanguage(QStringLiteral("mdown")));
}

// Pathological inputs for pattern matching: every scanner is linear, so these complete at once.
// (The time is printed for information; the benchmarks hold the figures.)
TEST(MarkdownDetector, AdversarialMegabyteClipsFinish) {
    QString random;
    random.reserve(1 << 20);
    QRandomGenerator generator(7);
    const QString alphabet = QStringLiteral("*_[](`!|-: ");
    for (int i = 0; i < (1 << 20); ++i)
        random.append(alphabet[generator.bounded(alphabet.size())]);
    const QStringList clips = {
        random,
        QString(1 << 20, u'['),
        QStringLiteral("*_[").repeated((1 << 20) / 3),
        QStringLiteral("[a]").repeated((1 << 20) / 3),
        QString(1 << 20, u'-') + u'x',
        QStringLiteral("|") + QString(1 << 20, u'a'),
        QStringLiteral(" _a").repeated((1 << 20) / 3) + u'*',
    };
    for (const QString& clip : clips) {
        QElapsedTimer timer;
        timer.start();
        MarkdownDetector::looksLikeMarkdown(clip);
        RecordProperty("ms", static_cast<int>(timer.elapsed()));
    }
}

// The scoring written with the regular expressions themselves, for short ASCII texts where a
// backtracking engine is harmless. The detector's scanners must agree with it on every input.
bool referenceLooksLikeMarkdown(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.size() < 3)
        return false;
    static QHash<const char*, QRegularExpression> compiled;
    auto matches = [](const char* pattern, const QString& subject) {
        auto found = compiled.find(pattern);
        if (found == compiled.end())
            found = compiled.insert(pattern, QRegularExpression(QString::fromLatin1(pattern)));
        return found->match(subject).hasMatch();
    };
    int score = 0;
    const QStringList allLines = trimmed.split(u'\n');
    for (const QString& raw : allLines.mid(0, 120)) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        score += matches("^#{1,6}\\s+\\S", line) ? 3 : 0;
        score += matches("^([-*+]|\\d+\\.)\\s+\\S", line) ? 2 : 0;
        score += matches("^[-*+]\\s+\\[[ xX]\\]\\s", line) ? 3 : 0;
        score += (line.startsWith(QStringLiteral("> ")) || line == QStringLiteral(">")) ? 2 : 0;
        score += (line.startsWith(QStringLiteral("```")) || line.startsWith(QStringLiteral("~~~"))) ? 4 : 0;
        score += matches("^\\|(.+\\|)+", line) ? 2 : 0;
        score += matches("^:?-{3,}:?(\\s*\\|?\\s*:?-{3,}:?)+$", line) ? 3 : 0;
        score += matches("^(-{3,}|\\*{3,}|_{3,})$", line) ? 1 : 0;
    }
    score += matches("\\[[^\\]]+\\]\\([^)]+\\)", trimmed) ? 3 : 0;
    score += matches("!\\[[^\\]]*\\]\\([^)]+\\)", trimmed) ? 3 : 0;
    score += (trimmed.contains(QStringLiteral("```")) || trimmed.contains(QStringLiteral("~~~"))) ? 3 : 0;
    score += matches("`[^`\\n]+`", trimmed) ? 1 : 0;
    score += matches("(\\*\\*|__).+?\\1", trimmed) ? 1 : 0;
    score += matches("(^|\\s)(\\*|_)[^*\\n]+?\\2(\\s|$|[.,;:!?])", trimmed) ? 1 : 0;
    return score >= 3;
}

TEST(MarkdownDetector, AgreesWithTheRegularExpressionsOnRandomTexts) {
    // Single characters and Markdown-like fragments, so that both outcomes are common.
    const QStringList pieces = {"#",   "-",  "*",  "+",   "_",    "[",      "]",  "(",   ")",  "!",
                                "`",   "|",  ":",  "~",   ">",    ".",      " ",  "x",   "1",  "\n",
                                "\t",  "# ", "- ", "1. ", "[ ] ", "[a](b)", "**", "---", "| ", "> ",
                                "```", " _", "_ ", " *",  "* ",   ":--",    "|\n"};
    QRandomGenerator generator(20261210);
    int disagreements = 0;
    int markdown = 0;
    for (int round = 0; round < 30000; ++round) {
        QString text;
        const int length = generator.bounded(1, 14);
        for (int i = 0; i < length; ++i)
            text.append(pieces[generator.bounded(pieces.size())]);
        const bool expected = referenceLooksLikeMarkdown(text);
        markdown += expected ? 1 : 0;
        if (MarkdownDetector::looksLikeMarkdown(text) != expected && ++disagreements <= 10)
            ADD_FAILURE() << "disagrees on \"" << text.toStdString() << "\" (expected " << expected << ")";
    }
    EXPECT_EQ(disagreements, 0);
    // Both outcomes are well represented, so the comparison means something.
    EXPECT_GT(markdown, 3000);
    EXPECT_LT(markdown, 27000);
    RecordProperty("markdown", markdown);
}

} // namespace
