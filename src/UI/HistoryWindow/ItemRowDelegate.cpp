#include "ItemRowDelegate.h"

#include "HistoryListModel.h"

#include <Storage/ImageStore.h>
#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/QSBadge.h>
#include <UI/Design/QSKeyCap.h>
#include <UI/Design/QSSectionHeader.h>
#include <UI/Design/SymbolIcon.h>

#include <QPainter>
#include <QPainterPath>

namespace {

using namespace ItemRowPresentation;
using QS::Color::Scheme;

QColor tintColor(Tint tint, Scheme scheme) {
    using QS::Color::System;
    switch (tint) {
    case Tint::primary:
        return QS::Color::label(scheme);
    case Tint::secondary:
        return QS::Color::secondaryText(scheme);
    case Tint::brand:
        return QS::Color::brand();
    case Tint::code:
        return QS::Color::badgeCode();
    case Tint::image:
        return QS::Color::badgeImage();
    case Tint::url:
        return QS::Color::badgeURL();
    case Tint::file:
        return QS::Color::badgeFile(scheme);
    case Tint::snippet:
        return QS::Color::badgeSnippet();
    case Tint::pink:
        return QS::Color::system(System::Pink, scheme);
    case Tint::blue:
        return QS::Color::system(System::Blue, scheme);
    case Tint::green:
        return QS::Color::system(System::Green, scheme);
    case Tint::orange:
        return QS::Color::system(System::Orange, scheme);
    case Tint::purple:
        return QS::Color::system(System::Purple, scheme);
    case Tint::red:
        return QS::Color::system(System::Red, scheme);
    case Tint::indigo:
        return QS::Color::system(System::Indigo, scheme);
    }
    return QS::Color::label(scheme);
}

void drawSymbol(QPainter& painter, const QString& name, const QPointF& center, int size,
                const QColor& color) {
    const QPixmap pixmap = SymbolIcon::pixmap(name, size, color, painter.device()->devicePixelRatioF());
    if (!pixmap.isNull())
        painter.drawPixmap(QPointF(center.x() - size / 2.0, center.y() - size / 2.0), pixmap);
}

} // namespace

ItemRowDelegate::ItemRowDelegate(ImageStore* images, std::function<QIcon(const QString&)> appIcon,
                                 QObject* parent)
    : QStyledItemDelegate(parent), m_images(images), m_appIcon(std::move(appIcon)),
      m_badge(std::make_unique<QSBadge>(QString(), QColor())),
      m_keyCap(std::make_unique<QSKeyCap>(QString())),
      m_pinnedHeader(std::make_unique<QSSectionHeader>(QT_TRANSLATE_NOOP("QSSectionHeader", "Pinned"),
                                                       QStringLiteral("pin.fill"))),
      m_historyHeader(std::make_unique<QSSectionHeader>(QT_TRANSLATE_NOOP("QSSectionHeader", "History"),
                                                        QStringLiteral("clock"))) {
    for (QWidget* widget :
         {static_cast<QWidget*>(m_badge.get()), static_cast<QWidget*>(m_keyCap.get()),
          static_cast<QWidget*>(m_pinnedHeader.get()), static_cast<QWidget*>(m_historyHeader.get())})
        widget->setAttribute(Qt::WA_DontShowOnScreen);
}

ItemRowDelegate::~ItemRowDelegate() = default;

QSize ItemRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const auto kind = static_cast<HistoryListModel::RowKind>(index.data(HistoryListModel::KindRole).toInt());
    return {option.rect.width(), kind == HistoryListModel::RowKind::item ? kRowHeight : kHeaderHeight};
}

void ItemRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const auto kind = static_cast<HistoryListModel::RowKind>(index.data(HistoryListModel::KindRole).toInt());
    if (m_hiddenRow && kind == HistoryListModel::RowKind::item &&
        index.data(HistoryListModel::ItemIDRole).toUuid() == *m_hiddenRow)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (kind == HistoryListModel::RowKind::item) {
        paintRow(*painter, option, index.data(HistoryListModel::SnapshotRole).value<ItemRowSnapshot>());
    } else {
        QSSectionHeader* header =
            kind == HistoryListModel::RowKind::pinnedHeader ? m_pinnedHeader.get() : m_historyHeader.get();
        header->resize(option.rect.width(), header->sizeHint().height());
        const QPixmap image = snapshotOf(*header, header->title(), option);
        const int top = option.rect.top() + (option.rect.height() - header->height()) / 2;
        painter->drawPixmap(QPoint(option.rect.left(), top), image);
    }
    painter->restore();
}

void ItemRowDelegate::paintRow(QPainter& painter, const QStyleOptionViewItem& option,
                               const ItemRowSnapshot& row) const {
    const QRect bounds = option.rect;
    const Scheme scheme = schemeOf(option);
    const QColor brand = QS::Color::brand();
    const QRectF card = QRectF(bounds).adjusted(0, 1, 0, -1);

    QColor fill = Qt::transparent;
    if (row.isSelected)
        fill = QS::Color::withOpacity(brand, 0.2);
    else if (row.isMultiSelected)
        fill = QS::Color::withOpacity(brand, 0.1);
    else if (row.isHovered)
        fill = QS::Color::rowHover(scheme);
    QPainterPath shape;
    shape.addRoundedRect(card, 10, 10);
    painter.fillPath(shape, fill);
    if (row.isSelected) {
        painter.setPen(QPen(QS::Color::withOpacity(brand, 0.4), 1));
        painter.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), 9.5, 9.5);
        QPainterPath bar;
        bar.addRoundedRect(QRectF(card.left() + 3, card.top() + 10, 3, card.height() - 20), 1.5, 1.5);
        painter.fillPath(bar, brand);
    }

    qreal x = card.left() + 8;
    const qreal midY = card.center().y();
    switch (multiMark(row)) {
    case MultiMark::checked:
        drawSymbol(painter, QStringLiteral("checkmark.circle.fill"), {x + 9, midY}, 14, brand);
        x += 18 + 10;
        break;
    case MultiMark::unchecked:
        drawSymbol(painter, QStringLiteral("circle"), {x + 9, midY}, 14,
                   QS::Color::withOpacity(QS::Color::secondaryText(scheme), 0.45));
        x += 18 + 10;
        break;
    case MultiMark::none:
        break;
    }

    paintLeadingVisual(painter, QRectF(x, midY - 19, 38, 38), row, scheme);
    x += 38 + 10;

    // Trailing column, laid out from the right edge.
    qreal right = card.right() - 10;
    if (const std::optional<QString> hint = keyHint(row)) {
        m_keyCap->setKey(*hint);
        m_keyCap->resize(m_keyCap->sizeHint());
        const QPixmap image = snapshotOf(*m_keyCap, m_keyCap->key(), option);
        right -= m_keyCap->width();
        painter.drawPixmap(QPointF(right, midY - m_keyCap->height() / 2.0), image);
        right -= 6;
    }
    if (row.sourceAppBundleID && m_appIcon) {
        const QIcon icon = m_appIcon(*row.sourceAppBundleID);
        if (!icon.isNull()) {
            right -= 14;
            QPainterPath clip;
            const QRectF iconRect(right, midY - 7, 14, 14);
            clip.addRoundedRect(iconRect, 3, 3);
            painter.save();
            painter.setClipPath(clip);
            icon.paint(&painter, iconRect.toRect());
            painter.restore();
            right -= 6;
        }
    }
    if (row.isPinned) {
        right -= 10;
        drawSymbol(painter, QStringLiteral("pin.fill"), {right + 5, midY}, 10, brand);
        right -= 6;
    }

    // Text column: the title, and the badges or the link's full text under it.
    const Title title = ItemRowPresentation::title(row);
    const QList<Badge> badges = ItemRowPresentation::badges(row);
    const std::optional<QString> secondary = secondaryText(row);
    const bool hasSecondLine = !badges.isEmpty() || secondary;
    const QFont titleFont =
        title.font == TitleFont::monospaced
            ? QS::Font::system(row.type == ItemType::code ? 12 : 13,
                               row.type == ItemType::code ? QFont::Medium : QFont::DemiBold,
                               QS::Font::Design::Monospaced)
            : QS::Font::system(13, QFont::DemiBold);
    const QFontMetricsF titleMetrics(titleFont);
    const qreal textWidth = std::max<qreal>(0, right - x);
    const int lines = hasSecondLine ? 1 : title.maxLines;
    const qreal titleHeight = titleMetrics.height() * lines;
    const qreal secondHeight = hasSecondLine ? 16 : 0;
    qreal y = midY - (titleHeight + (hasSecondLine ? 3 + secondHeight : 0)) / 2.0;

    painter.setFont(titleFont);
    painter.setPen(tintColor(title.tint, scheme));
    // The title is untrusted text: drawn as plain characters, its line breaks flattened, elided.
    QString text = title.text;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (lines == 1) {
        painter.drawText(QRectF(x, y, textWidth, titleHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         titleMetrics.elidedText(text, Qt::ElideRight, textWidth));
    } else {
        painter.drawText(QRectF(x, y, textWidth, titleHeight),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         titleMetrics.elidedText(text, Qt::ElideRight, textWidth * lines - 8));
    }
    y += titleHeight + 3;

    if (secondary) {
        const QFont font = QS::Font::system(11, QFont::Medium);
        painter.setFont(font);
        painter.setPen(QS::Color::secondaryText(scheme));
        painter.drawText(QRectF(x, y, textWidth, secondHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QFontMetricsF(font).elidedText(*secondary, Qt::ElideRight, textWidth));
    }
    qreal badgeX = x;
    for (const Badge& badge : badges) {
        m_badge->setText(badge.text);
        m_badge->setColor(tintColor(badge.tint, scheme));
        const QSize size = m_badge->sizeHint();
        if (badgeX + size.width() > x + textWidth)
            break;
        m_badge->resize(size);
        painter.drawPixmap(QPointF(badgeX, y + (secondHeight - size.height()) / 2.0),
                           snapshotOf(*m_badge, badge.text + m_badge->color().name(QColor::HexArgb), option));
        badgeX += size.width() + 4;
    }
}

void ItemRowDelegate::paintLeadingVisual(QPainter& painter, const QRectF& rect, const ItemRowSnapshot& row,
                                         Scheme scheme) const {
    QPainterPath tile;
    tile.addRoundedRect(rect, 8, 8);
    const QColor primary = QS::Color::label(scheme);

    if (row.type == ItemType::image && row.imageFilename) {
        const QImage image = thumbnail(row);
        painter.save();
        painter.setClipPath(tile);
        if (image.isNull()) {
            painter.fillPath(tile, QS::Color::withOpacity(primary, 0.06));
        } else {
            // Fill the square, keeping the aspect ratio: the middle of the picture is shown.
            const QSizeF scaled = QSizeF(image.size()).scaled(rect.size(), Qt::KeepAspectRatioByExpanding);
            const QRectF target(rect.center().x() - scaled.width() / 2,
                                rect.center().y() - scaled.height() / 2, scaled.width(), scaled.height());
            painter.drawImage(target, image);
        }
        painter.restore();
        painter.setPen(QPen(QS::Color::withOpacity(primary, 0.08), 0.5));
        painter.drawRoundedRect(rect.adjusted(0.25, 0.25, -0.25, -0.25), 8, 8);
        return;
    }
    if (const auto color = swatchColor(row)) {
        painter.fillPath(tile, *color);
        painter.setPen(QPen(QS::Color::withOpacity(primary, 0.1), 0.5));
        painter.drawRoundedRect(rect.adjusted(0.25, 0.25, -0.25, -0.25), 8, 8);
        return;
    }
    const QColor tint = tintColor(typeTint(row.type), scheme);
    painter.fillPath(tile, QS::Color::withOpacity(tint, row.isSelected ? 0.28 : 0.14));
    drawSymbol(painter, ItemTypes::systemImageName(row.type), rect.center(), 16,
               row.isSelected ? QS::Color::brand() : tint);
}

QS::Color::Scheme ItemRowDelegate::schemeOf(const QStyleOptionViewItem& option) {
    return option.widget ? QS::Color::schemeOf(*option.widget) : QS::Color::schemeOf(option.palette);
}

// The small design-system widgets are drawn once per look into an image and reused: rows are
// painted often, and a widget rendered straight into the list's painter lands in the wrong place.
QPixmap ItemRowDelegate::snapshotOf(QWidget& widget, const QString& content,
                                    const QStyleOptionViewItem& option) const {
    const QPalette palette = option.widget ? option.widget->palette() : option.palette;
    widget.setPalette(palette);
    const qreal ratio = option.widget ? option.widget->devicePixelRatioF() : 1.0;
    const QString key = QStringLiteral("%1|%2|%3x%4|%5|%6")
                            .arg(widget.metaObject()->className(), content)
                            .arg(widget.width())
                            .arg(widget.height())
                            .arg(palette.color(QPalette::WindowText).name(QColor::HexArgb))
                            .arg(ratio);
    if (const auto found = m_snapshots.constFind(key); found != m_snapshots.constEnd())
        return *found;
    QImage image((QSizeF(widget.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QPixmap pixmap = QPixmap::fromImage(image);
    m_snapshots.insert(key, pixmap);
    return pixmap;
}

QImage ItemRowDelegate::thumbnail(const ItemRowSnapshot& row) const {
    if (!m_images)
        return {};
    const QString& filename = *row.imageFilename;
    const QString key = ImageStore::thumbnailKey(filename, kThumbnailDimension);
    if (const auto cached = m_images->thumbnailCache().find(key))
        return *cached;
    // A file that gave no picture is not asked for again while the panel lives: each repaint would
    // otherwise start another load.
    if (!m_pendingThumbnails.contains(filename) && !m_unreadableThumbnails.contains(filename)) {
        m_pendingThumbnails.insert(filename);
        ++m_thumbnailRequests;
        auto* self = const_cast<ItemRowDelegate*>(this);
        const QUuid id = row.itemID;
        m_images->thumbnailAsync(filename, kThumbnailDimension, self,
                                 [self, filename, id](const QImage& image) {
                                     self->m_pendingThumbnails.remove(filename);
                                     if (image.isNull())
                                         self->m_unreadableThumbnails.insert(filename);
                                     emit self->thumbnailReady(id);
                                 });
    }
    return {};
}
