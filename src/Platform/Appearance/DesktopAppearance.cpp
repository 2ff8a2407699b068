#include "DesktopAppearance.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace Platform {

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
const QString interfaceNamespace = QStringLiteral("org.gnome.desktop.interface");
const QString animationsKey = QStringLiteral("enable-animations");

// The portal's Read wraps the value in one or two variants depending on its version.
QVariant unwrap(QVariant value) {
    for (int depth = 0; depth < 3; ++depth) {
        if (value.userType() == qMetaTypeId<QDBusVariant>()) {
            value = value.value<QDBusVariant>().variant();
        } else if (value.userType() == qMetaTypeId<QDBusArgument>() &&
                   value.value<QDBusArgument>().currentType() == QDBusArgument::VariantType) {
            value = qdbus_cast<QDBusVariant>(value.value<QDBusArgument>()).variant();
        } else {
            break;
        }
    }
    return value;
}
} // namespace

DesktopAppearance::DesktopAppearance(const QPalette& startupPalette, QDBusConnection connection,
                                     QObject* parent)
    : AppearanceProvider(parent),
      m_paletteScheme(startupPalette.color(QPalette::Window).lightness() < 128 ? ColorScheme::Dark
                                                                               : ColorScheme::Light),
      m_connection(std::move(connection)) {
    if (!m_connection.isConnected())
        return;
    // The slot's argument type is looked up by name, so it must be registered first.
    qRegisterMetaType<QDBusVariant>();
    m_connection.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                         SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    read(appearanceNamespace, colorSchemeKey);
    read(interfaceNamespace, animationsKey);
}

ColorScheme DesktopAppearance::systemColorScheme() const {
    return m_portalScheme.value_or(m_paletteScheme);
}

bool DesktopAppearance::reduceMotion() const {
    return m_reduceMotion;
}

void DesktopAppearance::read(const QString& nameSpace, const QString& key) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, QStringLiteral("Read"));
    call.setArguments({nameSpace, key});
    auto* watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, nameSpace, key](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusMessage reply = finished->reply();
                if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
                    apply(nameSpace, key, unwrap(reply.arguments().constFirst()));
            });
}

void DesktopAppearance::onSettingChanged(const QString& nameSpace, const QString& key,
                                         const QDBusVariant& value) {
    apply(nameSpace, key, unwrap(value.variant()));
}

void DesktopAppearance::apply(const QString& nameSpace, const QString& key, const QVariant& value) {
    if (nameSpace == appearanceNamespace && key == colorSchemeKey) {
        // 1 = prefer dark, 2 = prefer light, 0 = no preference (the palette decides).
        const uint scheme = value.toUInt();
        if (scheme == 1)
            m_portalScheme = ColorScheme::Dark;
        else if (scheme == 2)
            m_portalScheme = ColorScheme::Light;
        else
            m_portalScheme.reset();
    } else if (nameSpace == interfaceNamespace && key == animationsKey) {
        m_reduceMotion = value.typeId() == QMetaType::Bool && !value.toBool();
    } else {
        return;
    }
    emit changed();
}

} // namespace Platform
