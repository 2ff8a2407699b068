#pragma once

#include <QAbstractButton>

#include <functional>

class QVariantAnimation;

// One option of a set of choices (window position, appearance, language): a card that runs its
// action when clicked, tinted in the brand colour while selected, and growing slightly under the
// pointer while not selected.
class QSChoiceCard : public QAbstractButton {
    Q_OBJECT
public:
    // The card takes ownership of `content`, shown centred across its width.
    QSChoiceCard(bool selected, std::function<void()> action, QWidget* content, QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    bool isHovering() const { return m_hovering; }
    QWidget* content() const { return m_content; }

    // The scale the card is drawn at right now, and how far it shows as selected (0...1); both move
    // while an animation runs.
    qreal currentScale() const { return m_scale; }
    qreal selectionProgress() const { return m_selection; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);
    void applyScale(qreal scale);
    void applySelection(qreal progress);
    qreal targetScale() const;

    std::function<void()> m_action;
    QWidget* m_content;
    bool m_selected;
    bool m_hovering = false;
    qreal m_scale = 1.0;
    qreal m_selection;
    QVariantAnimation* m_scaleAnimation;
    QVariantAnimation* m_selectionAnimation;
};
