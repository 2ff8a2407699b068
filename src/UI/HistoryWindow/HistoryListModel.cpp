#include "HistoryListModel.h"

#include <Analysis/FutureDelivery.h>
#include <Storage/HistoryStore.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The length of ClipboardItem::searchableText() without building it.
qsizetype searchableLength(const ClipboardItem& item) {
    qsizetype length = -1;
    for (const std::optional<QString>* part : {&item.plainText(), &item.ocrText(), &item.snippetTitle()}) {
        if (*part)
            length += (*part)->size() + 1;
    }
    return std::max<qsizetype>(length, 0);
}

} // namespace

HistoryListModel::HistoryListModel(HistoryStore& store, QObject* parent)
    : QAbstractListModel(parent), m_store(store) {
    m_foldAhead.setSingleShot(true);
    m_foldAhead.setInterval(0);
    connect(&m_foldAhead, &QTimer::timeout, this, &HistoryListModel::foldAheadSlice);
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
        syncStoreEntries();
        refilter();
        rebuild();
        reconcileSelection();
    });
    connect(&m_store, &HistoryStore::itemChanged, this, [this](const QUuid& id) {
        refreshEntry(id);
        refilter();
        rebuild();
        reconcileSelection();
    });
    syncStoreEntries();
    refilter();
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
    if (changed) {
        refilter();
        rebuild();
    }
    changeState(
        [&] { m_selectedID = m_visible.empty() ? std::nullopt : std::optional(visibleItem(0)->id()); });
    if (changed)
        reconcileSelection();
}

void HistoryListModel::setAppFilterBundleID(const std::optional<QString>& bundleID) {
    if (bundleID == m_appFilter)
        return;
    m_appFilter = bundleID;
    refilter();
    rebuild();
    reconcileSelection();
}

void HistoryListModel::syncStoreEntries() {
    const QList<ClipboardItemPtr>& items = m_store.items();
    std::vector<StoreEntry> entries;
    entries.reserve(items.size());
    QHash<QUuid, int> byId;
    byId.reserve(items.size());
    for (const ClipboardItemPtr& item : items) {
        StoreEntry entry{item, item->type(), item->isPinned(), searchableLength(*item) > kLargeSearchText,
                         0,    std::nullopt};
        const int before = m_entryById.value(item->id(), -1);
        if (before >= 0 && m_entries[before].item == item) {
            entry.version = m_entries[before].version;
            entry.foldedText = std::move(m_entries[before].foldedText);
        } else {
            entry.version = m_nextVersion++;
        }
        byId.insert(item->id(), static_cast<int>(entries.size()));
        entries.push_back(std::move(entry));
    }
    m_entries = std::move(entries);
    m_entryById = std::move(byId);
    foldAheadFrom(0);
}

void HistoryListModel::refreshEntry(const QUuid& id) {
    const int index = m_entryById.value(id, -1);
    if (index < 0 || m_entries[index].item->id() != id)
        return;
    StoreEntry& entry = m_entries[index];
    entry.type = entry.item->type();
    entry.isPinned = entry.item->isPinned();
    entry.large = searchableLength(*entry.item) > kLargeSearchText;
    entry.version = m_nextVersion++;
    entry.foldedText.reset();
    foldAheadFrom(index);
}

void HistoryListModel::refilter() {
    ++m_generation;
    m_passingFilters.clear();
    m_passingFilters.reserve(m_entries.size());
    for (int i = 0; i < static_cast<int>(m_entries.size()); ++i) {
        const StoreEntry& entry = m_entries[i];
        if (!ItemFilters::matches(m_filter, entry.type))
            continue;
        if (m_appFilter && entry.item->sourceAppBundleID() != m_appFilter)
            continue;
        m_passingFilters.push_back(i);
    }
}

const QString& HistoryListModel::foldedText(StoreEntry& entry) {
    if (!entry.foldedText)
        entry.foldedText = entry.item->searchableText().toCaseFolded();
    return *entry.foldedText;
}

void HistoryListModel::foldAheadFrom(int index) {
    m_foldCursor = m_foldAhead.isActive() ? std::min(m_foldCursor, index) : index;
    m_foldAhead.start();
}

void HistoryListModel::foldAheadSlice() {
    constexpr qint64 kSliceMs = 4;
    constexpr int kItemsBetweenClockReads = 64;
    QElapsedTimer slice;
    slice.start();
    const int count = static_cast<int>(m_entries.size());
    while (m_foldCursor < count) {
        // Large texts are folded by the worker that searches them.
        if (StoreEntry& entry = m_entries[m_foldCursor++]; !entry.large)
            foldedText(entry);
        if (m_foldCursor % kItemsBetweenClockReads == 0 && slice.elapsed() >= kSliceMs)
            break;
    }
    if (m_foldCursor < count)
        m_foldAhead.start();
}

void HistoryListModel::rebuild() {
    beginResetModel();
    if (m_foldedQuery.isEmpty()) {
        m_matches = m_passingFilters;
    } else {
        // A query that contains the previous one can only match what that one matched; a query
        // contained in the previous one keeps all of its matches. Typing and deleting at the end of
        // the query therefore test only the items whose answer may have changed.
        enum class Start { scratch, narrowing, widening } start = Start::scratch;
        if (m_matchesFor.valid && m_matchesFor.generation == m_generation) {
            if (m_foldedQuery.contains(m_matchesFor.foldedQuery))
                start = Start::narrowing;
            else if (m_matchesFor.foldedQuery.contains(m_foldedQuery))
                start = Start::widening;
        }
        std::vector<int> matches;
        matches.reserve(start == Start::narrowing ? m_matches.size() : m_passingFilters.size());
        auto known = m_matches.cbegin();
        for (const int index : m_passingFilters) {
            if (m_entries[index].large)
                continue;
            bool matchedBefore = false;
            if (start != Start::scratch) {
                while (known != m_matches.cend() && *known < index)
                    ++known;
                matchedBefore = known != m_matches.cend() && *known == index;
            }
            const auto test = [&] {
                return foldedText(m_entries[index]).contains(m_foldedQuery);
            };
            bool match = false;
            switch (start) {
            case Start::scratch:
                match = test();
                break;
            case Start::narrowing:
                match = matchedBefore && test();
                break;
            case Start::widening:
                match = matchedBefore || test();
                break;
            }
            if (match)
                matches.push_back(index);
        }
        const bool answered = m_largeAnswer.valid && m_largeAnswer.generation == m_generation &&
                              m_largeAnswer.foldedQuery == m_foldedQuery;
        if (answered) {
            std::vector<int> merged;
            merged.reserve(matches.size() + m_largeAnswer.matches.size());
            std::merge(matches.begin(), matches.end(), m_largeAnswer.matches.begin(),
                       m_largeAnswer.matches.end(), std::back_inserter(merged));
            matches = std::move(merged);
        }
        m_matches = std::move(matches);
        if (!answered)
            searchLargeItems();
    }
    m_matchesFor = {m_generation, m_foldedQuery, true};

    m_visible.clear();
    m_visible.reserve(m_matches.size());
    for (const int index : m_matches) {
        if (m_entries[index].isPinned)
            m_visible.push_back(index);
    }
    m_pinnedCount = static_cast<int>(m_visible.size());
    for (const int index : m_matches) {
        if (!m_entries[index].isPinned)
            m_visible.push_back(index);
    }
    m_rowOfEntry.assign(m_entries.size(), -1);
    const int unpinnedCount = static_cast<int>(m_visible.size()) - m_pinnedCount;
    for (int position = 0; position < static_cast<int>(m_visible.size()); ++position) {
        int row = position;
        if (m_pinnedCount > 0)
            row += position < m_pinnedCount || unpinnedCount == 0 ? 1 : 2;
        m_rowOfEntry[m_visible[position]] = row;
    }
    m_visibleItems.reset();
    endResetModel();
    emit listChanged();
}

void HistoryListModel::searchLargeItems() {
    if (m_largeSearchRunning) {
        m_largeSearchWanted = true;
        return;
    }
    // Each large item the filters let through: its folded text, or the parts to fold.
    struct Job {
        int index;
        QUuid id;
        quint64 version;
        QString folded;
        QStringList parts;
    };
    std::vector<Job> jobs;
    for (const int index : m_passingFilters) {
        const StoreEntry& entry = m_entries[index];
        if (!entry.large)
            continue;
        Job job{index, entry.item->id(), entry.version, entry.foldedText.value_or(QString()), {}};
        if (!entry.foldedText) {
            for (const std::optional<QString>* part :
                 {&entry.item->plainText(), &entry.item->ocrText(), &entry.item->snippetTitle()}) {
                if (*part)
                    job.parts.append(**part);
            }
        }
        jobs.push_back(std::move(job));
    }
    const quint64 generation = m_generation;
    const QString query = m_foldedQuery;
    if (jobs.empty()) {
        m_largeAnswer = {generation, query, {}, true};
        return;
    }
    struct Folding {
        QUuid id;
        quint64 version;
        QString folded;
    };
    struct Answer {
        std::vector<int> matches;
        std::vector<Folding> foldings;
    };
    m_largeSearchRunning = true;
    const QFuture<Answer> search = QtConcurrent::run([jobs = std::move(jobs), query] {
        Answer answer;
        for (const Job& job : jobs) {
            QString folded = job.folded;
            if (folded.isNull()) {
                folded = job.parts.join(u'\n').toCaseFolded();
                answer.foldings.push_back({job.id, job.version, folded});
            }
            if (folded.contains(query))
                answer.matches.push_back(job.index);
        }
        return answer;
    });
    deliverOnContextThread(search, this, [this, generation, query](const Answer& answer) {
        m_largeSearchRunning = false;
        // The foldings of items that have not changed since are kept for the next keystrokes.
        for (const Folding& folding : answer.foldings) {
            const int index = m_entryById.value(folding.id, -1);
            if (index >= 0 && m_entries[index].version == folding.version)
                m_entries[index].foldedText = folding.folded;
        }
        const bool current = generation == m_generation && query == m_foldedQuery;
        if (current) {
            m_largeAnswer = {generation, query, answer.matches, true};
            m_largeSearchWanted = false;
            rebuild();
            reconcileSelection();
        } else if (std::exchange(m_largeSearchWanted, false) && !m_foldedQuery.isEmpty()) {
            searchLargeItems();
        }
    });
}

ClipboardItemPtr HistoryListModel::visibleItem(int position) const {
    if (position < 0 || position >= static_cast<int>(m_visible.size()))
        return nullptr;
    return m_entries[m_visible[position]].item;
}

const QList<ClipboardItemPtr>& HistoryListModel::visibleItems() const {
    if (!m_visibleItems) {
        QList<ClipboardItemPtr> items;
        items.reserve(static_cast<qsizetype>(m_visible.size()));
        for (const int index : m_visible)
            items.append(m_entries[index].item);
        m_visibleItems = std::move(items);
    }
    return *m_visibleItems;
}

// Rows: the pinned header and the pinned items, then (when both groups are there) the history
// header, then the unpinned items; without pinned items there are no headers.
HistoryListModel::Row HistoryListModel::rowAt(int row) const {
    if (m_pinnedCount == 0)
        return {RowKind::item, row};
    if (row == 0)
        return {RowKind::pinnedHeader, -1};
    if (row <= m_pinnedCount)
        return {RowKind::item, row - 1};
    if (row == m_pinnedCount + 1)
        return {RowKind::historyHeader, -1};
    return {RowKind::item, row - 2};
}

ClipboardItemPtr HistoryListModel::previewItem() const {
    for (const auto& id : {m_previewID, m_selectedID}) {
        if (const int row = id ? rowOf(*id) : -1; row >= 0)
            return visibleItem(rowAt(row).itemIndex);
    }
    return visibleItem(0);
}

QList<ClipboardItemPtr> HistoryListModel::multiSelectedItems() const {
    QList<ClipboardItemPtr> items;
    if (m_multiSelected.isEmpty())
        return items;
    for (const int index : m_visible) {
        if (m_multiSelected.contains(m_entries[index].item->id()))
            items.append(m_entries[index].item);
    }
    return items;
}

void HistoryListModel::reconcileSelection() {
    const std::optional<QUuid> first = m_visible.empty() ? std::nullopt : std::optional(visibleItem(0)->id());
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
    if (m_visible.empty())
        return;
    const std::optional<QUuid> current = m_previewID ? m_previewID : m_selectedID;
    int start = 0;
    if (const int row = current ? rowOf(*current) : -1; row >= 0)
        start = rowAt(row).itemIndex;
    const int target = std::clamp(start + delta, 0, visibleCount() - 1);
    commitSelection(visibleItem(target)->id(), true);
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
    const std::optional<QUuid> first = m_visible.empty() ? std::nullopt : std::optional(visibleItem(0)->id());
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

    if (const int rows = rowCount(); rows > 0) {
        if (multiBefore.isEmpty() != m_multiSelected.isEmpty()) {
            // Entering or leaving multi-selection mode changes every row's marks and key hints.
            emit dataChanged(index(0), index(rows - 1));
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
    const int index = m_entryById.value(id, -1);
    return index >= 0 && index < static_cast<int>(m_rowOfEntry.size()) ? m_rowOfEntry[index] : -1;
}

ClipboardItemPtr HistoryListModel::itemAt(int row) const {
    if (row < 0 || row >= rowCount())
        return nullptr;
    const Row found = rowAt(row);
    return found.kind == RowKind::item ? visibleItem(found.itemIndex) : nullptr;
}

ItemRowSnapshot HistoryListModel::snapshotAt(int itemIndex) const {
    const ClipboardItem& item = *visibleItem(itemIndex);
    ItemRowSnapshot row = ItemRowSnapshot::make(item, itemIndex);
    const auto selected = m_previewID ? m_previewID : m_selectedID;
    row.isSelected = selected == item.id();
    row.isHovered = m_hoveredID == item.id();
    row.isMultiSelected = m_multiSelected.contains(item.id());
    row.multiSelectMode = !m_multiSelected.isEmpty();
    return row;
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    const int items = visibleCount();
    const int headers = m_pinnedCount == 0 ? 0 : (items > m_pinnedCount ? 2 : 1);
    return items + headers;
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row row = rowAt(index.row());
    switch (role) {
    case KindRole:
        return static_cast<int>(row.kind);
    case SnapshotRole:
        return row.kind == RowKind::item ? QVariant::fromValue(snapshotAt(row.itemIndex)) : QVariant();
    case ItemIDRole:
        return row.kind == RowKind::item ? QVariant(visibleItem(row.itemIndex)->id()) : QVariant();
    case Qt::DisplayRole:
        if (row.kind == RowKind::item)
            return visibleItem(row.itemIndex)->previewTitle(ItemRowSnapshot::kTextLimit);
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags HistoryListModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= rowCount() || rowAt(index.row()).kind != RowKind::item)
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
