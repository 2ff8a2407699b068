#include <UI/Design/AppIconCache.h>

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A private set of XDG data directories holding the desktop files and icons of each case.
class AppIconCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid() && system.isValid());
        savedHome = qgetenv("XDG_DATA_HOME");
        savedDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        qputenv("XDG_DATA_DIRS", system.path().toUtf8());
        savedThemePaths = QIcon::themeSearchPaths();
        savedTheme = QIcon::themeName();
        QIcon::setThemeSearchPaths({QDir(system.path()).filePath(QStringLiteral("icons"))});
        QIcon::setThemeName(QStringLiteral("hicolor"));
        // Each test uses its own ids, so the process-wide cache from other tests does not matter.
        idPrefix = QStringLiteral("org.example.%1.")
                       .arg(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    void TearDown() override {
        qputenv("XDG_DATA_HOME", savedHome);
        qputenv("XDG_DATA_DIRS", savedDirs);
        QIcon::setThemeSearchPaths(savedThemePaths);
        QIcon::setThemeName(savedTheme);
        QLocale::setDefault(QLocale::c());
    }

    QString id(const char* name) const { return idPrefix + QLatin1String(name); }

    QString writeDesktopFile(const QTemporaryDir& root, const QString& relativePath, const QByteArray& body) {
        const QString path = QDir(root.path()).filePath(QStringLiteral("applications/") + relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
        return path;
    }

    QString writePng(const QString& path, QColor color) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(48, 48, QImage::Format_ARGB32);
        image.fill(color);
        EXPECT_TRUE(image.save(path));
        return path;
    }

    void installThemeIcon(const QString& name) {
        const QString theme = QDir(system.path()).filePath(QStringLiteral("icons/hicolor"));
        QDir().mkpath(theme);
        QFile index(QDir(theme).filePath(QStringLiteral("index.theme")));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write(
            "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n");
        index.close();
        writePng(QDir(theme).filePath(QStringLiteral("48x48/apps/") + name + QStringLiteral(".png")),
                 Qt::blue);
    }

    static QColor centreColor(const QIcon& icon) {
        const QImage image = icon.pixmap(32, 32).toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }

    QTemporaryDir home;
    QTemporaryDir system;
    QString idPrefix;

private:
    QByteArray savedHome;
    QByteArray savedDirs;
    QStringList savedThemePaths;
    QString savedTheme;
};

TEST_F(AppIconCacheTest, NameAndIconFromTheDesktopFile) {
    const QString png = writePng(QDir(system.path()).filePath(QStringLiteral("art/editor.png")), Qt::red);
    writeDesktopFile(system, id("Editor") + QStringLiteral(".desktop"),
                     "[Desktop Entry]\nType=Application\nName=Example\\sEditor\nName[pl]=Edytor przykładowy\n"
                     "Icon=" +
                         png.toUtf8() + "\nExec=editor %F\n\n[Desktop Action New]\nName=New Window\n");
    EXPECT_EQ(AppIconCache::displayName(id("Editor")), QStringLiteral("Example Editor"));
    QLocale::setDefault(QLocale(QStringLiteral("pl_PL")));
    EXPECT_EQ(AppIconCache::displayName(id("Editor")), QStringLiteral("Edytor przykładowy"))
        << "in the interface language when the file has it";

    const QIcon icon = AppIconCache::icon(id("Editor"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(centreColor(icon), QColor(Qt::red));
    EXPECT_EQ(icon.availableSizes().value(0), QSize(32, 32));
    // The same application named with the file's suffix.
    EXPECT_EQ(AppIconCache::icon(id("Editor") + QStringLiteral(".desktop")).cacheKey(), icon.cacheKey());
}

TEST_F(AppIconCacheTest, ThemeIconsAndTheUserDataDirectory) {
    installThemeIcon(QStringLiteral("example-viewer"));
    writeDesktopFile(home, id("Viewer") + QStringLiteral(".desktop"),
                     "[Desktop Entry]\nName=Viewer\nIcon=example-viewer\n");
    const QIcon icon = AppIconCache::icon(id("Viewer"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(centreColor(icon), QColor(Qt::blue));

    // A subfolder of applications/ forms part of the id.
    writeDesktopFile(system, QStringLiteral("suite/") + id("Tool") + QStringLiteral(".desktop"),
                     "[Desktop Entry]\nName=Suite Tool\nIcon=example-viewer\n");
    EXPECT_EQ(AppIconCache::displayName(QStringLiteral("suite-") + id("Tool")), QStringLiteral("Suite Tool"));
}

TEST_F(AppIconCacheTest, MissingApplicationHasNoIconAndIsNamedByItsId) {
    EXPECT_TRUE(AppIconCache::icon(QString()).isNull());
    EXPECT_TRUE(AppIconCache::icon(QStringLiteral("")).isNull());
    EXPECT_TRUE(AppIconCache::icon(id("Missing")).isNull());
    EXPECT_EQ(AppIconCache::displayName(id("Missing")), id("Missing"));
    EXPECT_EQ(AppIconCache::displayName(QStringLiteral("../../etc/passwd")),
              QStringLiteral("../../etc/passwd"));
    EXPECT_TRUE(AppIconCache::icon(QStringLiteral("../../etc/passwd")).isNull());

    // Nothing was cached for it: once installed, it is found.
    writeDesktopFile(system, id("Missing") + QStringLiteral(".desktop"), "[Desktop Entry]\nName=Late\n");
    EXPECT_FALSE(AppIconCache::icon(id("Missing")).isNull());
    EXPECT_EQ(AppIconCache::displayName(id("Missing")), QStringLiteral("Late"));
}

TEST_F(AppIconCacheTest, InstalledApplicationWithoutAFindableIconGetsTheFallback) {
    writeDesktopFile(system, id("Plain") + QStringLiteral(".desktop"),
                     "[Desktop Entry]\nName=\nIcon=no-such-icon-anywhere\n");
    const QIcon icon = AppIconCache::icon(id("Plain"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(icon.pixmap(32, 32).isNull());
    // An empty Name falls back to the file's name without its extension.
    EXPECT_EQ(AppIconCache::displayName(id("Plain")), id("Plain"));
}

TEST_F(AppIconCacheTest, IconsAreCachedNamesAreNot) {
    const QString png = writePng(QDir(system.path()).filePath(QStringLiteral("art/cached.png")), Qt::green);
    const QString file = writeDesktopFile(system, id("Cached") + QStringLiteral(".desktop"),
                                          "[Desktop Entry]\nName=First\nIcon=" + png.toUtf8() + "\n");
    const QIcon first = AppIconCache::icon(id("Cached"));
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(AppIconCache::displayName(id("Cached")), QStringLiteral("First"));

    writeDesktopFile(system, id("Cached") + QStringLiteral(".desktop"), "[Desktop Entry]\nName=Second\n");
    EXPECT_EQ(AppIconCache::displayName(id("Cached")), QStringLiteral("Second")) << "names are read afresh";
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::remove(png));
    const QIcon again = AppIconCache::icon(id("Cached"));
    EXPECT_EQ(again.cacheKey(), first.cacheKey()) << "the icon comes from the cache";
    EXPECT_EQ(centreColor(again), QColor(Qt::green));
}

} // namespace
