#include "SymbolIcon.h"

#include <App/ResourceDirectory.h>

#include <QDir>
#include <QFileInfo>
#include <QIconEngine>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <cmath>

namespace SymbolIcon {

namespace {

// Symbol names are ours, but they still must never reach outside the icons folder.
bool isPlainName(const QString& name) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        return false;
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('_') ||
              c == QLatin1Char('-')))
            return false;
    }
    return true;
}

QPixmap render(const QString& path, int side, const QColor& color) {
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Keep the drawing's proportions, centred in the square.
    QSizeF box = renderer.viewBoxF().size();
    if (box.isEmpty())
        box = QSizeF(renderer.defaultSize());
    const QSizeF fitted = box.scaled(QSizeF(side, side), Qt::KeepAspectRatio);
    const QRectF target(QPointF((side - fitted.width()) / 2.0, (side - fitted.height()) / 2.0), fitted);
    renderer.render(&painter, target);
    // The drawing's own colour is replaced by the tint; its opacities stay.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    painter.end();
    return QPixmap::fromImage(std::move(image));
}

class SymbolIconEngine final : public QIconEngine {
public:
    SymbolIconEngine(QString name, QColor color) : m_name(std::move(name)), m_color(color) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const int side = std::min(rect.width(), rect.height());
        const QPixmap pm = scaledPixmap(QSize(side, side), mode, state, ratio);
        painter->drawPixmap(QRectF(rect.x() + (rect.width() - side) / 2.0,
                                   rect.y() + (rect.height() - side) / 2.0, side, side),
                            pm, pm.rect());
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        QColor color = m_color;
        if (mode == QIcon::Disabled)
            color.setAlphaF(color.alphaF() / 3.0);
        return SymbolIcon::pixmap(m_name, std::min(size.width(), size.height()), color, scale);
    }

    QIconEngine* clone() const override { return new SymbolIconEngine(m_name, m_color); }
    QString key() const override { return QStringLiteral("SymbolIcon"); }

private:
    QString m_name;
    QColor m_color;
};

} // namespace

QString directory() {
    return QDir(App::resourceDirectory()).filePath(QStringLiteral("icons"));
}

QString filePath(const QString& name) {
    return QDir(directory()).filePath(name + QStringLiteral(".svg"));
}

bool exists(const QString& name) {
    return isPlainName(name) && QFileInfo(filePath(name)).isFile();
}

QPixmap pixmap(const QString& name, int size, const QColor& color, qreal devicePixelRatio) {
    if (size <= 0 || !isPlainName(name))
        return {};
    const int side = std::max(1, static_cast<int>(std::ceil(size * devicePixelRatio)));
    const QString key = QStringLiteral("qs-symbol:%1:%2:%3").arg(name).arg(side).arg(color.rgba(), 8, 16);
    QPixmap cached;
    if (!QPixmapCache::find(key, &cached)) {
        cached = render(filePath(name), side, color);
        if (cached.isNull())
            return {};
        QPixmapCache::insert(key, cached);
    }
    cached.setDevicePixelRatio(devicePixelRatio);
    return cached;
}

QIcon icon(const QString& name, const QColor& color) {
    if (!exists(name))
        return {};
    return QIcon(new SymbolIconEngine(name, color));
}

} // namespace SymbolIcon
