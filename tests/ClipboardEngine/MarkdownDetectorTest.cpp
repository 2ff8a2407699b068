#include "ClipboardEngine/MarkdownDetector.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
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

} // namespace
