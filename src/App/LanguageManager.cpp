#include "LanguageManager.h"

#include <Capture/DefaultSettings.h>

#include <Platform/UserDefaults.h>

#include <QCoreApplication>
#include <QTranslator>

namespace App {

namespace {
LanguageManager* g_shared = nullptr;

bool isValidSelection(const QString& value) {
    return value == QLatin1String("system") || value == QLatin1String("pl") || value == QLatin1String("en");
}
} // namespace

LanguageManager::LanguageManager(Platform::UserDefaults& defaults, SystemLanguages systemLanguages,
                                 QObject* parent)
    : QObject(parent), m_defaults(defaults), m_systemLanguages(std::move(systemLanguages)) {
    const QString stored = m_defaults.stringValue(SettingsKeys::appLanguage);
    if (isValidSelection(stored)) {
        m_selection = stored;
        return;
    }
    const QStringList languages = m_systemLanguages();
    if (languages.isEmpty()) {
        m_selection = QStringLiteral("system");
        return;
    }
    const QString& first = languages.constFirst();
    if (first.startsWith(QLatin1String("pl")))
        m_selection = QStringLiteral("pl");
    else if (first.startsWith(QLatin1String("en")))
        m_selection = QStringLiteral("en");
    else
        m_selection = QStringLiteral("system");
    m_defaults.setValue(SettingsKeys::appLanguage, m_selection);
}

LanguageManager::~LanguageManager() {
    if (g_shared == this)
        g_shared = nullptr;
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

LanguageManager* LanguageManager::shared() {
    return g_shared;
}

void LanguageManager::setShared(LanguageManager* manager) {
    g_shared = manager;
}

QStringList LanguageManager::desktopLanguages() {
    QStringList languages = QLocale::system().uiLanguages();
    // The C and POSIX locales name no language.
    languages.removeIf(
        [](const QString& l) { return l == QLatin1String("C") || l == QLatin1String("POSIX"); });
    return languages;
}

void LanguageManager::setSelection(const QString& selection) {
    if (!isValidSelection(selection) || selection == m_selection)
        return;
    const QString previousLocale = localeName();
    m_selection = selection;
    m_defaults.setValue(SettingsKeys::appLanguage, m_selection);
    emit selectionChanged(m_selection);
    if (localeName() != previousLocale) {
        installTranslators();
        emit localeChanged(localeName());
    }
}

QString LanguageManager::localeName() const {
    if (m_selection == QLatin1String("pl") || m_selection == QLatin1String("en"))
        return m_selection;
    const QStringList languages = m_systemLanguages();
    const QString first = languages.isEmpty() ? QStringLiteral("en") : languages.constFirst();
    return first.startsWith(QLatin1String("pl")) ? QStringLiteral("pl") : QStringLiteral("en");
}

void LanguageManager::installTranslators() {
    const QString wanted = localeName();
    if (wanted == m_installedLocale)
        return;
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
    m_installedLocale = wanted;
    // English is the source language: no translator.
    if (wanted == QLatin1String("en"))
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral(":/i18n/quillstack_%1.qm").arg(wanted))) {
        QCoreApplication::installTranslator(translator.get());
        m_translator = std::move(translator);
    }
}

} // namespace App
