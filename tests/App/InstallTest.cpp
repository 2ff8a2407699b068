#include <App/ResourceDirectory.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Resources, AreFoundBesideTheBinaryInTheBuildTree) {
    const QString directory = App::resourceDirectory();
    EXPECT_EQ(QFileInfo(directory).canonicalFilePath(),
              QFileInfo(QStringLiteral(QS_TEST_BINARY_DIR "/share/quillstack")).canonicalFilePath());
    for (const char* icon : {"doc.on.clipboard.svg", "doc.on.clipboard.fill.svg", "quillstack.svg"})
        EXPECT_TRUE(QFile::exists(QDir(directory).filePath(QStringLiteral("icons/") + icon))) << icon;
}

TEST(Install, PutsEverythingInThePrefixLayout) {
    QTemporaryDir prefix;
    QProcess install;
    install.start(QStringLiteral("cmake"), {"--install", QS_TEST_BINARY_DIR, "--prefix", prefix.path()});
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().constData();

    const QDir root(prefix.path());
    const QFileInfo binary(root.filePath("bin/quillstack"));
    EXPECT_TRUE(binary.isExecutable());
    for (const char* file :
         {"share/quillstack/icons/doc.on.clipboard.svg", "share/quillstack/icons/doc.on.clipboard.fill.svg",
          "share/icons/hicolor/scalable/apps/quillstack.svg", "share/applications/quillstack.desktop"})
        EXPECT_TRUE(QFile::exists(root.filePath(file))) << file;

    QSettings desktop(root.filePath("share/applications/quillstack.desktop"), QSettings::IniFormat);
    desktop.beginGroup("Desktop Entry");
    EXPECT_EQ(desktop.value("Type").toString(), "Application");
    EXPECT_EQ(desktop.value("Exec").toString(), "quillstack %u");
    EXPECT_EQ(desktop.value("Icon").toString(), "quillstack");
    QFile raw(root.filePath("share/applications/quillstack.desktop"));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_TRUE(raw.readAll().contains("\nMimeType=x-scheme-handler/quillstack;\n"));

    QProcess validate;
    validate.start("desktop-file-validate", {root.filePath("share/applications/quillstack.desktop")});
    ASSERT_TRUE(validate.waitForFinished(10000)) << "desktop-file-validate (desktop-file-utils) is needed";
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().constData();
}

} // namespace
