#include "QSKeyCap.h"

#include "Color.h"
#include "Font.h"

#include <QPainter>

#include <cmath>

namespace {
constexpr qreal kHorizontalPadding = 5;
constexpr qreal kVerticalPadding = 2;
constexpr qreal kCornerRadius = 4;
constexpr qreal kStrokeWidth = 0.5;
} // namespace

QSKeyCap::QSKeyCap(const QString& key, QWidget* parent) : QWidget(parent), m_key(key) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFont(QS::Font::system(10, QFont::Bold));
}

void QSKeyCap::setKey(const QString& key) {
    if (key == m_key)
        return;
    m_key = key;
    updateGeometry();
    update();
}

QSize QSKeyCap::sizeHint() const {
    const QFontMetricsF metrics(font());
    const qreal height = metrics.height() + 2 * kVerticalPadding;
    // A single narrow glyph still makes a cap at least as wide as it is tall.
    const qreal width = std::max(metrics.horizontalAdvance(m_key) + 2 * kHorizontalPadding, height);
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

void QSKeyCap::paintEvent(QPaintEvent*) {
    const QS::Color::Scheme scheme = QS::Color::schemeOf(*this);
    const QColor label = QS::Color::label(scheme);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF bounds = QRectF(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QS::Color::withOpacity(label, scheme == QS::Color::Scheme::Dark ? 0.12 : 0.1));
    painter.drawRoundedRect(bounds, kCornerRadius, kCornerRadius);

    const qreal inset = kStrokeWidth / 2.0;
    painter.setPen(QPen(QS::Color::withOpacity(label, 0.14), kStrokeWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), kCornerRadius - inset,
                            kCornerRadius - inset);

    painter.setPen(QS::Color::withOpacity(label, 0.85));
    painter.setFont(font());
    painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine, m_key);
}
