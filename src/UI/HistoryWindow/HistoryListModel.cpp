#include "HistoryListModel.h"

#include <Storage/HistoryStore.h>

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

HistoryListModel::HistoryListModel(HistoryStore& store, QObject* parent)
    : QAbstractListModel(parent), m_store(store) {
    m_hoverPreview.setSingleShot(true);
    m_hoverPreview.setInterval(kHoverPreviewDelayMs);
    connect(&m_hoverPreview, &QTimer::timeout, this, [this] {
        const QUuid id = m_hoverPreviewTarget;
        changeState([&] {
            m_previewID = id;
            m_selectedID = id;
        });
    });
    // Every change of the store repairs the selection: a new item plus a trimmed one leaves the
    // count unchanged but the list different.
    connect(&m_store, &HistoryStore::itemsChanged, this, [this] {
        // Items that left the store leave the search cache with it, now and then.
        if (m_foldedTexts.size() > 2 * m_store.items().size() + 64)
            m_foldedTexts.clear();
        rebuild();
        reconcileSelection();
    });
    connect(&m_store, &HistoryStore::itemChanged, this, [this](const QUuid& id) {
        m_foldedTexts.remove(id);
        rebuild();
        reconcileSelection();
    });
    rebuild();
}

void HistoryListModel::setQuery(const QString& query) {
    if (query == m_query)
        return;
    m_query = query;
    m_foldedQuery = query.toCaseFolded();
    rebuild();
    reconcileSelection();
}

void HistoryListModel::chooseFilter(ItemFilter filter) {
    const bool changed = filter != m_filter;
    m_filter = filter;
    if (changed)
        rebuild();
    changeState(
        [&] { m_selectedID = m_visible.isEmpty() ? std::nullopt : std::optional(m_visible.first()->id()); });
    if (changed)
        reconcileSelection();
}

void HistoryListModel::setAppFilterBundleID(const std::optional<QString>& bundleID) {
    if (bundleID == m_appFilter)
        return;
    m_appFilter = bundleID;
    rebuild();
    reconcileSelection();
}

bool HistoryListModel::passesFilters(const ClipboardItem& item) const {
    if (!ItemFilters::matches(m_filter, item))
        return false;
    if (m_appFilter && item.sourceAppBundleID() != m_appFilter)
        return false;
    if (m_query.isEmpty())
        return true;
    return foldedSearchableText(item).contains(m_foldedQuery);
}

const QString& HistoryListModel::foldedSearchableText(const ClipboardItem& item) const {
    auto found = m_foldedTexts.find(item.id());
    if (found == m_foldedTexts.end())
        found = m_foldedTexts.insert(item.id(), item.searchableText().toCaseFolded());
    return *found;
}

void HistoryListModel::rebuild() {
    beginResetModel();
    m_visible.clear();
    QList<ClipboardItemPtr> unpinned;
    for (const ClipboardItemPtr& item : m_store.items()) {
        if (!passesFilters(*item))
            continue;
        (item->isPinned() ? m_visible : unpinned).append(item);
    }
    m_pinnedCount = static_cast<int>(m_visible.size());
    m_visible.append(unpinned);

    m_rows.clear();
    m_rowById.clear();
    m_rows.reserve(m_visible.size() + 2);
    m_rowById.reserve(m_visible.size());
    for (int i = 0; i < m_visible.size(); ++i) {
        if (i == 0 && m_pinnedCount > 0)
            m_rows.append({RowKind::pinnedHeader, -1});
        if (i == m_pinnedCount && m_pinnedCount > 0)
            m_rows.append({RowKind::historyHeader, -1});
        m_rowById.insert(m_visible[i]->id(), static_cast<int>(m_rows.size()));
        m_rows.append({RowKind::item, i});
    }
    endResetModel();
    emit listChanged();
}

ClipboardItemPtr HistoryListModel::previewItem() const {
    for (const auto& id : {m_previewID, m_selectedID}) {
        if (id && isVisible(*id))
            return m_visible[m_rows[m_rowById.value(*id)].itemIndex];
    }
    return m_visible.isEmpty() ? nullptr : m_visible.first();
}

QList<ClipboardItemPtr> HistoryListModel::multiSelectedItems() const {
    QList<ClipboardItemPtr> items;
    if (m_multiSelected.isEmpty())
        return items;
    for (const ClipboardItemPtr& item : m_visible) {
        if (m_multiSelected.contains(item->id()))
            items.append(item);
    }
    return items;
}

void HistoryListModel::reconcileSelection() {
    const std::optional<QUuid> first =
        m_visible.isEmpty() ? std::nullopt : std::optional(m_visible.first()->id());
    changeState([&] {
        if (m_selectedID && !isVisible(*m_selectedID))
            m_selectedID = first;
        if (m_previewID && !isVisible(*m_previewID))
            m_previewID = m_selectedID ? m_selectedID : first;
        if (!m_selectedID) {
            m_selectedID = first;
            m_previewID = first;
        }
        for (auto it = m_multiSelected.begin(); it != m_multiSelected.end();) {
            if (isVisible(*it))
                ++it;
            else
                it = m_multiSelected.erase(it);
        }
    });
}

void HistoryListModel::moveSelection(int delta) {
    if (m_visible.isEmpty())
        return;
    const std::optional<QUuid> current = m_previewID ? m_previewID : m_selectedID;
    int start = 0;
    if (current && isVisible(*current))
        start = m_rows[m_rowById.value(*current)].itemIndex;
    const int target = std::clamp(start + delta, 0, static_cast<int>(m_visible.size()) - 1);
    commitSelection(m_visible[target]->id(), true);
}

void HistoryListModel::commitSelection(const QUuid& id, bool scroll) {
    cancelPendingPreview();
    changeState([&] {
        m_selectedID = id;
        m_previewID = id;
        m_hoveredID = id;
    });
    if (scroll)
        emit scrollRequested(id);
}

void HistoryListModel::selectFirst() {
    const std::optional<QUuid> first =
        m_visible.isEmpty() ? std::nullopt : std::optional(m_visible.first()->id());
    changeState([&] {
        m_selectedID = first;
        m_previewID = first;
    });
}

void HistoryListModel::toggleMulti(const QUuid& id) {
    changeState([&] {
        if (!m_multiSelected.remove(id))
            m_multiSelected.insert(id);
    });
}

void HistoryListModel::clearMultiSelection() {
    changeState([&] { m_multiSelected.clear(); });
}

void HistoryListModel::pointerEntered(const QUuid& id) {
    changeState([&] { m_hoveredID = id; });
    cancelPendingPreview();
    if (m_previewID == id)
        return;
    m_hoverPreviewTarget = id;
    m_hoverPreview.start();
}

void HistoryListModel::pointerLeft(const QUuid& id) {
    if (m_hoveredID == id)
        changeState([&] { m_hoveredID.reset(); });
}

void HistoryListModel::cancelPendingPreview() {
    m_hoverPreview.stop();
}

void HistoryListModel::changeState(const std::function<void()>& change) {
    const auto selectedBefore = m_previewID ? m_previewID : m_selectedID;
    const auto hoveredBefore = m_hoveredID;
    const auto previewBefore = m_previewID;
    const auto plainSelectedBefore = m_selectedID;
    const QSet<QUuid> multiBefore = m_multiSelected;
    change();
    const auto selectedAfter = m_previewID ? m_previewID : m_selectedID;
    if (selectedBefore == selectedAfter && hoveredBefore == m_hoveredID && previewBefore == m_previewID &&
        plainSelectedBefore == m_selectedID && multiBefore == m_multiSelected)
        return;

    if (!m_rows.isEmpty()) {
        if (multiBefore.isEmpty() != m_multiSelected.isEmpty()) {
            // Entering or leaving multi-selection mode changes every row's marks and key hints.
            emit dataChanged(index(0), index(static_cast<int>(m_rows.size()) - 1));
        } else {
            QSet<QUuid> touched = (multiBefore - m_multiSelected) | (m_multiSelected - multiBefore);
            for (const auto& id : {selectedBefore, selectedAfter, hoveredBefore, m_hoveredID}) {
                if (id)
                    touched.insert(*id);
            }
            for (const QUuid& id : touched) {
                const int row = rowOf(id);
                if (row >= 0)
                    emit dataChanged(index(row), index(row));
            }
        }
    }
    emit stateChanged();
}

int HistoryListModel::rowOf(const QUuid& id) const {
    return m_rowById.value(id, -1);
}

ClipboardItemPtr HistoryListModel::itemAt(int row) const {
    if (row < 0 || row >= m_rows.size() || m_rows[row].kind != RowKind::item)
        return nullptr;
    return m_visible[m_rows[row].itemIndex];
}

ItemRowSnapshot HistoryListModel::snapshotAt(int itemIndex) const {
    const ClipboardItem& item = *m_visible[itemIndex];
    ItemRowSnapshot row = ItemRowSnapshot::make(item, itemIndex);
    const auto selected = m_previewID ? m_previewID : m_selectedID;
    row.isSelected = selected == item.id();
    row.isHovered = m_hoveredID == item.id();
    row.isMultiSelected = m_multiSelected.contains(item.id());
    row.multiSelectMode = !m_multiSelected.isEmpty();
    return row;
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows[index.row()];
    switch (role) {
    case KindRole:
        return static_cast<int>(row.kind);
    case SnapshotRole:
        return row.kind == RowKind::item ? QVariant::fromValue(snapshotAt(row.itemIndex)) : QVariant();
    case ItemIDRole:
        return row.kind == RowKind::item ? QVariant(m_visible[row.itemIndex]->id()) : QVariant();
    case Qt::DisplayRole:
        if (row.kind == RowKind::item)
            return m_visible[row.itemIndex]->previewTitle();
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags HistoryListModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || m_rows[index.row()].kind != RowKind::item)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QStringList HistoryListModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list"), QStringLiteral("text/plain")};
}

// A dragged row carries the first file of a file item, the picture of an image item, and otherwise
// (or when that file is gone) the item's text.
QMimeData* HistoryListModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty())
        return nullptr;
    const ClipboardItemPtr item = itemAt(indexes.first().row());
    if (!item)
        return nullptr;
    auto* mime = new QMimeData;
    std::optional<QString> file;
    if (item->type() == ItemType::file && item->plainText())
        file = item->plainText()->section(QLatin1Char('\n'), 0, 0);
    else if (item->type() == ItemType::image && item->imageFilename() && !m_imageDirectory.isEmpty())
        file = QDir(m_imageDirectory).filePath(*item->imageFilename());
    if (file && !file->isEmpty() && QFileInfo(*file).isFile()) {
        mime->setUrls({QUrl::fromLocalFile(*file)});
        return mime;
    }
    mime->setText(item->plainText().value_or(item->ocrText().value_or(QString())));
    return mime;
}
