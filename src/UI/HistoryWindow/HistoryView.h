#pragma once

#include "HistoryListModel.h"

#include <Analysis/ContentClassifier.h>
#include <Storage/ClipboardItem.h>
#include <UI/Design/Motion.h>

#include <QFuture>
#include <QIcon>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class HistoryStore;
class ImageStore;
struct PreviewServices;
class ItemRowDelegate;
class PreviewPane;
class QuickLookView;
class VeskPromoOverlay;
class QLabel;
class QLayout;
class QLineEdit;
class QListView;
class QMenu;
class QSKeyCap;
class QStackedWidget;
class QToolButton;
class QVariantAnimation;
namespace Platform {
class UserDefaults;
class Workspace;
} // namespace Platform

// Every pick and every closing of the panel leaves the view through these; the view never pastes,
// hides or activates anything itself.
struct HistoryViewCallbacks {
    std::function<void(const ClipboardItemPtr& item, bool plainText)> onSelect;
    std::function<void(const QString& text)> onPasteText;
    std::function<void()> onDismiss;
    std::function<void(const QList<ClipboardItemPtr>& items)> onPasteAll;
    std::function<void(const QList<ClipboardItemPtr>& items)> onStartQueue;
};

// What the view reads from the rest of the program. Every member may be left empty.
struct HistoryViewServices {
    ImageStore* images = nullptr;
    // The previews open links and the editor through the workspace and follow the font size setting.
    Platform::Workspace* workspace = nullptr;
    Platform::UserDefaults* defaults = nullptr;
    std::function<QIcon(const QString& bundleID)> appIcon;
    std::function<bool()> accessibilityTrusted;
    // The show-history shortcut as the user has it now, written for a key cap ("Shift+Super+V");
    // empty when none.
    std::function<QString()> showHistoryKeys;
    // Called by a click on the warning that automatic pasting is unavailable.
    std::function<void()> openGeneralSettings;
    // "Copy": writes the item to the clipboard without pasting.
    std::function<void(const ClipboardItemPtr& item)> copyToPasteboard;
    std::function<void(const ContentClassifier::SmartAction& action,
                       const ContentClassifier::Replies& replies)>
        performSmartAction;
};

// The content of the history panel: drag strip, search header with filters, the list beside the
// preview, the multi-selection bar, the footer, and the Quick Look and promotion overlays, with the
// panel's keyboard handled in one place.
class HistoryView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 860;
    static constexpr int kHeight = 560;
    static constexpr int kMultiSelectHeight = 600;
    static constexpr int kPermissionCheckIntervalMs = 2000;
    static constexpr int kNoticeDurationMs = 5000;

    HistoryView(HistoryStore& store, HistoryViewCallbacks callbacks, HistoryViewServices services,
                QWidget* parent = nullptr);
    ~HistoryView() override;

    HistoryListModel& model() { return *m_model; }

    // The panel is about to appear: focus the search field, select the first row, re-read the
    // permission and the shortcut.
    void prepareForShow();
    // The panel went away: timers and the pulse stop.
    void panelHidden();

    // The panel's keys. True when the key was handled (it goes no further).
    bool handleKey(const QKeyEvent& event);

    bool isQuickLookShown() const { return m_quickLook != nullptr; }
    // The chosen filter chip's highlight, and whether it is gliding to a newly chosen chip.
    QWidget* chipHighlight() const { return m_chipHighlight; }
    bool isChipHighlightGliding() const;
    // The list as it was before a chip changed it, fading away over the new list, and whether it fades.
    QWidget* listFade() const { return m_listFade; }
    bool isListFading() const;
    // The picture of a row that glides to its new place after a pin toggle, and whether it moves.
    QWidget* rowGlide() const { return m_rowGlide; }
    bool isRowGliding() const;
    // True while the list glides to a row after a keyboard move.
    bool isListScrolling() const;
    bool isVeskPromoShown() const { return m_veskPromo != nullptr; }
    void showVeskPromo();
    bool isAccessibilityWarningShown() const;
    bool isPermissionPulsing() const { return m_axPulse; }

    // Parts, for tests and screenshots.
    QLineEdit* searchField() const { return m_search; }
    QListView* listView() const { return m_list; }
    QToolButton* appFilterButton() const { return m_appFilter; }
    QWidget* multiPasteBar() const { return m_multiBar; }
    QLabel* multiCountLabel() const { return m_multiCount; }
    QWidget* emptyState() const { return m_empty; }
    QLabel* emptyTitle() const { return m_emptyTitle; }
    QLabel* emptyMessage() const { return m_emptyMessage; }
    QSKeyCap* searchKeyCap() const { return m_searchKeyCap; }
    QSKeyCap* emptyKeyCap() const { return m_emptyKeyCap; }
    QLabel* footerCount() const { return m_footerCount; }
    PreviewPane* previewPane() const { return m_preview; }
    QuickLookView* quickLook() const { return m_quickLook; }
    ItemRowDelegate* rowDelegate() const { return m_delegate; }
    // The short message over the footer that says why an action did nothing (hidden when none).
    QLabel* notice() const { return m_notice; }
    // Builds the context menu of a row (shown by a right click).
    QMenu* makeContextMenu(const ClipboardItemPtr& item, QWidget* parent);
    // The click rule of a row: `multiModifier` is Ctrl held.
    void clickRow(const ClipboardItemPtr& item, bool multiModifier);
    // Rebuilds the source-application menu from the store.
    void rebuildAppMenu();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Every text follows a change of the in-app language while the panel is open.
    void changeEvent(QEvent* event) override;

private:
    // Sets a translated text now and again at every language change.
    void translated(std::function<void()> apply);
    QWidget* buildDragBar();
    QWidget* buildHeader();
    QWidget* buildContent();
    QWidget* buildMultiBar();
    QWidget* buildFooter();
    QWidget* buildEmptyState();

    void onListChanged();
    void onStateChanged();
    void updatePreview();
    PreviewServices previewServices();
    void updateEmptyState();
    void updateChips();
    // A chip tap: the filter changes and the first row of the new list is chosen, with motion.
    void chooseFilterFromChip(ItemFilter filter);
    void updateMultiBar();
    void updateCardHeight();
    void updateShortcutCaps();
    void styleAppFilter();
    void styleWarning();
    // With `animation`, the overlay comes and goes with its scale-and-fade transition.
    void setQuickLookShown(bool shown, std::optional<QS::Motion::Animation> animation = std::nullopt);
    void setVeskPromoShown(bool shown, std::optional<QS::Motion::Animation> animation = std::nullopt);
    // Scrolls the list so that `row` stands in the middle, gliding there unless motion is reduced.
    void scrollToCentre(int row);
    void revealSelection();
    // Pins or unpins the item; its row glides from where it was to where the pin puts it.
    void togglePin(const ClipboardItemPtr& item);
    void endRowGlide();
    void checkPermission();
    void setPulse(bool pulse, bool animated);
    void rowPointerMoved(const QPoint& viewportPos, const QPointF& globalPos);
    // A right click on a row.
    void showContextMenu(const QPoint& viewportPos);
    // The Menu key (or Shift+F10): the menu of the selected row; false when no row is selected.
    bool showSelectionContextMenu();
    void openContextMenu(const ClipboardItemPtr& item, const QPoint& viewportPos);
    // Pastes the text once the work has made it (work that grows with the text runs on a worker).
    void pasteWhenReady(const QFuture<QString>& text);
    void showNotice(const QString& text);
    void placeNotice();

    HistoryStore& m_store;
    HistoryViewCallbacks m_callbacks;
    HistoryViewServices m_services;
    HistoryListModel* m_model;
    ItemRowDelegate* m_delegate = nullptr;

    QWidget* m_card = nullptr;
    QLayout* m_contentRow = nullptr;
    QLineEdit* m_search = nullptr;
    QToolButton* m_clearSearch = nullptr;
    QToolButton* m_appFilter = nullptr;
    QMenu* m_appMenu = nullptr;
    QSKeyCap* m_searchKeyCap = nullptr;
    QList<QWidget*> m_chips;
    QWidget* m_chipHighlight = nullptr;
    QVariantAnimation* m_chipGlide = nullptr;
    std::optional<ItemFilter> m_highlightedFilter;
    QStackedWidget* m_listStack = nullptr;
    QListView* m_list = nullptr;
    QWidget* m_empty = nullptr;
    QLabel* m_emptyIcon = nullptr;
    QLabel* m_emptyTitle = nullptr;
    QLabel* m_emptyMessage = nullptr;
    QWidget* m_emptyShortcutLine = nullptr;
    QSKeyCap* m_emptyKeyCap = nullptr;
    QWidget* m_previewColumn = nullptr;
    PreviewPane* m_preview = nullptr;
    QWidget* m_multiBar = nullptr;
    QLabel* m_multiCount = nullptr;
    QWidget* m_pasteQueueButton = nullptr;
    QWidget* m_pasteAllButton = nullptr;
    QWidget* m_warning = nullptr;
    QLabel* m_footerCount = nullptr;
    QWidget* m_footer = nullptr;
    QLabel* m_notice = nullptr;
    QTimer m_noticeTimer;
    QuickLookView* m_quickLook = nullptr;
    VeskPromoOverlay* m_veskPromo = nullptr;

    bool m_axTrusted = false;
    bool m_axPulse = false;
    QTimer m_axTimer;
    QVariantAnimation* m_pulseAnimation = nullptr;
    QVariantAnimation* m_scrollAnimation = nullptr;
    QWidget* m_rowGlide = nullptr;
    QWidget* m_listFade = nullptr;
    QVariantAnimation* m_rowGlideAnimation = nullptr;

    // The pointer's last position over the list: rows react to the pointer only when it really
    // moved, not when keyboard scrolling slides a row under a pointer that stands still.
    std::optional<QPointF> m_lastPointer;
    std::optional<QUuid> m_pointerRow;
    int m_pressedRow = -1;
    QList<std::function<void()>> m_retranslations;
};
