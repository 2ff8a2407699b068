#include "SoftShadow.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

// Three box blurs in a row come close to a Gaussian; these are their widths for `sigma`.
std::array<int, 3> boxWidths(qreal sigma) {
    constexpr int passes = 3;
    const qreal ideal = std::sqrt(12.0 * sigma * sigma / passes + 1.0);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const qreal wanted =
        (12.0 * sigma * sigma - passes * lower * lower - 4.0 * passes * lower - 3.0 * passes) /
        (-4.0 * lower - 4.0);
    const int lowerCount = static_cast<int>(std::lround(wanted));
    std::array<int, 3> widths{};
    for (int i = 0; i < passes; ++i)
        widths[i] = std::max(1, i < lowerCount ? lower : upper);
    return widths;
}

// One running-sum box blur along a line of `count` samples, `stride` apart.
void blurLine(uchar* line, int count, int stride, int halfWidth, std::vector<int>& scratch) {
    scratch.resize(count);
    for (int i = 0; i < count; ++i)
        scratch[i] = line[i * stride];
    const int width = 2 * halfWidth + 1;
    int sum = 0;
    for (int i = -halfWidth; i <= halfWidth; ++i)
        sum += (i >= 0 && i < count) ? scratch[i] : 0;
    for (int i = 0; i < count; ++i) {
        line[i * stride] = static_cast<uchar>(sum / width);
        const int leaving = i - halfWidth;
        const int entering = i + halfWidth + 1;
        sum -= (leaving >= 0) ? scratch[leaving] : 0;
        sum += (entering < count) ? scratch[entering] : 0;
    }
}

void blur(QImage& alpha, qreal sigma) {
    if (sigma <= 0)
        return;
    std::vector<int> scratch;
    const int stride = static_cast<int>(alpha.bytesPerLine());
    for (const int width : boxWidths(sigma)) {
        const int half = (width - 1) / 2;
        for (int y = 0; y < alpha.height(); ++y)
            blurLine(alpha.scanLine(y), alpha.width(), 1, half, scratch);
        for (int x = 0; x < alpha.width(); ++x)
            blurLine(alpha.bits() + x, alpha.height(), stride, half, scratch);
    }
}

} // namespace

QMarginsF SoftShadow::reachOf(qreal radius, QPointF offset) {
    // Three standard deviations hold all but a trace of a Gaussian.
    const qreal spread = std::ceil(1.5 * radius);
    return QMarginsF(std::max(0.0, spread - offset.x()), std::max(0.0, spread - offset.y()),
                     std::max(0.0, spread + offset.x()), std::max(0.0, spread + offset.y()));
}

SoftShadow::SoftShadow(const QPainterPath& shape, const QColor& color, qreal radius, QPointF offset,
                       qreal devicePixelRatio)
    : m_reach(reachOf(radius, offset)) {
    const qreal spread = std::ceil(1.5 * radius);
    const QRectF area = shape.boundingRect().adjusted(-spread, -spread, spread, spread);
    const QSize pixels = (area.size() * devicePixelRatio).toSize();
    if (pixels.isEmpty())
        return;
    // A wide blur has no fine detail to lose: it is made at a fraction of the size and scaled up,
    // which keeps a window's shadow from holding up its first showing.
    const qreal sigma = radius / 2.0 * devicePixelRatio;
    const int reduction = std::max(1, static_cast<int>(sigma / 3.0));
    const QSize reduced((pixels.width() + reduction - 1) / reduction,
                        (pixels.height() + reduction - 1) / reduction);
    QImage alpha(reduced, QImage::Format_Alpha8);
    alpha.fill(0);
    {
        QPainter painter(&alpha);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(devicePixelRatio / reduction, devicePixelRatio / reduction);
        painter.translate(-area.topLeft());
        painter.fillPath(shape, Qt::black);
    }
    blur(alpha, sigma / reduction);
    if (reduction > 1)
        alpha = alpha.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_image.fill(Qt::transparent);
    {
        QPainter painter(&m_image);
        painter.drawImage(0, 0, alpha);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(m_image.rect(), color);
    }
    m_image.setDevicePixelRatio(devicePixelRatio);
    m_origin = area.topLeft() + offset;
}

void SoftShadow::paint(QPainter& painter) const {
    if (!m_image.isNull())
        painter.drawImage(m_origin, m_image);
}
