// The highlighting text storage: passes after edits, the delegate, stale passes, theme changes
// from other threads, and clamped ranges. The main queue is a manual one the test drains.
#include "TestBundle.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

using namespace SyntaxHighlighter;
using SyntaxHighlighter::Testing::hex;
using SyntaxHighlighter::Testing::sameColor;
using SyntaxHighlighter::Testing::testBundle;

namespace {

class ManualMainQueue : public MainQueue {
public:
    void async(std::function<void()> work) override {
        {
            std::lock_guard lock(m_mutex);
            m_work.push_back(std::move(work));
        }
        m_posted.notify_all();
    }

    // Runs the next posted work on the calling thread, waiting for it; false after a timeout.
    bool runNext() {
        std::function<void()> work;
        {
            std::unique_lock lock(m_mutex);
            if (!m_posted.wait_for(lock, std::chrono::seconds(10), [this] { return !m_work.empty(); }))
                return false;
            work = std::move(m_work.front());
            m_work.pop_front();
        }
        work();
        return true;
    }

    std::size_t pending() {
        std::lock_guard lock(m_mutex);
        return m_work.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_work;
};

class RecordingDelegate : public HighlightDelegate {
public:
    bool shouldHighlight(Range range) override {
        asked.push_back(range);
        askedOn.push_back(std::this_thread::get_id());
        return allow;
    }
    void didHighlight(Range range, bool success) override { told.emplace_back(range, success); }

    bool allow = true;
    std::vector<Range> asked;
    std::vector<std::thread::id> askedOn;
    std::vector<std::pair<Range, bool>> told;
};

class CodeAttributedStringTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = SyntaxHighlighter::SyntaxHighlighter::create(testBundle());
        ASSERT_TRUE(engine);
        storage = std::make_unique<CodeAttributedString>(engine, queue);
        storage->setHighlightDelegate(delegate);
    }

    // What the engine gives for the same text in the current theme.
    StyledText expected(const std::u16string& text, const char* language) {
        return *engine->highlight(text, language, true);
    }

    std::shared_ptr<SyntaxHighlighter::SyntaxHighlighter> engine;
    std::shared_ptr<ManualMainQueue> queue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    std::unique_ptr<CodeAttributedString> storage;
};

TEST_F(CodeAttributedStringTest, WithoutALanguageNothingIsHighlighted) {
    storage->replaceCharacters({0, 0}, u"int x = 1;\n");
    storage->highlight({0, 5});
    ASSERT_TRUE(engine->setTheme("xcode"));
    ASSERT_TRUE(queue->runNext()); // the theme change comes through the main queue
    EXPECT_TRUE(delegate->asked.empty());
    EXPECT_EQ(queue->pending(), 0u);
    EXPECT_TRUE(storage->attributes(0).empty());
    EXPECT_EQ(storage->string(), u"int x = 1;\n");
}

TEST_F(CodeAttributedStringTest, SettingTheLanguageHighlightsTheWholeText) {
    std::u16string code = u"int main() {\n    return 0; // \U0001F600\n}\n";
    storage->replaceCharacters({0, 0}, code);
    storage->setLanguage("cpp");
    ASSERT_TRUE(queue->runNext());
    ASSERT_EQ(delegate->told.size(), 1u);
    EXPECT_EQ(delegate->told[0], std::make_pair(Range{0, code.size()}, true));
    EXPECT_EQ(storage->styledText(), expected(code, "cpp"));
}

TEST_F(CodeAttributedStringTest, AnEditRehighlightsOnlyItsParagraphs) {
    storage->replaceCharacters({0, 0}, u"int a = 1;\nint b = 2;\r\nint c = 3;\n");
    storage->setLanguage("cpp");
    ASSERT_TRUE(queue->runNext());
    delegate->asked.clear();

    storage->replaceCharacters({15, 1}, u"42"); // "2" of the second line
    ASSERT_EQ(delegate->asked.size(), 1u);
    EXPECT_EQ(delegate->asked[0], (Range{11, 13})); // "int b = 42;\r\n"
    ASSERT_TRUE(queue->runNext());
    EXPECT_EQ(delegate->told.back(), std::make_pair(Range{11, 13}, true));
    EXPECT_EQ(storage->styledText(), expected(storage->string(), "cpp"));

    // Edits grouped between beginEditing and endEditing make one pass over all they touched.
    delegate->asked.clear();
    storage->beginEditing();
    storage->replaceCharacters({0, 0}, u"// ");
    storage->replaceCharacters({18, 0}, u" "); // inside the second line
    EXPECT_TRUE(delegate->asked.empty());
    storage->endEditing();
    ASSERT_EQ(delegate->asked.size(), 1u);
    EXPECT_EQ(delegate->asked[0], (Range{0, 28}));
    ASSERT_TRUE(queue->runNext());
}

TEST_F(CodeAttributedStringTest, AttributeEditsStartNoPass) {
    storage->replaceCharacters({0, 0}, u"x");
    storage->setLanguage("cpp");
    ASSERT_TRUE(queue->runNext());
    delegate->asked.clear();
    storage->setAttributes(TextAttributes{Color::black(), std::nullopt, std::nullopt}, {0, 1});
    EXPECT_TRUE(delegate->asked.empty());
    EXPECT_TRUE(sameColor(storage->attributes(0).foreground, Color::black()));
}

TEST_F(CodeAttributedStringTest, AVetoedPassNeverReportsBack) {
    storage->replaceCharacters({0, 0}, u"int x;");
    delegate->allow = false;
    storage->setLanguage("cpp");
    EXPECT_EQ(delegate->asked.size(), 1u);
    delegate->allow = true;
    storage->highlight({0, 3});
    ASSERT_TRUE(queue->runNext());
    ASSERT_EQ(delegate->told.size(), 1u);
    EXPECT_EQ(delegate->told[0], std::make_pair(Range{0, 3}, true));
}

TEST_F(CodeAttributedStringTest, APassOverChangedTextIsDropped) {
    storage->replaceCharacters({0, 0}, u"int x = 1;\nint y = 2;\n");
    storage->setLanguage("cpp");
    storage->replaceCharacters({0, 11}, u"");    // the pass over the whole text no longer fits
    storage->replaceCharacters({0, 3}, u"long"); // and this pass sees different text
    storage->replaceCharacters({0, 4}, u"char");
    ASSERT_TRUE(queue->runNext());
    ASSERT_TRUE(queue->runNext());
    ASSERT_TRUE(queue->runNext());
    ASSERT_TRUE(queue->runNext());
    ASSERT_EQ(delegate->told.size(), 4u);
    EXPECT_EQ(delegate->told[0], std::make_pair(Range{0, 22}, false));
    EXPECT_EQ(delegate->told[1], std::make_pair(Range{0, 11}, false));
    EXPECT_EQ(delegate->told[2], std::make_pair(Range{0, 12}, false));
    EXPECT_EQ(delegate->told[3], std::make_pair(Range{0, 12}, true));
    EXPECT_EQ(storage->styledText(), expected(u"char y = 2;\n", "cpp"));
}

TEST_F(CodeAttributedStringTest, ThemeChangesFromAnotherThreadComeThroughTheMainQueue) {
    std::u16string code = u"return 1;";
    storage->replaceCharacters({0, 0}, code);
    storage->setLanguage("cpp");
    ASSERT_TRUE(queue->runNext());
    delegate->askedOn.clear();

    std::thread([this] { ASSERT_TRUE(engine->setTheme("xcode")); }).join();
    EXPECT_TRUE(delegate->askedOn.empty());
    ASSERT_TRUE(queue->runNext()); // the re-highlight request
    ASSERT_EQ(delegate->askedOn.size(), 1u);
    EXPECT_EQ(delegate->askedOn[0], std::this_thread::get_id());
    ASSERT_TRUE(queue->runNext()); // its result
    EXPECT_TRUE(sameColor(storage->attributes(0).foreground, hex(0xaa0d91)));
}

TEST_F(CodeAttributedStringTest, APassKeepsTheLanguageItStartedWith) {
    storage->replaceCharacters({0, 0}, u"SELECT 1;");
    storage->setLanguage("sql");
    storage->setLanguage(std::nullopt);
    ASSERT_TRUE(queue->runNext());
    ASSERT_EQ(delegate->told.size(), 1u);
    EXPECT_TRUE(delegate->told[0].second);
    EXPECT_EQ(storage->styledText(), expected(u"SELECT 1;", "sql"));
}

TEST_F(CodeAttributedStringTest, RangesAreClampedToTheText) {
    storage->replaceCharacters({50, 10}, u"abc");
    EXPECT_EQ(storage->string(), u"abc");
    storage->replaceCharacters({1, 100}, u"Z");
    EXPECT_EQ(storage->string(), u"aZ");
    storage->setAttributes(TextAttributes{Color::white(), std::nullopt, std::nullopt}, {1, 99});
    EXPECT_TRUE(sameColor(storage->attributes(1).foreground, Color::white()));
    Range effective{9, 9};
    EXPECT_TRUE(storage->attributes(7, &effective).empty());
    EXPECT_EQ(effective, (Range{2, 0}));

    storage->setLanguage("cpp");
    ASSERT_TRUE(queue->runNext());
    storage->highlight({1, 1000});
    EXPECT_EQ(delegate->asked.back(), (Range{1, 1}));
    ASSERT_TRUE(queue->runNext());
    EXPECT_EQ(delegate->told.back(), std::make_pair(Range{1, 1}, true));
}

TEST_F(CodeAttributedStringTest, InsertedTextTakesTheStyleAroundIt) {
    storage->replaceCharacters({0, 0}, u"ab");
    storage->setAttributes(TextAttributes{Color::black(), std::nullopt, std::nullopt}, {0, 1});
    storage->setAttributes(TextAttributes{Color::white(), std::nullopt, std::nullopt}, {1, 1});
    storage->replaceCharacters({1, 0}, u"x"); // after "a": a's style
    storage->replaceCharacters({2, 1}, u"y"); // replacing "b": b's style
    storage->replaceCharacters({0, 0}, u"s"); // at the start: the first character's style
    EXPECT_EQ(storage->string(), u"saxy");
    const Color expectedColours[] = {Color::black(), Color::black(), Color::black(), Color::white()};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(sameColor(storage->attributes(i).foreground, expectedColours[i])) << i;
    Range effective;
    storage->attributes(1, &effective);
    EXPECT_EQ(effective, (Range{0, 3}));
}

TEST_F(CodeAttributedStringTest, DestroyingTheStorageWithPassesInFlightIsSafe) {
    storage->replaceCharacters({0, 0}, u"int x = 1;\n");
    storage->setLanguage("cpp");
    for (int i = 0; i < 20; ++i)
        storage->replaceCharacters({0, 0}, u"x");
    storage.reset();
    while (queue->pending() > 0)
        queue->runNext();
    EXPECT_TRUE(engine->setTheme("xcode"));
    while (queue->pending() > 0)
        queue->runNext();
}

// A main queue that holds the worker inside async() until the test opens it (or ten seconds pass),
// so a pass can be kept running for as long as the test needs.
class GatedMainQueue : public ManualMainQueue {
public:
    void async(std::function<void()> work) override {
        {
            std::unique_lock lock(m_mutex);
            m_entered = true;
            m_changed.notify_all();
            if (!m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_open; }))
                m_timedOut = true;
        }
        ManualMainQueue::async(std::move(work));
    }

    bool waitUntilEntered() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_entered; });
    }
    void open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    bool timedOut() {
        std::lock_guard lock(m_mutex);
        return m_timedOut;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_entered = false;
    bool m_open = false;
    bool m_timedOut = false;
};

TEST(CodeAttributedStringLifetimeTest, DestroyingTheStorageDoesNotWaitForTheRunningPass) {
    std::shared_ptr<SyntaxHighlighter::SyntaxHighlighter> engine =
        SyntaxHighlighter::SyntaxHighlighter::create(testBundle());
    ASSERT_TRUE(engine);
    auto queue = std::make_shared<GatedMainQueue>();
    auto delegate = std::make_shared<RecordingDelegate>();
    auto storage = std::make_unique<CodeAttributedString>(engine, queue);
    storage->setHighlightDelegate(delegate);
    storage->replaceCharacters({0, 0}, u"int x = 1;\n");
    storage->setLanguage("cpp");
    storage->replaceCharacters({0, 0}, u"// queued behind the first pass\n");
    ASSERT_TRUE(queue->waitUntilEntered()); // the first pass is running, held by the gate

    // Waiting for the pass here would only end when the gate gives up.
    storage.reset();
    EXPECT_FALSE(queue->timedOut());

    queue->open();
    ASSERT_TRUE(queue->runNext()); // the abandoned pass's result finds no storage
    EXPECT_TRUE(delegate->told.empty());
    EXPECT_EQ(queue->pending(), 0u); // the queued pass was dropped, not run
}

TEST(CodeAttributedStringCreationTest, MakesItsOwnEngineFromTheInstalledBundle) {
    auto queue = std::make_shared<ManualMainQueue>();
    auto storage = CodeAttributedString::create(queue);
    ASSERT_TRUE(storage);
    storage->replaceCharacters({0, 0}, u"x = 1");
    storage->setLanguage("python");
    ASSERT_TRUE(queue->runNext());
    EXPECT_FALSE(storage->attributes(0).empty());
}

TEST(ParagraphRangeTest, CoversTheTouchedLinesWithTheirTerminators) {
    struct Case {
        std::u16string text;
        Range range;
        Range expected;
    };
    const Case cases[] = {
        {u"ab\ncd\nef", {4, 0}, {3, 3}}, {u"ab\ncd\nef", {1, 3}, {0, 6}}, {u"ab\ncd\nef", {7, 1}, {6, 2}},
        {u"ab\r\ncd", {1, 0}, {0, 4}},   {u"ab\r\ncd", {2, 1}, {0, 4}},   {u"ab\ncd", {0, 3}, {0, 3}},
        {u"", {0, 0}, {0, 0}},           {u"ab\n", {3, 0}, {3, 0}},       {u"ab", {5, 5}, {0, 2}},
        {u"a\u2028b", {2, 0}, {2, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CodeAttributedString::paragraphRange(c.text, c.range), c.expected)
            << std::string(c.text.begin(), c.text.end()) << " " << c.range.location << "+" << c.range.length;
}

} // namespace

namespace {

TEST(StyledTextTest, CopyingAttributesReplacesTheRunsOnlyAsFarAsTheTextGoes) {
    TextAttributes black{Color::black(), std::nullopt, std::nullopt};
    TextAttributes white{Color::white(), std::nullopt, std::nullopt};
    TextAttributes grey{Color::grey(), std::nullopt, std::nullopt};
    StyledText text(u"abcdef", black);
    StyledText source;
    source.append(u"xy", white);
    source.append(u"zzzz", grey);
    text.copyAttributes(source, 2); // c, d white; e, f grey; the rest of the source falls off
    EXPECT_EQ(text.text(), u"abcdef");
    ASSERT_EQ(text.runs().size(), 3u);
    EXPECT_EQ(text.runs()[0], (StyledText::Run{{0, 2}, black}));
    EXPECT_EQ(text.runs()[1], (StyledText::Run{{2, 2}, white}));
    EXPECT_EQ(text.runs()[2], (StyledText::Run{{4, 2}, grey}));

    text.copyAttributes(StyledText(u"qq", black), 1); // joins the runs it touches where equal
    EXPECT_EQ(text.runs()[0], (StyledText::Run{{0, 3}, black}));
    text.copyAttributes(source, 10); // beyond the text: nothing
    EXPECT_EQ(text.runs().size(), 3u);
}

} // namespace
