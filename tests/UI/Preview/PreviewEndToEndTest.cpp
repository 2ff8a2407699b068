// The real quillstack binary under the test session: a C++ snippet copied with xclip and selected
// in the panel shows highlight.js colours in the preview pane (read back from the X server's
// pixels), and a plain sentence shows none. Keys are real X input from xdotool.
#include "RunningQuillstack.h"
#include "TestSession.h"

#include <QColor>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest/QTest>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The panel's layout: the list column, the gap and the margins around the preview column.
constexpr int kPreviewLeft = 14 + 340 + 12;
constexpr int kPreviewRightMargin = 14;
// The pane's header above and the bar and footer below its content, with room to spare.
constexpr int kContentTop = 140;
constexpr int kContentBottomFromPanelBottom = 110;

void xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(5000);
}

// Pixels in the hues of xcode's keywords (#aa0d91) and strings (#c41a16), however much the text's
// edges blend them with the background: nothing else in the panel has those hues at that strength.
int highlightPixels(quint32 window, const QRect& area) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, static_cast<int16_t>(area.x()),
                      static_cast<int16_t>(area.y()), static_cast<uint16_t>(area.width()),
                      static_cast<uint16_t>(area.height()), ~0u),
        nullptr);
    int count = 0;
    if (image && xcb_get_image_data_length(image) >= area.width() * area.height() * 4) {
        const uint8_t* data = xcb_get_image_data(image);
        for (int i = 0; i < area.width() * area.height(); ++i) {
            const QColor pixel(data[i * 4 + 2], data[i * 4 + 1], data[i * 4]);
            const int hue = pixel.hsvHue();
            const bool keyword = hue >= 295 && hue <= 325;
            const bool string = hue <= 8 || hue >= 355;
            if ((keyword || string) && pixel.hsvSaturationF() > 0.35 && pixel.valueF() > 0.3)
                ++count;
        }
    }
    std::free(image);
    xcb_disconnect(c);
    return count;
}

quint32 focusedWindow() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const quint32 window = reply ? reply->focus : 0;
    std::free(reply);
    xcb_disconnect(c);
    return window;
}

QSize windowSize(quint32 window) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    const QSize size = reply ? QSize(reply->width, reply->height) : QSize();
    std::free(reply);
    xcb_disconnect(c);
    return size;
}

class PreviewEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(quillstack.start(R"({"hasCompletedOnboarding": true, "windowPosition": "center"})"))
            << qPrintable(quillstack.log());
    }

    void copyText(const QByteArray& text) {
        ASSERT_TRUE(RunningQuillstack::copyText(text));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return quillstack.storedTexts().value(0) == QString::fromUtf8(text); }, 10000))
            << qPrintable(quillstack.log());
    }

    // Shows the panel with the hot key; returns its window, which has the keyboard focus then.
    quint32 showPanel() {
        xdotool({"key", "--clearmodifiers", "shift+super+v"});
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return quillstack.log().contains(QStringLiteral("panel shown")); }, 5000))
            << qPrintable(quillstack.log());
        quint32 panel = 0;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                panel = focusedWindow();
                return windowSize(panel).width() >= 860;
            },
            5000));
        return panel;
    }

    RunningQuillstack quillstack;
};

TEST_F(PreviewEndToEnd, CopiedCodeShowsHighlightColoursAndASentenceDoesNot) {
    copyText("#include <vector>\n\nint main() {\n    std::vector<int> values{1, 2, 3};\n"
             "    for (int v : values) {\n        if (v > 1)\n            return v;\n    }\n"
             "    return 0; // \"done\"\n}\n");
    ASSERT_EQ(quillstack.storedValues(QStringLiteral("typeRaw")).value(0), QStringLiteral("code"));
    copyText("Lunch is at noon on Friday, in the small room.");

    const quint32 panel = showPanel();
    const QSize size = windowSize(panel);
    ASSERT_GE(size.width(), 860) << qPrintable(quillstack.log());
    const QRect content(kPreviewLeft, kContentTop, size.width() - kPreviewLeft - kPreviewRightMargin,
                        size.height() - kContentTop - kContentBottomFromPanelBottom);

    // The sentence is on top and previewed first: it stays plain.
    QTest::qWait(1500);
    EXPECT_EQ(highlightPixels(panel, content), 0);

    // Selecting the snippet: the engine starts on first use and colours the code.
    xdotool({"key", "Down"});
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return highlightPixels(panel, content) > 40; }, 10000))
        << qPrintable(quillstack.log());
    RecordProperty("selection_to_colours_ms", static_cast<int>(timer.elapsed()));

    xdotool({"key", "Up"});
    QTest::qWait(800);
    EXPECT_EQ(highlightPixels(panel, content), 0) << "back on the sentence";
}

} // namespace
