#pragma once

#include "ItemFilter.h"
#include "ItemRow.h"

#include <Storage/ClipboardItem.h>

#include <QAbstractListModel>
#include <QHash>
#include <QSet>
#include <QTimer>
#include <QUuid>

#include <optional>
#include <vector>

class HistoryStore;

// The history list of the panel: the items that pass the kind, source-application and search
// filters (pinned first, then the rest, each newest first), as list rows with the section headers,
// plus the selection, hover, preview and multi-selection state and the rules that keep them
// consistent while the list changes. GUI thread only: items whose text is longer than
// kLargeSearchText are searched on a worker, and join the matches when their answer comes.
class HistoryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum class RowKind { pinnedHeader, historyHeader, item };
    enum Role { KindRole = Qt::UserRole + 1, SnapshotRole, ItemIDRole };
    // How long the pointer rests on a row before it is previewed.
    static constexpr int kHoverPreviewDelayMs = 70;
    // Searchable texts longer than this (UTF-16 units) are folded and searched off the GUI thread.
    static constexpr qsizetype kLargeSearchText = 16 * 1024;

    explicit HistoryListModel(HistoryStore& store, QObject* parent = nullptr);

    HistoryStore& store() const { return m_store; }

    // Inputs.
    const QString& query() const { return m_query; }
    void setQuery(const QString& query);
    ItemFilter filter() const { return m_filter; }
    // The chip action: sets the filter and selects the first row of the new list.
    void chooseFilter(ItemFilter filter);
    const std::optional<QString>& appFilterBundleID() const { return m_appFilter; }
    void setAppFilterBundleID(const std::optional<QString>& bundleID);

    // The visible list: pinned items, then unpinned items.
    int visibleCount() const { return static_cast<int>(m_visible.size()); }
    ClipboardItemPtr visibleItem(int position) const;
    // The whole visible list, built on first request after each change.
    const QList<ClipboardItemPtr>& visibleItems() const;
    int pinnedCount() const { return m_pinnedCount; }
    ClipboardItemPtr previewItem() const;
    QList<ClipboardItemPtr> multiSelectedItems() const;

    const std::optional<QUuid>& selectedID() const { return m_selectedID; }
    const std::optional<QUuid>& previewID() const { return m_previewID; }
    const std::optional<QUuid>& hoveredID() const { return m_hoveredID; }
    const QSet<QUuid>& multiSelected() const { return m_multiSelected; }

    // Repairs the selection, preview and multi-selection after the visible list changed.
    void reconcileSelection();
    // Keyboard move by `delta` rows from the previewed (else selected) row, clamped to the list.
    void moveSelection(int delta);
    // Makes `id` the selected, previewed and hovered row; with `scroll` the view scrolls to it.
    void commitSelection(const QUuid& id, bool scroll);
    // When the panel appears: the first row becomes the selection and the preview.
    void selectFirst();

    void toggleMulti(const QUuid& id);
    void clearMultiSelection();

    // The pointer entered or left a row. Entering previews the row after a short rest.
    void pointerEntered(const QUuid& id);
    void pointerLeft(const QUuid& id);
    void cancelPendingPreview();

    // The list row of an item, or -1.
    int rowOf(const QUuid& id) const;
    ClipboardItemPtr itemAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // Where an image item's file lives, for drags (unset: images drag as text).
    void setImageDirectory(const QString& directory) { m_imageDirectory = directory; }

signals:
    // The visible list was rebuilt.
    void listChanged();
    // Selection, preview, hover or multi-selection changed.
    void stateChanged();
    // A keyboard move asks the view to bring this row to the centre.
    void scrollRequested(const QUuid& id);

private:
    // What the search needs of one store item, kept in store order beside the store's list.
    struct StoreEntry {
        ClipboardItemPtr item;
        ItemType type;
        bool isPinned;
        // Searched on a worker (its searchable text is longer than kLargeSearchText).
        bool large;
        // Changes whenever the item does, so that a worker's folding of an older text is not kept.
        quint64 version;
        // The searchable text, case-folded on first search and kept until the item changes: every
        // keystroke searches every item, and folding is most of the cost of a case-blind search.
        std::optional<QString> foldedText;
    };
    // Which large items match a query, as answered by the worker.
    struct LargeAnswer {
        quint64 generation = 0;
        QString foldedQuery;
        std::vector<int> matches;
        bool valid = false;
    };
    // The search the current matches answer, so that the next keystroke can start from them.
    struct SearchState {
        quint64 generation = 0;
        QString foldedQuery;
        bool valid = false;
    };
    struct Row {
        RowKind kind;
        int itemIndex; // into m_visible, for item rows
    };

    // Takes the store's list again, keeping the folded texts of the items that stay.
    void syncStoreEntries();
    void refreshEntry(const QUuid& id);
    // The items that pass the kind and source-application filters, in store order.
    void refilter();
    void rebuild();
    const QString& foldedText(StoreEntry& entry);
    // Folds the texts not folded yet in short slices while the event loop is idle, so that the
    // first keystroke finds them ready; a keystroke before the end folds the rest itself.
    void foldAheadFrom(int index);
    void foldAheadSlice();
    // Asks the worker about the large items that pass the filters, for the current query; one
    // search runs at a time, and the latest query follows when it ends.
    void searchLargeItems();
    Row rowAt(int row) const;
    bool isVisible(const QUuid& id) const { return rowOf(id) >= 0; }
    ItemRowSnapshot snapshotAt(int itemIndex) const;
    // Sets the state and repaints exactly the rows whose look changed.
    void changeState(const std::function<void()>& change);

    HistoryStore& m_store;
    QString m_query;
    QString m_foldedQuery;
    ItemFilter m_filter = ItemFilter::all;
    std::optional<QString> m_appFilter;

    std::vector<StoreEntry> m_entries;
    QTimer m_foldAhead;
    int m_foldCursor = 0;
    QHash<QUuid, int> m_entryById;
    // Bumped whenever an item or a filter other than the query changes: earlier matches are void.
    quint64 m_generation = 1;
    std::vector<int> m_passingFilters;
    std::vector<int> m_matches;
    SearchState m_matchesFor;
    LargeAnswer m_largeAnswer;
    bool m_largeSearchRunning = false;
    bool m_largeSearchWanted = false;
    quint64 m_nextVersion = 1;

    // Store positions in visible order, and each store position's list row (-1: not visible).
    std::vector<int> m_visible;
    std::vector<int> m_rowOfEntry;
    int m_pinnedCount = 0;
    mutable std::optional<QList<ClipboardItemPtr>> m_visibleItems;

    std::optional<QUuid> m_selectedID;
    std::optional<QUuid> m_hoveredID;
    std::optional<QUuid> m_previewID;
    QSet<QUuid> m_multiSelected;

    QTimer m_hoverPreview;
    QUuid m_hoverPreviewTarget;
    QString m_imageDirectory;
};
