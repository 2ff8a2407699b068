#pragma once

#include "SettingsServices.h"
#include "SettingsWidgets.h"

#include <QList>

class QSChoiceCard;
class QSlider;

namespace UI {

// The Appearance page: follow the desktop, or always light or dark, applied to every window at
// once; and the base font size of the item previews (10 to 18), shown on a sample and picked up by
// open previews as it changes.
class AppearanceSettingsTab : public SettingsForm {
    Q_OBJECT
public:
    static constexpr int kMinimumFontSize = 10;
    static constexpr int kMaximumFontSize = 18;

    explicit AppearanceSettingsTab(const SettingsServices& services, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    struct SchemeCard {
        QString value;
        const char* title;
        QSChoiceCard* card;
        TextLabel* label;
    };

    void retranslate();
    void chooseScheme(const QString& value);
    void showSchemeSelection();
    void showFontSize(int size);

    SettingsServices m_services;
    FormSection* m_schemeSection;
    QList<SchemeCard> m_schemes;
    TextLabel* m_sizeLabel;
    QSlider* m_size;
    TextLabel* m_sample;
};

} // namespace UI
