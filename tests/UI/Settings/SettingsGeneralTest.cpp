// The General page over the real settings file and history store: the limit trims at once, the
// login switch calls the autostart service once per change, the window-position cards and the
// paste choice are stored as they are clicked, and the warning shows exactly while automatic
// pasting cannot work.
#include "SettingsFixture.h"

#include <UI/Design/QSChoiceCard.h>
#include <UI/Design/WheelGuard.h>
#include <UI/Settings/AppearanceSettingsTab.h>
#include <UI/Settings/GeneralSettingsTab.h>

#include <QComboBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QLabel>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

using UI::SettingsTab;

namespace {

class SettingsGeneral : public SettingsFixture {
protected:
    void addTexts(int count) {
        for (int i = 0; i < count; ++i) {
            NewClipboardItem text;
            text.plainText = QStringLiteral("clip %1").arg(i);
            text.dedupeKey = QStringLiteral("txt:%1").arg(i);
            store->add(ClipboardItem::make(text));
        }
    }

    int unpinnedTexts() const {
        int count = 0;
        for (const ClipboardItemPtr& item : store->items())
            count += item->type() == ItemType::text && !item->isPinned();
        return count;
    }

    void chooseLimit(int limit) {
        auto* combo = find<QComboBox>(QStringLiteral("historyLimit"));
        combo->setCurrentIndex(combo->findData(limit));
    }

    QWidget* warning() { return find<QWidget>(QStringLiteral("accessibilityWarning")); }
};

TEST_F(SettingsGeneral, LoweringTheLimitTrimsAtOnceAndRaisingItDeletesNothing) {
    defaults.setValue(App::SettingsKeys::historyLimit, 500);
    NewClipboardItem pinned;
    pinned.plainText = QStringLiteral("oldest, pinned");
    pinned.dedupeKey = QStringLiteral("txt:pinned");
    store->add(ClipboardItem::make(pinned));
    store->togglePin(store->items().first());
    store->addSnippet(QStringLiteral("Signature"), QStringLiteral("Anna"));
    addTexts(25);
    open(SettingsTab::General);
    EXPECT_EQ(find<QComboBox>(QStringLiteral("historyLimit"))->currentText(), "500");

    chooseLimit(20);
    EXPECT_EQ(defaults.intValue(App::SettingsKeys::historyLimit), 20);
    EXPECT_EQ(unpinnedTexts(), 20) << "trimmed at once";
    EXPECT_EQ(store->items().first()->plainText(), "clip 24") << "the newest stay";
    EXPECT_EQ(store->snippets().size(), 1) << "snippets are never trimmed";
    EXPECT_EQ(store->items().size(), 22) << "nor pinned items";

    chooseLimit(1000);
    EXPECT_EQ(defaults.intValue(App::SettingsKeys::historyLimit), 1000);
    EXPECT_EQ(store->items().size(), 22);
}

TEST_F(SettingsGeneral, TheLoginSwitchCallsTheAutostartServiceOncePerChange) {
    open(SettingsTab::General);
    auto* toggle = find(QStringLiteral("launchAtLogin"));
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(loginCalls.isEmpty()) << "opening the page changes nothing";

    QTest::mouseClick(toggle, Qt::LeftButton);
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(loginCalls, (QList<bool>{true, false}));
    EXPECT_FALSE(defaults.boolValue(QStringLiteral("launchAtLogin"), true));

    // A page built again reads the stored choice and calls nothing.
    QTest::mouseClick(toggle, Qt::LeftButton);
    controller->view()->selectTab(SettingsTab::Privacy);
    controller->view()->selectTab(SettingsTab::General);
    finishMotion();
    EXPECT_TRUE(find(QStringLiteral("launchAtLogin"))->isChecked());
    EXPECT_EQ(loginCalls, (QList<bool>{true, false, true}));
}

TEST_F(SettingsGeneral, AFailedAutostartChangeIsSaidBesideTheSwitch) {
    loginSucceeds = false;
    open(SettingsTab::General);
    auto* toggle = find(QStringLiteral("launchAtLogin"));
    EXPECT_FALSE(find<QWidget>(QStringLiteral("loginItemError"))->isVisible());
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle->isChecked()) << "the switch keeps the user's choice";
    EXPECT_TRUE(find<QWidget>(QStringLiteral("loginItemError"))->isVisible());
    loginSucceeds = true;
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_FALSE(find<QWidget>(QStringLiteral("loginItemError"))->isVisible());
}

TEST_F(SettingsGeneral, TheWarningShowsExactlyWhileSyntheticInputIsUnavailable) {
    struct Case {
        bool trusted;
        bool autoPaste;
    };
    for (const Case c : {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
        SCOPED_TRACE(
            QStringLiteral("trusted %1, autoPaste %2").arg(c.trusted).arg(c.autoPaste).toStdString());
        controller.reset();
        trusted = c.trusted;
        defaults.setValue(App::SettingsKeys::autoPaste, c.autoPaste);
        open(SettingsTab::General);
        EXPECT_EQ(warning()->isVisible(), !c.trusted);
        EXPECT_EQ(find<QRadioButton>(QStringLiteral("autoPaste.paste"))->isChecked(), c.autoPaste);
    }
    // The check runs again as settings change on the page.
    trusted = true;
    find(QStringLiteral("autoPaste.paste"))->click();
    EXPECT_FALSE(warning()->isVisible());
    EXPECT_TRUE(defaults.boolValue(App::SettingsKeys::autoPaste, false));
}

TEST_F(SettingsGeneral, PositionCardsShowAndStoreTheStoredChoice) {
    struct Case {
        const char* stored;
        QStringList selected;
    };
    const Case cases[] = {{"center", {"center"}}, {"input", {"input"}}, {"somewhere", {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        controller.reset();
        defaults.setValue(App::SettingsKeys::windowPosition, QString::fromLatin1(c.stored));
        open(SettingsTab::General);
        QStringList selected;
        for (const char* id : {"center", "cursor", "input"}) {
            if (find<QSChoiceCard>(QStringLiteral("position.") + QLatin1String(id))->isSelected())
                selected << QString::fromLatin1(id);
        }
        EXPECT_EQ(selected, c.selected);
    }
    QTest::mouseClick(find(QStringLiteral("position.cursor")), Qt::LeftButton);
    EXPECT_EQ(defaults.stringValue(App::SettingsKeys::windowPosition), "cursor");
    EXPECT_TRUE(find<QSChoiceCard>(QStringLiteral("position.cursor"))->isSelected());
    EXPECT_FALSE(find<QSChoiceCard>(QStringLiteral("position.input"))->isSelected());
}

// The wheel over a value control on a scrolling page scrolls the page and leaves the value alone
// (a lower history limit would delete clips at once); once the control has the keyboard focus, the
// wheel changes its value.
TEST_F(SettingsGeneral, TheWheelChangesAValueOnlyWithFocusAndOtherwiseScrollsThePage) {
    defaults.setValue(App::SettingsKeys::historyLimit, 200);
    addTexts(60);
    struct Case {
        const char* control;
        std::function<std::unique_ptr<UI::SettingsForm>()> page;
        std::function<QVariant(QWidget*)> value;
    };
    const Case cases[] = {
        {"historyLimit", [this] { return std::make_unique<UI::GeneralSettingsTab>(services()); },
         [](QWidget* w) { return static_cast<QComboBox*>(w)->currentData(); }},
        {"previewFontSize", [this] { return std::make_unique<UI::AppearanceSettingsTab>(services()); },
         [](QWidget* w) { return QVariant(static_cast<QAbstractSlider*>(w)->value()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        const std::unique_ptr<UI::SettingsForm> page = c.page();
        page->resize(560, 160);
        page->show();
        page->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
        auto* control = page->findChild<QWidget*>(QString::fromLatin1(c.control));
        ASSERT_NE(control, nullptr);
        QScrollBar* scroll = page->verticalScrollBar();
        ASSERT_GT(scroll->maximum(), 0) << "the page scrolls";
        scroll->setValue(scroll->maximum() / 2);
        const auto wheel = [&](int notches) {
            const QPointF inside = QRectF(control->rect()).center();
            QWheelEvent event(inside, control->mapToGlobal(inside), QPoint(), QPoint(0, 120 * notches),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(control, &event);
        };

        page->setFocus();
        ASSERT_FALSE(control->hasFocus());
        const QVariant before = c.value(control);
        const int scrolled = scroll->value();
        wheel(-1);
        EXPECT_EQ(c.value(control), before) << "the value stays";
        EXPECT_GT(scroll->value(), scrolled) << "the page scrolls down";
        wheel(1);
        EXPECT_EQ(scroll->value(), scrolled) << "and up again";
        EXPECT_FALSE(control->hasFocus()) << "the wheel gives no focus";
        EXPECT_EQ(store->items().size(), 60) << "nothing is trimmed";

        control->setFocus();
        ASSERT_TRUE(control->hasFocus());
        wheel(-1);
        EXPECT_NE(c.value(control), before) << "with focus the wheel changes the value";
        EXPECT_EQ(scroll->value(), scrolled);
    }
}

// Every value control on every page is guarded so.
TEST_F(SettingsGeneral, EveryValueControlOfEveryPageIsGuardedAgainstThePassingWheel) {
    for (SettingsTab tab : UI::SettingsView::tabs()) {
        open(tab);
        for (QWidget* control : controller->view()->page()->findChildren<QWidget*>()) {
            if (qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractSlider*>(control) ||
                qobject_cast<QAbstractSpinBox*>(control)) {
                // A scroll area's own scroll bars are what the wheel is for.
                if (qobject_cast<QScrollBar*>(control))
                    continue;
                EXPECT_TRUE(WheelGuard::isApplied(*control))
                    << UI::SettingsView::rawValue(tab).toStdString() << ": " << control->objectName().toStdString();
            }
        }
    }
}

} // namespace

namespace {

// The WCAG contrast ratio of two opaque colours.
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour at the centre of a radio button's indicator, as drawn.
QColor indicatorCentre(QRadioButton& radio) {
    QStyleOptionButton option;
    option.initFrom(&radio);
    const QRect indicator = radio.style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, &radio);
    return radio.grab().toImage().pixelColor(indicator.center());
}

} // namespace

// The chosen radio button is told from the other at a glance in either scheme, also after a switch
// of the scheme while the page is open.
TEST_F(SettingsGeneral, TheChosenRadioButtonStandsOutInEitherSchemeAfterALiveSwitch) {
    open(SettingsTab::General);
    auto* chosen = find<QRadioButton>(QStringLiteral("autoPaste.paste"));
    auto* other = find<QRadioButton>(QStringLiteral("autoPaste.copy"));
    ASSERT_TRUE(chosen->isChecked());
    for (const char* scheme : {"dark", "light", "dark"}) {
        defaults.setValue(App::SettingsKeys::appearance, QString::fromLatin1(scheme));
        appearance.apply();
        QTest::qWait(50);
        const QColor dot = indicatorCentre(*chosen);
        const QColor empty = indicatorCentre(*other);
        EXPECT_GE(contrast(dot, empty), 3.0)
            << scheme << ": " << dot.name().toStdString() << " on " << empty.name().toStdString();
    }
}
