#include "CaptureTestSupport.h"

#include <Capture/VeskIntegration.h>
#include <Platform/Fakes/FakeWorkspace.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

ClipboardItemPtr item(ItemType type, std::optional<QString> text, std::optional<QString> ocr = std::nullopt,
                      std::optional<QString> language = std::nullopt) {
    NewClipboardItem content;
    content.type = type;
    content.plainText = std::move(text);
    content.ocrText = std::move(ocr);
    content.detectedLanguage = std::move(language);
    return ClipboardItem::make(std::move(content));
}

class VeskIntegrationTest : public ::testing::Test {
protected:
    VeskIntegrationTest() {
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        workspace.installed.insert(VeskIntegration::bundleID,
                                   {VeskIntegration::bundleID,
                                    "/usr/share/applications/dev.zuvidevozadode.vesk.desktop", "Vesk",
                                    "vesk"});
    }
    QString touch(const QString& name) {
        const QString path = files.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }
    QString openedText() {
        QFile file(workspace.openedFiles.last().paths.first());
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

    QTemporaryDir runtime;
    QTemporaryDir files;
    Platform::FakeWorkspace workspace;
    VeskIntegration vesk{workspace};
};

TEST_F(VeskIntegrationTest, MarkdownFilesOfAFileItemAreOpenedDirectly) {
    const QString notes = touch(QStringLiteral("notes.md"));
    const QString photo = touch(QStringLiteral("photo.png"));
    const ClipboardItemPtr files = item(ItemType::file, notes + u'\n' + photo);
    EXPECT_TRUE(vesk.shouldOfferOpen(*files));
    EXPECT_EQ(vesk.open(*files), std::nullopt);
    ASSERT_EQ(workspace.openedFiles.size(), 1);
    EXPECT_EQ(workspace.openedFiles[0].paths, QStringList{notes});
    EXPECT_EQ(workspace.openedFiles[0].desktopId, VeskIntegration::bundleID);

    QFile::remove(notes);
    EXPECT_TRUE(VeskIntegration::markdownFileURLs(*files).isEmpty());
}

TEST_F(VeskIntegrationTest, TextGoesThroughAPrivateFileNamedAfterItsHeading) {
    const ClipboardItemPtr meeting =
        item(ItemType::text, QStringLiteral("\n# Meeting: 10/12\n\n- one\n- two\n"));
    EXPECT_TRUE(vesk.shouldOfferOpen(*meeting));
    ASSERT_EQ(vesk.open(*meeting), std::nullopt);
    ASSERT_EQ(vesk.open(*meeting), std::nullopt);
    ASSERT_EQ(workspace.openedFiles.size(), 2);
    const QFileInfo first(workspace.openedFiles[0].paths.first());
    const QFileInfo second(workspace.openedFiles[1].paths.first());
    EXPECT_NE(first.filePath(), second.filePath()) << "each open writes a new file";
    EXPECT_TRUE(first.fileName().startsWith("Meeting- 10-12-"));
    EXPECT_EQ(first.absolutePath(), QDir(runtime.path()).filePath("quillstack/OpenInVesk"));
    EXPECT_EQ(first.permissions() & 0x0077, 0) << "readable by the owner only";
    EXPECT_EQ(QFileInfo(first.absolutePath()).permissions() & 0x0077, 0);
    EXPECT_EQ(openedText(), QStringLiteral("# Meeting: 10/12\n\n- one\n- two"));
}

TEST_F(VeskIntegrationTest, FileNameStems) {
    EXPECT_EQ(VeskIntegration::preferredFileName(QStringLiteral("## Notes ##\nbody")), "Notes");
    EXPECT_EQ(VeskIntegration::preferredFileName(QStringLiteral("  \n###\nbody")), "");
    EXPECT_EQ(VeskIntegration::preferredFileName(QStringLiteral("   ")), "clipboard");
    const ClipboardItemPtr hashes = item(ItemType::text, QStringLiteral("###\n* a\n* b\n\n**bold** text"));
    ASSERT_EQ(vesk.open(*hashes), std::nullopt);
    EXPECT_TRUE(QFileInfo(workspace.openedFiles.last().paths.first()).fileName().startsWith("clipboard-"));
    const ClipboardItemPtr longLine = item(ItemType::text, QString(60, u'x') + QStringLiteral("\n# more"));
    ASSERT_EQ(vesk.open(*longLine), std::nullopt);
    EXPECT_EQ(QFileInfo(workspace.openedFiles.last().paths.first()).fileName().size(), 48 + 1 + 8 + 3);
}

TEST_F(VeskIntegrationTest, OfferRulesAndFailures) {
    const QString upper = touch(QStringLiteral("README.MD"));
    const ClipboardItemPtr path = item(ItemType::text, upper);
    EXPECT_TRUE(vesk.shouldOfferOpen(*path));
    ASSERT_EQ(vesk.open(*path), std::nullopt);
    EXPECT_EQ(workspace.openedFiles.last().paths, QStringList{upper}) << "opened in place, not copied";

    EXPECT_TRUE(
        vesk.shouldOfferOpen(*item(ItemType::code, QStringLiteral("x"), std::nullopt, QStringLiteral("MD"))));
    EXPECT_FALSE(
        vesk.shouldOfferOpen(*item(ItemType::image, std::nullopt, QStringLiteral("# Title\n\n- a\n- b\n"))));
    EXPECT_FALSE(vesk.shouldOfferOpen(*item(ItemType::url, QStringLiteral("https://example.org/a.md"))));
    EXPECT_TRUE(
        vesk.shouldOfferOpen(*item(ItemType::text, std::nullopt, QStringLiteral("# Title\n\n- a\n- b\n"))));

    const ClipboardItemPtr blank = item(ItemType::text, QStringLiteral("  \n "));
    EXPECT_FALSE(vesk.shouldOfferOpen(*blank));
    const std::optional<VeskIntegration::OpenFailure> nothing = vesk.open(*blank);
    ASSERT_TRUE(nothing);
    EXPECT_EQ(nothing->error, VeskIntegration::OpenError::nothingToOpen);
    EXPECT_EQ(nothing->description, "Nothing to open in vesk");

    workspace.installed.clear();
    const std::optional<VeskIntegration::OpenFailure> missing = vesk.open(*path);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->error, VeskIntegration::OpenError::appMissing);
}

} // namespace
