// The applications the seeded ignore list and the code detector's editor bonus name are identified
// by the same route capture takes: a window on the real X server with the properties the real
// application sets, desktop files with the names and StartupWMClass lines of the real packages, and
// the workspace deriving the desktop-file id from them.
#include <Analysis/CodeDetector.h>
#include <Capture/DefaultSettings.h>
#include <Platform/X11/X11Workspace.h>
#include <Platform/X11/Xcb.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using Platform::X11::X11Workspace;
using Platform::X11::XcbConnection;

namespace {

struct InstalledApplication {
    const char* desktopFile;
    const char* fields;
};

// The identifying lines of the installed desktop files, as the packages ship them.
const InstalledApplication kInstalled[] = {
    {"org.keepassxc.KeePassXC", "Name=KeePassXC\nExec=keepassxc %f\nStartupWMClass=keepassxc\n"},
    {"bitwarden", "Name=Bitwarden\nExec=/opt/Bitwarden/bitwarden %U\nStartupWMClass=Bitwarden\n"},
    {"1password", "Name=1Password\nExec=/opt/1Password/1password %U\nStartupWMClass=1Password\n"},
    {"org.gnome.seahorse.Application", "Name=Passwords and Keys\nExec=seahorse %u\n"},
    {"org.gnome.World.Secrets", "Name=Secrets\nExec=secrets %U\n"},
    {"org.kde.kwalletmanager5", "Name=KWalletManager\nExec=kwalletmanager5 %F\n"},
    {"pwsafe", "Name=PasswordSafe\nExec=pwsafe %f\nStartupWMClass=pwsafe\n"},
    {"code", "Name=Visual Studio Code\nExec=/usr/share/code/code %F\nStartupWMClass=Code\n"},
    {"jetbrains-idea", "Name=IntelliJ IDEA Ultimate\nExec=idea %f\nStartupWMClass=jetbrains-idea\n"},
    // PyCharm from the JetBrains Toolbox, which puts the installation's id in the file name.
    {"jetbrains-pycharm-ce-0b7d2e6c-1f3a-4e59-8c2d-7a9e4b1c5d30",
     "Name=PyCharm Community\nExec=\"/home/anna/.local/share/JetBrains/Toolbox/apps/pycharm-community/bin/"
     "pycharm.sh\" %u\nStartupWMClass=jetbrains-pycharm-ce\n"},
    // GoLand's Flatpak.
    {"com.jetbrains.GoLand", "Name=GoLand\nExec=/usr/bin/flatpak run com.jetbrains.GoLand\n"
                             "StartupWMClass=jetbrains-goland\n"},
    {"sublime_text", "Name=Sublime Text\nExec=/opt/sublime_text/sublime_text %F\n"},
    {"org.kde.kate", "Name=Kate\nExec=kate -b %U\nStartupWMClass=kate\n"},
    {"org.gnome.TextEditor", "Name=Text Editor\nExec=gnome-text-editor %U\n"},
    {"org.gnome.gedit", "Name=gedit\nExec=gedit %U\n"},
    {"emacs", "Name=Emacs (GUI)\nExec=/usr/bin/emacs %F\nStartupWMClass=Emacs\n"},
    {"gvim", "Name=GVim\nExec=gvim -f %F\n"},
    {"org.kde.konsole", "Name=Konsole\nExec=konsole\nStartupWMClass=konsole\n"},
    {"org.gnome.Terminal", "Name=Terminal\nExec=gnome-terminal\nStartupWMClass=Gnome-terminal\n"},
    {"org.gnome.Console", "Name=Console\nExec=kgx\n"},
    {"debian-xterm", "Name=XTerm\nExec=xterm\nStartupWMClass=XTerm\n"},
    {"debian-uxterm", "Name=UXTerm\nExec=uxterm\nStartupWMClass=UXTerm\n"},
    {"Alacritty", "Name=Alacritty\nExec=alacritty\nStartupWMClass=Alacritty\n"},
    {"kitty", "Name=kitty\nExec=kitty\n"},
    {"com.gexperts.Tilix", "Name=Tilix\nExec=tilix\n"},
    {"foot", "Name=Foot\nExec=foot\n"},
    {"org.wezfurlong.wezterm",
     "Name=WezTerm\nExec=wezterm start --cwd .\nStartupWMClass=org.wezfurlong.wezterm\n"},
};

// A window as the running application presents itself.
struct WindowOf {
    const char* application;
    QByteArray wmClass; // instance and class, NUL-separated
    QByteArray gtkApplicationId;
    QByteArray kdeDesktopFile;
};

class ApplicationIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.isValid());
        QDir(home.path()).mkpath(QStringLiteral("applications"));
        QDir(system.path()).mkpath(QStringLiteral("applications"));
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        qputenv("XDG_DATA_DIRS", system.path().toUtf8());
        for (const InstalledApplication& application : kInstalled) {
            QFile file(
                system.filePath(QStringLiteral("applications/%1.desktop").arg(application.desktopFile)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("[Desktop Entry]\nType=Application\n") + application.fields);
        }
    }
    void TearDown() override {
        for (xcb_window_t window : windows)
            xcb_destroy_window(x.get(), window);
        xcb_flush(x.get());
    }

    // The desktop-file id capture records for a window with these properties.
    QString recordedId(const WindowOf& of) {
        const xcb_window_t window = x.createHelperWindow(0);
        windows << window;
        auto set = [&](xcb_atom_t property, xcb_atom_t type, const QByteArray& value) {
            if (!value.isEmpty())
                xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, window, property, type, 8,
                                    uint32_t(value.size()), value.constData());
        };
        set(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, of.wmClass);
        set(x.atom("_GTK_APPLICATION_ID"), x.atom("UTF8_STRING"), of.gtkApplicationId);
        set(x.atom("_KDE_NET_WM_DESKTOP_FILE"), x.atom("UTF8_STRING"), of.kdeDesktopFile);
        xcb_flush(x.get());
        const auto application = workspace.applicationOfWindow(window);
        return application ? application->desktopId : QString();
    }

    XcbConnection x;
    QTemporaryDir home;
    QTemporaryDir system;
    X11Workspace workspace;
    QList<xcb_window_t> windows;
};

QByteArray wmClass(const char* instance, const char* windowClass) {
    return QByteArray(instance) + '\0' + windowClass + '\0';
}

TEST_F(ApplicationIdentity, PasswordManagersAreIgnoredFromAFreshConfiguration) {
    const QStringList seed = App::seedIgnoredBundleIDs();
    const WindowOf windows[] = {
        {"KeePassXC", wmClass("keepassxc", "KeePassXC"), {}, {}},
        {"KeePassXC naming its desktop file",
         wmClass("keepassxc", "KeePassXC"),
         {},
         "org.keepassxc.KeePassXC"},
        {"Bitwarden", wmClass("bitwarden", "Bitwarden"), {}, {}},
        {"1Password", wmClass("1password", "1Password"), {}, {}},
        {"Passwords and Keys", wmClass("seahorse", "Seahorse"), "org.gnome.seahorse.Application", {}},
        {"Secrets", wmClass("secrets", "Secrets"), "org.gnome.World.Secrets", {}},
        {"KWalletManager", wmClass("kwalletmanager5", "kwalletmanager5"), {}, "org.kde.kwalletmanager5"},
        {"Password Safe", wmClass("pwsafe", "Pwsafe"), {}, {}},
    };
    for (const WindowOf& of : windows) {
        const QString id = recordedId(of);
        EXPECT_TRUE(seed.contains(id)) << of.application << " is recorded as \"" << id.toStdString() << '"';
    }
}

TEST_F(ApplicationIdentity, EditorsAndTerminalsEarnTheCodeBonus) {
    // Two plain lines score only through the source application.
    const QString plainLines = QStringLiteral("hello there\nworld");
    const WindowOf windows[] = {
        {"VS Code", wmClass("code", "Code"), {}, {}},
        {"IntelliJ IDEA", wmClass("jetbrains-idea", "jetbrains-idea"), {}, {}},
        {"PyCharm from the Toolbox", wmClass("jetbrains-pycharm-ce", "jetbrains-pycharm-ce"), {}, {}},
        {"GoLand's Flatpak", wmClass("jetbrains-goland", "jetbrains-goland"), {}, {}},
        {"Sublime Text", wmClass("sublime_text", "Sublime_text"), {}, {}},
        {"Kate", wmClass("kate", "kate"), {}, "org.kde.kate"},
        {"GNOME Text Editor", wmClass("gnome-text-editor", "Gnome-text-editor"), "org.gnome.TextEditor", {}},
        {"gedit", wmClass("gedit", "Gedit"), "org.gnome.gedit", {}},
        {"Emacs", wmClass("emacs", "Emacs"), {}, {}},
        {"GVim", wmClass("gvim", "Gvim"), {}, {}},
        {"Konsole", wmClass("konsole", "konsole"), {}, "org.kde.konsole"},
        {"GNOME Terminal", wmClass("gnome-terminal-server", "Gnome-terminal"), "org.gnome.Terminal", {}},
        {"Console", wmClass("kgx", "Kgx"), "org.gnome.Console", {}},
        {"xterm", wmClass("xterm", "XTerm"), {}, {}},
        {"uxterm", wmClass("xterm", "UXTerm"), {}, {}},
        {"Alacritty", wmClass("Alacritty", "Alacritty"), {}, {}},
        {"kitty", wmClass("kitty", "kitty"), {}, {}},
        {"Tilix", wmClass("tilix", "Tilix"), "com.gexperts.Tilix", {}},
        {"foot", wmClass("foot", "foot"), {}, {}},
        {"WezTerm", wmClass("org.wezfurlong.wezterm", "org.wezfurlong.wezterm"), {}, {}},
    };
    for (const WindowOf& of : windows) {
        const QString id = recordedId(of);
        EXPECT_TRUE(CodeDetector::isCode(plainLines, id))
            << of.application << " is recorded as \"" << id.toStdString() << '"';
    }
    // Installed by the Toolbox or as a Flatpak, an IDE is recorded by its desktop file's own name.
    EXPECT_EQ(recordedId({"PyCharm", wmClass("jetbrains-pycharm-ce", "jetbrains-pycharm-ce"), {}, {}}),
              "jetbrains-pycharm-ce-0b7d2e6c-1f3a-4e59-8c2d-7a9e4b1c5d30");
    EXPECT_EQ(recordedId({"GoLand", wmClass("jetbrains-goland", "jetbrains-goland"), {}, {}}),
              "com.jetbrains.GoLand");
    // An application that is neither gives no bonus.
    EXPECT_FALSE(CodeDetector::isCode(plainLines,
                                      recordedId({"KeePassXC", wmClass("keepassxc", "KeePassXC"), {}, {}})));
}

} // namespace
