// The panel's view and controller offscreen: keyboard map, clicks, bar, empty state, footer,
// hand-off order, and screenshots of a realistic history.
#include "HistoryFixture.h"
#include "LiveRestyle.h"

#include <Analysis/TextTransform.h>
#include <App/AppearanceManager.h>
#include <Platform/Fakes/FakeAppearanceProvider.h>
#include <Platform/Fakes/FakeWorkspace.h>
#include <UI/Design/AppIconCache.h>
#include <UI/Design/Motion.h>
#include <UI/Design/QSKeyCap.h>
#include <UI/Design/Transition.h>
#include <UI/HistoryWindow/HistoryContextMenu.h>
#include <UI/HistoryWindow/HistoryPanelController.h>
#include <UI/HistoryWindow/HistoryView.h>
#include <UI/HistoryWindow/ItemRowDelegate.h>
#include <UI/Preview/PreviewPane.h>
#include <UI/Preview/QuickLookView.h>
#include <UI/Preview/VeskPromoOverlay.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPromise>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

#include <algorithm>
#include <cmath>

namespace {

struct Picks {
    QStringList log;
    HistoryViewCallbacks callbacks() {
        HistoryViewCallbacks c;
        c.onSelect = [this](const ClipboardItemPtr& item, bool plain) {
            log << QStringLiteral("select:%1:%2").arg(item->plainText().value_or(QString())).arg(plain);
        };
        c.onPasteText = [this](const QString& text) {
            log << QStringLiteral("text:") + text;
        };
        c.onDismiss = [this] {
            log << QStringLiteral("dismiss");
        };
        c.onPasteAll = [this](const QList<ClipboardItemPtr>& items) {
            QStringList t;
            for (const auto& i : items)
                t << i->plainText().value_or(QString());
            log << QStringLiteral("all:") + t.join(QLatin1Char(','));
        };
        c.onStartQueue = [this](const QList<ClipboardItemPtr>& items) {
            QStringList t;
            for (const auto& i : items)
                t << i->plainText().value_or(QString());
            log << QStringLiteral("queue:") + t.join(QLatin1Char(','));
        };
        return c;
    }
};

class HistoryViewTest : public HistoryFixture {
protected:
    std::unique_ptr<HistoryView> makeView(HistoryViewServices services = {}) {
        services.images = images.get();
        if (!services.appIcon)
            services.appIcon = [](const QString&) {
                return QIcon();
            };
        auto view = std::make_unique<HistoryView>(*store, picks.callbacks(), std::move(services));
        view->show();
        view->prepareForShow();
        return view;
    }
    static void press(HistoryView& view, Qt::Key key, Qt::KeyboardModifiers modifiers = {},
                      const QString& text = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(view.searchField(), &event);
    }
    Picks picks;
};

TEST_F(HistoryViewTest, KeyboardMap) {
    addText(QStringLiteral("one"));
    addText(QStringLiteral("two"));
    addText(QStringLiteral("three"));
    auto view = makeView();

    EXPECT_EQ(view->previewPane()->shownText(), QStringLiteral("three"));
    press(*view, Qt::Key_Return);
    press(*view, Qt::Key_Return, Qt::ControlModifier);
    press(*view, Qt::Key_Down);
    EXPECT_EQ(view->previewPane()->shownText(), QStringLiteral("two")) << "a fresh pane for the new preview";
    press(*view, Qt::Key_Return);
    press(*view, Qt::Key_3, Qt::ControlModifier, QStringLiteral("3"));
    press(*view, Qt::Key_4, Qt::ControlModifier, QStringLiteral("4"));
    press(*view, Qt::Key_0, Qt::ControlModifier, QStringLiteral("0"));
    EXPECT_EQ(picks.log, (QStringList{"select:three:0", "select:three:1", "select:two:0", "select:one:0"}));
    picks.log.clear();

    // Space opens and closes Quick Look; Escape closes one layer per press.
    press(*view, Qt::Key_Space, {}, QStringLiteral(" "));
    ASSERT_TRUE(view->isQuickLookShown());
    press(*view, Qt::Key_Space, {}, QStringLiteral(" "));
    ASSERT_FALSE(view->isQuickLookShown());
    press(*view, Qt::Key_Space, {}, QStringLiteral(" "));
    ASSERT_TRUE(view->isQuickLookShown());
    EXPECT_EQ(view->quickLook()->item()->plainText(), QStringLiteral("two"));
    press(*view, Qt::Key_Down);
    EXPECT_EQ(view->quickLook()->item()->plainText(), QStringLiteral("one"))
        << "Quick Look follows the moves";
    view->showVeskPromo();
    view->model().toggleMulti(view->model().visibleItems()[0]->id());
    press(*view, Qt::Key_Escape);
    EXPECT_FALSE(view->isVeskPromoShown());
    EXPECT_TRUE(view->isQuickLookShown());
    press(*view, Qt::Key_Escape);
    EXPECT_FALSE(view->isQuickLookShown());
    EXPECT_FALSE(view->model().multiSelected().isEmpty());
    press(*view, Qt::Key_Escape);
    EXPECT_TRUE(view->model().multiSelected().isEmpty());
    EXPECT_TRUE(picks.log.isEmpty());
    press(*view, Qt::Key_Escape);
    EXPECT_EQ(picks.log, QStringList{"dismiss"});

    // While a query is typed, Space is part of it.
    QTest::keyClicks(view->searchField(), QStringLiteral("t w"));
    EXPECT_EQ(view->searchField()->text(), QStringLiteral("t w"));
    EXPECT_FALSE(view->isQuickLookShown());
}

// The pane's own state (editing, the Markdown mode) starts afresh with every newly previewed item;
// Escape in the editor leaves the editor, not the panel.
TEST_F(HistoryViewTest, ANewlyPreviewedItemGetsAFreshPane) {
    addText(QStringLiteral("# First\n\n- a\n- b"));
    addText(QStringLiteral("# Second\n\n- c\n- d"));
    auto view = makeView();
    PreviewPane* pane = view->previewPane();
    pane->setShowMarkdownPreview(false);
    pane->beginEditing();
    ASSERT_TRUE(pane->isEditing());
    auto* draft = pane->findChild<QPlainTextEdit*>(QStringLiteral("draft"));
    ASSERT_NE(draft, nullptr);
    QTest::keyClick(draft, Qt::Key_Escape);
    EXPECT_FALSE(pane->isEditing());
    EXPECT_TRUE(picks.log.isEmpty()) << "the panel stays";
    EXPECT_EQ(view->window()->focusWidget(), view->searchField()) << "the panel's keys work again";

    // With the keys back in the search field, Escape still leaves the editor before the panel.
    pane->beginEditing();
    view->searchField()->setFocus();
    press(*view, Qt::Key_Escape);
    EXPECT_FALSE(pane->isEditing());
    EXPECT_TRUE(picks.log.isEmpty());

    pane->beginEditing();
    const QPointer<PreviewPane> first(pane);
    press(*view, Qt::Key_Down);
    EXPECT_TRUE(first.isNull()) << "the previous item's pane is gone";
    EXPECT_FALSE(view->previewPane()->isEditing());
    EXPECT_TRUE(view->previewPane()->showsMarkdownPreview());
    press(*view, Qt::Key_Up);
    EXPECT_FALSE(view->previewPane()->isEditing());
    EXPECT_TRUE(view->previewPane()->showsMarkdownPreview());
}

// The preview and Quick Look follow changes of the item they show; the pin alone changes nothing.
TEST_F(HistoryViewTest, PreviewAndQuickLookFollowTheirItem) {
    const ClipboardItemPtr snippet = store->addSnippet(QStringLiteral("Greeting"), QStringLiteral("Hello"));
    auto view = makeView();
    view->model().chooseFilter(ItemFilter::snippets);
    view->model().commitSelection(snippet->id(), false);
    PreviewPane* pane = view->previewPane();
    EXPECT_EQ(pane->shownText(), QStringLiteral("Greeting\nHello"));
    press(*view, Qt::Key_Space, {}, QStringLiteral(" "));
    ASSERT_TRUE(view->isQuickLookShown());

    QWidget* content = pane->content();
    store->togglePin(snippet);
    EXPECT_EQ(pane->content(), content) << "nothing shown changed";
    store->updateSnippet(snippet, QStringLiteral("Farewell"), QStringLiteral("Goodbye"));
    EXPECT_EQ(view->previewPane(), pane) << "the same item keeps its pane";
    EXPECT_EQ(pane->shownText(), QStringLiteral("Farewell\nGoodbye"));
    EXPECT_EQ(view->quickLook()->title(), QStringLiteral("Farewell"));
}

TEST_F(HistoryViewTest, ReturnWithMultiSelectionPastesAllInListOrder) {
    const auto a = addText(QStringLiteral("alpha"));
    const auto b = addText(QStringLiteral("beta"));
    const auto c = addText(QStringLiteral("gamma"));
    store->togglePin(a);
    auto view = makeView();
    // Picked out of order; the list order (pinned first) holds.
    view->clickRow(c, true);
    view->clickRow(a, true);
    ASSERT_TRUE(view->multiPasteBar()->isVisibleTo(view.get()));
    EXPECT_EQ(view->height(), HistoryView::kMultiSelectHeight);
    EXPECT_EQ(view->multiCountLabel()->text(), QStringLiteral("2 selected"));
    // A plain click while a multi-selection exists toggles instead of pasting.
    view->clickRow(b, false);
    view->clickRow(b, false);
    press(*view, Qt::Key_Return, Qt::ControlModifier);
    view->multiPasteBar()->findChild<QPushButton*>(QStringLiteral("pasteQueue"))->click();
    EXPECT_EQ(picks.log, (QStringList{"all:alpha,gamma", "queue:alpha,gamma"}));

    view->multiPasteBar()->findChild<QPushButton*>(QStringLiteral("multiClear"))->click();
    EXPECT_FALSE(view->multiPasteBar()->isVisibleTo(view.get()));
    EXPECT_EQ(view->height(), HistoryView::kHeight);
    view->clickRow(b, false);
    EXPECT_EQ(picks.log.last(), QStringLiteral("select:beta:0"));
}

TEST_F(HistoryViewTest, KeyboardScrollingUnderAStillPointerKeepsTheSelection) {
    for (int i = 0; i < 30; ++i)
        addText(QStringLiteral("item %1").arg(i));
    auto view = makeView();
    QWidget* viewport = view->listView()->viewport();
    const QPoint inside = view->listView()->visualRect(view->model().index(2, 0)).center();
    const QPointF global = viewport->mapToGlobal(QPointF(inside));
    auto moveTo = [&](QPointF globalPosition) {
        QMouseEvent move(QEvent::MouseMove, QPointF(inside), globalPosition, Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
    };
    moveTo(global);
    // The hover preview comes after its delay; a busy machine may take longer.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return view->model().previewItem()->plainText() == QStringLiteral("item 27"); }, 2000));

    // Holding Down scrolls the list under the pointer; the move events that brings (same place on
    // screen, another row under it) do not take the selection back.
    for (int i = 0; i < 12; ++i)
        press(*view, Qt::Key_Down);
    const QUuid keyboardPick = *view->model().selectedID();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isListScrolling(); }, 5000));
    const ClipboardItemPtr underPointer = view->model().itemAt(view->listView()->indexAt(inside).row());
    ASSERT_TRUE(underPointer);
    ASSERT_NE(underPointer->plainText(), QStringLiteral("item 27")) << "the list has moved under the pointer";
    moveTo(global);
    QTest::qWait(HistoryListModel::kHoverPreviewDelayMs + 60);
    EXPECT_EQ(view->model().selectedID(), keyboardPick);
    EXPECT_EQ(view->model().previewID(), keyboardPick);

    // A real move of the pointer previews the row it rests on again.
    moveTo(global + QPointF(3, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->model().previewID() != keyboardPick; }, 2000));
}

// Every motion of the panel, once moving and once under Reduce Motion: the moving variant runs and
// comes to rest exactly where the instant one puts things at once.
TEST_F(HistoryViewTest, MotionsComeToRestWhereReduceMotionPutsThemAtOnce) {
    for (int i = 0; i < 30; ++i)
        addText(QStringLiteral("item %1").arg(i));
    const ClipboardItemPtr pinLater = store->items()[5];
    Platform::FakeAppearanceProvider appearance;
    QS::Motion::setAppearanceProvider(&appearance);
    const auto settles = [](const std::function<bool()>& moving) {
        return QTest::qWaitFor([&] { return !moving(); }, 5000);
    };
    std::optional<int> instantScroll;

    for (const bool reduced : {true, false}) {
        SCOPED_TRACE(reduced ? "reduce motion" : "moving");
        appearance.setReduceMotion(reduced);
        auto view = makeView();

        // The chip highlight glides from the chosen chip to the newly chosen one, and the list as
        // it was fades away over the new one.
        auto* textChip = view->findChild<QAbstractButton*>(QStringLiteral("chip_text"));
        ASSERT_TRUE(textChip);
        QWidget* highlight = view->chipHighlight();
        const QRect onAll = highlight->geometry();
        textChip->click();
        EXPECT_EQ(view->isChipHighlightGliding(), !reduced);
        EXPECT_EQ(view->isListFading(), !reduced);
        EXPECT_EQ(view->listFade()->isVisible(), !reduced);
        if (!reduced) {
            EXPECT_NE(highlight->geometry().center(), textChip->geometry().center());
            EXPECT_EQ(view->listFade()->geometry(), view->listView()->parentWidget()->geometry());
            EXPECT_TRUE(view->listFade()->testAttribute(Qt::WA_TransparentForMouseEvents));
        }
        ASSERT_TRUE(settles([&] { return view->isChipHighlightGliding() || view->isListFading(); }));
        EXPECT_FALSE(view->listFade()->isVisible());
        EXPECT_EQ(highlight->geometry().center(), textChip->geometry().center());
        EXPECT_EQ(highlight->geometry().size(),
                  onAll.size() + (textChip->size() - view->findChild<QWidget*>("chip_all")->size()));
        view->findChild<QAbstractButton*>(QStringLiteral("chip_all"))->click();
        ASSERT_TRUE(settles([&] { return view->isChipHighlightGliding(); }));

        // Quick Look grows in from 0.98 and fades; it leaves the same way, taking no input.
        press(*view, Qt::Key_Space, {}, QStringLiteral(" "));
        ASSERT_TRUE(view->isQuickLookShown());
        QWidget* quickLook = view->quickLook();
        EXPECT_EQ(QS::Transition::isRunning(*quickLook), !reduced);
        if (!reduced) {
            EXPECT_LT(quickLook->width(), view->width());
        }
        ASSERT_TRUE(settles([&] { return QS::Transition::isRunning(*quickLook); }));
        EXPECT_EQ(quickLook->geometry(), view->rect());
        EXPECT_EQ(quickLook->graphicsEffect(), nullptr);
        press(*view, Qt::Key_Space, {}, QStringLiteral(" "));
        EXPECT_FALSE(view->isQuickLookShown());
        ASSERT_TRUE(
            settles([&] { return view->findChild<QWidget*>(QStringLiteral("quickLook")) != nullptr; }));

        // The promotion card the same way, from 0.97.
        view->showVeskPromo();
        ASSERT_TRUE(view->isVeskPromoShown());
        auto* promo = view->findChild<VeskPromoOverlay*>();
        EXPECT_EQ(QS::Transition::isRunning(*promo), !reduced);
        ASSERT_TRUE(settles([&] { return QS::Transition::isRunning(*promo); }));
        EXPECT_EQ(promo->geometry(), view->rect());
        press(*view, Qt::Key_Escape);
        EXPECT_FALSE(view->isVeskPromoShown());
        EXPECT_FALSE(promo->isVisible()) << "Escape closes without motion";
        EXPECT_FALSE(QS::Transition::isRunning(*promo));
        ASSERT_TRUE(settles([&] { return view->findChild<VeskPromoOverlay*>() != nullptr; }));

        // The overlays' own buttons close them: Quick Look's at once, the card's with its motion.
        press(*view, Qt::Key_Space, {}, QStringLiteral(" "));
        ASSERT_TRUE(view->isQuickLookShown());
        view->quickLook()->findChild<QAbstractButton*>(QStringLiteral("quickLookClose"))->click();
        EXPECT_FALSE(view->isQuickLookShown());
        view->showVeskPromo();
        view->findChild<VeskPromoOverlay*>()
            ->findChild<QAbstractButton*>(QStringLiteral("veskNotNow"))
            ->click();
        EXPECT_FALSE(view->isVeskPromoShown());
        ASSERT_TRUE(settles([&] {
            return view->findChild<VeskPromoOverlay*>() != nullptr ||
                   view->findChild<QWidget*>(QStringLiteral("quickLook")) != nullptr;
        }));

        // A keyboard move glides the list to centre the row; both variants end at the same place.
        for (int i = 0; i < 15; ++i)
            press(*view, Qt::Key_Down);
        EXPECT_EQ(view->isListScrolling(), !reduced);
        ASSERT_TRUE(settles([&] { return view->isListScrolling(); }));
        const int scrolled = view->listView()->verticalScrollBar()->value();
        EXPECT_GT(scrolled, 0);
        if (instantScroll) {
            EXPECT_EQ(scrolled, *instantScroll);
        }
        instantScroll = scrolled;
        // A list that changes under a glide ends it: its target belonged to the old list.
        for (int i = 0; i < 10; ++i)
            press(*view, Qt::Key_Up);
        view->searchField()->setText(QStringLiteral("item"));
        EXPECT_FALSE(view->isListScrolling());
        view->searchField()->clear();

        // Pinning glides the row from its place to the top of the pinned group.
        view->listView()->verticalScrollBar()->setValue(0);
        const QRect before =
            view->listView()->visualRect(view->model().index(view->model().rowOf(pinLater->id())));
        const auto togglePinFromMenu = [&] {
            std::unique_ptr<QMenu> menu(view->makeContextMenu(pinLater, view.get()));
            auto* pin = menu->findChild<QAction*>(
                QStringLiteral("menu_%1").arg(static_cast<int>(HistoryContextMenu::Action::togglePin)));
            ASSERT_TRUE(pin);
            pin->trigger();
        };
        togglePinFromMenu();
        ASSERT_TRUE(pinLater->isPinned());
        const QRect after =
            view->listView()->visualRect(view->model().index(view->model().rowOf(pinLater->id())));
        EXPECT_EQ(view->isRowGliding(), !reduced);
        if (!reduced) {
            EXPECT_EQ(view->rowGlide()->y(), before.top()) << "the glide starts where the row was";
            EXPECT_EQ(view->rowDelegate()->hiddenRow(), pinLater->id());
        }
        ASSERT_TRUE(settles([&] { return view->isRowGliding(); }));
        if (!reduced) {
            EXPECT_EQ(view->rowGlide()->y(), after.top()) << "and ends where the row now is";
        }
        EXPECT_FALSE(view->rowGlide()->isVisible());
        EXPECT_FALSE(view->rowDelegate()->hiddenRow());

        // Pinning again while the unpinned row still glides, with motion reduced meanwhile: the
        // first glide ends at once and the list paints every row itself again.
        appearance.setReduceMotion(false);
        togglePinFromMenu();
        EXPECT_TRUE(view->isRowGliding());
        appearance.setReduceMotion(true);
        togglePinFromMenu();
        EXPECT_TRUE(pinLater->isPinned());
        EXPECT_FALSE(view->isRowGliding());
        EXPECT_FALSE(view->rowGlide()->isVisible());
        EXPECT_FALSE(view->rowDelegate()->hiddenRow());
        store->togglePin(pinLater);
    }
    QS::Motion::setAppearanceProvider(nullptr);
}

// The footer's key caps, in order.
QStringList footerKeys(HistoryView& view) {
    QStringList keys;
    for (const QSKeyCap* cap : view.findChildren<QSKeyCap*>()) {
        if (cap != view.searchKeyCap() && cap != view.emptyKeyCap())
            keys << cap->key();
    }
    return keys;
}

TEST_F(HistoryViewTest, EmptyStateFooterAndShortcutCaps) {
    QString keys = QStringLiteral("Shift+Super+V");
    HistoryViewServices services;
    services.showHistoryKeys = [&] {
        return keys;
    };
    bool trusted = false;
    services.accessibilityTrusted = [&] {
        return trusted;
    };
    auto view = makeView(services);

    EXPECT_TRUE(view->emptyState()->isVisibleTo(view.get()));
    EXPECT_EQ(view->emptyTitle()->text(), QStringLiteral("No items yet"));
    EXPECT_EQ(view->emptyKeyCap()->key(), QStringLiteral("Shift+Super+V"));
    // The panel's own keys, as the desktop writes them.
    EXPECT_EQ(footerKeys(*view), (QStringList{"Return", "Ctrl+Return", "Ctrl+click", "Space", "Esc"}));
    EXPECT_EQ(view->findChild<QWidget*>(QStringLiteral("pasteQueue"))->toolTip(),
              QStringLiteral("Paste first item, then press Ctrl+V repeatedly for the rest"));
    for (const QWidget* widget : view->findChildren<QWidget*>()) {
        const auto* cap = qobject_cast<const QSKeyCap*>(widget);
        const auto* label = qobject_cast<const QLabel*>(widget);
        for (const QString& text :
             {cap ? cap->key() : QString(), label ? label->text() : QString(), widget->toolTip()}) {
            for (const QChar glyph : QStringLiteral("⇧⌘⌃⌥↩⎋⌫"))
                EXPECT_FALSE(text.contains(glyph)) << text.toStdString();
        }
    }
    EXPECT_TRUE(view->isAccessibilityWarningShown());
    EXPECT_TRUE(view->isPermissionPulsing());

    // A shortcut recorded since shows the next time the panel opens.
    keys = QStringLiteral("Alt+Super+H");
    view->prepareForShow();
    EXPECT_EQ(view->emptyKeyCap()->key(), QStringLiteral("Alt+Super+H"));
    EXPECT_EQ(view->searchKeyCap()->key(), QStringLiteral("Alt+Super+H"));

    addText(QStringLiteral("banana"));
    addText(QStringLiteral("apple"));
    EXPECT_FALSE(view->emptyState()->isVisibleTo(view.get()));
    EXPECT_EQ(view->footerCount()->text(), QStringLiteral("2"));
    QTest::keyClicks(view->searchField(), QStringLiteral("kiwi"));
    EXPECT_TRUE(view->emptyState()->isVisibleTo(view.get()));
    EXPECT_EQ(view->emptyMessage()->text(), QStringLiteral("No results for “kiwi”"));
    EXPECT_EQ(view->footerCount()->text(), QStringLiteral("0"));

    trusted = true;
    QTest::qWait(HistoryView::kPermissionCheckIntervalMs + 300);
    EXPECT_FALSE(view->isAccessibilityWarningShown());
    EXPECT_FALSE(view->isPermissionPulsing());
}

// Without XTest nothing presses the paste keys: the footer says so, and leads to the General
// settings page, which explains it.
TEST_F(HistoryViewTest, TheFooterWarningSaysPastingIsUnavailableAndLeadsToTheGeneralSettings) {
    int generalSettingsOpened = 0;
    HistoryViewServices services;
    services.accessibilityTrusted = [] {
        return false;
    };
    services.openGeneralSettings = [&] {
        ++generalSettingsOpened;
    };
    auto view = makeView(services);
    auto* warning = view->findChild<QAbstractButton*>(QStringLiteral("accessibilityWarning"));
    ASSERT_TRUE(view->isAccessibilityWarningShown());
    EXPECT_EQ(warning->text(), QStringLiteral("No automatic pasting"));
    EXPECT_EQ(warning->toolTip(), QStringLiteral("Picked items are only copied to the clipboard: automatic "
                                                 "pasting needs an X11 session with the XTest extension. "
                                                 "Click to open the General settings."));
    for (const QString& text : {warning->text(), warning->toolTip()})
        EXPECT_FALSE(text.contains(QStringLiteral("ccessibility")) ||
                     text.contains(QStringLiteral("ermission")))
            << text.toStdString();
    QTest::mouseClick(warning, Qt::LeftButton);
    EXPECT_EQ(generalSettingsOpened, 1);
}

TEST_F(HistoryViewTest, AnOpenPanelFollowsALanguageChange) {
    addText(QStringLiteral("apple"), QStringLiteral("org.example.Notes"));
    addText(QStringLiteral("banana"));
    bool trusted = false;
    HistoryViewServices services;
    services.accessibilityTrusted = [&] {
        return trusted;
    };
    auto view = makeView(services);
    for (const ClipboardItemPtr& item : store->items())
        view->clickRow(item, true);

    const auto chip = [&] {
        return view->findChild<QAbstractButton*>(QStringLiteral("chip_all"));
    };
    const auto button = [&](const char* name) {
        return view->findChild<QAbstractButton*>(QString::fromLatin1(name));
    };
    const auto labelled = [&](const QString& text) {
        const QList<QLabel*> labels = view->findChildren<QLabel*>();
        return std::any_of(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == text; });
    };
    const int englishChipWidth = chip()->sizeHint().width();
    EXPECT_EQ(view->searchField()->placeholderText(), QStringLiteral("Search history…"));
    EXPECT_EQ(view->appFilterButton()->menu()->actions().first()->text(), QStringLiteral("All Apps"));

    // The application's own Polish catalogue, as the language manager installs it.
    QTranslator polish;
    ASSERT_TRUE(polish.load(QStringLiteral(QS_TEST_BINARY_DIR "/src/App/quillstack_pl.qm")));
    QCoreApplication::installTranslator(&polish);
    // The application hands the change to each window through its event loop.
    QCoreApplication::processEvents();
    EXPECT_EQ(view->searchField()->placeholderText(), QStringLiteral("Szukaj w historii…"));
    EXPECT_EQ(view->appFilterButton()->toolTip(), QStringLiteral("Filtruj według aplikacji źródłowej"));
    EXPECT_EQ(view->appFilterButton()->menu()->actions().first()->text(),
              QStringLiteral("Wszystkie aplikacje"));
    EXPECT_EQ(chip()->text(), QStringLiteral("Wszystko"));
    EXPECT_NE(chip()->sizeHint().width(), englishChipWidth) << "the chip makes room for its new title";
    EXPECT_TRUE(labelled(QStringLiteral("Otwórz w każdej chwili skrótem"))) << "empty state";
    EXPECT_EQ(view->multiCountLabel()->text(), QStringLiteral("2 zaznaczone"));
    EXPECT_EQ(button("pasteAll")->text(), QStringLiteral("Wklej wszystko"));
    EXPECT_EQ(button("pasteQueue")->text(), QStringLiteral("Kolejka wklejania"));
    EXPECT_EQ(button("accessibilityWarning")->text(), QStringLiteral("Bez autowklejania"));
    EXPECT_TRUE(labelled(QStringLiteral("Szybki podgląd"))) << "footer hint";
    EXPECT_EQ(footerKeys(*view), (QStringList{"Return", "Ctrl+Return", "Ctrl+kliknięcie", "Spacja", "Esc"}));
    // The longer Polish words and the warning beside them still fit the footer: nothing in it is cut.
    const QWidget* footer = button("accessibilityWarning")->parentWidget();
    const auto cut = [footer] {
        QStringList widgets;
        for (const QWidget* widget : footer->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (widget->isVisible() && widget->width() < widget->sizeHint().width())
                widgets << QStringLiteral("%1 %2 of %3")
                               .arg(widget->objectName())
                               .arg(widget->width())
                               .arg(widget->sizeHint().width());
        }
        return widgets;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return cut().isEmpty(); }, 2000)) << cut().join(u'|').toStdString();

    QCoreApplication::removeTranslator(&polish);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->searchField()->placeholderText(), QStringLiteral("Search history…"));
    EXPECT_EQ(chip()->text(), QStringLiteral("All"));
    EXPECT_EQ(chip()->sizeHint().width(), englishChipWidth);
    EXPECT_EQ(view->multiCountLabel()->text(), QStringLiteral("2 selected"));
    EXPECT_TRUE(labelled(QStringLiteral("Quick Look")));
    EXPECT_EQ(footerKeys(*view), (QStringList{"Return", "Ctrl+Return", "Ctrl+click", "Space", "Esc"}));
}

// Triggers the entry of the item's context menu with this title (in a submenu too).
bool triggerMenuEntry(HistoryView& view, const ClipboardItemPtr& item, const QString& title) {
    std::unique_ptr<QMenu> menu(view.makeContextMenu(item, nullptr));
    for (QAction* action : menu->actions()) {
        if (action->text() == title) {
            action->trigger();
            return true;
        }
        if (action->menu()) {
            for (QAction* sub : action->menu()->actions()) {
                if (sub->text() == title) {
                    sub->trigger();
                    return true;
                }
            }
        }
    }
    return false;
}

TEST_F(HistoryViewTest, ContextMenuActionsReachTheStoreAndCallbacks) {
    const auto item = addText(QStringLiteral("someCamelCase"));
    auto view = makeView();
    auto trigger = [&](const QString& title) {
        return triggerMenuEntry(*view, store->item(item->id()), title);
    };
    // A transform works on a worker; its text comes back and is pasted.
    ASSERT_TRUE(trigger(TextTransforms::title(TextTransform::camelToSnake)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picks.log.isEmpty(); }, 10000));
    EXPECT_EQ(picks.log, QStringList{"text:some_camel_case"});
    ASSERT_TRUE(trigger(QStringLiteral("Pin")));
    EXPECT_TRUE(store->item(item->id())->isPinned());
    ASSERT_TRUE(trigger(QStringLiteral("Add to Paste Queue")));
    EXPECT_TRUE(view->multiPasteBar()->isVisibleTo(view.get()));
    ASSERT_TRUE(trigger(QStringLiteral("Save as Snippet")));
    EXPECT_EQ(store->snippets().size(), 1);
    ASSERT_TRUE(trigger(QStringLiteral("Delete")));
    EXPECT_EQ(store->item(item->id()), nullptr);
}

// "Paste Formatted JSON" pastes every token as written; when the text is not JSON after all (tags
// stored by an older version), nothing is pasted and the panel says why.
TEST_F(HistoryViewTest, PasteFormattedJSONPastesOrSaysWhyNot) {
    NewClipboardItem valid;
    valid.plainText = QStringLiteral("{\"id\": 12345678901234567890, \"id\": 2}");
    valid.contentTagsRaw = QStringLiteral("json");
    const auto json = add(valid);
    NewClipboardItem broken;
    broken.plainText = QStringLiteral("{\"a\": 1,\n \"b\": [1, 2,]}");
    broken.contentTagsRaw = QStringLiteral("json");
    const auto stale = add(broken);
    HistoryViewServices services;
    services.performSmartAction = [](const ContentClassifier::SmartAction& action,
                                     const ContentClassifier::Replies& replies) {
        ContentClassifier::perform(action, replies);
    };
    auto view = makeView(services);
    const QString title =
        ContentClassifier::SmartAction{ContentClassifier::SmartAction::Kind::pastePrettyJSON, {}}.title();

    ASSERT_TRUE(triggerMenuEntry(*view, json, title));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picks.log.isEmpty(); }, 10000));
    EXPECT_EQ(picks.log, QStringList{"text:{\n    \"id\": 12345678901234567890,\n    \"id\": 2\n}"});
    EXPECT_FALSE(view->notice()->isVisible());

    ASSERT_TRUE(triggerMenuEntry(*view, stale, title));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->notice()->isVisible(); }, 10000));
    EXPECT_EQ(view->notice()->text(),
              QStringLiteral("Nothing was pasted: the text is not valid JSON (line 2, column 13)."));
    EXPECT_EQ(view->notice()->textFormat(), Qt::PlainText);
    EXPECT_EQ(picks.log.size(), 1);
}

TEST_F(HistoryViewTest, ThumbnailsLoadOnlyForRowsInView) {
    for (int i = 0; i < 60; ++i)
        addImage(QColor::fromHsv(i * 6, 200, 220), QSize(64, 48));
    auto view = makeView();
    QTest::qWait(50);
    QApplication::processEvents();
    const int requested = view->rowDelegate()->thumbnailRequests();
    EXPECT_GT(requested, 0);
    EXPECT_LT(requested, 20) << "only the rows in view ask for thumbnails";
}

// The controller with a scripted desktop: who gets the focus back, and in which order.
class HistoryPanelControllerTest : public HistoryFixture {
protected:
    void SetUp() override {
        HistoryFixture::SetUp();
        workspace.frontmost = Platform::RunningApplication{
            QStringLiteral("org.gnome.TextEditor"), QStringLiteral("Text Editor"), {}, 42, 4242};
        HistoryPanelServices services;
        services.store = store.get();
        services.pasting = &pasting;
        services.images = images.get();
        services.workspace = &workspace;
        services.defaults = &defaults;
        services.appIcon = [](const QString&) {
            return QIcon();
        };
        services.screens = [] {
            return QList<PanelPlacement::Screen>{{QRect(0, 0, 1600, 900), QRect(0, 0, 1600, 900)}};
        };
        services.pointerPosition = [] {
            return QPoint(800, 450);
        };
        controller = std::make_unique<HistoryPanelController>(services);
    }
    void waitForHandOff() { QTest::qWait(HistoryPanelController::kFadeOutMs + 150); }

    // The services of a controller that opens the panel by the caret, on `screens`, with the pointer
    // at `pointer`.
    HistoryPanelServices inputModeServices(const QList<PanelPlacement::Screen>& screens, QPoint pointer) {
        defaults.setValue(QStringLiteral("windowPosition"), QStringLiteral("input"));
        HistoryPanelServices services;
        services.store = store.get();
        services.pasting = &pasting;
        services.workspace = &workspace;
        services.defaults = &defaults;
        services.screens = [screens] {
            return screens;
        };
        services.pointerPosition = [pointer] {
            return pointer;
        };
        return services;
    }

    Platform::FakeWorkspace workspace;
    RecordingPasting pasting;
    std::unique_ptr<HistoryPanelController> controller;
};

TEST_F(HistoryPanelControllerTest, ReturnPastesOnceIntoThePreviousApplication) {
    addText(QStringLiteral("hello"));
    controller->show();
    ASSERT_TRUE(controller->isPanelVisible());
    EXPECT_EQ(controller->panel()->size(), QSize(HistoryView::kWidth, HistoryView::kHeight));
    EXPECT_EQ(controller->panel()->pos(), QPoint(370, 170));
    // A second Return while the panel fades out takes no second pick.
    QTest::keyClick(controller->view()->searchField(), Qt::Key_Return);
    QTest::keyClick(controller->view()->searchField(), Qt::Key_Return);
    EXPECT_FALSE(controller->isPanelVisible());
    EXPECT_TRUE(pasting.log.isEmpty()) << "the paste waits for the hand-off delay";
    waitForHandOff();
    EXPECT_EQ(pasting.log, (QStringList{"copy:hello:0", "autoPaste"}));
    ASSERT_EQ(workspace.activated.size(), 1);
    EXPECT_EQ(workspace.activated.first().pid, 4242);
    EXPECT_FALSE(controller->panel()->isVisible());
    EXPECT_EQ(controller->panel()->windowOpacity(), 1.0);
}

// The running program builds the panel before it is first asked for: nothing shows, nothing is
// remembered, and the later showing is that of a fresh panel, with what came in meanwhile.
TEST_F(HistoryPanelControllerTest, APreparedPanelStaysHiddenUntilShownAndThenListsWhatCameMeanwhile) {
    addText(QStringLiteral("before"));
    while (controller->prepareNextPart()) {
    }
    HistoryPanel* prepared = controller->panel();
    ASSERT_NE(prepared, nullptr);
    EXPECT_FALSE(prepared->isVisible());
    EXPECT_FALSE(controller->isPanelVisible());
    EXPECT_FALSE(controller->previousApp().has_value());
    EXPECT_FALSE(controller->prepareNextPart());
    EXPECT_EQ(controller->panel(), prepared) << "one panel";

    addText(QStringLiteral("after"));
    controller->show();
    EXPECT_EQ(controller->panel(), prepared);
    ASSERT_TRUE(controller->isPanelVisible());
    EXPECT_EQ(controller->panel()->pos(), QPoint(370, 170));
    EXPECT_EQ(controller->view()->model().rowCount(), 2);
    QTest::keyClick(controller->view()->searchField(), Qt::Key_Return);
    waitForHandOff();
    EXPECT_EQ(pasting.log, (QStringList{"copy:after:0", "autoPaste"}));
    ASSERT_EQ(workspace.activated.size(), 1);
    EXPECT_EQ(workspace.activated.first().pid, 4242);
}

TEST_F(HistoryPanelControllerTest, ShowingDuringFadeOutCancelsItAndNeverRecordsItself) {
    addText(QStringLiteral("x"));
    controller->show();
    QTest::qWait(HistoryPanelController::kFadeInMs + 80);
    controller->hide();
    EXPECT_FALSE(controller->isPanelVisible());
    // The panel itself is in front now: it is not where the paste would go.
    workspace.frontmost = Platform::RunningApplication{QStringLiteral("quillstack"),
                                                       QStringLiteral("Quillstack"),
                                                       {},
                                                       7,
                                                       QCoreApplication::applicationPid()};
    controller->show();
    QTest::qWait(HistoryPanelController::kFadeOutMs + 100);
    EXPECT_TRUE(controller->isPanelVisible()) << "the fade-out was cancelled";
    EXPECT_EQ(controller->previousApp()->pid, 4242);
    controller->view()->clickRow(store->items().first(), false);
    waitForHandOff();
    EXPECT_EQ(workspace.activated.last().pid, 4242);
}

TEST_F(HistoryPanelControllerTest, APictureThatCannotBeWrittenIsNotPasted) {
    const ClipboardItemPtr picture = addImage(QColor(10, 20, 30));
    pasting.writesImages = false;
    controller->show();
    controller->hideAndPaste(picture, false);
    waitForHandOff();
    ASSERT_EQ(pasting.log.size(), 1);
    EXPECT_TRUE(pasting.log.first().startsWith(QStringLiteral("copy:"))) << "no synthetic paste after it";
}

TEST_F(HistoryPanelControllerTest, HandOffsThatFindNothingDoNothing) {
    addText(QStringLiteral("x"));
    controller->hideAndPaste(store->items().first(), false);
    controller->show();
    controller->hideAndPasteAll({});
    controller->hideAndStartQueue({});
    EXPECT_TRUE(controller->isPanelVisible());
    controller->hideAndPasteText(QStringLiteral("typed"));
    waitForHandOff();
    EXPECT_EQ(pasting.log, (QStringList{"text:typed", "autoPaste"}));
}

TEST_F(HistoryPanelControllerTest, MultiSelectionThroughThePanel) {
    addText(QStringLiteral("first"));
    addText(QStringLiteral("second"));
    controller->show();
    HistoryView& view = *controller->view();
    for (const auto& item : store->items())
        view.clickRow(item, true);
    view.multiPasteBar()->findChild<QPushButton*>(QStringLiteral("pasteAll"))->click();
    waitForHandOff();
    EXPECT_EQ(pasting.log, QStringList{"pasteAll:second\nfirst"});
    controller->show();
    view.multiPasteBar()->findChild<QPushButton*>(QStringLiteral("pasteQueue"))->click();
    waitForHandOff();
    EXPECT_EQ(pasting.log.last(), QStringLiteral("queue:second,first"));
}

// A list left scrolled to its end shows again at the top: the selected first row is in sight, and
// Return pastes what can be seen.
TEST_F(HistoryPanelControllerTest, EveryShowingBringsTheSelectedRowIntoView) {
    for (int n = 40; n >= 1; --n)
        addText(QStringLiteral("item %1").arg(n));
    controller->show();
    HistoryView& view = *controller->view();
    QListView* list = view.findChild<QListView*>(QStringLiteral("historyList"));
    ASSERT_NE(list, nullptr);
    QScrollBar* bar = list->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "a list longer than the panel";
    bar->setValue(bar->maximum());
    QTest::keyClick(view.searchField(), Qt::Key_Escape);
    QTest::qWait(HistoryPanelController::kFadeOutMs + 100);
    ASSERT_FALSE(controller->isPanelVisible());

    controller->show();
    ASSERT_TRUE(controller->isPanelVisible());
    EXPECT_EQ(view.previewPane()->shownText(), QStringLiteral("item 1"));
    EXPECT_EQ(bar->value(), 0);
    const QRect selected = list->visualRect(view.model().index(view.model().rowOf(*view.model().selectedID())));
    EXPECT_TRUE(selected.top() >= 0 && selected.bottom() < list->viewport()->height())
        << "the selected row is in sight: " << selected.y() << "+" << selected.height() << " in "
        << list->viewport()->height();
    QTest::keyClick(view.searchField(), Qt::Key_Return);
    waitForHandOff();
    EXPECT_EQ(pasting.log, (QStringList{"copy:item 1:0", "autoPaste"}));
}

TEST_F(HistoryPanelControllerTest, InInputModeTheCaretIsReadBeforeThePanelTakesTheFocus) {
    addText(QStringLiteral("x"));
    std::optional<QPromise<std::optional<QRect>>> pending;
    bool panelVisibleWhenAsked = false;
    HistoryPanelServices services =
        inputModeServices({{QRect(0, 0, 1600, 900), QRect(0, 0, 1600, 900)}}, QPoint(1500, 850));
    controller.reset();
    services.focusedInputFrame = [&] {
        panelVisibleWhenAsked = controller->panel() && controller->panel()->isVisible();
        pending.emplace();
        pending->start();
        return pending->future();
    };
    controller = std::make_unique<HistoryPanelController>(services);

    controller->show();
    ASSERT_TRUE(pending);
    EXPECT_FALSE(panelVisibleWhenAsked);
    QTest::qWait(50);
    EXPECT_FALSE(controller->panel()->isVisible()) << "the panel waits for the caret";
    // A caret is a line without width.
    pending->addResult(std::optional<QRect>(QRect(800, 600, 0, 18)));
    pending->finish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->isPanelVisible(); }, 2000));
    EXPECT_EQ(controller->panel()->pos(),
              QPoint(800 - HistoryView::kWidth / 2, 600 - 12 - HistoryView::kHeight));

    // A showing called off while the caret is read does not come up when the answer does.
    controller->hide();
    QTest::qWait(HistoryPanelController::kFadeOutMs + 80);
    controller->show();
    controller->hide();
    pending->addResult(std::optional<QRect>(QRect(800, 600, 0, 18)));
    pending->finish();
    QTest::qWait(100);
    EXPECT_FALSE(controller->panel()->isVisible());
}

// Under a scale factor the caret, reported in device pixels, is found where Qt places windows.
TEST_F(HistoryPanelControllerTest, InInputModeThePanelFindsTheCaretUnderAScaleFactor) {
    addText(QStringLiteral("x"));
    // A 3840 × 2160 screen at twice the scale.
    HistoryPanelServices services =
        inputModeServices({{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080), 2.0}}, QPoint(1900, 1060));
    services.focusedInputFrame = [] {
        // The caret 1700 device pixels across and 1600 down.
        return QtFuture::makeReadyFuture(std::optional<QRect>(QRect(1700, 1600, 2, 36)));
    };
    controller = std::make_unique<HistoryPanelController>(services);
    controller->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->isPanelVisible(); }, 2000));
    EXPECT_EQ(controller->panel()->pos(),
              QPoint(850 - HistoryView::kWidth / 2, 800 - 12 - HistoryView::kHeight));
}

// Installed applications: desktop files in temporary XDG data directories, each with an icon file.
class InstalledApplications {
public:
    InstalledApplications() : m_home(qgetenv("XDG_DATA_HOME")), m_dirs(qgetenv("XDG_DATA_DIRS")) {
        QDir(root.path()).mkpath(QStringLiteral("applications"));
        qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_DATA_DIRS", root.path().toUtf8());
    }
    ~InstalledApplications() {
        qputenv("XDG_DATA_HOME", m_home);
        qputenv("XDG_DATA_DIRS", m_dirs);
    }
    void install(const QString& id, const QByteArray& names, QColor iconColour) {
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(iconColour);
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(2, 2, 28, 28), 7, 7);
        painter.end();
        const QString iconPath = root.filePath(id + QStringLiteral(".png"));
        icon.save(iconPath);
        QFile file(root.filePath(QStringLiteral("applications/") + id + QStringLiteral(".desktop")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nExec=true\n" + names + "Icon=" + iconPath.toUtf8() +
                   "\n");
    }

private:
    QTemporaryDir root;
    QByteArray m_home;
    QByteArray m_dirs;
};

// The menu's entries as shown, and whether each has an icon.
QStringList menuEntries(const QMenu& menu) {
    QStringList entries;
    for (const QAction* action : menu.actions()) {
        if (!action->isSeparator())
            entries << action->text() + (action->icon().isNull() ? QString() : QStringLiteral(" +icon"));
    }
    return entries;
}

TEST_F(HistoryViewTest, TheSourceAppFilterNamesApplicationsAsTheirDesktopFilesDo) {
    InstalledApplications installed;
    installed.install(QStringLiteral("org.example.Notes"), "Name=Notes\n", QColor(240, 180, 40));
    // Capture names an application by its id when it finds no name for it; a name it did record
    // stands for an application that is not installed any more.
    NewClipboardItem fromNotes;
    fromNotes.type = ItemType::text;
    fromNotes.plainText = QStringLiteral("shopping list");
    fromNotes.sourceAppBundleID = QStringLiteral("org.example.Notes");
    fromNotes.sourceAppName = QStringLiteral("org.example.Notes");
    add(fromNotes);
    NewClipboardItem fromRemoved = fromNotes;
    fromRemoved.plainText = QStringLiteral("old");
    fromRemoved.sourceAppBundleID = QStringLiteral("org.example.Removed");
    fromRemoved.sourceAppName = QStringLiteral("Removed Editor");
    add(fromRemoved);
    HistoryViewServices services;
    services.appIcon = &AppIconCache::icon;
    auto view = makeView(services);
    EXPECT_EQ(menuEntries(*view->appFilterButton()->menu()),
              (QStringList{"All Apps +icon", "Removed Editor", "Notes +icon"}));
}

// The appearance switched while the panel is open, its empty state hidden, restyles every widget as
// in a panel built after the switch: the footer's hints, the empty state's texts, icons and tints.
TEST_F(HistoryViewTest, ALiveAppearanceSwitchRestylesThePanelAsOneBuiltAfterIt) {
    QApplication::setCursorFlashTime(0);
    addText(QStringLiteral("Meeting notes: ship the release on Friday."));
    addKind(ItemType::code, QStringLiteral("fn main() {}"));
    const auto pinned = addText(QStringLiteral("ssh deploy@build.example.org"));
    store->togglePin(pinned);
    const auto build = [&] {
        auto view = makeView();
        view->model().toggleMulti(pinned->id());
        return view;
    };
    const QPalette light = App::AppearanceManager::lightPalette();
    const QPalette dark = App::AppearanceManager::darkPalette();
    for (const auto& [from, to] : {std::pair{light, dark}, std::pair{dark, light}}) {
        QApplication::setPalette(from);
        auto live = build();
        QTest::qWait(100);
        QApplication::setPalette(to);
        auto fresh = build();
        QTest::qWait(700);
        // Only one of them can have the blinking caret.
        live->searchField()->clearFocus();
        fresh->searchField()->clearFocus();
        EXPECT_EQ(LiveRestyle::differences(*live, *fresh).join(u'\n').toStdString(), "")
            << (to == dark ? "light to dark" : "dark to light");
    }
    QApplication::setPalette(QApplication::style()->standardPalette());
}

// The chosen filter chip's title reads against its highlight in either scheme: the text's colour
// stands 3:1 or more off the chip's own background.
TEST_F(HistoryViewTest, TheChosenFilterChipReadsInEitherScheme) {
    addText(QStringLiteral("hello"));
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const auto contrast = [&](const QColor& a, const QColor& b) {
        const double la = luminance(a);
        const double lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };
    for (const auto& [name, palette] : {std::pair{"light", App::AppearanceManager::lightPalette()},
                                         std::pair{"dark", App::AppearanceManager::darkPalette()}}) {
        QApplication::setPalette(palette);
        auto view = makeView();
        QTest::qWait(700);
        auto* chip = view->findChild<QAbstractButton*>(QStringLiteral("chip_all"));
        ASSERT_NE(chip, nullptr);
        ASSERT_TRUE(chip->isChecked());
        // The chip as drawn over the highlight behind it.
        const QImage image = view->grab(QRect(chip->mapTo(view.get(), QPoint()), chip->size())).toImage();
        // The background: the commonest colour inside the capsule; the text: the colour farthest
        // from it.
        QHash<QRgb, int> counts;
        for (int y = image.height() / 4; y < image.height() * 3 / 4; ++y) {
            for (int x = image.width() / 4; x < image.width() - 4; ++x)
                ++counts[image.pixel(x, y)];
        }
        QRgb background = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.value() > counts.value(background))
                background = it.key();
        }
        double best = 1;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            best = std::max(best, contrast(QColor(it.key()), QColor(background)));
        EXPECT_GE(best, 3.0) << name << ": on " << QColor(background).name().toStdString();
    }
    QApplication::setPalette(QApplication::style()->standardPalette());
}

// The language switched while the panel is open: every text, the list's section headers among
// them, reads as in a panel built in the new language.
TEST_F(HistoryViewTest, ALiveLanguageSwitchRewritesThePanelAsOneBuiltAfterIt) {
    QApplication::setCursorFlashTime(0);
    addText(QStringLiteral("older"));
    const auto pinned = addText(QStringLiteral("pinned"));
    store->togglePin(pinned);
    addText(QStringLiteral("newer"));
    auto live = makeView();
    QTest::qWait(100);
    QListView* list = live->findChild<QListView*>(QStringLiteral("historyList"));
    const QRect pinnedHeader = list->visualRect(live->model().index(0));
    const QImage english = list->viewport()->grab().toImage().copy(pinnedHeader);

    QTranslator polish;
    ASSERT_TRUE(polish.load(QStringLiteral(QS_TEST_BINARY_DIR "/src/App/quillstack_pl.qm")));
    QCoreApplication::installTranslator(&polish);
    auto fresh = makeView();
    QTest::qWait(700);
    EXPECT_NE(list->viewport()->grab().toImage().copy(pinnedHeader), english) << "the header is retitled";
    live->searchField()->clearFocus();
    fresh->searchField()->clearFocus();
    EXPECT_EQ(LiveRestyle::differences(*live, *fresh).join(u'\n').toStdString(), "");
    EXPECT_EQ(LiveRestyle::clippedTexts(*live).join(u'\n').toStdString(), "");
    // Quick Look over it speaks Polish too, its texts uncut.
    press(*live, Qt::Key_Space, {}, QStringLiteral(" "));
    ASSERT_TRUE(QTest::qWaitFor([&] { return live->quickLook() != nullptr; }, 2000));
    QTest::qWait(500);
    EXPECT_EQ(LiveRestyle::clippedTexts(*live->quickLook()).join(u'\n').toStdString(), "");
    const QString shot = QStringLiteral(QS_TEST_BINARY_DIR "/screenshots/quicklook-live-light-pl.png");
    EXPECT_TRUE(live->grab().save(shot)) << shot.toStdString();
    QCoreApplication::removeTranslator(&polish);
}

// Screenshots of one panel switched while open: to dark, back to light, then to Polish.
TEST_F(HistoryViewTest, ScreenshotsAfterLiveSwitches) {
    addText(QStringLiteral("Meeting notes: ship the release on Friday, then write the changelog."));
    addKind(ItemType::url, QStringLiteral("https://www.debian.org/releases/bookworm/"));
    addKind(ItemType::code, QStringLiteral("fn main() {\n    println!(\"hello\");\n}"));
    addImage(QColor(64, 128, 200), QSize(400, 260), QStringLiteral("Quarterly report\nRevenue 12%"));
    const auto pinned = addText(QStringLiteral("ssh deploy@build.example.org"));
    store->togglePin(pinned);
    const QString directory = QStringLiteral(QS_TEST_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(directory));
    QApplication::setPalette(App::AppearanceManager::lightPalette());
    HistoryViewServices services;
    services.showHistoryKeys = [] {
        return QStringLiteral("Shift+Super+V");
    };
    auto view = makeView(services);
    QTest::qWait(300);
    const auto save = [&](const QString& name, const QColor& desktop) {
        QTest::qWait(300);
        QImage shot(view->size(), QImage::Format_ARGB32_Premultiplied);
        shot.fill(desktop);
        view->render(&shot, {}, {}, QWidget::DrawChildren);
        const QString path = directory + QStringLiteral("/history-panel-live-") + name + QStringLiteral(".png");
        EXPECT_TRUE(shot.save(path)) << path.toStdString();
    };
    QApplication::setPalette(App::AppearanceManager::darkPalette());
    save(QStringLiteral("dark"), QColor(20, 20, 24));
    QApplication::setPalette(App::AppearanceManager::lightPalette());
    save(QStringLiteral("light"), QColor(200, 205, 215));
    QTranslator polish;
    ASSERT_TRUE(polish.load(QStringLiteral(QS_TEST_BINARY_DIR "/src/App/quillstack_pl.qm")));
    QCoreApplication::installTranslator(&polish);
    save(QStringLiteral("light-pl"), QColor(200, 205, 215));
    QCoreApplication::removeTranslator(&polish);
    QApplication::setPalette(QApplication::style()->standardPalette());
}

// Screenshots of a realistic history in light and dark, for a person to look at.
TEST_F(HistoryViewTest, Screenshots) {
    InstalledApplications installed;
    installed.install(QStringLiteral("org.gnome.Evolution"), "Name=Evolution\n", QColor(60, 130, 220));
    installed.install(QStringLiteral("org.gnome.TextEditor"), "Name=Text Editor\n", QColor(240, 180, 40));
    installed.install(QStringLiteral("org.kde.konsole"), "Name=Konsole\n", QColor(70, 160, 100));
    addText(QStringLiteral(
        "Meeting notes: ship the release on Friday, then write the changelog and tell the team."));
    auto code = NewClipboardItem{};
    code.type = ItemType::code;
    code.plainText = QStringLiteral("fn main() {\n    println!(\"hello\");\n}");
    code.detectedLanguage = QStringLiteral("rust");
    code.sourceAppBundleID = QStringLiteral("org.kde.konsole");
    add(code);
    addKind(ItemType::url, QStringLiteral("https://www.debian.org/releases/bookworm/"));
    addKind(ItemType::color, QStringLiteral("#3E8EDE"));
    addText(QStringLiteral("TODO: rename the build flag"), QStringLiteral("org.gnome.TextEditor"));
    addText(QStringLiteral("anna.kowalska@example.com"), QStringLiteral("org.gnome.Evolution"));
    addKind(ItemType::file, QStringLiteral("/home/anna/Documents/budget.ods"));
    addImage(QColor(64, 128, 200), QSize(400, 260), QStringLiteral("Quarterly report\nRevenue 12%"));
    const auto pinned = addText(QStringLiteral("ssh deploy@build.example.org"));
    store->togglePin(pinned);
    addKind(ItemType::snippet, QStringLiteral("Kind regards, Anna"));

    const QString directory = QStringLiteral(QS_TEST_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(directory));
    // Light and dark in English, and light in Polish.
    QTranslator polish;
    ASSERT_TRUE(polish.load(QStringLiteral(QS_TEST_BINARY_DIR "/src/App/quillstack_pl.qm")));
    for (const auto& [dark, inPolish] :
         {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}}) {
        if (inPolish)
            QCoreApplication::installTranslator(&polish);
        const QString suffix =
            QStringLiteral("-%1%2.png").arg(dark ? "dark" : "light", inPolish ? "-pl" : "");
        QPalette palette = QApplication::style()->standardPalette();
        if (dark) {
            palette.setColor(QPalette::Window, QColor(40, 40, 44));
            palette.setColor(QPalette::WindowText, QColor(235, 235, 240));
            palette.setColor(QPalette::Base, QColor(30, 30, 34));
            palette.setColor(QPalette::Text, QColor(235, 235, 240));
            palette.setColor(QPalette::Button, QColor(55, 55, 60));
            palette.setColor(QPalette::ButtonText, QColor(235, 235, 240));
        }
        QApplication::setPalette(palette);
        HistoryViewServices services;
        services.showHistoryKeys = [] {
            return QStringLiteral("Shift+Super+V");
        };
        // In Polish, the longest footer: with the permission warning beside the key hints.
        services.accessibilityTrusted = [inPolish] {
            return !inPolish;
        };
        services.appIcon = &AppIconCache::icon;
        services.performSmartAction = [](const ContentClassifier::SmartAction& action,
                                         const ContentClassifier::Replies& replies) {
            ContentClassifier::perform(action, replies);
        };
        auto view = makeView(services);
        view->model().toggleMulti(pinned->id());
        QTest::qWait(300);
        auto save = [&](const QString& name) {
            QImage shot(view->size(), QImage::Format_ARGB32_Premultiplied);
            shot.fill(dark ? QColor(20, 20, 24) : QColor(200, 205, 215));
            view->render(&shot, {}, {}, QWidget::DrawChildren);
            const QString path = directory + u'/' + name + suffix;
            EXPECT_TRUE(shot.save(path)) << path.toStdString();
        };
        save(QStringLiteral("history-panel"));

        // The same with the source-application menu open below its button.
        view->model().clearMultiSelection();
        QMenu* menu = view->appFilterButton()->menu();
        const QPoint below =
            view->appFilterButton()->mapTo(view.get(), view->appFilterButton()->rect().bottomLeft());
        menu->popup(view->mapToGlobal(below + QPoint(0, 4)));
        QTest::qWait(300);
        const QPoint menuAt = view->mapFromGlobal(menu->pos());
        QImage withMenu(
            view->size().expandedTo(QSize(menuAt.x() + menu->width(), menuAt.y() + menu->height())),
            QImage::Format_ARGB32_Premultiplied);
        withMenu.fill(dark ? QColor(20, 20, 24) : QColor(200, 205, 215));
        view->render(&withMenu, {}, {}, QWidget::DrawChildren);
        menu->render(&withMenu, menuAt, {}, QWidget::DrawWindowBackground | QWidget::DrawChildren);
        menu->hide();
        const QString menuPath = directory + QStringLiteral("/history-panel-app-filter") + suffix;
        EXPECT_TRUE(withMenu.save(menuPath)) << menuPath.toStdString();

        // The message of an action that pasted nothing.
        NewClipboardItem broken;
        broken.plainText = QStringLiteral("[1, 2,]");
        broken.contentTagsRaw = QStringLiteral("json");
        const auto stale = add(broken);
        view->model().clearMultiSelection();
        ASSERT_TRUE(triggerMenuEntry(
            *view, stale,
            ContentClassifier::SmartAction{ContentClassifier::SmartAction::Kind::pastePrettyJSON, {}}
                .title()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->notice()->isVisible(); }, 10000));
        QTest::qWait(300);
        save(QStringLiteral("history-panel-notice"));
        store->deleteItem(stale);
        // Without XTest: the footer's warning.
        services.accessibilityTrusted = [] {
            return false;
        };
        view = makeView(services);
        QTest::qWait(300);
        save(QStringLiteral("history-panel-no-automatic-pasting"));
        if (inPolish)
            QCoreApplication::removeTranslator(&polish);
    }
    QApplication::setPalette(QApplication::style()->standardPalette());
}

} // namespace
