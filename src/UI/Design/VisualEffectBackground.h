#pragma once

#include <QWidget>

// The frosted material behind a floating panel. X11 offers no blur of what lies behind a window,
// so the material is a translucent rounded card of its own colour: the window must be frameless
// with a translucent background for the desktop to show through its corners and its glass.
class VisualEffectBackground : public QWidget {
    Q_OBJECT
public:
    enum class Material {
        Popover, // light, nearly white glass
        Menu,    // dark, smoky glass
    };

    // The corners of a floating panel.
    static constexpr qreal kCornerRadius = 18;

    explicit VisualEffectBackground(Material material, QWidget* parent = nullptr);

    Material material() const { return m_material; }
    void setMaterial(Material material);
    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal radius);

    // The material's colour, and the card painted in it.
    static QColor materialColor(Material material);
    static void paintMaterial(QPainter& painter, const QRectF& rect, qreal cornerRadius, Material material);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Material m_material;
    qreal m_cornerRadius = kCornerRadius;
};

// The history panel's background: the material of the colour scheme with a tint over it, white in
// light mode and the window colour in dark mode. The scheme is read at every paint, so switching
// appearance restyles the panel without rebuilding it.
class PanelBackground : public VisualEffectBackground {
    Q_OBJECT
public:
    explicit PanelBackground(QWidget* parent = nullptr);

    // The tint over the material for the widget's current scheme.
    QColor tint() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
};
