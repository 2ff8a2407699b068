#pragma once

#include "SettingsServices.h"
#include "SettingsWidgets.h"

#include <QList>

class QButtonGroup;
class QComboBox;
class QRadioButton;
class QSChoiceCard;

namespace UI {

// The General page: start at login, how many items the history keeps, where the history panel
// appears, and whether a pick is pasted or only copied. Every control writes its setting at once;
// the login switch also changes the autostart entry and a new limit trims the history at once.
// While synthetic input is unavailable a warning explains that automatic pasting cannot work.
class GeneralSettingsTab : public SettingsForm {
    Q_OBJECT
public:
    // The limits offered, in this order.
    static const QList<int>& limits();

    explicit GeneralSettingsTab(const SettingsServices& services, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct PositionCard {
        QString id;
        const char* title;
        QSChoiceCard* card;
        SymbolLabel* symbol;
        TextLabel* label;
    };

    void retranslate();
    // The trust check runs whenever the page shows and after each change of one of its settings.
    void refreshTrustWarning();
    void choosePosition(const QString& id);
    void showPositionSelection();

    SettingsServices m_services;
    SettingsSwitch* m_launchAtLogin;
    TextLabel* m_launchLabel;
    TextLabel* m_loginItemError;
    QComboBox* m_limit;
    TextLabel* m_limitLabel;
    FormSection* m_limitSection;
    FormSection* m_positionSection;
    QList<PositionCard> m_positions;
    QRadioButton* m_paste;
    QRadioButton* m_copyOnly;
    FormSection* m_trustWarning;
    TextLabel* m_trustTitle;
    TextLabel* m_trustDetail;
};

} // namespace UI
