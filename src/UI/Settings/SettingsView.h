#pragma once

#include "SettingsServices.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QVariantAnimation;

namespace UI {

class SettingsTabButton;

// The tabs of the settings window, in the order of the tab bar.
enum class SettingsTab { General, Shortcuts, Snippets, Appearance, Privacy, Language };

// The content of the settings window: the bar of six tab cards, a divider and the selected tab's
// page below. Each switch builds the new page afresh (whatever the old page held is gone); the new
// page rises from the bottom edge while fading in, with the spring, or at once under Reduce Motion.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    explicit SettingsView(SettingsServices services, QWidget* parent = nullptr);
    ~SettingsView() override;

    static const QList<SettingsTab>& tabs();
    // The tab's name as used in object names ("general", "shortcuts"...).
    static QString rawValue(SettingsTab tab);

    SettingsTab tab() const { return m_tab; }
    // What a click on the tab's card does.
    void selectTab(SettingsTab tab);
    SettingsTabButton* tabButton(SettingsTab tab) const;
    // The page on show (the incoming one while a switch runs).
    QWidget* page() const { return m_page; }
    bool isSwitching() const;

signals:
    void tabChanged(UI::SettingsTab tab);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makePage(SettingsTab tab);
    int dividerTop() const;
    QRect pageArea() const;
    void finishSwitch();

    SettingsServices m_services;
    SettingsTab m_tab = SettingsTab::General;
    QList<SettingsTabButton*> m_buttons;
    QWidget* m_tabBar;
    QPointer<QWidget> m_page;
    QPointer<QWidget> m_leaving;
    QVariantAnimation* m_switch;
};

} // namespace UI
