#include "Analysis/JsonFormatter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

using JsonFormatter::Problem;

struct LayoutCase {
    const char* name;
    QString text;
    QString formatted;
};

class JsonLayout : public ::testing::TestWithParam<LayoutCase> {};

// Every token comes out as it was written; only white space and the order of members change.
TEST_P(JsonLayout, KeepsEveryTokenAsWritten) {
    const LayoutCase& c = GetParam();
    JsonFormatter::Failure failure;
    EXPECT_EQ(JsonFormatter::format(c.text, &failure), c.formatted) << c.name;
    EXPECT_EQ(failure.problem, Problem::none);
    EXPECT_TRUE(JsonFormatter::isValid(c.text.trimmed())) << c.name;
    // Laying out a laid-out text changes nothing.
    EXPECT_EQ(JsonFormatter::format(c.formatted), c.formatted) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonLayout,
    ::testing::Values(
        LayoutCase{"bigInteger", QStringLiteral("{\"id\":12345678901234567890}"),
                   QStringLiteral("{\n    \"id\": 12345678901234567890\n}")},
        LayoutCase{
            "numbersAsWritten", QStringLiteral("[-0,1.50,1E+2,2e-10,0.0000001,1e999]"),
            QStringLiteral("[\n    -0,\n    1.50,\n    1E+2,\n    2e-10,\n    0.0000001,\n    1e999\n]")},
        LayoutCase{"repeatedKeysStayInTheirOrder", QStringLiteral("{\"b\":1,\"a\":2,\"b\":3}"),
                   QStringLiteral("{\n    \"a\": 2,\n    \"b\": 1,\n    \"b\": 3\n}")},
        LayoutCase{
            "escapesAsWritten",
            QStringLiteral("[\"a\\/b\",\"\\u00e9\",\"\\ud83d\\ude00\",\"q\\\"t\",\"\\\\\",\"tab\\t\"]"),
            QStringLiteral("[\n    \"a\\/b\",\n    \"\\u00e9\",\n    \"\\ud83d\\ude00\",\n    \"q\\\"t\",\n"
                           "    \"\\\\\",\n    \"tab\\t\"\n]")},
        LayoutCase{
            "keysSortedByTheirValue", QStringLiteral("{\"\\u0062\":1,\"a\":2,\"B\":3,\"\\u00e9\":4}"),
            QStringLiteral("{\n    \"B\": 3,\n    \"a\": 2,\n    \"\\u0062\": 1,\n    \"\\u00e9\": 4\n}")},
        LayoutCase{"emptyContainers", QStringLiteral("{\"a\":[],\"b\":{}}"),
                   QStringLiteral("{\n    \"a\": [\n    ],\n    \"b\": {\n    }\n}")},
        LayoutCase{"topLevelEmpty", QStringLiteral("[ ]"), QStringLiteral("[\n]")},
        LayoutCase{"nestedObjectsInArrays",
                   QStringLiteral("[{\"z\":1,\"y\":[true,false,null]},[],{\"x\":{}}]"),
                   QStringLiteral(
                       "[\n    {\n        \"y\": [\n            true,\n            false,\n            null\n"
                       "        ],\n        \"z\": 1\n    },\n    [\n    ],\n    {\n        \"x\": {\n"
                       "        }\n    }\n]")},
        LayoutCase{"whiteSpaceAnywhere", QStringLiteral("\u00a0\n [ 1 ,\r\n\t\"a b\" ] \u2028"),
                   QStringLiteral("[\n    1,\n    \"a b\"\n]")}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    QString text;
    Problem problem;
    qsizetype line;
    qsizetype column;
};

class JsonRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(JsonRefused, SaysWhereTheTextStopsBeingJSON) {
    const RefusedCase& c = GetParam();
    JsonFormatter::Failure failure;
    EXPECT_EQ(JsonFormatter::format(c.text, &failure), std::nullopt) << c.name;
    EXPECT_EQ(failure.problem, c.problem) << c.name;
    EXPECT_EQ(failure.line, c.line) << c.name;
    EXPECT_EQ(failure.column, c.column) << c.name;
    EXPECT_FALSE(JsonFormatter::isValid(c.text.trimmed())) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonRefused,
    ::testing::Values(RefusedCase{"notJson", QStringLiteral("{not json}"), Problem::notJSON, 1, 2},
                      RefusedCase{"bareNumber", QStringLiteral("42"), Problem::notJSON, 1, 1},
                      RefusedCase{"empty", QString(), Problem::notJSON, 1, 1},
                      RefusedCase{"trailingComma", QStringLiteral("[1,]"), Problem::notJSON, 1, 4},
                      RefusedCase{"leadingZero", QStringLiteral("[01]"), Problem::notJSON, 1, 3},
                      RefusedCase{"bareFraction", QStringLiteral("[1.]"), Problem::notJSON, 1, 4},
                      RefusedCase{"unknownEscape", QStringLiteral("[\"\\x\"]"), Problem::notJSON, 1, 4},
                      RefusedCase{"shortUnicodeEscape", QStringLiteral("[\"\\u00\"]"), Problem::notJSON, 1,
                                  7},
                      RefusedCase{"rawTabInString", QStringLiteral("[\"a\tb\"]"), Problem::notJSON, 1, 4},
                      RefusedCase{"unterminatedString", QStringLiteral("[\"abc"), Problem::notJSON, 1, 6},
                      RefusedCase{"garbageAfter", QStringLiteral("[1] x"), Problem::notJSON, 1, 5},
                      RefusedCase{"twoDocuments", QStringLiteral("{}\n{}"), Problem::notJSON, 2, 1},
                      RefusedCase{"missingColon", QStringLiteral("{\n  \"a\" 1}"), Problem::notJSON, 2, 7},
                      RefusedCase{"keyNotString", QStringLiteral("{1:2}"), Problem::notJSON, 1, 2},
                      RefusedCase{"unclosed", QStringLiteral("[[1]"), Problem::notJSON, 1, 5},
                      RefusedCase{"mismatchedBracket", QStringLiteral("[1}"), Problem::notJSON, 1, 3},
                      RefusedCase{"tooDeep",
                                  QStringLiteral("[").repeated(JsonFormatter::kMaxDepth + 1) +
                                      QStringLiteral("]").repeated(JsonFormatter::kMaxDepth + 1),
                                  Problem::tooDeep, 1, JsonFormatter::kMaxDepth + 1}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(JsonFormatter, DepthUpToTheLimitIsLaidOut) {
    const int depth = JsonFormatter::kMaxDepth;
    const QString deepest = QStringLiteral("[").repeated(depth) + QStringLiteral("]").repeated(depth);
    const std::optional<QString> formatted = JsonFormatter::format(deepest);
    ASSERT_TRUE(formatted);
    EXPECT_TRUE(formatted->endsWith(QStringLiteral("\n]")));
    EXPECT_EQ(formatted->count(u'\n'), 2 * depth - 1);
}

// Deep nesting multiplies the indentation of every value: a small text whose layout would not fit
// is refused instead of filling the memory.
TEST(JsonFormatter, ALayoutTooLargeIsRefused) {
    const int depth = JsonFormatter::kMaxDepth;
    const QString text = QStringLiteral("[").repeated(depth) + QStringLiteral("1,").repeated(20000) +
                         QStringLiteral("1") + QStringLiteral("]").repeated(depth);
    ASSERT_TRUE(JsonFormatter::isValid(text));
    JsonFormatter::Failure failure;
    EXPECT_EQ(JsonFormatter::format(text, &failure), std::nullopt);
    EXPECT_EQ(failure.problem, Problem::tooLarge);
}

// A random document (unique keys, small integers, plain strings) that the platform's JSON model
// holds exactly.
QJsonValue randomValue(QRandomGenerator& random, int depth) {
    const int kind = random.bounded(depth >= 5 ? 4 : 6);
    switch (kind) {
    case 0:
        return static_cast<int>(random.bounded(-100000, 100000));
    case 1:
        return QStringLiteral("s%1 with spaces").arg(random.bounded(1000));
    case 2:
        return random.bounded(2) == 0;
    case 3:
        return QJsonValue(QJsonValue::Null);
    case 4: {
        QJsonArray array;
        for (int i = random.bounded(4); i > 0; --i)
            array.append(randomValue(random, depth + 1));
        return array;
    }
    default: {
        QJsonObject object;
        for (int i = random.bounded(5); i > 0; --i)
            object.insert(QStringLiteral("k%1").arg(random.bounded(50)), randomValue(random, depth + 1));
        return object;
    }
    }
}

// Where the platform's model represents a document exactly, both layouts are the same text.
TEST(JsonFormatter, MatchesThePlatformLayoutWhereThatLosesNothing) {
    QRandomGenerator random(20240305);
    for (int round = 0; round < 300; ++round) {
        const QJsonValue value = randomValue(random, 0);
        if (!value.isObject() && !value.isArray())
            continue;
        const QJsonDocument document =
            value.isObject() ? QJsonDocument(value.toObject()) : QJsonDocument(value.toArray());
        const QString compact = QString::fromUtf8(document.toJson(QJsonDocument::Compact));
        const QString expected = QString::fromUtf8(document.toJson(QJsonDocument::Indented)).trimmed();
        ASSERT_EQ(JsonFormatter::format(compact), expected) << compact.toStdString();
    }
}

} // namespace
