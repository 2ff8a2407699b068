#include <App/UrlRequest.h>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace {

struct ActionCase {
    const char* url;
    std::optional<const char*> action; // empty: the URL is ignored
};

void PrintTo(const ActionCase& c, std::ostream* out) {
    *out << '"' << c.url << '"';
}

class QuillstackAction : public ::testing::TestWithParam<ActionCase> {};

TEST_P(QuillstackAction, IsTheHostOrPathTrimmedAndLowerCased) {
    const ActionCase& c = GetParam();
    const std::optional<QString> action = App::quillstackAction(QUrl(QString::fromUtf8(c.url)));
    if (!c.action) {
        EXPECT_FALSE(action.has_value()) << c.url << " gave " << qPrintable(action.value_or(QString()));
        return;
    }
    ASSERT_TRUE(action.has_value()) << c.url;
    EXPECT_EQ(*action, QString::fromUtf8(*c.action)) << c.url;
}

INSTANTIATE_TEST_SUITE_P(
    Urls, QuillstackAction,
    ::testing::Values(ActionCase{"quillstack://show", "show"}, ActionCase{"quillstack://history/", "history"},
                      ActionCase{"quillstack://SHOW", "show"}, ActionCase{"QUILLSTACK://Show", "show"},
                      ActionCase{"quillstack:show", "show"}, ActionCase{"quillstack:///history//", "history"},
                      ActionCase{"quillstack:", ""}, ActionCase{"quillstack://", ""},
                      ActionCase{"quillstack://anything-else?x=1", "anything-else"},
                      ActionCase{"quillstack:some/deeper/Path/", "some/deeper/path"},
                      // Foreign schemes, no scheme, malformed input.
                      ActionCase{"https://show", std::nullopt},
                      ActionCase{"quillstackx://show", std::nullopt},
                      ActionCase{"file:///tmp/quillstack", std::nullopt}, ActionCase{"show", std::nullopt},
                      ActionCase{"//show", std::nullopt}, ActionCase{"", std::nullopt},
                      ActionCase{"quillstack://exa mple", std::nullopt},
                      ActionCase{"quillstack://[::1", std::nullopt}));

TEST(ParseCommandLine, CollectsFlagsAndUrlsInOrder) {
    const App::LaunchRequest request =
        App::parseCommandLine({"quillstack", "--show-history", "quillstack://show", "not a url",
                               "--relaunched", "https://x.org/a"});
    EXPECT_TRUE(request.showHistory);
    EXPECT_TRUE(request.relaunched);
    ASSERT_EQ(request.urls.size(), 2);
    EXPECT_EQ(request.urls[0], QUrl("quillstack://show"));
    EXPECT_EQ(request.urls[1], QUrl("https://x.org/a"));
    EXPECT_TRUE(request.asksForSomething());
}

TEST(ParseCommandLine, OnlyExactFlagsCountAndTheProgramNameIsSkipped) {
    const App::LaunchRequest request =
        App::parseCommandLine({"quillstack://show", "--show-history=1", "--SHOW-HISTORY", "-show-history"});
    EXPECT_FALSE(request.showHistory);
    EXPECT_FALSE(request.relaunched);
    EXPECT_TRUE(request.urls.isEmpty());
    EXPECT_FALSE(request.asksForSomething());
}

} // namespace
