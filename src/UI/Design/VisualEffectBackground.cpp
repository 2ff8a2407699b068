#include "VisualEffectBackground.h"

#include "Color.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

VisualEffectBackground::VisualEffectBackground(Material material, QWidget* parent)
    : QWidget(parent), m_material(material) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void VisualEffectBackground::setMaterial(Material material) {
    if (material == m_material)
        return;
    m_material = material;
    update();
}

void VisualEffectBackground::setCornerRadius(qreal radius) {
    m_cornerRadius = radius;
    update();
}

QColor VisualEffectBackground::materialColor(Material material) {
    switch (material) {
    case Material::Popover:
        return QColor(236, 236, 240, 214);
    case Material::Menu:
        return QColor(30, 30, 34, 224);
    }
    return QColor(Qt::transparent);
}

void VisualEffectBackground::paintMaterial(QPainter& painter, const QRectF& rect, qreal cornerRadius,
                                           Material material) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(rect, cornerRadius, cornerRadius);
    painter.fillPath(card, materialColor(material));
    // A faint sheen towards the top edge gives the glass its depth.
    QLinearGradient sheen(rect.topLeft(), rect.bottomLeft());
    sheen.setColorAt(0.0, QColor(255, 255, 255, material == Material::Popover ? 40 : 14));
    sheen.setColorAt(0.35, QColor(255, 255, 255, 0));
    painter.fillPath(card, sheen);
    painter.restore();
}

void VisualEffectBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintMaterial(painter, QRectF(rect()), m_cornerRadius, m_material);
}

namespace {
VisualEffectBackground::Material materialFor(QS::Color::Scheme scheme) {
    return scheme == QS::Color::Scheme::Dark ? VisualEffectBackground::Material::Menu
                                             : VisualEffectBackground::Material::Popover;
}
} // namespace

PanelBackground::PanelBackground(QWidget* parent) : VisualEffectBackground(Material::Popover, parent) {
    setMaterial(materialFor(QS::Color::schemeOf(*this)));
}

void PanelBackground::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        setMaterial(materialFor(QS::Color::schemeOf(*this)));
    VisualEffectBackground::changeEvent(event);
}

QColor PanelBackground::tint() const {
    if (QS::Color::schemeOf(*this) == QS::Color::Scheme::Dark)
        return QS::Color::withOpacity(palette().color(QPalette::Window), 0.35);
    return QS::Color::withOpacity(Qt::white, 0.65);
}

void PanelBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF bounds(rect());
    paintMaterial(painter, bounds, cornerRadius(), material());
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(bounds, cornerRadius(), cornerRadius());
    painter.fillPath(card, tint());
}
