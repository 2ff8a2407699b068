#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>

class QPainter;

// The soft shadow a shape casts: its silhouette in one colour, blurred like a Gaussian of standard
// deviation radius / 2. Made once per shape and size and drawn as an image, as Qt has no public blur.
class SoftShadow {
public:
    SoftShadow() = default;
    // `shape` in the coordinates it is drawn in; the shadow is offset from it by `offset`.
    SoftShadow(const QPainterPath& shape, const QColor& color, qreal radius, QPointF offset,
               qreal devicePixelRatio);

    bool isNull() const { return m_image.isNull(); }
    // How far the shadow reaches beyond the shape on each side (left, top, right, bottom).
    QMarginsF reach() const { return m_reach; }

    void paint(QPainter& painter) const;

    // How far a shadow of this radius and offset reaches beyond its shape.
    static QMarginsF reachOf(qreal radius, QPointF offset);

private:
    QImage m_image;
    QPointF m_origin;
    QMarginsF m_reach;
};
