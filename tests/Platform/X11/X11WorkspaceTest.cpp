// The workspace against the real server and window manager of the test session, with test windows
// of our own and desktop files in temporary XDG data directories.
#include "Platform/X11/X11Workspace.h"
#include "Platform/X11/DesktopEntries.h"
#include "TestSession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using Platform::RunningApplication;
using Platform::X11::DesktopEntry;
using Platform::X11::X11Workspace;
using TestSession::Child;

namespace {

// Fresh XDG data directories for one test: $XDG_DATA_HOME and one system directory.
class XdgDataDirs {
public:
    XdgDataDirs() {
        QDir(home.path()).mkpath(QStringLiteral("applications"));
        QDir(system.path()).mkpath(QStringLiteral("applications"));
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        qputenv("XDG_DATA_DIRS", system.path().toUtf8());
    }

    QString write(const QString& id, const QByteArray& body, bool inHome = true) {
        const QString path =
            (inHome ? home : system).filePath(QStringLiteral("applications/") + id + ".desktop");
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\n" + body);
        return path;
    }

    QTemporaryDir home;
    QTemporaryDir system;
};

class TestWindow {
public:
    explicit TestWindow(const QStringList& arguments) : m_child(QStringLiteral(QS_TEST_WINDOW), arguments) {
        const auto id = m_child.waitForLine(QStringLiteral("window "));
        EXPECT_TRUE(id.has_value());
        window = id.value_or(QString()).toUInt();
    }
    Child& child() { return m_child; }
    quint32 window = 0;

private:
    Child m_child;
};

bool becomesFrontmost(X11Workspace& workspace, quint32 window) {
    return TestSession::waitUntil([&] {
        const auto front = workspace.frontmostApplication();
        return front && front->window == window;
    });
}

TEST(X11WorkspaceIdentity, FollowsTheOrderOfIdentitySources) {
    struct Case {
        const char* name;
        QStringList arguments;
        QList<std::pair<QString, QByteArray>> desktopFiles;
        QString desktopId;
        QString appName;
        QString iconName;
    };
    const QString program = QStringLiteral(QS_TEST_WINDOW);
    const QList<Case> cases = {
        {"GTK application id",
         {"--class", "notes,Notes", "--gtk-application-id", "org.example.Notes"},
         {{"org.example.Notes", "Name=Notes\nIcon=notes-icon\nExec=notes\n"},
          {"notes", "Name=Wrong by class\nExec=notes\n"}},
         "org.example.Notes",
         "Notes",
         "notes-icon"},
        {"KDE desktop file",
         {"--class", "kate,Kate", "--kde-desktop-file", "org.example.Kate"},
         {{"org.example.Kate", "Name=Kate\nIcon=kate\nExec=kate\n"}},
         "org.example.Kate",
         "Kate",
         "kate"},
        {"WM_CLASS matches the file name, ignoring case",
         {"--class", "quillpad,Quillpad"},
         {{"quillpad", "Name=Quill Pad\nIcon=/icons/quill.png\nExec=quillpad\n"}},
         "quillpad",
         "Quill Pad",
         "/icons/quill.png"},
        {"StartupWMClass",
         {"--class", "scribe,Scribe"},
         {{"com.example.Writer", "Name=Writer\nExec=writer\nStartupWMClass=Scribe\n"}},
         "com.example.Writer",
         "Writer",
         ""},
        {"the process executable",
         {"--class", "nothing-matches,NothingMatches"},
         {{"exe-app", "Name=Found by executable\nIcon=exe\nExec=" + program.toUtf8() + " %F\n"}},
         "exe-app",
         "Found by executable",
         "exe"},
        {"no desktop file: the class name",
         {"--class", "loner,Loner"},
         {{"unrelated", "Name=Unrelated\nExec=/bin/true\n"}},
         "Loner",
         "Loner",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XdgDataDirs dirs;
        for (const auto& [id, body] : c.desktopFiles)
            dirs.write(id, body);
        X11Workspace workspace;
        ASSERT_TRUE(workspace.isValid());
        TestWindow window(c.arguments);
        ASSERT_TRUE(becomesFrontmost(workspace, window.window));
        const RunningApplication front = *workspace.frontmostApplication();
        EXPECT_EQ(front.desktopId, c.desktopId);
        EXPECT_EQ(front.name, c.appName);
        EXPECT_EQ(front.iconName, c.iconName);
        EXPECT_EQ(front.pid, window.child().process().processId());
    }
}

TEST(X11Workspace, ActivatesAnotherApplicationAndItGetsTheKeys) {
    XdgDataDirs dirs;
    X11Workspace workspace;
    TestWindow first({"--class", "first,First"});
    ASSERT_TRUE(becomesFrontmost(workspace, first.window));
    TestWindow second({"--class", "second,Second"});
    ASSERT_TRUE(becomesFrontmost(workspace, second.window));

    const QList<RunningApplication> running = workspace.runningApplications();
    QStringList ids;
    for (const RunningApplication& application : running)
        ids << application.desktopId;
    EXPECT_TRUE(ids.contains(QStringLiteral("First")));
    EXPECT_TRUE(ids.contains(QStringLiteral("Second")));

    const auto firstApplication = workspace.applicationOfWindow(first.window);
    ASSERT_TRUE(firstApplication.has_value());
    EXPECT_TRUE(workspace.activate(*firstApplication));
    ASSERT_TRUE(becomesFrontmost(workspace, first.window));
    ASSERT_TRUE(TestSession::waitForInputFocus(first.window));

    Child typing(QStringLiteral("xdotool"), {"type", "--delay", "20", "abc"});
    EXPECT_EQ(first.child().waitForLine(QStringLiteral("text abc")), QString())
        << first.child().lines().toStdString();
    // Let xdotool send its last release: killed between a press and its release, it would leave
    // the key down and the server's auto-repeat typing into the next test's window.
    EXPECT_TRUE(typing.waitForExit());

    EXPECT_FALSE(workspace.activate(RunningApplication{}));
}

TEST(X11Workspace, FindsDesktopFilesInXdgOrder) {
    XdgDataDirs dirs;
    dirs.write("org.example.Both", "Name=From home\n", true);
    dirs.write("org.example.Both", "Name=From system\n", false);
    dirs.write("org.example.SystemOnly", "Name=System only\nIcon=sys\n", false);
    dirs.write("org.example.Hidden", "Name=Hidden\nHidden=true\n", true);
    dirs.write("org.example.Hidden", "Name=Shadowed\n", false);
    dirs.write("vendor/nested", "Name=Nested\n", false);
    dirs.write("org.example.Link", "Name=Link\n", true);
    QFile::remove(dirs.home.filePath("applications/org.example.Link.desktop"));
    QFile(dirs.home.filePath("applications/org.example.Link.desktop")).open(QIODevice::WriteOnly);

    X11Workspace workspace;
    const auto nameOf = [&](const QString& id) {
        const auto application = workspace.application(id);
        return application ? application->name : QStringLiteral("(not found)");
    };
    EXPECT_EQ(nameOf("org.example.Both"), QStringLiteral("From home"));
    EXPECT_EQ(
        workspace.application("org.example.SystemOnly").value_or(Platform::DesktopApplication{}).iconName,
        QStringLiteral("sys"));
    EXPECT_FALSE(workspace.application("org.example.Hidden").has_value());
    EXPECT_EQ(nameOf("vendor-nested"), QStringLiteral("Nested"));
    EXPECT_FALSE(workspace.application("org.example.Link").has_value()); // not an application file
    EXPECT_FALSE(workspace.application("org.example.Missing").has_value());

    // Installed later: found without a new workspace.
    dirs.write("org.example.Later", "Name=Later\n", true);
    EXPECT_EQ(nameOf("org.example.Later"), QStringLiteral("Later"));
}

TEST(DesktopExecLine, ExpandsFieldCodesWithoutAShell) {
    struct Case {
        const char* exec;
        QStringList files;
        QList<QStringList> expected;
    };
    const QStringList two{"/tmp/a b.md", "/tmp/$HOME;rm.md"};
    const QList<Case> cases = {
        {"editor %F", two, {{"editor", "/tmp/a b.md", "/tmp/$HOME;rm.md"}}},
        {"editor %f", two, {{"editor", "/tmp/a b.md"}, {"editor", "/tmp/$HOME;rm.md"}}},
        {"editor %U", {"/tmp/a b.md"}, {{"editor", "file:///tmp/a%20b.md"}}},
        {"editor --new-window",
         two,
         {{"editor", "--new-window", "/tmp/a b.md"}, {"editor", "--new-window", "/tmp/$HOME;rm.md"}}},
        {"editor %F", {}, {{"editor"}}},
        {R"("/opt/My Editor/bin/editor" --title=%c %i %k 100%% %d %F)",
         {"/x.md"},
         {{"/opt/My Editor/bin/editor", "--title=Editor", "--icon", "editor-icon", "/apps/e.desktop", "100%",
           "", "/x.md"}}},
        {R"(sh -c "echo \"\$1\"" %f)", {"/x.md"}, {{"sh", "-c", R"(echo "$1")", "/x.md"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exec);
        DesktopEntry entry;
        entry.name = QStringLiteral("Editor");
        entry.icon = QStringLiteral("editor-icon");
        entry.path = QStringLiteral("/apps/e.desktop");
        entry.exec = QString::fromUtf8(c.exec);
        const auto lines = Platform::X11::commandLines(entry, c.files);
        ASSERT_TRUE(lines.has_value());
        EXPECT_EQ(*lines, c.expected);
    }

    DesktopEntry broken;
    broken.exec = QStringLiteral(R"(editor "unterminated %F)");
    EXPECT_FALSE(Platform::X11::commandLines(broken, {"/x"}).has_value());
    broken.exec = QString();
    EXPECT_FALSE(Platform::X11::commandLines(broken, {"/x"}).has_value());
}

TEST(X11Workspace, OpensFilesThroughTheExecLine) {
    XdgDataDirs dirs;
    QTemporaryDir work;
    const QString log = work.filePath("arguments.log");
    const QString script = work.filePath("record-arguments");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"" + log.toUtf8() +
                   "\"; done\n");
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
    dirs.write("org.example.Recorder", "Name=Recorder\nExec=\"" + script.toUtf8() + "\" --from %c %F\n");
    const QString tricky = work.filePath("notes $(touch pwned) `x`.md");

    X11Workspace workspace;
    ASSERT_TRUE(workspace.openFiles({tricky, work.filePath("second.md")}, "org.example.Recorder"));
    ASSERT_TRUE(TestSession::waitUntil([&] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) && file.readAll().count('\n') == 4;
    }));
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              "--from\nRecorder\n" + tricky + "\n" + work.filePath("second.md") + "\n");
    EXPECT_FALSE(QFile::exists(QDir::current().filePath("pwned")));

    EXPECT_FALSE(workspace.openFiles({tricky}, "org.example.NotInstalled"));
}

} // namespace
