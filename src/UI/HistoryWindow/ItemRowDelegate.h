#pragma once

#include "ItemRow.h"

#include <UI/Design/Color.h>

#include <QHash>
#include <QIcon>
#include <QSet>
#include <QStyledItemDelegate>

#include <functional>
#include <memory>
#include <optional>

class ImageStore;
class QSBadge;
class QSKeyCap;
class QSSectionHeader;

// Paints the rows of the history list from their snapshots, and the two section headers. Image
// thumbnails are asked for only when a row is painted, that is, only for rows in view; they load
// off the GUI thread and the row is repainted when its thumbnail arrives.
class ItemRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 50;
    static constexpr int kHeaderHeight = 26;
    static constexpr double kThumbnailDimension = 40;

    // `images` may be null (no thumbnails); `appIcon` gives the icon of a source application.
    ItemRowDelegate(ImageStore* images, std::function<QIcon(const QString& bundleID)> appIcon,
                    QObject* parent = nullptr);
    ~ItemRowDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // A row that another widget draws for a while (it glides to its new place): the delegate leaves
    // its place empty. Unset: every row is painted.
    void setHiddenRow(const std::optional<QUuid>& itemID) { m_hiddenRow = itemID; }
    const std::optional<QUuid>& hiddenRow() const { return m_hiddenRow; }

    // How many thumbnail loads have been started (each file once while it loads).
    int thumbnailRequests() const { return m_thumbnailRequests; }

signals:
    // A thumbnail arrived: the row of this item needs painting again.
    void thumbnailReady(const QUuid& itemID);

private:
    void paintRow(QPainter& painter, const QStyleOptionViewItem& option, const ItemRowSnapshot& row) const;
    void paintLeadingVisual(QPainter& painter, const QRectF& rect, const ItemRowSnapshot& row,
                            QS::Color::Scheme scheme) const;
    static QS::Color::Scheme schemeOf(const QStyleOptionViewItem& option);
    // `content` tells apart what the widget shows (its text, colour or key).
    QPixmap snapshotOf(QWidget& widget, const QString& content, const QStyleOptionViewItem& option) const;
    QImage thumbnail(const ItemRowSnapshot& row) const;

    ImageStore* m_images;
    std::function<QIcon(const QString&)> m_appIcon;
    // Widgets of the design system, rendered into the row where it needs a badge or a key cap.
    std::unique_ptr<QSBadge> m_badge;
    std::unique_ptr<QSKeyCap> m_keyCap;
    std::unique_ptr<QSSectionHeader> m_pinnedHeader;
    std::unique_ptr<QSSectionHeader> m_historyHeader;
    mutable QHash<QString, QPixmap> m_snapshots;
    mutable QSet<QString> m_pendingThumbnails;
    mutable QSet<QString> m_unreadableThumbnails;
    mutable int m_thumbnailRequests = 0;
    std::optional<QUuid> m_hiddenRow;
};
