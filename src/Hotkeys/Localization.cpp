#include "Hotkeys/Localization.h"

#include <QApplication>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include <memory>

namespace Hotkeys {
namespace {

struct State {
    QString language = QStringLiteral("system");
    std::unique_ptr<QTranslator> translator;
};

State& state() {
    static State instance;
    return instance;
}

QString effectiveLanguage(const QString& language) {
    if (language == QLatin1String("system"))
        return QLocale::system().language() == QLocale::Polish ? QStringLiteral("pl") : QStringLiteral("en");
    return language == QLatin1String("pl") ? QStringLiteral("pl") : QStringLiteral("en");
}

QTranslator& translator() {
    State& s = state();
    if (!s.translator) {
        s.translator = std::make_unique<QTranslator>();
        const QString file =
            QStringLiteral(":/hotkeys/i18n/hotkeys_%1.qm").arg(effectiveLanguage(s.language));
        if (!s.translator->load(file))
            qFatal("Hotkeys: the string table %s is missing from the resources", qPrintable(file));
    }
    return *s.translator;
}

} // namespace

void setLanguage(const QString& language) {
    State& s = state();
    if (s.language == language)
        return;
    s.language = language;
    s.translator.reset();
    // Recorders on screen show the new texts at once.
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        for (QWidget* widget : QApplication::allWidgets()) {
            if (widget->inherits("Hotkeys::RecorderControl")) {
                QEvent change(QEvent::LanguageChange);
                QCoreApplication::sendEvent(widget, &change);
            }
        }
    }
}

QString localized(const char* key) {
    const QString text = translator().translate("Hotkeys", key);
    return text.isEmpty() ? QString::fromUtf8(key) : text;
}

} // namespace Hotkeys
