#include "CaptureTestSupport.h"

#include <Capture/ClipboardItemFactory.h>

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using Platform::PasteboardClip;

QByteArray png(QColor color = Qt::blue) {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

PasteboardClip stringClip(const QString& text, std::optional<QByteArray> rtf = std::nullopt) {
    PasteboardClip clip;
    clip.string = text;
    clip.rtf = std::move(rtf);
    return clip;
}

class ClipboardItemFactoryTest : public ::testing::Test {
protected:
    ClipboardItemPtr make(const PasteboardClip& clip,
                          std::optional<Platform::RunningApplication> source = std::nullopt) {
        return ClipboardItemFactory::make(clip, source, history.images);
    }
    TemporaryHistory history;
};

TEST_F(ClipboardItemFactoryTest, FilesWinOverAnImageAndAreKeyedByTheirJoinedPaths) {
    PasteboardClip clip;
    clip.filePaths = {QStringLiteral("/tmp/a b.txt"), QStringLiteral("/home/ü/c")};
    clip.png = png();
    const ClipboardItemPtr item = make(clip);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->type(), ItemType::file);
    EXPECT_EQ(item->plainText(), QStringLiteral("/tmp/a b.txt\n/home/ü/c"));
    EXPECT_EQ(item->dedupeKey(), "file:" + sha256Hex(QStringLiteral("/tmp/a b.txt\n/home/ü/c").toUtf8()));
    EXPECT_TRUE(history.imageFiles().isEmpty()) << "no picture is written for a file list";
}

TEST_F(ClipboardItemFactoryTest, AnImageKeepsItsBytesExactlyInAFileNamedByAnUpperCaseUuid) {
    const QByteArray bytes = png();
    PasteboardClip clip;
    clip.png = bytes;
    clip.string = QStringLiteral("ignored beside a picture");
    const ClipboardItemPtr item = make(clip, Platform::RunningApplication{"org.gimp.GIMP", "GIMP", {}, 1, 2});
    ASSERT_TRUE(item);
    EXPECT_EQ(item->type(), ItemType::image);
    EXPECT_FALSE(item->plainText());
    EXPECT_EQ(item->dedupeKey(), "img:" + sha256Hex(bytes));
    EXPECT_EQ(item->sourceAppBundleID(), QStringLiteral("org.gimp.GIMP"));
    EXPECT_EQ(item->sourceAppName(), QStringLiteral("GIMP"));
    ASSERT_TRUE(item->imageFilename());
    EXPECT_TRUE(item->imageFilename()->endsWith(".png"));
    EXPECT_EQ(item->imageFilename()->chopped(4), item->imageFilename()->chopped(4).toUpper());
    EXPECT_FALSE(QUuid::fromString(item->imageFilename()->chopped(4)).isNull());
    QFile file(history.images.path(*item->imageFilename()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
}

TEST_F(ClipboardItemFactoryTest, AnImageWhoseFileCannotBeWrittenYieldsNoItem) {
    // The image folder's place is taken by a plain file, so nothing can be written into it.
    QFile blocker(history.images.directory());
    QDir(history.images.directory()).removeRecursively();
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PasteboardClip clip;
    clip.png = png();
    EXPECT_FALSE(make(clip));
}

TEST_F(ClipboardItemFactoryTest, StringsBecomeTheRightKind) {
    const QByteArray rtf = "{\\rtf1 hello}";
    struct Case {
        const char* name;
        QString text;
        std::optional<QByteArray> rtf;
        ItemType type;
        QString plainText;
    };
    const QList<Case> cases{
        {"plain text", "hello world", std::nullopt, ItemType::text, "hello world"},
        {"text with RTF", "hello world", rtf, ItemType::richText, "hello world"},
        {"link, trimmed", "  https://example.org/a?b=c  ", std::nullopt, ItemType::url,
         "https://example.org/a?b=c"},
        {"link in capitals", "HTTPS://EXAMPLE.ORG", std::nullopt, ItemType::url, "HTTPS://EXAMPLE.ORG"},
        {"link drops RTF", "http://example.org", rtf, ItemType::url, "http://example.org"},
        {"space in a path", "http://example.org/a b", std::nullopt, ItemType::text, "http://example.org/a b"},
        {"ftp is no link", "ftp://example.org/file", std::nullopt, ItemType::text, "ftp://example.org/file"},
        {"no host", "http://", std::nullopt, ItemType::text, "http://"},
        {"code drops RTF", "#include <stdio.h>\nint main(void) {\n    return 0;\n}\n", rtf, ItemType::code,
         "#include <stdio.h>\nint main(void) {\n    return 0;\n}\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ClipboardItemPtr item = make(stringClip(c.text, c.rtf));
        ASSERT_TRUE(item);
        EXPECT_EQ(item->type(), c.type);
        EXPECT_EQ(item->plainText(), c.plainText);
        EXPECT_EQ(item->richData().has_value(), c.type == ItemType::richText);
        EXPECT_EQ(item->detectedLanguage().has_value(), c.type == ItemType::code);
    }
}

TEST_F(ClipboardItemFactoryTest, ALinkOf2048CharactersIsText) {
    const QString base = QStringLiteral("https://example.org/");
    const QString at2047 = base + QString(2047 - base.size(), u'a');
    const QString at2048 = at2047 + u'a';
    EXPECT_TRUE(ClipboardItemFactory::isWebURL(at2047));
    EXPECT_FALSE(ClipboardItemFactory::isWebURL(at2048));
}

TEST_F(ClipboardItemFactoryTest, TextKeysShareOneSpaceAndLinksAreKeyedAsTheyArePasted) {
    const ClipboardItemPtr plain = make(stringClip(QStringLiteral("same words")));
    const ClipboardItemPtr rich = make(stringClip(QStringLiteral("same words"), QByteArray("{\\rtf1 same}")));
    EXPECT_EQ(plain->dedupeKey(), "txt:" + sha256Hex("same words"));
    EXPECT_EQ(plain->dedupeKey(), rich->dedupeKey());
    EXPECT_NE(plain->id(), rich->id());

    // A link surrounded by spaces goes back trimmed; the pasted form must meet the same key.
    const ClipboardItemPtr spaced = make(stringClip(QStringLiteral("  https://example.org  ")));
    const ClipboardItemPtr bare = make(stringClip(QStringLiteral("https://example.org")));
    EXPECT_EQ(spaced->dedupeKey(), "txt:" + sha256Hex("https://example.org"));
    EXPECT_EQ(spaced->dedupeKey(), bare->dedupeKey());
    // Other text keeps its white space in the key, as it is pasted back with it.
    EXPECT_EQ(make(stringClip(QStringLiteral(" x ")))->dedupeKey(), "txt:" + sha256Hex(" x "));
}

TEST_F(ClipboardItemFactoryTest, NothingUsableYieldsNothing) {
    EXPECT_FALSE(make(PasteboardClip{}));
    EXPECT_FALSE(make(stringClip(QStringLiteral(" \n\t "))));
    EXPECT_FALSE(make(stringClip(QStringLiteral("  \n"), QByteArray("{\\rtf1 x}"))));
    PasteboardClip rtfOnly;
    rtfOnly.rtf = QByteArray("{\\rtf1 x}");
    EXPECT_FALSE(make(rtfOnly));
    EXPECT_TRUE(history.imageFiles().isEmpty());
}

TEST_F(ClipboardItemFactoryTest, ASourceWithoutDesktopFileKeepsOnlyItsName) {
    const ClipboardItemPtr item =
        make(stringClip(QStringLiteral("words")), Platform::RunningApplication{{}, "xterm", {}, 1, 2});
    EXPECT_FALSE(item->sourceAppBundleID());
    EXPECT_EQ(item->sourceAppName(), QStringLiteral("xterm"));
}

} // namespace
