#include "HotkeysFixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <gmock/gmock.h>

using namespace Hotkeys;
using ::testing::ElementsAre;

namespace {

using Action = RecorderKeyDecision::Action;

// X keycodes (evdev code + 8).
constexpr quint32 kXTab = 23, kXEscape = 9, kXBackspace = 22, kXDelete = 119, kXF5 = 71, kXF12 = 96, kXK = 45,
                  kXV = 55, kXA = 38, kXShiftL = 50, kXSuperL = 133, kXCaps = 66, kXAltGr = 108, kXMenu = 135,
                  kXKeypad1 = 87;

const Shortcut kShowHistory(Key::v, ModifierFlag::Shift | ModifierFlag::Command);
const Shortcut kCtrlK(Key::k, ModifierFlag::Control);

struct KeyCase {
    const char* label;
    QEvent::Type type;
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 scanCode;
    RecorderKeyDecision expected;
};

const KeyCase kKeyCases[] = {
    {"lone Shift", QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, kXShiftL, {Action::swallow, {}}},
    {"lone Super", QEvent::KeyPress, Qt::Key_Super_L, Qt::MetaModifier, kXSuperL, {Action::swallow, {}}},
    {"lone AltGr", QEvent::KeyPress, Qt::Key_AltGr, Qt::GroupSwitchModifier, kXAltGr, {Action::swallow, {}}},
    {"Caps Lock", QEvent::KeyPress, Qt::Key_CapsLock, Qt::NoModifier, kXCaps, {Action::swallow, {}}},
    {"a release", QEvent::KeyRelease, Qt::Key_V, Qt::MetaModifier, kXV, {Action::swallow, {}}},
    {"bare letter", QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, kXA, {Action::beep, {}}},
    {"Shift+letter", QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, kXA, {Action::beep, {}}},
    {"keypad digit", QEvent::KeyPress, Qt::Key_1, Qt::KeypadModifier, kXKeypad1, {Action::beep, {}}},
    {"bare F5", QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, kXF5, {Action::record, Shortcut(96, 0)}},
    {"Shift+F5",
     QEvent::KeyPress,
     Qt::Key_F5,
     Qt::ShiftModifier,
     kXF5,
     {Action::record, Shortcut(96, 0x200)}},
    {"bare Tab", QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, kXTab, {Action::pass, {}}},
    {"Shift+Tab", QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier, kXTab, {Action::beep, {}}},
    {"bare Escape",
     QEvent::KeyPress,
     Qt::Key_Escape,
     Qt::NoModifier,
     kXEscape,
     {Action::resignFocusAndSwallow, {}}},
    {"Super+Escape",
     QEvent::KeyPress,
     Qt::Key_Escape,
     Qt::MetaModifier,
     kXEscape,
     {Action::record, Shortcut(53, 0x100)}},
    {"bare Backspace", QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, kXBackspace, {Action::clear, {}}},
    {"bare Delete", QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, kXDelete, {Action::clear, {}}},
    {"Super+Backspace",
     QEvent::KeyPress,
     Qt::Key_Backspace,
     Qt::MetaModifier,
     kXBackspace,
     {Action::record, Shortcut(51, 0x100)}},
    {"Ctrl+K", QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier, kXK, {Action::record, kCtrlK}},
    {"Shift+Super+V",
     QEvent::KeyPress,
     Qt::Key_V,
     Qt::ShiftModifier | Qt::MetaModifier,
     kXV,
     {Action::record, kShowHistory}},
    {"Alt+Shift+Super+V",
     QEvent::KeyPress,
     Qt::Key_V,
     Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier,
     kXV,
     {Action::record, Shortcut(9, 0xB00)}},
    {"Ctrl+Menu (no stored number)",
     QEvent::KeyPress,
     Qt::Key_Menu,
     Qt::ControlModifier,
     kXMenu,
     {Action::beep, {}}},
};

QKeyEvent keyEvent(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, quint32 scanCode) {
    return QKeyEvent(type, key, modifiers, scanCode, 0, 0);
}

// Sends a key press to the focused recorder the way the window system would.
void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers, quint32 scanCode) {
    QKeyEvent event = keyEvent(QEvent::KeyPress, key, modifiers, scanCode);
    QApplication::sendEvent(target, &event);
}

// Answers the next alert by clicking the button with this text.
void answerNextAlert(const QString& buttonText, QString* seenMessage = nullptr) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, buttonText, seenMessage] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible())
                continue;
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == buttonText) {
                    if (seenMessage)
                        *seenMessage = box->text();
                    timer->deleteLater();
                    button->click();
                    return;
                }
            }
        }
    });
    timer->start(10);
}

class HotkeysRecorderTest : public HotkeysFixture {
protected:
    void SetUp() override {
        HotkeysFixture::SetUp();
        window = std::make_unique<QMainWindow>();
        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        recorder = new RecorderControl(
            showHistory(), [this](const std::optional<Shortcut>& shortcut) { changes.append(shortcut); });
        other = new QPushButton("Other");
        layout->addWidget(recorder);
        layout->addWidget(other);
        window->setCentralWidget(central);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QCoreApplication::processEvents();
    }

    void TearDown() override {
        window.reset();
        HotkeysFixture::TearDown();
    }

    Name showHistory() {
        if (!m_showHistory)
            m_showHistory = name("showHistory", kShowHistory);
        return *m_showHistory;
    }

    void startRecording() {
        QTest::mouseClick(recorder, Qt::LeftButton);
        ASSERT_TRUE(recorder->isRecording());
    }

    std::unique_ptr<QMainWindow> window;
    RecorderControl* recorder = nullptr;
    QPushButton* other = nullptr;
    QList<std::optional<Shortcut>> changes;

private:
    std::optional<Name> m_showHistory;
};

} // namespace

TEST(HotkeysRecorderKeyFilter, DecidesEachKeyEvent) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.label);
        const QKeyEvent event = keyEvent(c.type, c.key, c.modifiers, c.scanCode);
        EXPECT_EQ(decideRecorderKey(event), c.expected);
    }
}

TEST_F(HotkeysRecorderTest, OpeningTheWindowDoesNotRecord) {
    EXPECT_EQ(recorder->text(), QStringLiteral("⇧⌘V"));
    EXPECT_EQ(recorder->placeholderText(), QStringLiteral("Record Shortcut"));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(isPaused());
}

TEST_F(HotkeysRecorderTest, RecordsStoresAndEnds) {
    startRecording();
    EXPECT_TRUE(isPaused());
    EXPECT_EQ(recorder->placeholderText(), QStringLiteral("Press Shortcut"));

    press(recorder, Qt::Key_A, Qt::NoModifier, kXA); // refused with a beep, recording goes on
    EXPECT_TRUE(recorder->isRecording());
    press(recorder, Qt::Key_K, Qt::ControlModifier, kXK);

    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(isPaused());
    EXPECT_EQ(recorder->text(), QStringLiteral("⌃K"));
    EXPECT_EQ(getShortcut(showHistory()), kCtrlK);
    EXPECT_TRUE(backend->isGrabbed(kCtrlK));
    EXPECT_FALSE(backend->isGrabbed(kShowHistory));
    EXPECT_THAT(changes, ElementsAre(kCtrlK));
    EXPECT_THAT(activeStatuses, ElementsAre(true, false));
}

TEST_F(HotkeysRecorderTest, EscapeEndsWithoutChange) {
    startRecording();
    press(recorder, Qt::Key_Escape, Qt::NoModifier, kXEscape);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(getShortcut(showHistory()), kShowHistory);
    EXPECT_TRUE(changes.isEmpty());
}

TEST_F(HotkeysRecorderTest, DeleteRemovesShortcutAndKeepsRecording) {
    startRecording();
    press(recorder, Qt::Key_Delete, Qt::NoModifier, kXDelete);
    EXPECT_EQ(recorder->text(), QString());
    EXPECT_EQ(storage->value("Hotkeys_showHistory"), QJsonValue(false));
    EXPECT_FALSE(backend->isGrabbed(kShowHistory));
    EXPECT_THAT(changes, ElementsAre(std::nullopt));
    EXPECT_TRUE(recorder->isRecording());

    // On an empty field it does nothing.
    press(recorder, Qt::Key_Backspace, Qt::NoModifier, kXBackspace);
    EXPECT_EQ(changes.size(), 1);
}

TEST_F(HotkeysRecorderTest, ClearButtonRemovesShortcut) {
    auto* clearButton = recorder->findChild<QToolButton*>();
    ASSERT_NE(clearButton, nullptr);
    clearButton->click();
    EXPECT_EQ(storage->value("Hotkeys_showHistory"), QJsonValue(false));
    EXPECT_THAT(changes, ElementsAre(std::nullopt));
}

TEST_F(HotkeysRecorderTest, RefreshingToEmptyNeverDeletes) {
    const Name other = name("other");
    setShortcut(kCtrlK, other);
    recorder->setShortcutName(other);
    EXPECT_EQ(recorder->text(), QStringLiteral("⌃K"));
    // Another control clears the name: this one shows "" without touching anything else.
    setShortcut(std::nullopt, other);
    EXPECT_EQ(recorder->text(), QString());
    EXPECT_EQ(getShortcut(showHistory()), kShowHistory);
    EXPECT_TRUE(changes.isEmpty());
}

TEST_F(HotkeysRecorderTest, FollowsChangesOfItsOwnNameOnly) {
    setShortcut(kCtrlK, showHistory());
    EXPECT_EQ(recorder->text(), QStringLiteral("⌃K"));
    setShortcut(Shortcut(Key::j, ModifierFlag::Control), name("unrelated"));
    EXPECT_EQ(recorder->text(), QStringLiteral("⌃K"));
}

TEST_F(HotkeysRecorderTest, BareTabMovesFocusOn) {
    startRecording();
    QTest::keyClick(recorder, Qt::Key_Tab);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(other->hasFocus());
}

TEST_F(HotkeysRecorderTest, ClickOutsideTheSlopEndsRecording) {
    startRecording();
    const auto release = [&](QPoint local) {
        const QPoint global = recorder->mapToGlobal(local);
        QMouseEvent event(QEvent::MouseButtonRelease, window->mapFromGlobal(QPointF(global)), QPointF(global),
                          Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    };
    release(QPoint(-2, 4));
    EXPECT_TRUE(recorder->isRecording());
    release(QPoint(-4, 4));
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(HotkeysRecorderTest, IdleOrRemovedRecordersDoNotUnpause) {
    auto* second = new RecorderControl(name("second"));
    window->centralWidget()->layout()->addWidget(second);
    second->show();
    startRecording();
    delete second; // idle, removed
    EXPECT_TRUE(isPaused());

    auto* third = new RecorderControl(name("third"));
    window->centralWidget()->layout()->addWidget(third);
    third->show();
    QTest::mouseClick(third, Qt::LeftButton); // focus moves: the first ends, the third starts
    EXPECT_TRUE(third->isRecording());
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(isPaused());
    delete third; // removed while recording
    EXPECT_FALSE(isPaused());
    EXPECT_FALSE(activeStatuses.last());
}

TEST_F(HotkeysRecorderTest, SystemConflictAsksAndCanForce) {
    backend->takenElsewhere.insert(kCtrlK);
    startRecording();
    QString message;
    answerNextAlert(QStringLiteral("OK"), &message);
    press(recorder, Qt::Key_K, Qt::ControlModifier, kXK);
    EXPECT_THAT(message.toStdString(), ::testing::HasSubstr("another application"));
    EXPECT_EQ(getShortcut(showHistory()), kShowHistory);
    // Recording starts again once the window is back in front.
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder->isRecording(); }));

    answerNextAlert(QStringLiteral("Use Anyway"));
    press(recorder, Qt::Key_K, Qt::ControlModifier, kXK);
    EXPECT_EQ(getShortcut(showHistory()), kCtrlK);
    EXPECT_THAT(changes, ElementsAre(kCtrlK));
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(HotkeysRecorderTest, BareF12IsNotCheckedAgainstTheSystem) {
    backend->takenElsewhere.insert(Shortcut(Key::f12, {}));
    startRecording();
    press(recorder, Qt::Key_F12, Qt::NoModifier, kXF12);
    EXPECT_EQ(getShortcut(showHistory()), Shortcut(Key::f12, {}));
    EXPECT_TRUE(backend->probed.isEmpty());
}

TEST_F(HotkeysRecorderTest, MenuConflictIsRefused) {
    QMenu* edit = window->menuBar()->addMenu("&Edit");
    QAction* paste = edit->addAction("&Paste Special");
    paste->setShortcut(QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V));
    setShortcut(kCtrlK, showHistory());
    startRecording();
    QString message;
    answerNextAlert(QStringLiteral("OK"), &message);
    press(recorder, Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier, kXV);
    EXPECT_TRUE(message.contains(QStringLiteral("“Paste Special”")));
    EXPECT_EQ(getShortcut(showHistory()), kCtrlK);
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder->isRecording(); }));
}

TEST_F(HotkeysRecorderTest, TextsFollowLanguage) {
    setLanguage(QStringLiteral("pl"));
    EXPECT_EQ(recorder->placeholderText(), QStringLiteral("Nagraj skrót"));
    setShortcut(Shortcut(Key::space, ModifierFlag::Command), showHistory());
    EXPECT_EQ(recorder->text(), QStringLiteral("⌘Spacja"));
    startRecording();
    EXPECT_EQ(recorder->placeholderText(), QStringLiteral("Naciśnij skrót"));
    setLanguage(QStringLiteral("en"));
    EXPECT_EQ(recorder->placeholderText(), QStringLiteral("Press Shortcut"));
    EXPECT_EQ(recorder->text(), QStringLiteral("⌘Space"));
}

TEST(HotkeysMenuSearch, FindsFirstMatchDepthFirst) {
    KeyboardLayout::setCurrentOverride(KeyboardLayout::fromNames(QStringLiteral("us")));
    QMenu root;
    QAction* plain = root.addAction("Paste");
    plain->setShortcut(QKeySequence(Qt::META | Qt::Key_V));
    QMenu* submenu = root.addMenu("More");
    QAction* nested = submenu->addAction("Paste Special");
    nested->setShortcut(QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V));
    QAction* later = root.addAction("Later");
    later->setShortcut(QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V));

    EXPECT_EQ(kShowHistory.menuItemWithMatchingShortcut(root.actions()), nested);
    EXPECT_EQ(Shortcut(Key::v, ModifierFlag::Command).menuItemWithMatchingShortcut(root.actions()), plain);
    EXPECT_EQ(Shortcut(Key::v, ModifierFlag::Command | ModifierFlag::Option)
                  .menuItemWithMatchingShortcut(root.actions()),
              nullptr);
    EXPECT_EQ(Shortcut(Key::keypad0, ModifierFlag::Command).menuItemWithMatchingShortcut(root.actions()),
              nullptr);
    KeyboardLayout::setCurrentOverride(nullptr);
}

using HotkeysBindingTest = HotkeysFixture;

TEST_F(HotkeysBindingTest, MenuItemFollowsBoundName) {
    const Name bound = name("bound");
    QAction action("Show");
    setShortcutFor(&action, bound);
    EXPECT_TRUE(action.shortcut().isEmpty());

    setShortcut(kShowHistory, bound);
    QCoreApplication::processEvents();
    EXPECT_EQ(action.shortcut(), QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V));

    setShortcut(std::nullopt, bound);
    QCoreApplication::processEvents();
    EXPECT_TRUE(action.shortcut().isEmpty());

    setShortcutFor(&action, std::nullopt);
    setShortcut(kCtrlK, bound);
    QCoreApplication::processEvents();
    EXPECT_TRUE(action.shortcut().isEmpty());
}

TEST_F(HotkeysBindingTest, ButtonLosesShortcutWhileRecording) {
    const Name bound = name("bound", kCtrlK);
    QPushButton button("Go");
    globalKeyboardShortcut(&button, bound);
    EXPECT_EQ(button.shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));

    QWidget window;
    RecorderControl recorder(name("other"), {}, &window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(&recorder, Qt::LeftButton);
    ASSERT_TRUE(recorder.isRecording());
    EXPECT_TRUE(button.shortcut().isEmpty());
    recorder.clearFocus();
    EXPECT_EQ(button.shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));

    setShortcut(kShowHistory, bound);
    EXPECT_EQ(button.shortcut(), QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V));
}

TEST_F(HotkeysBindingTest, WidgetHandlerLivesWithTheWidget) {
    const Name bound = name("bound", kCtrlK);
    auto widget = std::make_unique<QWidget>();
    int releases = 0;
    onKeyboardShortcut(widget.get(), bound, EventType::keyUp, [&] { ++releases; });
    backend->tap(kCtrlK);
    EXPECT_EQ(releases, 1);
    widget.reset();
    EXPECT_FALSE(backend->isGrabbed(kCtrlK));
}

TEST(HotkeysRecorderView, LabelIsOptionalAndLiteral) {
    Recorder bare(Name("viewBare"));
    EXPECT_EQ(bare.label(), nullptr);
    Recorder labelled(QStringLiteral("record_shortcut"), Name("viewLabelled"));
    ASSERT_NE(labelled.label(), nullptr);
    EXPECT_EQ(labelled.label()->text(), QStringLiteral("record_shortcut"));
    labelled.setName(Name("viewOther"));
    EXPECT_EQ(labelled.control()->shortcutName().rawValue(), QStringLiteral("viewOther"));
}
