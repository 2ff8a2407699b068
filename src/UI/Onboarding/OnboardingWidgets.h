#pragma once

#include "AnimatedValue.h"
#include "SoftShadow.h"

#include <QAbstractButton>
#include <QStringList>
#include <QWidget>

// The drawn pieces of the onboarding window. Everything sits on the brand gradient, so the pieces
// are white at various opacities in light and dark alike.
namespace Onboarding {

QColor white(qreal opacity);

// A button of the onboarding window: it shows a focus ring only when it was reached by the keyboard.
class Button : public QAbstractButton {
    Q_OBJECT
public:
    explicit Button(QWidget* parent = nullptr);

protected:
    bool showsFocusRing() const { return hasFocus() && m_keyboardFocus; }
    void paintFocusRing(QPainter& painter, const QRectF& shape, qreal radius) const;
    void focusInEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool isHovered() const { return m_hovered; }

private:
    bool m_keyboardFocus = false;
    bool m_hovered = false;
};

// The primary button: a brand capsule with a white label, an optional trailing symbol and a soft
// shadow, drawn at `scale` around its centre (the pulse). The widget leaves room around the capsule
// for the shadow and the growth; `capsuleMargins` says how much.
class PrimaryButton : public Button {
    Q_OBJECT
public:
    explicit PrimaryButton(QWidget* parent = nullptr);

    void setTrailingSymbol(const QString& symbol);
    QString trailingSymbol() const { return m_symbol; }
    void setScale(qreal scale);
    qreal scale() const { return m_scale; }

    static QMargins capsuleMargins();
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRectF capsule() const;

    QString m_symbol;
    qreal m_scale = 1.0;
    SoftShadow m_shadow;
};

// A borderless text button (Back, Skip) in white at `opacity`, full white under the pointer.
class TextButton : public Button {
    Q_OBJECT
public:
    TextButton(qreal opacity, QMargins padding, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_opacity;
    QMargins m_padding;
};

// The inside of a chip: a symbol, then a text, with padding around both.
struct ChipLayout {
    QString symbol;
    int paddingX;
    int paddingY;
    int symbolSize;
    int gap;

    QSize sizeFor(const QFont& font, const QString& text) const;
    void paint(QPainter& painter, const QRectF& bounds, const QFont& font, const QString& text,
               const QColor& colour, qreal devicePixelRatio) const;
};

// A small capsule with a leading symbol and a text, on white at low opacity (the restart action).
class CapsuleButton : public Button {
    Q_OBJECT
public:
    CapsuleButton(const QString& symbol, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ChipLayout m_layout;
};

// The window's close button: a small translucent circle with a cross.
class CloseButton : public Button {
    Q_OBJECT
public:
    explicit CloseButton(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// One row of the welcome step: a symbol in a rounded tile, then the text, on a rounded white card.
// `reveal` (0...1) fades it in while it slides 16 points from the left.
class FeatureRow : public QWidget {
    Q_OBJECT
public:
    FeatureRow(const QString& symbol, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    // Whether the text fits the row whole, on one line or two.
    bool showsWholeText() const;
    void setReveal(qreal reveal);
    qreal reveal() const { return m_reveal; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSizeF labelSize() const;

    QString m_symbol;
    QString m_text;
    qreal m_reveal = 0.0;
};

// The application icon over a faint white disc, with its shadow. At `appearance` 0 it is scaled
// to 0.7 and turned by −8°, at 1 upright at full size.
class AppIconBadge : public QWidget {
    Q_OBJECT
public:
    explicit AppIconBadge(QWidget* parent = nullptr);

    void setAppearance(qreal appearance);
    qreal appearance() const { return m_appearance; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_appearance = 0.0;
    QImage m_icon;
    SoftShadow m_shadow;
};

// The permission step's symbol in a white disc, with a ring around it that breathes.
class SymbolHalo : public QWidget {
    Q_OBJECT
public:
    SymbolHalo(const QString& symbol, QWidget* parent = nullptr);

    void setRingScale(qreal scale);
    QSize sizeHint() const override { return {132, 132}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    qreal m_ringScale = 1.0;
};

// A symbol and a text on a background of their own, sized to fit them.
class Chip : public QWidget {
    Q_OBJECT
public:
    void setText(const QString& text);
    QString text() const { return m_text; }
    void setSymbol(const QString& symbol);
    QString symbol() const { return m_layout.symbol; }
    QSize sizeHint() const override { return m_layout.sizeFor(font(), m_text); }

protected:
    Chip(ChipLayout layout, const QFont& font, QWidget* parent);
    void paintContent(QPainter& painter, const QColor& colour) const;

private:
    ChipLayout m_layout;
    QString m_text;
};

// A capsule badge with a leading symbol ("Permission granted"), drawn at `presence` scale and
// opacity so that it can appear growing.
class StatusBadge : public Chip {
    Q_OBJECT
public:
    StatusBadge(const QString& symbol, QWidget* parent = nullptr);
    void setPresence(qreal presence);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_presence = 1.0;
};

// A hint with a leading symbol on a rounded, outlined card ("Look for the clipboard icon…").
class HintCard : public Chip {
    Q_OBJECT
public:
    HintCard(const QString& symbol, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The ready step's card of key caps, one per key of the shortcut ("Shift", "Super", "V"), drawn at
// `scale`.
class KeyGlyphCard : public QWidget {
    Q_OBJECT
public:
    explicit KeyGlyphCard(QWidget* parent = nullptr);

    void setKeys(const QStringList& keys);
    QStringList keys() const { return m_keys; }
    void setScale(qreal scale);
    qreal scale() const { return m_scale; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSizeF glyphSize(const QString& key) const;

    QStringList m_keys;
    qreal m_scale = 1.0;
};

// Three capsules, one per step. The current step's is wide and white; `position` moves between
// steps continuously, so the wide capsule slides from one place to the next.
class StepDots : public QWidget {
    Q_OBJECT
public:
    explicit StepDots(QWidget* parent = nullptr);

    void setPosition(qreal position);
    qreal position() const { return m_position; }
    QSize sizeHint() const override;

    // How wide dot `index` is at `position`, and its opacity.
    static qreal dotWidth(int index, qreal position);
    static qreal dotOpacity(int index, qreal position);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_position = 0.0;
};

// Confetti bursting over the window while a celebration runs; it takes no input.
class CelebrationOverlay : public QWidget {
    Q_OBJECT
public:
    explicit CelebrationOverlay(QWidget* parent = nullptr);

    // Starts the burst from the beginning.
    void burst();
    void setStrength(qreal strength);
    qreal strength() const { return m_strength; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AnimatedValue* m_time;
    qreal m_strength = 0.0;
};

} // namespace Onboarding
