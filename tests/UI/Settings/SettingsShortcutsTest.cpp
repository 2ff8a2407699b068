// The Shortcuts page over the shortcut library bound to the real settings file: a recorded
// shortcut is stored and grabbed at once, and a shortcut another application holds is reported
// under its field.
#include "SettingsFixture.h"

#include <App/StatusMenuKeys.h>
#include <Hotkeys/Hotkeys.h>
#include <UI/Settings/ShortcutsSettingsTab.h>

#include <QKeyEvent>
#include <QTimer>

using Hotkeys::Key;
using Hotkeys::ModifierFlag;
using Hotkeys::Shortcut;
using UI::SettingsTab;
using UI::ShortcutsSettingsTab;

namespace {

// X keycodes (evdev code + 8).
constexpr quint32 kXK = 45;
const Shortcut kShowHistory(Key::v, ModifierFlag::Shift | ModifierFlag::Command);
const Shortcut kCtrlK(Key::k, ModifierFlag::Control);
const Shortcut kCtrlAltK(Key::k, ModifierFlag::Control | ModifierFlag::Option);

class SettingsShortcuts : public SettingsFixture {
protected:
    SettingsShortcuts() {
        // As the shell does at launch.
        hotkeysBinding->onKeyUp(App::Shortcuts::showHistory, [] {});
        hotkeysBinding->onKeyUp(App::Shortcuts::pastePlainText, [] {});
    }

    ShortcutsSettingsTab& shortcuts() { return page<ShortcutsSettingsTab>(); }

    void record(const QString& name, Qt::KeyboardModifiers modifiers) {
        Hotkeys::RecorderControl* recorder = shortcuts().recorder(name);
        controller->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(controller->window()));
        QTest::mouseClick(recorder, Qt::LeftButton);
        ASSERT_TRUE(recorder->isRecording());
        QKeyEvent press(QEvent::KeyPress, Qt::Key_K, modifiers, kXK, 0, 0);
        QApplication::sendEvent(recorder, &press);
    }

    // Chooses to use the shortcut anyway when the recorder warns that another program has it.
    static void forceNextConflict(bool* seen) {
        QTimer::singleShot(50, [seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            *seen = true;
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::AcceptRole)
                    button->click();
            }
        });
    }

    Hotkeys::Name showHistory = App::libraryName(App::Shortcuts::showHistory);
};

TEST_F(SettingsShortcuts, ARecordedShortcutIsStoredAndGrabbedAtOnce) {
    open(SettingsTab::Shortcuts);
    // Written as the desktop writes keys.
    EXPECT_EQ(shortcuts().recorder("showHistory")->text(), QStringLiteral("Shift+Super+V"));
    EXPECT_EQ(shortcuts().recorder("pastePlainText")->text(), QStringLiteral("Alt+Shift+Super+V"));
    EXPECT_TRUE(hotkeys->isGrabbed(kShowHistory));

    record(QStringLiteral("showHistory"), Qt::ControlModifier);
    EXPECT_EQ(shortcuts().recorder("showHistory")->text(), QStringLiteral("Ctrl+K"));
    EXPECT_EQ(Hotkeys::getShortcut(showHistory), kCtrlK);
    EXPECT_TRUE(hotkeys->isGrabbed(kCtrlK)) << "live without a restart";
    EXPECT_FALSE(hotkeys->isGrabbed(kShowHistory)) << "the old one is let go";
    EXPECT_EQ(Platform::UserDefaults(defaults.filePath()).stringValue(QStringLiteral("Hotkeys_showHistory")),
              QString::fromUtf8(kCtrlK.toJson()))
        << "in the settings file";
    EXPECT_FALSE(shortcuts().showsConflict(QStringLiteral("showHistory")));
}

TEST_F(SettingsShortcuts, AShortcutAnotherApplicationHoldsIsReportedUnderItsField) {
    hotkeys->refused.insert(kCtrlAltK);
    hotkeys->takenElsewhere.insert(kCtrlAltK);
    open(SettingsTab::Shortcuts);
    EXPECT_FALSE(shortcuts().showsConflict(QStringLiteral("showHistory")));

    bool warned = false;
    forceNextConflict(&warned);
    record(QStringLiteral("showHistory"), Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(warned) << "the recorder warns before taking it";
    EXPECT_EQ(Hotkeys::getShortcut(showHistory), kCtrlAltK) << "kept, as the user insisted";
    EXPECT_FALSE(Hotkeys::isEnabled(showHistory));
    EXPECT_TRUE(shortcuts().showsConflict(QStringLiteral("showHistory")));
    EXPECT_TRUE(find<QWidget>(QStringLiteral("conflict.showHistory"))->isVisible());
    EXPECT_FALSE(shortcuts().showsConflict(QStringLiteral("pastePlainText")));

    record(QStringLiteral("showHistory"), Qt::ControlModifier);
    EXPECT_FALSE(shortcuts().showsConflict(QStringLiteral("showHistory"))) << "a free one works again";
}

TEST_F(SettingsShortcuts, ADefaultHeldElsewhereIsReportedWhenThePageOpens) {
    const Shortcut pastePlain(Key::v, ModifierFlag::Option | ModifierFlag::Shift | ModifierFlag::Command);
    Hotkeys::disable({App::libraryName(App::Shortcuts::pastePlainText)});
    hotkeys->refused.insert(pastePlain);
    hotkeys->takenElsewhere.insert(pastePlain);
    Hotkeys::enable({App::libraryName(App::Shortcuts::pastePlainText)});
    open(SettingsTab::Shortcuts);
    EXPECT_TRUE(shortcuts().showsConflict(QStringLiteral("pastePlainText")));
    EXPECT_FALSE(shortcuts().showsConflict(QStringLiteral("showHistory")));
}

// The status menu's keys work on the page, except in a field that records: there Ctrl+Q is the
// shortcut being recorded, not a request to quit.
TEST_F(SettingsShortcuts, AFieldThatRecordsKeepsTheMenusKeys) {
    int quits = 0;
    App::StatusMenuKeys menuKeys([&] {
        return Platform::MenuModel{{QStringLiteral("Quit Quillstack"), QStringLiteral("Ctrl+Q"), [&] {
                                        ++quits;
                                    }}};
    });
    open(SettingsTab::Shortcuts);
    const Shortcut ctrlQ(Key::q, ModifierFlag::Control);
    constexpr quint32 kXQ = 24;

    Hotkeys::RecorderControl* recorder = shortcuts().recorder(QStringLiteral("showHistory"));
    controller->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(controller->window()));
    QTest::mouseClick(recorder, Qt::LeftButton);
    ASSERT_TRUE(recorder->isRecording());
    QKeyEvent inField(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, kXQ, 0, 0);
    QApplication::sendEvent(recorder, &inField);
    EXPECT_EQ(Hotkeys::getShortcut(showHistory), ctrlQ);
    EXPECT_EQ(recorder->text(), QStringLiteral("Ctrl+Q"));
    QTest::qWait(50);
    EXPECT_EQ(quits, 0);

    // Anywhere else on the page the key is the menu's.
    ASSERT_FALSE(recorder->isRecording());
    QKeyEvent onPage(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, kXQ, 0, 0);
    QApplication::sendEvent(&shortcuts(), &onPage);
    EXPECT_TRUE(QTest::qWaitFor([&] { return quits == 1; }, 2000));
}

} // namespace
