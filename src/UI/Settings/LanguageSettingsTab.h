#pragma once

#include "SettingsWidgets.h"

#include <QList>

class QSChoiceCard;

namespace App {
class LanguageManager;
}

namespace UI {

// The Language page: the in-app language (the desktop's, English or Polski), changed at once in
// every open window.
class LanguageSettingsTab : public SettingsForm {
    Q_OBJECT
public:
    explicit LanguageSettingsTab(App::LanguageManager& language, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Choice {
        QString selection;
        QSChoiceCard* card;
        TextLabel* title;
        TextLabel* detail;
    };

    void retranslate();
    void showSelection();

    App::LanguageManager& m_language;
    TextLabel* m_note;
    QList<Choice> m_choices;
};

} // namespace UI
