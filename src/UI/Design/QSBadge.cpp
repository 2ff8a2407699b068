#include "QSBadge.h"

#include "Color.h"
#include "Font.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
constexpr qreal kHorizontalPadding = 6;
constexpr qreal kVerticalPadding = 2;
constexpr qreal kStrokeWidth = 0.5;

QFont badgeFont() {
    return QS::Font::system(9, QFont::Bold);
}

struct Opacities {
    qreal fill;
    qreal stroke;
    qreal text;
};

Opacities opacitiesFor(QS::Color::Scheme scheme) {
    return scheme == QS::Color::Scheme::Dark ? Opacities{0.22, 0.2, 0.95} : Opacities{0.16, 0.35, 1.0};
}
} // namespace

QSBadge::QSBadge(const QString& text, const QColor& color, QWidget* parent)
    : QWidget(parent), m_text(text), m_color(color) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFont(badgeFont());
}

void QSBadge::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

void QSBadge::setColor(const QColor& color) {
    m_color = color;
    update();
}

QSize QSBadge::sizeHint() const {
    const QFontMetricsF metrics(font());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(m_text) + 2 * kHorizontalPadding)),
                 static_cast<int>(std::ceil(metrics.height() + 2 * kVerticalPadding)));
}

void QSBadge::paintEvent(QPaintEvent*) {
    const Opacities opacity = opacitiesFor(QS::Color::schemeOf(*this));
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF bounds = QRectF(rect());
    const qreal radius = bounds.height() / 2.0;
    QPainterPath capsule;
    capsule.addRoundedRect(bounds, radius, radius);
    painter.fillPath(capsule, QS::Color::withOpacity(m_color, opacity.fill));

    // Stroked on its inside edge: the line lies wholly within the capsule.
    const qreal inset = kStrokeWidth / 2.0;
    const QRectF strokeRect = bounds.adjusted(inset, inset, -inset, -inset);
    painter.setPen(QPen(QS::Color::withOpacity(m_color, opacity.stroke), kStrokeWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(strokeRect, radius - inset, radius - inset);

    painter.setPen(QS::Color::withOpacity(m_color, opacity.text));
    painter.setFont(font());
    painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine, m_text);
}

void QSBadge::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}
