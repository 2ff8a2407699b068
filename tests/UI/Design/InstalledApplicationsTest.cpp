// The installed applications as the settings window offers them: read from desktop files in private
// XDG data directories, with the ids capture derives for them.
#include <UI/Design/InstalledApplications.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class InstalledApplicationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid() && system.isValid() && elsewhere.isValid());
        savedHome = qgetenv("XDG_DATA_HOME");
        savedDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        qputenv("XDG_DATA_DIRS", system.path().toUtf8());
    }

    void TearDown() override {
        qputenv("XDG_DATA_HOME", savedHome);
        qputenv("XDG_DATA_DIRS", savedDirs);
    }

    static QString write(const QTemporaryDir& root, const QString& relative, const QByteArray& body) {
        const QString path = QDir(root.path()).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
        return path;
    }

    static QByteArray application(const char* name, const char* extra = "") {
        return QByteArray("[Desktop Entry]\nType=Application\nName=") + name + "\nExec=true\n" + extra;
    }

    QTemporaryDir home;
    QTemporaryDir system;
    QTemporaryDir elsewhere;
    QByteArray savedHome;
    QByteArray savedDirs;
};

TEST_F(InstalledApplicationsTest, ListsWhatTheDesktopListsByNameWithCaptureIds) {
    write(system, "applications/org.example.Zed.desktop", application("zed"));
    write(system, "applications/kde/org.example.Mail.desktop", application("Mail"));
    write(system, "applications/org.example.Editor.desktop", application("Old Editor"));
    write(home, "applications/org.example.Editor.desktop", application("Editor"));
    write(system, "applications/org.example.Helper.desktop", application("Helper", "NoDisplay=true\n"));
    write(system, "applications/org.example.Gone.desktop", application("Gone", "Hidden=true\n"));
    write(system, "applications/org.example.Site.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=x\n");

    QStringList listed;
    for (const InstalledApplications::Application& application : InstalledApplications::list())
        listed << application.name + u'|' + application.desktopId;
    EXPECT_EQ(listed, (QStringList{"Editor|org.example.Editor", "Mail|kde-org.example.Mail", "zed|org.example.Zed"}))
        << "the user's own file hides the system's; sorted by name whatever the case";
}

TEST_F(InstalledApplicationsTest, TheIdOfAChosenDesktopFile) {
    const QString nested = write(system, "applications/kde/org.example.Mail.desktop", application("Mail"));
    const QString user = write(home, "applications/org.example.Tool.desktop", application("Tool"));
    const QString portable = write(elsewhere, "com.example.Portable.desktop", application("Portable"));
    const QString link = write(elsewhere, "site.desktop", "[Desktop Entry]\nType=Link\nName=Site\n");
    const QString hidden = write(elsewhere, "off.desktop", application("Off", "Hidden=true\n"));
    const QString nameless = write(elsewhere, ".desktop", application("Nameless"));
    const QString text = write(elsewhere, "notes.txt", application("Notes"));
    struct Case {
        QString path;
        std::optional<QString> id;
    };
    const Case cases[] = {
        {nested, QStringLiteral("kde-org.example.Mail")},
        {user, QStringLiteral("org.example.Tool")},
        {portable, QStringLiteral("com.example.Portable")},
        {link, std::nullopt},
        {hidden, std::nullopt},
        {nameless, std::nullopt},
        {text, std::nullopt},
        {QDir(elsewhere.path()).filePath("missing.desktop"), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InstalledApplications::desktopIdOfFile(c.path), c.id) << c.path.toStdString();
}

} // namespace
