#pragma once

#include <QLocale>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class QTranslator;

namespace Platform {
class UserDefaults;
}

namespace App {

// The in-app language: "system", "pl" or "en", stored under "appLanguage". On first use without
// a valid stored choice it is taken from the system's preferred languages (Polish, English, else
// "system") and stored. The Qt translators follow the language at once, so every window
// retranslates itself; libraries with their own strings follow `localeChanged`.
class LanguageManager : public QObject {
    Q_OBJECT
public:
    using SystemLanguages = std::function<QStringList()>;

    LanguageManager(Platform::UserDefaults& defaults, SystemLanguages systemLanguages,
                    QObject* parent = nullptr);
    ~LanguageManager() override;

    // The process-wide manager; set once at start-up.
    static LanguageManager* shared();
    static void setShared(LanguageManager* manager);

    // The user's preferred languages as the desktop reports them ("pl-PL", "en-GB"...), empty when
    // it reports none.
    static QStringList desktopLanguages();

    QString selection() const { return m_selection; }
    // Values other than "system", "pl" and "en" are refused.
    void setSelection(const QString& selection);

    // "pl" or "en": the language every user-visible string is shown in.
    QString localeName() const;
    QLocale locale() const { return QLocale(localeName()); }

    // Installs the translators for the current locale into the application.
    void installTranslators();

signals:
    void selectionChanged(const QString& selection);
    void localeChanged(const QString& localeName);

private:
    Platform::UserDefaults& m_defaults;
    SystemLanguages m_systemLanguages;
    QString m_selection;
    QString m_installedLocale;
    std::unique_ptr<QTranslator> m_translator;
};

} // namespace App
