// Printing keeps a document's structure: real documentation (README and NEWS files that Debian packages
// ship, kept in Corpus/ with their origin in Corpus/README) parsed, printed and parsed again gives the same
// tree, up to the few losses the printer makes by design (StructuralComparison.h).
#include "FormatterTestSupport.h"
#include "StructuralComparison.h"

#include <Markdown/Parser/Parser.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace FormatterTest {
namespace {

const std::filesystem::path corpusDirectory =
    std::filesystem::path(QS_TEST_SOURCE_DIR) / "tests/Markdown/Formatters/Corpus";

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

std::vector<std::string> corpusFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(corpusDirectory)) {
        if (entry.path().extension() == ".md") {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The application prints with the defaults; the second set takes the other value of every option that
// changes how structure is written.
struct OptionSet {
    std::string name;
    OptionValues values;
};

std::vector<OptionSet> optionSets() {
    OptionValues others;
    others.unorderedListMarker = UnorderedListMarker::plus;
    others.orderedListNumerals = OrderedListNumerals::incrementing(1);
    others.useCodeFence = UseCodeFence::never;
    others.thematicBreakCharacter = ThematicBreakCharacter::star;
    others.thematicBreakLength = 3;
    others.emphasisMarker = EmphasisMarker::underline;
    others.condenseAutolinks = false;
    others.preferredHeadingStyle = PreferredHeadingStyle::setext;
    return {{"default options", OptionValues{}}, {"every other choice", others}};
}

class CorpusRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusRoundTrip, PrintedDocumentReadsBackAsTheOriginal) {
    const Document original = Document::parsing(contentsOf(corpusDirectory / GetParam()));
    ASSERT_GT(original.childCount(), 0);
    for (const OptionSet& set : optionSets()) {
        if (const std::optional<StructuralDifference> difference =
                roundTripDifference(original, set.values.make())) {
            ADD_FAILURE() << "with " << set.name << ", the trees part at " << difference->path
                          << "\nexpected:\n"
                          << difference->expected << "read back:\n"
                          << difference->actual;
        }
    }
}

std::string testNameOf(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(0, info.param.size() - 3);
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(DebianDocumentation, CorpusRoundTrip, ::testing::ValuesIn(corpusFiles()),
                         testNameOf);

TEST(Corpus, ReadmeNamesTheOriginOfEveryFile) {
    const std::string readme = contentsOf(corpusDirectory / "README");
    for (const std::string& file : corpusFiles()) {
        EXPECT_NE(readme.find("`" + file + "`"), std::string::npos) << file;
    }
}

// The comparison allows only the printer's named losses, each in the form the printer gives it.

struct ComparisonCase {
    std::string name;
    std::string original;
    std::string reprinted; // a printed form, written out by hand
    bool allowed;
};

class StructuralComparisonTest : public ::testing::TestWithParam<ComparisonCase> {};

TEST_P(StructuralComparisonTest, AllowsOnlyTheNamedLosses) {
    const ComparisonCase& c = GetParam();
    const std::optional<StructuralDifference> difference =
        firstStructuralDifference(Document::parsing(c.original), Document::parsing(c.reprinted),
                                  MarkupFormatter::Options::defaultOptions());
    EXPECT_EQ(!difference.has_value(), c.allowed)
        << (difference ? difference->path + "\n" + difference->expected + "---\n" + difference->actual : "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StructuralComparisonTest,
    ::testing::Values(ComparisonCase{"sameDocument", "# T\n\n- a\n- b\n", "# T\n\n- a\n\n- b\n", true},
                      ComparisonCase{"listStartsAtTheOptionsNumeral", "3. a\n4. b\n", "1. a\n1. b\n", true},
                      ComparisonCase{"listStartsElsewhere", "3. a\n", "2. a\n", false},
                      ComparisonCase{"codeLosesOuterEmptyLines", "```\n\nx\n\n```\n", "```\nx\n```\n", true},
                      ComparisonCase{"codeLosesAnInnerLine", "```\nx\n\ny\n```\n", "```\nx\ny\n```\n", false},
                      ComparisonCase{"codeLosesItsLanguage", "```c\nx\n```\n", "```\nx\n```\n", false},
                      ComparisonCase{"headingOnOneLine", "a\nb\n===\n", "# a b\n", true},
                      ComparisonCase{"headingSplit", "a\nb\n===\n", "# a\n\nb\n", false},
                      ComparisonCase{"paragraphSoftBreakBecomesSpace", "a\nb\n", "a b\n", false},
                      ComparisonCase{"emptyTextBeforeALineEnd", "a [b](c) \nd\n", "a [b](c)\nd\n", true},
                      ComparisonCase{"lineBreakBeforeAnElement", "A See [x\ny](/x).\n",
                                     "A See\n[x\ny](/x).\n", false},
                      ComparisonCase{"paragraphBreak", "A See\n[x](/x).\n", "A See\n\n[x](/x).\n", false},
                      ComparisonCase{"escapedTextReadAsMarkup", "a \\*b\\*\n", "a *b*\n", false},
                      ComparisonCase{"twoListsMerged", "- a\n\n* b\n", "- a\n\n- b\n", false}),
    [](const auto& info) { return info.param.name; });

TEST(StructuralComparison, UnescapedTextIsAllowedByEscapingItBeforePrinting) {
    const MarkupFormatter::Options& options = MarkupFormatter::Options::defaultOptions();
    const Document original = Document::parsing("a \\*b\\* &lt;c&gt;\n\n\\- d\n");
    // Printed as it stands, the text reads back as emphasis, HTML and a list...
    EXPECT_NE(firstStructuralDifference(original, Document::parsing(original.format(options)), options),
              std::nullopt);
    // ...and with its punctuation escaped, as the text it was.
    EXPECT_EQ(roundTripDifference(original, options), std::nullopt);
}

} // namespace
} // namespace FormatterTest
