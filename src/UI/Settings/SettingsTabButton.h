#pragma once

#include <QAbstractButton>

class QVariantAnimation;

namespace UI {

// One card of the settings window's tab bar: a symbol over a title on an 84 × 56 card, tinted in
// the brand colour while selected; an unselected card under the pointer is lightly filled and grows
// a little. The hover fades with the fast curve whatever Reduce Motion says; the selection follows
// the soft curve, or changes at once under Reduce Motion.
class SettingsTabButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr QSize kCardSize{84, 56};

    // `title` is a source text of the "UI::SettingsView" context.
    SettingsTabButton(const char* title, const QString& symbol, QWidget* parent = nullptr);

    QString title() const;
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    bool isHovering() const { return m_hovering; }

    // How the card is drawn right now; both move while an animation runs.
    qreal currentScale() const;
    qreal hoverProgress() const { return m_hover; }
    qreal selectionProgress() const { return m_selection; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void setHovering(bool hovering);

    const char* m_title;
    QString m_symbol;
    bool m_selected = false;
    bool m_hovering = false;
    bool m_keyboardFocus = false;
    qreal m_hover = 0.0;
    qreal m_selection = 0.0;
    QVariantAnimation* m_hoverAnimation;
    QVariantAnimation* m_selectionAnimation;
};

} // namespace UI
