// The panel's keys as X delivers them: the view in a window of its own on the test session's server,
// keys pressed for real by xdotool, in the US layout and in the French one (whose digit row types
// other characters without Shift).
#include "HistoryFixture.h"
#include "TestSession.h"

#include <UI/HistoryWindow/HistoryView.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTest>

namespace {

bool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool xdotool(const QStringList& arguments) {
    return run(QStringLiteral("xdotool"), arguments);
}

class HistoryKeysX11 : public HistoryFixture {
protected:
    void SetUp() override {
        HistoryFixture::SetUp();
        // Oldest first: the list shows "item 01" on top.
        for (int n = 12; n >= 1; --n)
            addText(itemText(n));
        HistoryViewCallbacks callbacks;
        callbacks.onSelect = [this](const ClipboardItemPtr& item, bool plain) {
            picks << item->plainText().value_or(QString()) + (plain ? QStringLiteral(" (plain)") : QString());
        };
        HistoryViewServices services;
        services.images = images.get();
        view = std::make_unique<HistoryView>(*store, std::move(callbacks), std::move(services));
        view->show();
        view->prepareForShow();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        ASSERT_TRUE(TestSession::waitForInputFocus(quint32(view->winId())));
    }

    void TearDown() override {
        view.reset();
        // The session's other tests type on the US layout.
        run(QStringLiteral("setxkbmap"), {"-layout", "us"});
        HistoryFixture::TearDown();
    }

    static QString itemText(int n) { return QStringLiteral("item %1").arg(n, 2, 10, QLatin1Char('0')); }

    // Switches the server's layout and waits until this program reads keys with it: the key
    // `probe` names, typed into the search field, arrives as `typed`.
    void switchLayout(const QString& layout, const QString& probe, const QString& typed) {
        ASSERT_TRUE(run(QStringLiteral("setxkbmap"), {"-layout", layout}));
        QLineEdit* search = view->searchField();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                search->clear();
                xdotool({"key", probe});
                return QTest::qWaitFor([&] { return !search->text().isEmpty(); }, 1000) &&
                       search->text() == typed;
            },
            10000))
            << qPrintable(search->text());
        search->clear();
        picks.clear();
    }

    // The context menu the panel has open now, if any.
    static QMenu* openMenu() {
        QMenu* menu = nullptr;
        (void)QTest::qWaitFor(
            [&] {
                menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                return menu && menu->isVisible();
            },
            5000);
        return menu;
    }

    std::unique_ptr<HistoryView> view;
    QStringList picks;
};

// Ctrl with each key of the digit row picks that row: by the key, whatever it types.
TEST_F(HistoryKeysX11, CtrlWithADigitKeyPicksThatRowInEveryLayout) {
    struct Layout {
        const char* name;
        const char* probe;
        const char* probeTyped;
        // The keys of the digit row by what they type without Shift.
        QStringList digitRow;
    };
    const Layout layouts[] = {
        {"us", "2", "2", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {"fr",
         "eacute",
         "é",
         {"ampersand", "eacute", "quotedbl", "apostrophe", "parenleft", "minus", "egrave", "underscore",
          "ccedilla"}},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        ASSERT_NO_FATAL_FAILURE(switchLayout(QString::fromLatin1(layout.name),
                                             QString::fromLatin1(layout.probe),
                                             QString::fromUtf8(layout.probeTyped)));
        for (int n = 1; n <= 9; ++n) {
            picks.clear();
            ASSERT_TRUE(xdotool({"key", "ctrl+" + layout.digitRow[n - 1]}));
            EXPECT_TRUE(QTest::qWaitFor([&] { return !picks.isEmpty(); }, 3000)) << "Ctrl+" << n;
            EXPECT_EQ(picks, QStringList{itemText(n)}) << "Ctrl+" << n;
        }
        // The digit keys alone type into the search field and pick nothing.
        picks.clear();
        ASSERT_TRUE(xdotool({"key", layout.digitRow[0]}));
        QTest::qWait(200);
        EXPECT_TRUE(picks.isEmpty()) << qPrintable(picks.join(u'|'));
        view->searchField()->clear();
    }
}

// The keyboard's way to a context menu opens the selected item's menu, as a right click on its
// row does, not the search field's editing menu.
TEST_F(HistoryKeysX11, TheMenuKeyAndShiftF10OpenTheSelectedItemsMenu) {
    view->model().moveSelection(1);
    for (const char* key : {"Menu", "shift+F10"}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(xdotool({"key", key}));
        QMenu* menu = openMenu();
        ASSERT_NE(menu, nullptr);
        QStringList titles;
        for (const QAction* action : menu->actions())
            titles << action->text();
        EXPECT_EQ(titles.value(0), QStringLiteral("Paste")) << qPrintable(titles.join(u'|'));
        EXPECT_TRUE(titles.contains(QStringLiteral("Paste as Plain Text")));
        // The second row is selected: its item is the one the menu acts on.
        menu->actions().value(1)->trigger();
        EXPECT_EQ(picks, QStringList{itemText(2) + QStringLiteral(" (plain)")});
        picks.clear();
        menu->close();
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }, 3000));
        ASSERT_TRUE(TestSession::waitForInputFocus(quint32(view->winId())));
    }
}

} // namespace
