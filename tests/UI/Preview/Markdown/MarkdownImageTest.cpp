// Images standing as blocks, against a real HTTP server on the loopback (no internet): a small PNG
// loads and shows bounded, an oversized body, a slow server, a redirect to file: and a picture too
// large to decode all end in the placeholder row; sources that are not http or https show it at
// once; and no request is ever made but the one for a block image's own address.
#include "LoopbackHttpServer.h"
#include "MarkdownFixture.h"

#include <QBuffer>

namespace {

using State = MDRowLayout::Picture::State;

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray png(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class MarkdownImageTest : public MarkdownFixture {
protected:
    void SetUp() override {
        MarkdownFixture::SetUp();
        server.on(QStringLiteral("/small.png"), [](QTcpSocket& socket) {
            LoopbackHttpServer::respond(socket, "200 OK", "image/png", png({1600, 400}));
        });
    }

    // A view of image blocks with these sources, under a small size limit. The timeout is short only
    // where a test waits for it to pass; elsewhere a loaded machine must not turn a load into a failure.
    std::unique_ptr<MarkdownPreviewView> imageView(const QStringList& sources, int timeoutMs = 20000) {
        std::vector<Markdown::Markup> blocks;
        for (const QString& source : sources)
            blocks.push_back(Markdown::Image(source.toStdString(), std::nullopt,
                                             std::vector<Markdown::Markup>{Markdown::Text("caption")}));
        auto shown = view(QString());
        RemoteImageLoader::Limits limits;
        limits.maxBytes = 256 * 1024;
        limits.timeoutMs = timeoutMs;
        shown->imageLoader().setLimits(limits);
        shown->setModel(std::make_shared<const MDBlockView::Model>(MDBlockView::buildBlocks(blocks)));
        shown->viewport()->repaint();
        return shown;
    }

    static void waitSettled(MarkdownPreviewView& shown, int image) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown.picture(image).state != State::Loading; }, 30000));
        shown.viewport()->repaint();
    }

    LoopbackHttpServer server;
};

TEST_F(MarkdownImageTest, SmallPictureLoadsBoundedAndShowsAtMost220High) {
    const auto shown = imageView({server.url(QStringLiteral("/small.png"))});
    EXPECT_EQ(shown->picture(0).state, State::Loading);
    waitSettled(*shown, 0);
    const MDRowLayout::Picture picture = shown->picture(0);
    ASSERT_EQ(picture.state, State::Loaded);
    // Decoded no larger than the place that shows it, proportions kept.
    EXPECT_LE(picture.image.width(), 460);
    EXPECT_EQ(picture.image.width(), picture.image.height() * 4);
    const MDRowLayout::Layout& layout = shown->rowLayout(0);
    EXPECT_LE(layout.frame.height(), MDRowLayout::kPictureMaxHeight);
    EXPECT_NEAR(layout.frame.width(), layout.frame.height() * 4, 1);
    ASSERT_EQ(layout.pieces.size(), 1u);
    EXPECT_EQ(layout.pieces[0].text->text(), QStringLiteral("caption"));
    EXPECT_EQ(server.requests, QStringList{QStringLiteral("/small.png")});
}

TEST_F(MarkdownImageTest, EveryFailureEndsInThePlaceholderWithItsSource) {
    server.on(QStringLiteral("/oversized"), [](QTcpSocket& socket) {
        LoopbackHttpServer::respond(socket, "200 OK", "image/png", QByteArray(1024 * 1024, 'x'));
    });
    server.on(QStringLiteral("/endless"), [](QTcpSocket& socket) {
        // No length announced: the body is cut off once it passes the limit.
        socket.write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n\r\n");
        socket.write(QByteArray(300 * 1024, 'x'));
    });
    server.on(QStringLiteral("/slow"), [](QTcpSocket& socket) {
        socket.write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 1000\r\n\r\nabc");
    });
    server.on(QStringLiteral("/to-file"), [](QTcpSocket& socket) {
        LoopbackHttpServer::respond(socket, "302 Found", "text/plain", {},
                                    "Location: file:///etc/hostname\r\n");
    });
    // A valid header claiming 40000 x 40000 pixels: decoding it whole would take gigabytes.
    server.on(QStringLiteral("/huge.png"), [](QTcpSocket& socket) {
        QByteArray header = png({1, 1});
        const QByteArray side = QByteArray::fromHex("00009c40");
        header.replace(16, 4, side);
        header.replace(20, 4, side);
        // The header's checksum (over its type and data) made right again.
        const quint32 crc = crc32(header.mid(12, 17));
        header[29] = char(crc >> 24);
        header[30] = char(crc >> 16);
        header[31] = char(crc >> 8);
        header[32] = char(crc);
        LoopbackHttpServer::respond(socket, "200 OK", "image/png", header);
    });
    server.on(QStringLiteral("/missing.png"), [](QTcpSocket& socket) {
        LoopbackHttpServer::respond(socket, "404 Not Found", "text/plain", "no");
    });
    const QStringList paths{QStringLiteral("/oversized"), QStringLiteral("/endless"),
                            QStringLiteral("/slow"),      QStringLiteral("/to-file"),
                            QStringLiteral("/huge.png"),  QStringLiteral("/missing.png")};
    QStringList sources;
    for (const QString& path : paths)
        sources << server.url(path);
    const auto shown = imageView(sources, 400);
    for (int image = 0; image < sources.size(); ++image) {
        shown->scrollToRow(image);
        shown->viewport()->repaint();
        waitSettled(*shown, image);
        EXPECT_EQ(shown->picture(image).state, State::Placeholder) << paths[image].toStdString();
        const MDRowLayout::Layout& layout = shown->rowLayout(image);
        ASSERT_EQ(layout.labels.size(), 1u);
        EXPECT_EQ(layout.labels[0].text->text(), sources[image]) << "the placeholder names its source";
    }
    QStringList asked = server.requests;
    asked.sort();
    QStringList expected = paths;
    expected.sort();
    EXPECT_EQ(asked, expected) << "nothing is asked but each picture once, the redirect not followed";
}

TEST_F(MarkdownImageTest, SourcesOffTheWebShowThePlaceholderAtOnceAndInlineImagesAreNeverFetched) {
    const QStringList sources{
        QStringLiteral("docs/panel.png"),        QString(),
        QStringLiteral("file:///etc/hostname"),  QStringLiteral("data:image/png;base64,iVBORw0KGgo="),
        QStringLiteral("ftp://127.0.0.1/x.png"), QStringLiteral("http:relative.png")};
    const auto shown = imageView(sources);
    for (int image = 0; image < sources.size(); ++image) {
        EXPECT_EQ(shown->picture(image).state, State::Placeholder) << image;
        const QString label = shown->rowLayout(image).labels.at(0).text->text();
        EXPECT_EQ(label, sources[image].isEmpty() ? QStringLiteral("Image") : sources[image]);
    }

    // An image written in a paragraph is its text, whatever its address.
    const auto paragraph =
        view(QStringLiteral("![Logo](%1) and ![](%1)").arg(server.url(QStringLiteral("/small.png"))));
    paragraph->viewport()->repaint();
    QTest::qWait(200);
    EXPECT_EQ(paragraph->model().rows.at(0).text.text, QStringLiteral("Logo and \U0001F5BC"));
    EXPECT_TRUE(server.requests.isEmpty());
}

} // namespace
