#include "LanguageSettingsTab.h"

#include <App/LanguageManager.h>
#include <UI/Design/Font.h>
#include <UI/Design/QSChoiceCard.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace UI {

LanguageSettingsTab::LanguageSettingsTab(App::LanguageManager& language, QWidget* parent)
    : SettingsForm(parent), m_language(language) {
    auto* noteRow = new QWidget(this);
    auto* note = new QHBoxLayout(noteRow);
    note->setContentsMargins(4, 10, 4, 0);
    note->setSpacing(8);
    note->addWidget(new SymbolLabel(QStringLiteral("globe"), 14, Tone::Brand, noteRow), 0, Qt::AlignVCenter);
    m_note = new TextLabel(Tone::Secondary, QS::Font::system(12), noteRow);
    m_note->setObjectName(QStringLiteral("languageNote"));
    m_note->setWordWrap(true);
    note->addWidget(m_note, 1);
    addWidget(noteRow);

    FormSection* section = addSection(QT_TRANSLATE_NOOP("QSSectionHeader", "Language"));
    auto* cards = new QWidget(this);
    QHBoxLayout* cardRow = choiceCardRow(cards);
    // The languages are named in themselves; only the desktop's choice is translated.
    const std::pair<const char*, const char*> choices[] = {{"system", nullptr}, {"en", "EN"}, {"pl", "PL"}};
    for (const auto& [selection, code] : choices) {
        // Equal heights, so the three cards line up from the top, with room for the detail to wrap to
        // as many lines as it needs.
        auto* content = new QWidget;
        content->setMinimumHeight(76);
        auto* stack = new QVBoxLayout(content);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(4);
        stack->setAlignment(Qt::AlignTop);
        if (code) {
            auto* badge = new TextLabel(Tone::Brand, QS::Font::system(17, QFont::Bold), content);
            badge->setText(QString::fromLatin1(code));
            badge->setFixedHeight(26);
            badge->setAlignment(Qt::AlignCenter);
            stack->addWidget(badge, 0, Qt::AlignHCenter);
        } else {
            auto* symbol = new SymbolLabel(QStringLiteral("globe"), 22, Tone::Brand, content);
            symbol->setFixedHeight(26);
            stack->addWidget(symbol, 0, Qt::AlignHCenter);
        }
        auto* title = new TextLabel(Tone::Primary, QS::Font::system(12, QFont::DemiBold), content);
        title->setAlignment(Qt::AlignHCenter);
        stack->addWidget(title);
        auto* detail = new TextLabel(Tone::Secondary, QS::Font::system(10), content);
        detail->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        detail->setWordWrap(true);
        stack->addWidget(detail);
        const QString value = QString::fromLatin1(selection);
        auto* card = new QSChoiceCard(
            false, [this, value] { m_language.setSelection(value); }, content, cards);
        card->setObjectName(QStringLiteral("language.") + value);
        cardRow->addWidget(card, 1);
        m_choices.append({value, card, title, detail});
    }
    section->addRow(cards);
    connect(&m_language, &App::LanguageManager::selectionChanged, this, &LanguageSettingsTab::showSelection);
    retranslate();
    showSelection();
}

void LanguageSettingsTab::showSelection() {
    for (Choice& choice : m_choices) {
        const bool selected = choice.selection == m_language.selection();
        choice.card->setSelected(selected);
        choice.title->setTone(selected ? Tone::Primary : Tone::Secondary);
    }
}

void LanguageSettingsTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    SettingsForm::changeEvent(event);
}

void LanguageSettingsTab::retranslate() {
    m_note->setText(tr("Interface language updates instantly — no restart needed."));
    for (Choice& choice : m_choices) {
        if (choice.selection == QLatin1String("system")) {
            choice.title->setText(tr("System language"));
            choice.detail->setText(tr("Follow the desktop's language settings"));
        } else {
            choice.title->setText(choice.selection == QLatin1String("en") ? QStringLiteral("English")
                                                                          : QStringLiteral("Polski"));
            choice.detail->setText(QString());
        }
        choice.card->setAccessibleName(choice.title->text());
    }
}

} // namespace UI
