// Screenshots for a person to look at, light and dark: a realistic README in the pane's MD Preview
// mode and drawn whole, a long paragraph with an empty link after it, and the image rows
// (placeholder, loading, picture).
#include "LoopbackHttpServer.h"
#include "MarkdownFixture.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>

namespace {

const QString kReadme = QStringLiteral(R"(# Quillstack

A clipboard history for the Linux desktop: everything you copy stays **searchable** and *ready to
paste* again, with [previews](https://example.com/previews) for text, code and pictures.

## Features

- Keeps the text, links, images and files you copy
- Pins the snippets you use every day
- Shows Markdown, code and pictures in a `preview`
  1. Markdown rendered natively
  2. Code highlighted in your theme

### Roadmap

- [x] History panel with search
- [x] Syntax highlighting for code
- [ ] Sync between machines

> **Note:** nothing leaves your machine. Clips that password managers mark as concealed
> are never stored.

## Install

1. Install the dependencies
2. Build with `cmake`
3. Run `quillstack` and press <kbd>Shift+Super+V</kbd>

```bash
sudo apt install qt6-base-dev libcmark-gfm-dev
cmake -S . -B build -G Ninja && cmake --build build
```

| Shortcut | Action |
|---|---|
| Shift+Super+V | Show the history |
| Alt+Shift+Super+V | Paste the newest item as plain text |
| Ctrl+1 … Ctrl+9 | Paste one of the first nine items |

![Screenshot of the history panel](docs/panel.png) ![](docs/icon.png)

---

Made with care in Kraków. See the ~~old~~ [changelog](https://example.com/changelog) for releases.
)");

class MarkdownScreenshotTest : public MarkdownFixture {
protected:
    void SetUp() override {
        MarkdownFixture::SetUp();
        ASSERT_TRUE(QDir().mkpath(directory));
    }

    // The widget over the window's own colour, at twice the pixels.
    static QImage shoot(QWidget& widget) {
        QTest::qWait(50);
        QImage shot(widget.size() * 2, QImage::Format_ARGB32_Premultiplied);
        shot.setDevicePixelRatio(2);
        shot.fill(widget.palette().color(QPalette::Window));
        widget.render(&shot, {}, {}, QWidget::DrawChildren);
        return shot;
    }

    void save(const QImage& shot, const QString& name, bool dark) {
        const QString path =
            directory + u'/' + name + (dark ? QStringLiteral("-dark.png") : QStringLiteral("-light.png"));
        EXPECT_TRUE(shot.save(path)) << path.toStdString();
    }

    // Waits until the view's code blocks have their colours.
    static void waitForHighlighting(MarkdownPreviewView& shown) {
        shown.viewport()->repaint();
        for (int block = 0; block < static_cast<int>(shown.model().codeBlocks.size()); ++block)
            ASSERT_TRUE(QTest::qWaitFor([&] { return shown.isHighlighted(block); }, 10000));
    }

    const QString directory = QStringLiteral(QS_TEST_BINARY_DIR "/screenshots");
};

TEST_F(MarkdownScreenshotTest, ReadmeWholeAndInThePane) {
    for (const bool dark : {false, true}) {
        setDark(dark);
        const auto whole = view(kReadme, 12, {480, 1500});
        waitForHighlighting(*whole);
        save(shoot(*whole), QStringLiteral("markdown-readme"), dark);

        const auto shownPane = pane(item(ItemType::text, kReadme));
        shownPane->resize(480, 640);
        auto* content = shownPane->findChild<MarkdownPreviewView*>();
        ASSERT_NE(content, nullptr);
        waitForHighlighting(*content);
        save(shoot(*shownPane), QStringLiteral("markdown-pane"), dark);
    }
}

// A paragraph long enough to be laid out a piece at a time still wraps as one; an empty link
// shows nothing.
TEST_F(MarkdownScreenshotTest, LongParagraphAndEmptyLink) {
    QString words;
    for (int word = 0; words.size() < 2400; ++word)
        words +=
            word % 11 == 5 ? QStringLiteral("**bold%1** ").arg(word) : QStringLiteral("word%1 ").arg(word);
    const QString source = QStringLiteral("## A long paragraph\n\n") + words.trimmed() +
                           QStringLiteral("\n\nBefore an empty link [](https://x.org), after it.\n");
    for (const bool dark : {false, true}) {
        setDark(dark);
        const auto whole = view(source, 12, {480, 1100});
        ASSERT_GT(whole->model().rows.size(), 3u);
        save(shoot(*whole), QStringLiteral("markdown-long-paragraph"), dark);
    }
}

TEST_F(MarkdownScreenshotTest, ImageRowsLoadedLoadingAndPlaceholder) {
    LoopbackHttpServer server;
    server.on(QStringLiteral("/landscape.png"), [](QTcpSocket& socket) {
        QImage image(1200, 500, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient sky(0, 0, 0, 500);
        sky.setColorAt(0, QColor(90, 140, 210));
        sky.setColorAt(1, QColor(235, 200, 160));
        painter.fillRect(image.rect(), sky);
        painter.setBrush(QColor(60, 90, 70));
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(QPolygon({{0, 500}, {300, 260}, {520, 420}, {800, 220}, {1200, 500}}));
        painter.end();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        LoopbackHttpServer::respond(socket, "200 OK", "image/png", png);
    });
    // Never answers: the row keeps loading.
    server.on(QStringLiteral("/slow.png"), [](QTcpSocket&) {});
    const auto image = [](const QString& source, const char* title, const char* text) {
        return Markdown::Image(source.toStdString(), title ? std::optional<std::string>(title) : std::nullopt,
                               std::vector<Markdown::Markup>{Markdown::Text(text)});
    };
    const std::vector<Markdown::Markup> blocks{
        Markdown::Heading(2, std::vector<Markdown::Markup>{Markdown::Text("Pictures")}),
        image(server.url(QStringLiteral("/landscape.png")), "Hills at dusk", ""),
        image(server.url(QStringLiteral("/slow.png")), nullptr, "Still on its way"),
        image(QStringLiteral("docs/screenshots/history-panel.png"), nullptr, "The history panel"),
        image(QString(), nullptr, ""),
    };
    for (const bool dark : {false, true}) {
        setDark(dark);
        const auto shown = view(QString(), 12, {480, 640});
        shown->setModel(std::make_shared<const MDBlockView::Model>(MDBlockView::buildBlocks(blocks)));
        shown->viewport()->repaint();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return shown->picture(0).state == MDRowLayout::Picture::State::Loaded; }, 10000));
        shown->viewport()->repaint();
        save(shoot(*shown), QStringLiteral("markdown-images"), dark);
    }
}

} // namespace
