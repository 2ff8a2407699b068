// The X11 clipboard against the real server of the test session, with xclip, a test owner of our own
// and Qt (this very process) as the other side.
#include "Platform/X11/X11Pasteboard.h"
#include "TestSession.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

using Platform::PasteboardClip;
using Platform::X11::X11Pasteboard;
using TestSession::Child;

namespace {

class X11PasteboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pasteboard.isValid());
        ASSERT_TRUE(dir.isValid());
    }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // Copies with xclip, which then owns the clipboard, and waits until the count saw it.
    void copyWithXclip(const QString& target, const QByteArray& bytes) {
        const QString path = writeFile(QStringLiteral("xclip-%1").arg(owners.size()), bytes);
        expectOwnerChange([&] {
            owners.push_back(std::make_unique<Child>(
                QStringLiteral("xclip"),
                QStringList{"-quiet", "-selection", "clipboard", "-t", target, "-i", path}));
        });
    }

    // Copies with the test owner, offering each target with its bytes.
    enum class Answers { All, Nothing, TargetsOnly };
    void copyWithTestOwner(const QList<std::pair<QString, QByteArray>>& offers,
                           Answers answers = Answers::All) {
        QStringList arguments;
        if (answers == Answers::Nothing)
            arguments << QStringLiteral("--silent");
        else if (answers == Answers::TargetsOnly)
            arguments << QStringLiteral("--silent-after-targets");
        for (const auto& [target, bytes] : offers)
            arguments << target + u'=' + writeFile(QStringLiteral("offer-%1").arg(arguments.size()), bytes);
        expectOwnerChange([&] {
            owners.push_back(std::make_unique<Child>(QStringLiteral(QS_TEST_SELECTION_OWNER), arguments));
            ASSERT_TRUE(owners.back()->waitForLine(QStringLiteral("owner")).has_value());
        });
    }

    void expectOwnerChange(const std::function<void()>& change) {
        const qint64 before = pasteboard.changeCount();
        change();
        ASSERT_TRUE(TestSession::waitUntil([&] { return pasteboard.changeCount() > before; }))
            << "the owner change was not seen";
    }

    PasteboardClip read() {
        auto clip = TestSession::result(pasteboard.read());
        EXPECT_TRUE(clip.has_value());
        return clip.value_or(PasteboardClip{});
    }

    X11Pasteboard pasteboard;
    QTemporaryDir dir;
    std::vector<std::unique_ptr<Child>> owners;
};

QByteArray pngOf(const QImage& image, const char* format = "PNG") {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage noiseImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = 0xff000000u | (random->generate() & 0xffffffu);
    }
    return image;
}

TEST_F(X11PasteboardTest, ReadsTextFromAnotherClient) {
    const QString text = QStringLiteral("zażółć gęślą jaźń\n  second line ");
    copyWithXclip(QStringLiteral("UTF8_STRING"), text.toUtf8());
    const PasteboardClip clip = read();
    EXPECT_TRUE(clip.types.contains(QStringLiteral("UTF8_STRING")));
    ASSERT_TRUE(clip.string.has_value());
    EXPECT_EQ(*clip.string, text);
    EXPECT_FALSE(clip.rtf.has_value());
    EXPECT_FALSE(clip.png.has_value());
    EXPECT_TRUE(clip.filePaths.isEmpty());
    EXPECT_FALSE(clip.concealed);
    EXPECT_FALSE(clip.transient);
    EXPECT_FALSE(clip.timedOut);
    EXPECT_EQ(clip.changeCount, pasteboard.changeCount());
}

TEST_F(X11PasteboardTest, ReadsPngBytesExactly) {
    const QByteArray png = pngOf(noiseImage(64, 48));
    copyWithXclip(QStringLiteral("image/png"), png);
    const PasteboardClip clip = read();
    ASSERT_TRUE(clip.png.has_value());
    EXPECT_EQ(*clip.png, png);
    EXPECT_FALSE(clip.string.has_value());
}

TEST_F(X11PasteboardTest, ConvertsTiffToPng) {
    const QImage image = noiseImage(32, 20);
    copyWithXclip(QStringLiteral("image/tiff"), pngOf(image, "TIFF"));
    const PasteboardClip clip = read();
    ASSERT_TRUE(clip.png.has_value());
    EXPECT_TRUE(clip.png->startsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(QImage::fromData(*clip.png, "PNG").convertToFormat(QImage::Format_RGB32), image);
}

TEST_F(X11PasteboardTest, UndecodableTiffFallsBackToText) {
    copyWithTestOwner({{QStringLiteral("image/tiff"), QByteArray("not a tiff")},
                       {QStringLiteral("UTF8_STRING"), QByteArray("caption")}});
    const PasteboardClip clip = read();
    EXPECT_FALSE(clip.png.has_value());
    EXPECT_EQ(clip.string, QStringLiteral("caption"));
}

TEST_F(X11PasteboardTest, ReadsOnlyFileUrlsOfAUriList) {
    const QString first = dir.filePath(QStringLiteral("a b.txt"));
    const QString second = dir.filePath(QStringLiteral("zdjęcie.png"));
    const QByteArray list = "# comment\r\n" + QUrl::fromLocalFile(first).toEncoded() +
                            "\r\nhttps://example.org/x\r\n" + QUrl::fromLocalFile(second).toEncoded() +
                            "\r\n";
    copyWithTestOwner(
        {{QStringLiteral("text/uri-list"), list}, {QStringLiteral("image/png"), pngOf(noiseImage(4, 4))}});
    const PasteboardClip clip = read();
    EXPECT_EQ(clip.filePaths, (QStringList{first, second}));
    // File URLs win over the icon image a file manager puts beside them.
    EXPECT_FALSE(clip.png.has_value());
}

TEST_F(X11PasteboardTest, UriListWithoutFilesFallsBackToText) {
    copyWithTestOwner({{QStringLiteral("text/uri-list"), QByteArray("https://example.org/\r\n")},
                       {QStringLiteral("UTF8_STRING"), QByteArray("https://example.org/")}});
    const PasteboardClip clip = read();
    EXPECT_TRUE(clip.filePaths.isEmpty());
    EXPECT_EQ(clip.string, QStringLiteral("https://example.org/"));
}

TEST_F(X11PasteboardTest, ReadsRtfBesideTheString) {
    const QByteArray rtf = R"({\rtf1\ansi {\b bold} text})";
    copyWithTestOwner({{QStringLiteral("text/plain;charset=utf-8"), QByteArray("bold text")},
                       {QStringLiteral("text/rtf"), rtf}});
    const PasteboardClip clip = read();
    EXPECT_EQ(clip.string, QStringLiteral("bold text"));
    EXPECT_EQ(clip.rtf, rtf);
}

TEST_F(X11PasteboardTest, HonoursConcealedAndTransientMarkers) {
    struct Case {
        QString marker;
        QByteArray value;
        bool concealed;
        bool transient;
    };
    const Case cases[] = {
        {QStringLiteral("org.nspasteboard.ConcealedType"), "", true, false},
        {QStringLiteral("application/x-nspasteboard-concealed-type"), "", true, false},
        {QStringLiteral("x-kde-passwordManagerHint"), "secret", true, false},
        {QStringLiteral("x-kde-passwordManagerHint"), "anything at all", true, false},
        {QStringLiteral("org.nspasteboard.TransientType"), "", false, true},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.marker.toStdString());
        copyWithTestOwner(
            {{c.marker, c.value}, {QStringLiteral("UTF8_STRING"), "value " + QByteArray::number(index++)}});
        const PasteboardClip clip = read();
        EXPECT_EQ(clip.concealed, c.concealed);
        EXPECT_EQ(clip.transient, c.transient);
        EXPECT_TRUE(clip.string.has_value());
    }
}

TEST_F(X11PasteboardTest, RepublishedSecretIsStillConcealed) {
    copyWithTestOwner({{QStringLiteral("x-kde-passwordManagerHint"), "secret"},
                       {QStringLiteral("UTF8_STRING"), "hunter2"}});
    EXPECT_TRUE(read().concealed);

    // A clipboard manager puts the same text back without the marker.
    copyWithXclip(QStringLiteral("UTF8_STRING"), "hunter2");
    EXPECT_TRUE(read().concealed);

    copyWithXclip(QStringLiteral("UTF8_STRING"), "hunter3");
    EXPECT_FALSE(read().concealed);
}

TEST_F(X11PasteboardTest, OwnerThatNeverAnswersCostsOnlyTheTimeout) {
    pasteboard.setReadTimeout(std::chrono::milliseconds(400));
    copyWithTestOwner({{QStringLiteral("UTF8_STRING"), "never sent"}}, Answers::Nothing);
    QElapsedTimer timer;
    timer.start();
    const PasteboardClip hung = read();
    EXPECT_TRUE(hung.timedOut);
    EXPECT_FALSE(hung.string.has_value());
    EXPECT_LT(timer.elapsed(), 3000);

    copyWithXclip(QStringLiteral("UTF8_STRING"), "after the silent owner");
    const PasteboardClip next = read();
    EXPECT_FALSE(next.timedOut);
    EXPECT_EQ(next.string, QStringLiteral("after the silent owner"));
}

TEST_F(X11PasteboardTest, RepeatedChecksOfASilentOwnerDoNotQueueTimeouts) {
    pasteboard.setReadTimeout(std::chrono::milliseconds(500));
    copyWithTestOwner({{QStringLiteral("UTF8_STRING"), "never sent"}}, Answers::Nothing);
    QElapsedTimer timer;
    timer.start();
    QList<QFuture<PasteboardClip>> reads;
    for (int i = 0; i < 5; ++i)
        reads << pasteboard.read();
    for (const auto& future : reads)
        EXPECT_TRUE(TestSession::result(future).value_or(PasteboardClip{}).timedOut);
    // At most one read runs while the others wait for the next one together: one or two timeouts
    // (at most 1 s), never five (2.5 s); the bound leaves a loaded machine a second of slack.
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST_F(X11PasteboardTest, OwnerThatStopsAnsweringAfterItsTargetsStillShowsItsMarkers) {
    pasteboard.setReadTimeout(std::chrono::milliseconds(400));
    copyWithTestOwner({{QStringLiteral("x-kde-passwordManagerHint"), "secret"},
                       {QStringLiteral("UTF8_STRING"), "never sent"}},
                      Answers::TargetsOnly);
    QElapsedTimer timer;
    timer.start();
    const PasteboardClip clip = read();
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_TRUE(clip.timedOut);
    EXPECT_TRUE(clip.concealed);
    EXPECT_TRUE(clip.types.contains(QStringLiteral("UTF8_STRING")));
    EXPECT_FALSE(clip.string.has_value());
}

TEST_F(X11PasteboardTest, CountsEveryOwnerChangeAndSignalsIt) {
    QSignalSpy changed(&pasteboard, &X11Pasteboard::changed);
    const qint64 before = pasteboard.changeCount();
    copyWithXclip(QStringLiteral("UTF8_STRING"), "same");
    copyWithXclip(QStringLiteral("UTF8_STRING"), "same");
    EXPECT_EQ(pasteboard.changeCount(), before + 2);
    EXPECT_EQ(changed.count(), 2);

    // Nothing happens: the count stays.
    QTest::qWait(100);
    EXPECT_EQ(pasteboard.changeCount(), before + 2);
}

TEST_F(X11PasteboardTest, OwnWritesAreCountedAtOnceAndReadBack) {
    const qint64 before = pasteboard.changeCount();
    pasteboard.writeString(QStringLiteral("written by us"));
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    EXPECT_EQ(read().string, QStringLiteral("written by us"));

    const QByteArray rtf = R"({\rtf1 rich})";
    pasteboard.writeRichText(rtf, QStringLiteral("rich"));
    const PasteboardClip rich = read();
    EXPECT_EQ(rich.string, QStringLiteral("rich"));
    EXPECT_EQ(rich.rtf, rtf);

    pasteboard.clear();
    EXPECT_EQ(pasteboard.changeCount(), before + 3);
    const PasteboardClip cleared = read();
    EXPECT_FALSE(cleared.string.has_value());
    EXPECT_FALSE(cleared.timedOut);
}

TEST_F(X11PasteboardTest, WrittenImageIsServedAsTheExactPngBytes) {
    // Large enough that Qt serves it incrementally (INCR).
    const QByteArray png = pngOf(noiseImage(400, 300));
    ASSERT_GT(png.size(), 300 * 1024);
    pasteboard.writePng(png);
    const PasteboardClip clip = read();
    ASSERT_TRUE(clip.png.has_value());
    EXPECT_EQ(clip.png->size(), png.size());
    EXPECT_TRUE(*clip.png == png);
}

TEST_F(X11PasteboardTest, LargeTextArrivesWhole) {
    QString text;
    for (int i = 0; text.size() < 1024 * 1024; ++i)
        text += QStringLiteral("line %1 ąę\n").arg(i);
    pasteboard.writeString(text);
    const PasteboardClip clip = read();
    ASSERT_TRUE(clip.string.has_value());
    EXPECT_TRUE(*clip.string == text);
}

TEST_F(X11PasteboardTest, WrittenFilesOfferUriListAndGnomeList) {
    const QString first = dir.filePath(QStringLiteral("one.txt"));
    const QString second = dir.filePath(QStringLiteral("two words.md"));
    pasteboard.writeFilePaths({first, QString(), second});
    const PasteboardClip clip = read();
    EXPECT_EQ(clip.filePaths, (QStringList{first, second}));
    EXPECT_TRUE(clip.types.contains(QStringLiteral("x-special/gnome-copied-files")));

    Child xclip(QStringLiteral("xclip"),
                {"-o", "-selection", "clipboard", "-t", "x-special/gnome-copied-files"});
    ASSERT_TRUE(xclip.waitForExit());
    EXPECT_EQ(xclip.process().readAllStandardOutput(), "copy\n" + QUrl::fromLocalFile(first).toEncoded() +
                                                           "\n" + QUrl::fromLocalFile(second).toEncoded());
}

} // namespace
