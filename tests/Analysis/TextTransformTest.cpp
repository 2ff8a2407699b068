#include "Analysis/TextTransform.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct TransformCase {
    const char* name;
    TextTransform transform;
    QString input;
    QString expected;
};

class TextTransformApply : public ::testing::TestWithParam<TransformCase> {};

TEST_P(TextTransformApply, TransformsTheText) {
    const TransformCase& c = GetParam();
    EXPECT_EQ(TextTransforms::apply(c.transform, c.input), c.expected) << c.name;
}

using T = TextTransform;

INSTANTIATE_TEST_SUITE_P(
    Cases, TextTransformApply,
    ::testing::Values(
        TransformCase{"upperSharpS", T::uppercased, QStringLiteral("straße"), QStringLiteral("STRASSE")},
        TransformCase{"upperPolish", T::uppercased, QStringLiteral("zażółć"), QStringLiteral("ZAŻÓŁĆ")},
        TransformCase{"lowerPolish", T::lowercased, QStringLiteral("ŻÓŁW İ"), QStringLiteral("żółw i̇")},
        TransformCase{"trimLines", T::trimmed, QStringLiteral("  a  \n\n  b\t\n\n"),
                      QStringLiteral("a\n\nb")},
        TransformCase{"trimCrLf", T::trimmed, QStringLiteral("a\r\nb"), QStringLiteral("a\n\nb")},
        TransformCase{"trimNoBreakSpace", T::trimmed, QStringLiteral("\u00a0a\u00a0"), QStringLiteral("a")},
        TransformCase{"removeEmpty", T::removeEmptyLines, QStringLiteral("a\n  \n\tb  \n"),
                      QStringLiteral("a\n\tb  ")},
        TransformCase{"removeEmptyCrLf", T::removeEmptyLines, QStringLiteral("a\r\nb"),
                      QStringLiteral("a\nb")},
        TransformCase{"removeEmptyBlankOnly", T::removeEmptyLines, QStringLiteral(" \n\t\n"), QString()},
        TransformCase{"removeEmptyLineSeparator", T::removeEmptyLines, QStringLiteral("a\u2028\u2029b"),
                      QStringLiteral("a\nb")},
        TransformCase{"camelString", T::camelToSnake, QStringLiteral("camelCaseString"),
                      QStringLiteral("camel_case_string")},
        TransformCase{"camelLeadingCapital", T::camelToSnake, QStringLiteral("CamelCase"),
                      QStringLiteral("camel_case")},
        TransformCase{"camelAcronym", T::camelToSnake, QStringLiteral("XMLParser"),
                      QStringLiteral("xmlparser")},
        TransformCase{"camelInnerAcronym", T::camelToSnake, QStringLiteral("parseXMLResponse"),
                      QStringLiteral("parse_xmlresponse")},
        TransformCase{"camelDigit", T::camelToSnake, QStringLiteral("version2Beta"),
                      QStringLiteral("version2_beta")},
        TransformCase{"camelNoOverlap", T::camelToSnake, QStringLiteral("aBcD"), QStringLiteral("a_bc_d")},
        TransformCase{"camelUpperRun", T::camelToSnake, QStringLiteral("xYZ"), QStringLiteral("x_yz")},
        TransformCase{"camelAlreadySnake", T::camelToSnake, QStringLiteral("already_snake"),
                      QStringLiteral("already_snake")},
        TransformCase{"camelPolish", T::camelToSnake, QStringLiteral("żółwPies"),
                      QStringLiteral("żółw_pies")},
        TransformCase{"snakeString", T::snakeToCamel, QStringLiteral("snake_case_string"),
                      QStringLiteral("snakeCaseString")},
        TransformCase{"snakeShouting", T::snakeToCamel, QStringLiteral("HELLO_WORLD"),
                      QStringLiteral("helloWORLD")},
        TransformCase{"snakeCapitalised", T::snakeToCamel, QStringLiteral("Foo_Bar"),
                      QStringLiteral("fooBar")},
        TransformCase{"snakeDoubleUnderscore", T::snakeToCamel, QStringLiteral("a__b"), QStringLiteral("aB")},
        TransformCase{"snakeLeading", T::snakeToCamel, QStringLiteral("_leading_under"),
                      QStringLiteral("leadingUnder")},
        TransformCase{"snakePrivate", T::snakeToCamel, QStringLiteral("_private"),
                      QStringLiteral("_private")},
        TransformCase{"snakeDunder", T::snakeToCamel, QStringLiteral("__init__"), QStringLiteral("__init__")},
        TransformCase{"snakeSingleWord", T::snakeToCamel, QStringLiteral("Hello"), QStringLiteral("Hello")},
        TransformCase{"snakeDigits", T::snakeToCamel, QStringLiteral("my_2nd_value"),
                      QStringLiteral("my2ndValue")},
        TransformCase{"snakeSpacesKept", T::snakeToCamel, QStringLiteral("foo_bar  baz_qux"),
                      QStringLiteral("fooBar  bazQux")},
        TransformCase{"snakeTabJoins", T::snakeToCamel, QStringLiteral("one\ttwo_three"),
                      QStringLiteral("one\ttwoThree")},
        TransformCase{"snakeLines", T::snakeToCamel, QStringLiteral("a_b\r\nc_d"),
                      QStringLiteral("aB\n\ncD")},
        TransformCase{"snakeCombiningMark", T::snakeToCamel, QStringLiteral("x_e\u0301te"),
                      QStringLiteral("xE\u0301te")},
        TransformCase{"escapeSpecials", T::escapeJSON, QStringLiteral("a\"\\/\n"),
                      QStringLiteral("a\\\"\\\\\\/\\n")},
        TransformCase{"escapeControls", T::escapeJSON, QStringLiteral("\b\f\r\t\u0001\u001f"),
                      QStringLiteral("\\b\\f\\r\\t\\u0001\\u001f")},
        TransformCase{"escapeKeepsUnicode", T::escapeJSON, QStringLiteral("zażółć 😀"),
                      QStringLiteral("zażółć 😀")}),
    [](const ::testing::TestParamInfo<TransformCase>& info) { return std::string(info.param.name); });

TEST(TextTransform, EveryTransformOfEmptyTextIsEmpty) {
    for (TextTransform transform : TextTransforms::allCases())
        EXPECT_EQ(TextTransforms::apply(transform, QString()), QString())
            << TextTransforms::rawValue(transform).toStdString();
}

TEST(TextTransform, RawValuesAndTitles) {
    ASSERT_EQ(TextTransforms::allCases().size(), 7);
    for (TextTransform transform : TextTransforms::allCases())
        EXPECT_EQ(TextTransforms::fromRawValue(TextTransforms::rawValue(transform)), transform);
    EXPECT_EQ(TextTransforms::fromRawValue(u"Uppercased"), std::nullopt);
    EXPECT_EQ(TextTransforms::title(TextTransform::camelToSnake),
              QStringLiteral("camelCase \u2192 snake_case"));
    EXPECT_EQ(TextTransforms::title(TextTransform::trimmed), QStringLiteral("Trim whitespace"));
}

// camelToSnake is a regular-expression replacement; the scanner must give the same text.
TEST(TextTransform, CamelToSnakeAgreesWithTheRegularExpression) {
    const QRegularExpression boundary(QStringLiteral("([a-z0-9])([A-Z])"));
    const QString alphabet = QStringLiteral("aZb9Y_ ż\nŻ0");
    QRandomGenerator generator(42);
    for (int round = 0; round < 5000; ++round) {
        QString text;
        const int length = generator.bounded(0, 12);
        for (int i = 0; i < length; ++i)
            text.append(alphabet[generator.bounded(alphabet.size())]);
        const QString expected = QString(text).replace(boundary, QStringLiteral("\\1_\\2")).toLower();
        ASSERT_EQ(TextTransforms::apply(TextTransform::camelToSnake, text), expected) << text.toStdString();
    }
}

} // namespace
