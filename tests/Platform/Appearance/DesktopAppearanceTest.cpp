#include <Platform/Appearance/DesktopAppearance.h>
#include <PrivateSessionBus.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using Platform::ColorScheme;

namespace {

// A desktop portal's settings interface serving values chosen by the test.
class FakePortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    QMap<QString, QVariant> values; // "namespace key" -> value

public slots:
    Q_SCRIPTABLE QDBusVariant Read(const QString& nameSpace, const QString& key) {
        const auto found = values.constFind(nameSpace + ' ' + key);
        if (found == values.constEnd()) {
            sendErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                           QStringLiteral("no such key"));
            return {};
        }
        // The portal wraps the value in a second variant.
        return QDBusVariant(QVariant::fromValue(QDBusVariant(*found)));
    }

signals:
    Q_SCRIPTABLE void SettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value);
};

class DesktopAppearanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.isRunning());
        portalConnection = QDBusConnection::connectToBus(bus.address(), "portal");
        clientConnection = QDBusConnection::connectToBus(bus.address(), "client");
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus("portal");
        QDBusConnection::disconnectFromBus("client");
    }
    void servePortal() {
        ASSERT_TRUE(portalConnection.registerObject("/org/freedesktop/portal/desktop", &portal,
                                                    QDBusConnection::ExportScriptableContents));
        ASSERT_TRUE(portalConnection.registerService("org.freedesktop.portal.Desktop"));
    }

    static QPalette paletteWithWindow(QColor colour) {
        QPalette palette;
        palette.setColor(QPalette::Window, colour);
        return palette;
    }

    PrivateSessionBus bus;
    QDBusConnection portalConnection{QString()};
    QDBusConnection clientConnection{QString()};
    FakePortal portal;
};

TEST_F(DesktopAppearanceTest, WithoutAPortalThePaletteDecidesAndMotionIsOn) {
    Platform::DesktopAppearance dark(paletteWithWindow(QColor(30, 30, 30)), clientConnection);
    Platform::DesktopAppearance light(paletteWithWindow(QColor(240, 240, 240)), clientConnection);
    QTest::qWait(100);
    EXPECT_EQ(dark.systemColorScheme(), ColorScheme::Dark);
    EXPECT_EQ(light.systemColorScheme(), ColorScheme::Light);
    EXPECT_FALSE(light.reduceMotion());
}

TEST_F(DesktopAppearanceTest, PortalValuesAndTheirChangesWin) {
    portal.values["org.freedesktop.appearance color-scheme"] = 1u;
    portal.values["org.gnome.desktop.interface enable-animations"] = false;
    servePortal();
    Platform::DesktopAppearance appearance(paletteWithWindow(QColor(240, 240, 240)), clientConnection);
    QSignalSpy changed(&appearance, &Platform::AppearanceProvider::changed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return changed.count() >= 2; }, 5000));
    EXPECT_EQ(appearance.systemColorScheme(), ColorScheme::Dark);
    EXPECT_TRUE(appearance.reduceMotion());

    struct Change {
        const char* nameSpace;
        const char* key;
        QVariant value;
        ColorScheme scheme;
        bool reduceMotion;
    };
    const std::vector<Change> changes = {
        {"org.freedesktop.appearance", "color-scheme", 2u, ColorScheme::Light, true},
        {"org.gnome.desktop.interface", "enable-animations", true, ColorScheme::Light, false},
        {"org.freedesktop.appearance", "color-scheme", 1u, ColorScheme::Dark, false},
        // "No preference" falls back to the palette, which is light.
        {"org.freedesktop.appearance", "color-scheme", 0u, ColorScheme::Light, false},
    };
    for (const Change& c : changes) {
        const int before = changed.count();
        emit portal.SettingChanged(c.nameSpace, c.key, QDBusVariant(c.value));
        ASSERT_TRUE(QTest::qWaitFor([&] { return changed.count() > before; }, 5000)) << c.key;
        EXPECT_EQ(appearance.systemColorScheme(), c.scheme) << c.key;
        EXPECT_EQ(appearance.reduceMotion(), c.reduceMotion) << c.key;
    }
}

TEST_F(DesktopAppearanceTest, KeysThePortalDoesNotKnowLeaveTheFallbacks) {
    portal.values["org.freedesktop.appearance color-scheme"] = 1u;
    servePortal();
    Platform::DesktopAppearance appearance(paletteWithWindow(QColor(240, 240, 240)), clientConnection);
    QSignalSpy changed(&appearance, &Platform::AppearanceProvider::changed);
    ASSERT_TRUE(changed.wait(5000));
    QTest::qWait(100);
    EXPECT_EQ(appearance.systemColorScheme(), ColorScheme::Dark);
    EXPECT_FALSE(appearance.reduceMotion());
}

} // namespace

#include "DesktopAppearanceTest.moc"
