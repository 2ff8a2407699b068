#include <App/ResourceDirectory.h>
#include <DesktopEntry.h>
#include <Platform/InstanceCommand.h>

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

// The build tree installed into a temporary prefix.
class Install : public ::testing::Test {
protected:
    void SetUp() override {
        QProcess install;
        install.start(QStringLiteral("cmake"), {"--install", QS_TEST_BINARY_DIR, "--prefix", prefix.path()});
        ASSERT_TRUE(install.waitForFinished(60000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().constData();
    }

    QTemporaryDir prefix;
};

TEST_F(Install, PutsEverythingInThePrefixLayout) {

    const QDir root(prefix.path());
    // The command is the launcher; the program it starts lives in libexec, beside share.
    for (const char* executable : {"bin/quillstack", "libexec/quillstack"})
        EXPECT_TRUE(QFileInfo(root.filePath(executable)).isExecutable()) << executable;
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

// Many desktops show no tray: each entry of the status menu is an action of the desktop entry too
// (the launcher's right-click menu), named in English and Polish, running a request the command
// hands to the running instance.
TEST_F(Install, TheDesktopEntryOffersTheStatusMenusEntriesAsActions) {
    const auto entry =
        readDesktopEntry(QDir(prefix.path()).filePath("share/applications/quillstack.desktop"));
    const QStringList actions = entry.value("Desktop Entry").value("Actions").split(u';', Qt::SkipEmptyParts);
    EXPECT_EQ(actions,
              (QStringList{"show-history", "toggle-monitoring", "clear-history", "settings", "quit"}));
    QStringList flags{"--show-history"};
    for (const Platform::InstanceCommandFlag& command : Platform::instanceCommandFlags)
        flags << QString::fromLatin1(command.flag);
    QStringList offered;
    for (const QString& action : actions) {
        const QMap<QString, QString> keys = entry.value(QStringLiteral("Desktop Action ") + action);
        EXPECT_FALSE(keys.value("Name").isEmpty()) << qPrintable(action);
        EXPECT_FALSE(keys.value("Name[pl]").isEmpty()) << qPrintable(action);
        EXPECT_NE(keys.value("Name[pl]"), keys.value("Name")) << qPrintable(action);
        const QStringList exec = keys.value("Exec").split(u' ');
        ASSERT_EQ(exec.size(), 2) << qPrintable(keys.value("Exec"));
        EXPECT_EQ(exec[0], "quillstack");
        EXPECT_EQ(exec[1], QStringLiteral("--") + action) << "the action is named after its request";
        offered << exec[1];
    }
    offered.sort();
    flags.sort();
    EXPECT_EQ(offered, flags) << "every request of the command, and nothing else";
}

// The installed command finds the installed program relative to itself, wherever the prefix is.
TEST_F(Install, TheCommandStartsTheProgramBesideItAndLoadsNoneOfItsLibraries) {
    const QString command = QDir(prefix.path()).filePath("bin/quillstack");

    // Without a display only the program itself says what is wrong, so the message shows it ran.
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    run.setProcessEnvironment(env);
    run.start(command, {"--show-history"});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitCode(), 1);
    EXPECT_TRUE(run.readAllStandardError().contains("DISPLAY is not set"));

    // A later launch pays for loading what the command links, so it links none of the program's
    // libraries.
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {"--dynamic", command});
    ASSERT_TRUE(readelf.waitForFinished(10000)) << "readelf (binutils) is needed";
    const QByteArray dynamic = readelf.readAllStandardOutput();
    EXPECT_TRUE(dynamic.contains("[libdbus-1.so.3]")) << dynamic.constData();
    for (const char* library : {"libQt6", "javascriptcore", "tesseract", "libicu", "libxcb", "libX11"})
        EXPECT_FALSE(dynamic.contains(library)) << library;
}

// The program links none of the heavy engines: they are modules of its own, installed where it
// looks for them (lib/quillstack beside its folder), each exporting the entry it opens.
TEST_F(Install, TheProgramLinksNoEngineAndItsModulesAreInstalledWhereItLooks) {
    const QDir root(prefix.path());
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {"--dynamic", root.filePath("libexec/quillstack")});
    ASSERT_TRUE(readelf.waitForFinished(10000)) << "readelf (binutils) is needed";
    const QByteArray dynamic = readelf.readAllStandardOutput();
    EXPECT_TRUE(dynamic.contains("[libQt6Widgets.so.6]")) << dynamic.constData();
    for (const char* library : {"javascriptcore", "tesseract", "lept", "libQt6Network", "gssapi", "libssl"})
        EXPECT_FALSE(dynamic.contains(library)) << library;

    const struct {
        const char* module;
        const char* entry;
    } modules[] = {{"quillstack-highlighting.so", "quillstack_make_highlighting_engine"},
                   {"quillstack-text-recognition.so", "quillstack_make_text_recognizer"},
                   {"quillstack-web-images.so", "quillstack_make_web_image_fetcher"}};
    // Where the program looks: relative to its own folder, as the build tree has it.
    const QString moduleDir = root.filePath(QStringLiteral("libexec/" QS_TEST_MODULES_FROM_PROGRAM));
    for (const auto& [module, entry] : modules) {
        const QString path = QDir(moduleDir).filePath(QString::fromLatin1(module));
        ASSERT_TRUE(QFileInfo::exists(path)) << qPrintable(path);
        QProcess symbols;
        symbols.start(QStringLiteral("readelf"), {"--dyn-syms", "--wide", path});
        ASSERT_TRUE(symbols.waitForFinished(10000));
        const QByteArray table = symbols.readAllStandardOutput();
        EXPECT_TRUE(table.contains(entry)) << module;
        // Only the entry is ours to export: the static libraries inside stay private to the module.
        EXPECT_FALSE(table.contains("SyntaxHighlighter") || table.contains("TesseractTextRecognizer"))
            << module;
    }
}

} // namespace
