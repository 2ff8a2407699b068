#include "Analysis/ContentClassifier.h"
#include "Platform/Fakes/FakeUrlOpener.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

using ContentClassifier::ContentTag;
using ContentClassifier::SmartAction;
using Kind = SmartAction::Kind;

struct TagCase {
    const char* name;
    QString text;
    std::optional<QString> raw;
};

class ContentClassifierTags : public ::testing::TestWithParam<TagCase> {};

TEST_P(ContentClassifierTags, TagsTheText) {
    const TagCase& c = GetParam();
    EXPECT_EQ(ContentClassifier::tagsRaw(c.text), c.raw) << c.name;
}

QString emailOfLength(int length) {
    const QString domain = QStringLiteral("@example.com");
    return QString(length - domain.size(), u'a') + domain;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContentClassifierTags,
    ::testing::Values(
        TagCase{"blank", QStringLiteral(" \n\t "), std::nullopt},
        TagCase{"email", QStringLiteral("  jan.kowalski+x@poczta.example.pl\n"), QStringLiteral("email")},
        TagCase{"emailUpperCase", QStringLiteral("JAN@EXAMPLE.COM"), QStringLiteral("email")},
        TagCase{"email253", emailOfLength(253), QStringLiteral("email")},
        TagCase{"email254", emailOfLength(254), std::nullopt},
        TagCase{"emailInShortSentence", QStringLiteral("write to ola@example.org today"),
                QStringLiteral("email")},
        TagCase{"emailInLongSentence",
                QStringLiteral(
                    "write to ola@example.org today, or tomorrow, or on any other day you like, really"),
                std::nullopt},
        TagCase{"phoneNineDigits", QStringLiteral("123456789"), QStringLiteral("phone")},
        // Eight digits are too few for a phone number, but they are an eight-digit colour.
        TagCase{"phoneEightDigits", QStringLiteral("12345678"), QStringLiteral("hexColor")},
        TagCase{"phoneSixteenDigits", QStringLiteral("1234567890123456"), std::nullopt},
        TagCase{"phoneFormatted", QStringLiteral("+48 (22) 123-45-67"), QStringLiteral("phone")},
        TagCase{"phoneWithThreeLetters", QStringLiteral("123 456 789 abc"), std::nullopt},
        TagCase{"hexShort", QStringLiteral("#FFF"), QStringLiteral("hexColor")},
        TagCase{"hexNoHash", QStringLiteral("FFF"), QStringLiteral("hexColor")},
        TagCase{"hexSix", QStringLiteral("#A1b2C3"), QStringLiteral("hexColor")},
        TagCase{"hexEight", QStringLiteral("#80FF0000"), QStringLiteral("hexColor")},
        TagCase{"hexFour", QStringLiteral("#ABCD"), std::nullopt},
        // Digits-only strings of the right length are colours too (the tag is about the form).
        TagCase{"hexWord", QStringLiteral("add"), QStringLiteral("hexColor")},
        TagCase{"jsonArray", QStringLiteral("[1, 2]"), QStringLiteral("json")},
        TagCase{"jsonObject", QStringLiteral("{\"a\": {\"b\": null}}"), QStringLiteral("json")},
        TagCase{"notJson", QStringLiteral("{not json}"), std::nullopt},
        TagCase{"bareNumber", QStringLiteral("42"), std::nullopt},
        TagCase{"dateIso", QStringLiteral("2024-03-05"), QStringLiteral("date")},
        TagCase{"dateDots", QStringLiteral("05.03.2024"), QStringLiteral("date")},
        TagCase{"dateSlashes", QStringLiteral("05/03/2024"), QStringLiteral("date")},
        TagCase{"dateUs", QStringLiteral("12/31/2024"), QStringLiteral("date")},
        TagCase{"dateTimeZone", QStringLiteral("2024-03-05T14:30:00+0100"), QStringLiteral("date")},
        TagCase{"dateTimeUtc", QStringLiteral("2024-03-05T14:30:00Z"), QStringLiteral("date")},
        TagCase{"dateTimeLocal", QStringLiteral("2024-03-05T14:30:00"), QStringLiteral("date")},
        TagCase{"impossibleDate", QStringLiteral("2024-02-30"), std::nullopt},
        TagCase{"date40Characters", QStringLiteral("2024-03-05 and thirty more characters...."),
                std::nullopt},
        TagCase{"addressPostalCode", QStringLiteral("Warszawa 00-950, Polska"), QStringLiteral("address")},
        TagCase{"addressStreet", QStringLiteral("ul. Długa 5\nGdańsk"), QStringLiteral("address")},
        TagCase{"addressStreetNoDigit", QStringLiteral("Baker Street, London"), std::nullopt},
        TagCase{"addressTooShort", QStringLiteral("ulica 5"), std::nullopt},
        TagCase{"address200", QStringLiteral("ulica 5 ") + QString(192, u'a'), std::nullopt},
        TagCase{"phoneAndAddress", QStringLiteral("Main Road 12\n+1 555 123 4567"),
                QStringLiteral("address")},
        TagCase{"phoneAndDate", QStringLiteral("2024-03-05 14:30"), QStringLiteral("phone,date")}),
    [](const ::testing::TestParamInfo<TagCase>& info) { return std::string(info.param.name); });

TEST(ContentClassifier, TagsKeepTheirOrder) {
    // Six digits are too short for a phone number; they only make a colour.
    EXPECT_EQ(ContentClassifier::tags(QStringLiteral("123456")), QList<ContentTag>{ContentTag::hexColor});
    EXPECT_EQ(ContentClassifier::tagsRaw(QStringLiteral("12345678 street")), QStringLiteral("address"));
    EXPECT_EQ(ContentClassifier::tagsRaw(QStringLiteral("a@b.co\n")), QStringLiteral("email"));
}

TEST(ContentClassifier, ParseTagsSkipsUnknownAndEmptyPieces) {
    EXPECT_EQ(ContentClassifier::parseTags(QStringLiteral("email,,phone,Foo")),
              (QList<ContentTag>{ContentTag::email, ContentTag::phone}));
    EXPECT_TRUE(ContentClassifier::parseTags(QStringLiteral(" phone")).isEmpty());
    EXPECT_TRUE(ContentClassifier::parseTags(QString()).isEmpty());
    EXPECT_TRUE(ContentClassifier::parseTags(std::nullopt).isEmpty());
    EXPECT_EQ(ContentClassifier::parseTags(QStringLiteral("json,json")),
              (QList<ContentTag>{ContentTag::json, ContentTag::json}));
}

TEST(ContentClassifier, Conversions) {
    EXPECT_EQ(ContentClassifier::firstPhone(QStringLiteral("tel. +48 (22) 123-45-67")),
              QStringLiteral("+48221234567"));
    EXPECT_EQ(ContentClassifier::firstPhone(QStringLiteral("no digits")), std::nullopt);
    EXPECT_EQ(ContentClassifier::normalizedHex(QStringLiteral(" a1b2c3 ")), QStringLiteral("#A1B2C3"));
    EXPECT_EQ(ContentClassifier::normalizedHex(QStringLiteral("#12345")), std::nullopt);
    EXPECT_EQ(ContentClassifier::prettyJSON(QStringLiteral("{\"b\":1,\"a\":[true]}")),
              QStringLiteral("{\n    \"a\": [\n        true\n    ],\n    \"b\": 1\n}"));
    EXPECT_EQ(ContentClassifier::prettyJSON(QStringLiteral("{oops")), std::nullopt);
}

TEST(ContentClassifier, ColorFromHexReadsAlphaFirst) {
    const QColor translucentRed = *ContentClassifier::colorFromHex(QStringLiteral("#80FF0000"));
    EXPECT_EQ(translucentRed.red(), 255);
    EXPECT_EQ(translucentRed.green(), 0);
    EXPECT_EQ(translucentRed.alpha(), 128);
    const QColor red = *ContentClassifier::colorFromHex(QStringLiteral("#F00"));
    EXPECT_EQ(red, QColor::fromRgb(255, 0, 0, 255));
    EXPECT_EQ(*ContentClassifier::colorFromHex(QStringLiteral("1a2b3c")), QColor::fromRgb(0x1a, 0x2b, 0x3c));
    EXPECT_EQ(ContentClassifier::colorFromHex(QStringLiteral("#GGG")), std::nullopt);
}

TEST(ContentClassifier, ActionsFollowTheFixedOrder) {
    const QString text = QStringLiteral("[\"ola@example.org\", 123456789]");
    const QList<SmartAction> actions =
        ContentClassifier::actions(text, {ContentTag::json, ContentTag::email, ContentTag::phone});
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0], (SmartAction{Kind::mail, QStringLiteral("ola@example.org")}));
    EXPECT_EQ(actions[1], (SmartAction{Kind::call, QStringLiteral("123456789")}));
    EXPECT_EQ(actions[2].kind, Kind::pastePrettyJSON);
    EXPECT_EQ(actions[2].id(), QStringLiteral("json"));
    // Formatting waits until the action is performed.
    EXPECT_EQ(actions[2].payload, text);

    EXPECT_TRUE(ContentClassifier::actions(QStringLiteral("no numbers"), {ContentTag::phone}).isEmpty());
    EXPECT_TRUE(ContentClassifier::actions(QStringLiteral("2024-03-05"), {ContentTag::date}).isEmpty());
    const QList<SmartAction> maps =
        ContentClassifier::actions(QStringLiteral("  ul. Długa 5  "), {ContentTag::address});
    ASSERT_EQ(maps.size(), 1);
    EXPECT_EQ(maps[0].id(), QStringLiteral("maps-ul. Długa 5"));
    EXPECT_EQ(ContentClassifier::actions(QStringLiteral("abc"), {ContentTag::hexColor}).value(0).id(),
              QStringLiteral("hex-#ABC"));
}

TEST(ContentClassifier, ActionTitlesAreTheEnglishSources) {
    EXPECT_EQ((SmartAction{Kind::mail, {}}).title(), QStringLiteral("Send Email"));
    EXPECT_EQ((SmartAction{Kind::call, {}}).title(), QStringLiteral("Call"));
    EXPECT_EQ((SmartAction{Kind::openMaps, {}}).title(), QStringLiteral("Open in Maps"));
    EXPECT_EQ((SmartAction{Kind::copyHex, {}}).title(), QStringLiteral("Copy HEX"));
    EXPECT_EQ((SmartAction{Kind::pastePrettyJSON, {}}).title(), QStringLiteral("Paste Formatted JSON"));
}

// What perform() answered through its replies.
struct Answers {
    QObject context;
    QStringList pasted;
    QStringList failures;
    ContentClassifier::Replies replies() {
        ContentClassifier::Replies r;
        r.context = &context;
        r.pasteText = [this](const QString& text) {
            pasted.append(text);
        };
        r.failed = [this](const QString& reason) {
            failures.append(reason);
        };
        return r;
    }
};

TEST(ContentClassifier, PerformOpensUrlsThroughThePlatform) {
    Platform::FakeUrlOpener opener;
    Answers answers;
    const ContentClassifier::Replies replies = answers.replies();

    ContentClassifier::perform({Kind::mail, QStringLiteral("ola@example.org")}, replies, opener);
    ContentClassifier::perform({Kind::call, QStringLiteral("+48221234567")}, replies, opener);
    // A payload that makes no valid URL is not opened at all.
    ContentClassifier::perform({Kind::mail, QStringLiteral("a b@%zz")}, replies, opener);
    ContentClassifier::perform({Kind::openMaps, QStringLiteral("Rock & Roll St. 1 #2 + 3=4")}, replies,
                               opener);
    ContentClassifier::perform({Kind::pastePrettyJSON, QStringLiteral("{}")}, replies, opener);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.pasted.isEmpty(); }, 10000));

    ASSERT_EQ(opener.opened.size(), 3);
    EXPECT_EQ(opener.opened[0], QUrl(QStringLiteral("mailto:ola@example.org")));
    EXPECT_EQ(opener.opened[1], QUrl(QStringLiteral("tel:+48221234567")));
    const QUrl maps = opener.opened[2];
    EXPECT_EQ(maps.scheme(), QStringLiteral("https"));
    const QUrlQuery query(maps);
    ASSERT_EQ(query.queryItems(QUrl::FullyDecoded).size(), 1);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded),
              QStringLiteral("Rock & Roll St. 1 #2 + 3=4"));
    EXPECT_EQ(answers.pasted, QStringList{QStringLiteral("{\n}")});
    EXPECT_TRUE(answers.failures.isEmpty());
}

// The JSON is formatted off the calling thread; text that is not JSON pastes nothing and says why.
TEST(ContentClassifier, PasteFormattedJSONPastesOrSaysWhyNot) {
    Platform::FakeUrlOpener opener;
    Answers answers;
    const ContentClassifier::Replies replies = answers.replies();
    ContentClassifier::perform(
        {Kind::pastePrettyJSON, QStringLiteral("[12345678901234567890, {\"a\": 1, \"a\": 2}]")}, replies,
        opener);
    ContentClassifier::perform({Kind::pastePrettyJSON, QStringLiteral("{\"a\": 1,\n \"b\": tru}")}, replies,
                               opener);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.pasted.size() + answers.failures.size() == 2; }, 10000));
    EXPECT_EQ(answers.pasted,
              QStringList{QStringLiteral(
                  "[\n    12345678901234567890,\n    {\n        \"a\": 1,\n        \"a\": 2\n    }\n]")});
    ASSERT_EQ(answers.failures.size(), 1);
    EXPECT_EQ(answers.failures[0],
              QStringLiteral("Nothing was pasted: the text is not valid JSON (line 2, column 7)."));

    // Nobody is told once the one who asked is gone.
    auto gone = std::make_unique<Answers>();
    ContentClassifier::perform({Kind::pastePrettyJSON, QStringLiteral("[1]")}, gone->replies(), opener);
    gone.reset();
    QTest::qWait(100);
}

TEST(ContentClassifier, CopyHexPutsPlainTextOnTheClipboard) {
    Platform::FakeUrlOpener opener;
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    ContentClassifier::perform({Kind::copyHex, QStringLiteral("#1A2B3C")}, {}, opener);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("#1A2B3C"));
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST(ContentClassifier, HugeAndBrokenTextIsHandled) {
    const QString huge = QString(20 * 1024 * 1024, u'a') + QStringLiteral("@example.com");
    EXPECT_EQ(ContentClassifier::tagsRaw(huge), std::nullopt);
    const QString invalid = QString::fromUtf8(QByteArray("\xff\xfe 123456789 \xc3", 15));
    EXPECT_EQ(ContentClassifier::tagsRaw(invalid), std::nullopt);
    EXPECT_EQ(ContentClassifier::tagsRaw(QStringLiteral("[").repeated(100000) +
                                         QStringLiteral("]").repeated(100000)),
              std::nullopt);
}

} // namespace
