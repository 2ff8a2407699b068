// The onboarding window offscreen: its flow, its motion under a manual clock and Reduce Motion,
// the trust poll, the shortcut texts, the live language change, and screenshots of every step.
#include "LiveRestyle.h"

#include <App/AppDelegate.h>
#include <App/AppearanceManager.h>
#include <Capture/DefaultSettings.h>
#include <Hotkeys/Hotkeys.h>
#include <Platform/Fakes/FakeAppearanceProvider.h>
#include <Platform/Fakes/FakeScheduler.h>
#include <Platform/Fakes/FakeSingleInstance.h>
#include <Platform/Fakes/FakeSystemTray.h>
#include <Platform/UserDefaults.h>
#include <UI/Design/KeyNotation.h>
#include <UI/Design/Motion.h>
#include <UI/Onboarding/OnboardingWidgets.h>
#include <UI/Onboarding/OnboardingWindowController.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QVariantAnimation>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

class OnboardingTest : public ::testing::Test {
protected:
    void SetUp() override { QS::Motion::setAppearanceProvider(&appearance); }
    void TearDown() override { QS::Motion::setAppearanceProvider(nullptr); }

    OnboardingServices services() {
        OnboardingServices made;
        made.scheduler = &scheduler;
        made.accessibilityTrusted = [this] {
            return trusted;
        };
        made.showHistoryKeys = [this] {
            return keys;
        };
        made.systemTrayAvailable = [this] {
            return trayAvailable;
        };
        made.relaunch = [this] {
            ++relaunches;
            return relaunchSucceeds;
        };
        return made;
    }

    std::unique_ptr<UI::OnboardingWindowController> makeController(bool translucent = true) {
        return std::make_unique<UI::OnboardingWindowController>([this] { ++finished; }, services(),
                                                                translucent);
    }

    // Shows the window, in front, and lets its entrance run to the end.
    OnboardingView& open(UI::OnboardingWindowController& controller) {
        controller.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(controller.window()));
        scheduler.advance(1s);
        return *controller.view();
    }

    static QAbstractButton* button(const OnboardingView& view, const char* name) {
        return view.findChild<QAbstractButton*>(QString::fromLatin1(name));
    }

    static void pressReturn(UI::OnboardingWindowController& controller) {
        QTest::keyClick(controller.window(), Qt::Key_Return);
    }

    // Every text the view shows, labels and drawn pieces alike.
    static QStringList texts(const OnboardingView& view) {
        QStringList all;
        for (const QLabel* label : view.findChildren<QLabel*>())
            all << label->text();
        for (const auto* row : view.findChildren<Onboarding::FeatureRow*>())
            all << row->text();
        for (const auto* hint : view.findChildren<Onboarding::HintCard*>())
            all << hint->text();
        for (const auto* badge : view.findChildren<Onboarding::StatusBadge*>())
            all << badge->text();
        for (const auto* button : view.findChildren<QAbstractButton*>())
            all << button->text();
        return all;
    }

    // The labels and drawn pieces visible on the current step.
    static bool showsText(const OnboardingView& view, const QString& text) {
        for (const QWidget* widget : view.findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(&view))
                continue;
            const auto* label = qobject_cast<const QLabel*>(widget);
            const auto* badge = qobject_cast<const Onboarding::StatusBadge*>(widget);
            if ((label && label->text() == text) || (badge && badge->text() == text))
                return true;
        }
        return false;
    }

    Platform::FakeScheduler scheduler;
    Platform::FakeAppearanceProvider appearance;
    bool trusted = false;
    bool trayAvailable = true;
    QStringList keys{QStringLiteral("Shift"), QStringLiteral("Super"), QStringLiteral("V")};
    int relaunches = 0;
    bool relaunchSucceeds = true;
    int finished = 0;
};

TEST_F(OnboardingTest, GoToIgnoresStepsOutsideTheFlowAndTheCurrentOne) {
    auto controller = makeController();
    OnboardingView& view = open(*controller);
    QSignalSpy changes(&view, &OnboardingView::stepChanged);
    for (const int target : {-1, 3, 0}) {
        view.goTo(target);
        EXPECT_EQ(view.step(), 0) << target;
        EXPECT_TRUE(view.isStepContentReady()) << "no step entrance for " << target;
    }
    EXPECT_EQ(changes.count(), 0);

    view.goTo(2);
    view.goTo(2);
    EXPECT_EQ(view.step(), 2);
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(OnboardingTest, TheButtonsWalkTheStepsAndReturnPressesThePrimaryOne) {
    auto controller = makeController();
    OnboardingView& view = open(*controller);
    QAbstractButton* back = button(view, "back");
    QAbstractButton* primary = button(view, "primary");
    auto* primaryButton = static_cast<Onboarding::PrimaryButton*>(primary);

    EXPECT_FALSE(back->isVisible());
    EXPECT_FALSE(back->isEnabled());
    EXPECT_EQ(primary->text(), "Continue");
    EXPECT_EQ(primaryButton->trailingSymbol(), "arrow.right");

    pressReturn(*controller);
    EXPECT_EQ(view.step(), 1);
    EXPECT_TRUE(back->isVisible());
    EXPECT_TRUE(back->isEnabled());
    EXPECT_EQ(primary->text(), "Continue");

    // Return presses the primary button even while another button has the focus.
    back->setFocus(Qt::TabFocusReason);
    pressReturn(*controller);
    EXPECT_EQ(view.step(), 2);
    EXPECT_EQ(primary->text(), "Get Started");
    EXPECT_TRUE(primaryButton->trailingSymbol().isEmpty());

    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(view.step(), 1);
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(view.step(), 0);
    EXPECT_FALSE(back->isVisible());
    EXPECT_EQ(finished, 0);
}

TEST_F(OnboardingTest, SkipIsOfferedOnlyOnThePermissionStepWhileUntrusted) {
    struct Case {
        int step;
        bool trusted;
        bool skip;
    };
    for (const Case c : {Case{0, false, false}, Case{1, false, true}, Case{1, true, false},
                         Case{2, false, false}, Case{0, true, false}, Case{2, true, false}}) {
        trusted = c.trusted;
        auto controller = makeController();
        OnboardingView& view = open(*controller);
        view.goTo(c.step);
        EXPECT_EQ(button(view, "skip")->isVisible(), c.skip) << c.step << " trusted " << c.trusted;
    }

    trusted = false;
    auto controller = makeController();
    OnboardingView& view = open(*controller);
    view.goTo(1);
    QTest::mouseClick(button(view, "skip"), Qt::LeftButton);
    EXPECT_EQ(view.step(), 2) << "Skip goes on to the last step";
}

TEST_F(OnboardingTest, ATrustChangeOnAnyStepFlipsTheStateWithoutMoving) {
    for (const int step : {0, 1, 2}) {
        trusted = false;
        auto controller = makeController();
        OnboardingView& view = open(*controller);
        view.goTo(step);
        scheduler.advance(2s); // the ready step's own celebration is over
        ASSERT_FALSE(view.isCelebrating());

        trusted = true;
        scheduler.advance(400ms);
        EXPECT_FALSE(view.isAccessibilityGranted()) << "polled every 0.5 s, not sooner";
        scheduler.advance(100ms);
        EXPECT_TRUE(view.isAccessibilityGranted()) << step;
        EXPECT_EQ(view.step(), step);
        EXPECT_TRUE(view.isCelebrating()) << "granting is celebrated";
        EXPECT_EQ(showsText(view, "Automatic pasting is available"), step == 1);
        EXPECT_FALSE(button(view, "skip")->isVisible());
        EXPECT_FALSE(button(view, "restart")->isVisibleTo(&view));
        scheduler.advance(1400ms);
        EXPECT_FALSE(view.isCelebrating()) << "the celebration is brief";

        trusted = false;
        scheduler.advance(500ms);
        EXPECT_FALSE(view.isAccessibilityGranted()) << step;
        EXPECT_EQ(view.step(), step);
        EXPECT_FALSE(view.isCelebrating()) << "losing the trust is not celebrated";
        EXPECT_EQ(button(view, "skip")->isVisible(), step == 1) << "Skip is back on the permission step";
        EXPECT_FALSE(showsText(view, "Automatic pasting is available"));
        EXPECT_EQ(button(view, "restart")->isVisible(), step == 1);
    }
}

TEST_F(OnboardingTest, TheEntranceAndEachStepRevealTheirContentOnTime) {
    auto controller = makeController();
    OnboardingView& view = *controller->view();
    controller->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
    EXPECT_FALSE(view.hasAppeared());
    EXPECT_TRUE(view.isStepContentReady());
    EXPECT_TRUE(view.isOrbPhaseOn());

    // The icon settles after 0.05 s, the rows follow one by one, the button starts to pulse last.
    const auto rows = [&view] {
        return QList<bool>{view.isFeatureVisible(0), view.isFeatureVisible(1), view.isFeatureVisible(2)};
    };
    scheduler.advance(50ms);
    EXPECT_TRUE(view.hasAppeared());
    scheduler.advance(229ms);
    EXPECT_EQ(rows(), (QList<bool>{false, false, false}));
    scheduler.advance(1ms);
    EXPECT_EQ(rows(), (QList<bool>{true, false, false}));
    scheduler.advance(100ms);
    EXPECT_EQ(rows(), (QList<bool>{true, true, false}));
    scheduler.advance(100ms);
    EXPECT_EQ(rows(), (QList<bool>{true, true, true}));
    EXPECT_FALSE(view.isPulsing());
    scheduler.advance(320ms);
    EXPECT_TRUE(view.isPulsing());

    // A new step hides the content for a moment and brings it back 0.02 s later.
    view.goTo(1);
    EXPECT_FALSE(view.isStepContentReady());
    scheduler.advance(20ms);
    EXPECT_TRUE(view.isStepContentReady());

    // Back on the welcome step the rows are revealed again, one by one.
    view.goTo(0);
    EXPECT_EQ(rows(), (QList<bool>{false, false, false}));
    scheduler.advance(120ms);
    EXPECT_EQ(rows(), (QList<bool>{true, false, false}));
    scheduler.advance(160ms);
    EXPECT_EQ(rows(), (QList<bool>{true, true, true}));

    // Arriving at the last step is celebrated, for 1.4 s.
    view.goTo(2);
    EXPECT_TRUE(view.isCelebrating());
    scheduler.advance(1399ms);
    EXPECT_TRUE(view.isCelebrating());
    scheduler.advance(1ms);
    EXPECT_FALSE(view.isCelebrating());
}

TEST_F(OnboardingTest, ReduceMotionShowsEverythingAtOnceWithoutFadeOrCelebration) {
    appearance.setReduceMotion(true);
    auto controller = makeController();
    OnboardingView& view = *controller->view();
    controller->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
    EXPECT_DOUBLE_EQ(controller->window()->windowOpacity(), 1.0) << "no fade";
    // Everything is in place before any time passes.
    EXPECT_TRUE(view.hasAppeared());
    EXPECT_TRUE(view.isStepContentReady());
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(view.isFeatureVisible(row)) << row;

    view.goTo(2);
    EXPECT_TRUE(view.isStepContentReady()) << "no step animation";
    EXPECT_FALSE(view.isCelebrating());
    trusted = true;
    scheduler.advance(500ms);
    EXPECT_TRUE(view.isAccessibilityGranted());
    EXPECT_FALSE(view.isCelebrating());

    pressReturn(*controller);
    EXPECT_EQ(finished, 1) << "finishes at once";
    EXPECT_TRUE(scheduler.pendingDelays().empty());
}

TEST_F(OnboardingTest, WithMotionTheWindowFadesInAndFinishingWaitsForTheButtonsSpring) {
    auto controller = makeController();
    controller->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
    EXPECT_LT(controller->window()->windowOpacity(), 1.0) << "starts transparent";
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller->window()->windowOpacity() == 1.0; }, 2000));

    OnboardingView& view = *controller->view();
    scheduler.advance(1s);
    view.goTo(2);
    pressReturn(*controller);
    EXPECT_EQ(finished, 0);
    scheduler.advance(119ms);
    EXPECT_EQ(finished, 0);
    scheduler.advance(1ms);
    EXPECT_EQ(finished, 1);
}

// A window closed without finishing stays with the delegate; its endless motions must not keep
// the process busy meanwhile.
TEST_F(OnboardingTest, AClosedWindowHoldsItsEndlessMotionsUntilShownAgain) {
    auto controller = makeController();
    OnboardingView& view = open(*controller);
    const auto running = [&view] {
        int count = 0;
        for (const QVariantAnimation* animation : view.findChildren<QVariantAnimation*>())
            count += animation->loopCount() < 0 && animation->state() == QAbstractAnimation::Running ? 1 : 0;
        return count;
    };
    ASSERT_TRUE(view.isPulsing());
    EXPECT_EQ(running(), 3) << "orbs, ring and pulse";

    QTest::mouseClick(view.closeButton(), Qt::LeftButton);
    ASSERT_FALSE(controller->window()->isVisible());
    EXPECT_EQ(running(), 0);

    controller->show();
    EXPECT_EQ(running(), 3);
}

// The real delegate with this window and a real settings file: the flag is written once, however
// often Return is pressed, and the window goes.
TEST_F(OnboardingTest, FinishingStoresTheFlagExactlyOnce) {
    for (const bool reduceMotion : {false, true}) {
        appearance.setReduceMotion(reduceMotion);
        QTemporaryDir home;
        Platform::UserDefaults defaults(home.filePath(QStringLiteral("settings.json")));
        Platform::FakeSingleInstance instance;
        Platform::FakeSystemTray tray;
        UI::OnboardingWindowController* controller = nullptr;
        App::AppServices appServices;
        appServices.defaults = &defaults;
        appServices.scheduler = &scheduler;
        appServices.instance = &instance;
        appServices.tray = &tray;
        appServices.makeOnboardingWindow = [&](std::function<void()> onFinish) {
            auto made =
                std::make_unique<UI::OnboardingWindowController>(std::move(onFinish), services(), true);
            controller = made.get();
            return made;
        };
        App::AppDelegate delegate(std::move(appServices));
        delegate.applicationDidFinishLaunching({QStringLiteral("quillstack")});
        ASSERT_NE(controller, nullptr);
        QWidget* window = controller->window();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        scheduler.advance(1s);

        QSignalSpy writes(&defaults, &Platform::UserDefaults::valueChanged);
        for (int press = 0; press < 5; ++press)
            QTest::keyClick(window, Qt::Key_Return);
        scheduler.advance(1s);

        EXPECT_EQ(writes.count(), 1) << "reduce motion " << reduceMotion;
        EXPECT_EQ(writes.value(0).value(0).toString(), App::SettingsKeys::hasCompletedOnboarding);
        EXPECT_FALSE(delegate.isOnboardingShown());
        QFile file(defaults.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(
            QJsonDocument::fromJson(file.readAll()).object().value("hasCompletedOnboarding").toBool());
    }
}

TEST_F(OnboardingTest, TheRestartButtonRelaunchesAndSaysSoWhenItCannot) {
    auto controller = makeController();
    OnboardingView& view = open(*controller);
    view.goTo(1);
    QAbstractButton* restart = button(view, "restart");
    ASSERT_TRUE(restart->isVisible());

    QTest::mouseClick(restart, Qt::LeftButton);
    EXPECT_EQ(relaunches, 1);
    EXPECT_FALSE(showsText(view, "Quillstack could not be restarted."));

    relaunchSucceeds = false;
    QTest::mouseClick(restart, Qt::LeftButton);
    EXPECT_EQ(relaunches, 2);
    EXPECT_TRUE(showsText(view, "Quillstack could not be restarted.")) << "a failed relaunch is not hidden";
    EXPECT_EQ(view.step(), 1);
}

TEST_F(OnboardingTest, TheShortcutInTheTextsIsTheOneTheUserHas) {
    // A shortcut of many keys, written out in words.
    keys = {QStringLiteral("Ctrl"), QStringLiteral("Alt"), QStringLiteral("Shift"), QStringLiteral("Super"),
            QStringLiteral("H")};
    {
        auto controller = makeController();
        OnboardingView& view = *controller->view();
        const QStringList shown = texts(view);
        EXPECT_TRUE(shown.contains("Instant history with Ctrl+Alt+Shift+Super+H"))
            << shown.join(" | ").toStdString();
        EXPECT_TRUE(shown.contains(
            "Press Ctrl+Alt+Shift+Super+H anytime to open your clipboard history. Quillstack lives in the "
            "system tray — look for the clipboard icon."));
        const auto* card = view.findChild<Onboarding::KeyGlyphCard*>();
        EXPECT_EQ(card->keys(), keys);
        for (const Onboarding::FeatureRow* row : view.findChildren<Onboarding::FeatureRow*>())
            EXPECT_TRUE(row->showsWholeText()) << row->text().toStdString();
        EXPECT_FALSE(card->isHidden());
        for (const QString& text : shown)
            EXPECT_FALSE(text.contains("Shift+Super+V") || text.contains("menu bar")) << text.toStdString();
    }

    // No shortcut at all: the texts point to the tray instead, and there is no key card.
    keys.clear();
    auto controller = makeController();
    OnboardingView& view = *controller->view();
    const QStringList shown = texts(view);
    EXPECT_TRUE(shown.contains("Instant history with a keyboard shortcut"));
    EXPECT_TRUE(
        shown.contains("Open your clipboard history anytime from the clipboard icon in the system tray."));
    EXPECT_TRUE(view.findChild<Onboarding::KeyGlyphCard*>()->isHidden());
}

// On X11 there is no permission to grant: the step says whether pasting works here, and why.
TEST_F(OnboardingTest, ThePermissionStepSaysWhetherAutomaticPastingIsAvailableAndWhy) {
    for (const bool available : {false, true}) {
        trusted = available;
        auto controller = makeController();
        OnboardingView& view = open(*controller);
        view.goTo(1);
        EXPECT_TRUE(showsText(view, "Automatic pasting")) << "the title";
        EXPECT_TRUE(showsText(view, "Quillstack pastes items directly into other apps by pressing the paste "
                                    "keys for you. This works in an X11 session with the XTest extension. "
                                    "Without it, items are only copied to the clipboard."));
        EXPECT_EQ(showsText(view, "Automatic pasting is available"), available);
        EXPECT_EQ(showsText(view, "Automatic pasting is not available in this session."), !available);
        EXPECT_EQ(button(view, "restart")->isVisible(), !available);
        EXPECT_EQ(button(view, "restart")->text(), "Restart Quillstack to check again");
        for (const QString& text : texts(view)) {
            EXPECT_FALSE(text.contains("ccessibility") || text.contains("ermission") || text.contains("rant"))
                << text.toStdString();
        }
    }
}

// The status menu is the only way to the settings and to Quit where there is a tray; without one the
// last step says where they are instead.
TEST_F(OnboardingTest, TheLastStepPointsToTheTrayOrWithoutOneToTheLaunchersMenuAndTheCommands) {
    struct Case {
        bool tray;
        QStringList keys;
        QString text;
        QString hint;
        QString hintSymbol;
    };
    const QString trayHint = "Look for the clipboard icon in the system tray";
    const QString commandsHint = "In a terminal: quillstack --settings, --quit, --help";
    const Case cases[] = {
        {true, keys,
         "Press Shift+Super+V anytime to open your clipboard history. Quillstack lives in the system tray — look for "
         "the clipboard icon.",
         trayHint, "menubar.rectangle"},
        {true,
         {},
         "Open your clipboard history anytime from the clipboard icon in the system tray.",
         trayHint,
         "menubar.rectangle"},
        {false, keys,
         "Press Shift+Super+V anytime to open your clipboard history. This desktop shows no system tray: right-click "
         "Quillstack in your application launcher for Settings, Pause Monitoring, Clear History and Quit.",
         commandsHint, "terminal"},
        {false,
         {},
         "Right-click Quillstack in your application launcher to open your clipboard history. Settings, "
         "Pause Monitoring, Clear History and Quit are there too, as this desktop shows no system tray.",
         commandsHint,
         "terminal"},
    };
    for (const Case& c : cases) {
        trayAvailable = c.tray;
        keys = c.keys;
        auto controller = makeController();
        OnboardingView& view = open(*controller);
        view.goTo(2);
        EXPECT_TRUE(showsText(view, c.text))
            << "tray " << c.tray << ": " << texts(view).join(" | ").toStdString();
        const auto* hint = view.findChild<Onboarding::HintCard*>();
        EXPECT_EQ(hint->text(), c.hint);
        EXPECT_EQ(hint->symbol(), c.hintSymbol);
        EXPECT_TRUE(hint->isVisible());
    }
}

TEST_F(OnboardingTest, TheTextsFollowTheLanguageWhileTheWindowIsOpen) {
    auto controller = makeController();
    OnboardingView& view = open(*controller);
    view.goTo(1);
    QTranslator polish;
    ASSERT_TRUE(polish.load(QStringLiteral(":/i18n/quillstack_pl.qm")));
    QCoreApplication::installTranslator(&polish);
    QCoreApplication::processEvents();
    EXPECT_EQ(button(view, "primary")->text(), "Dalej");
    EXPECT_EQ(button(view, "back")->text(), "Wstecz");
    EXPECT_EQ(controller->window()->windowTitle(), "Witaj w Quillstack");
    // The longer Polish paragraphs take the lines they need, on both steps that have them.
    for (const int step : {1, 2}) {
        view.goTo(step);
        QCoreApplication::processEvents();
        for (const QLabel* label : view.findChildren<QLabel*>()) {
            if (label->wordWrap() && label->isVisible()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                    << label->text().toStdString();
            }
        }
    }
    // The rows show their whole texts, the shortcut's too.
    for (const Onboarding::FeatureRow* row : view.findChildren<Onboarding::FeatureRow*>())
        EXPECT_TRUE(row->showsWholeText()) << row->text().toStdString();
    // Every text of every step has its translation.
    const QStringList polishTexts = texts(view);
    QCoreApplication::removeTranslator(&polish);
    QCoreApplication::processEvents();
    const QStringList englishTexts = texts(view);
    ASSERT_EQ(polishTexts.size(), englishTexts.size());
    for (qsizetype i = 0; i < englishTexts.size(); ++i) {
        if (!englishTexts[i].isEmpty()) {
            EXPECT_NE(polishTexts[i], englishTexts[i]) << englishTexts[i].toStdString();
        }
    }
    EXPECT_EQ(button(view, "primary")->text(), "Get Started");
}

// Without a tray the last step's texts are other ones: translated too, and given the lines they need.
TEST_F(OnboardingTest, TheLastStepWithoutATrayFollowsTheLanguage) {
    trayAvailable = false;
    for (const QStringList& shortcut : {keys, QStringList()}) {
        keys = shortcut;
        auto controller = makeController();
        OnboardingView& view = open(*controller);
        view.goTo(2);
        const QStringList english = texts(view);
        QTranslator polish;
        ASSERT_TRUE(polish.load(QStringLiteral(":/i18n/quillstack_pl.qm")));
        QCoreApplication::installTranslator(&polish);
        QCoreApplication::processEvents();
        const QStringList translated = texts(view);
        ASSERT_EQ(translated.size(), english.size());
        for (qsizetype i = 0; i < english.size(); ++i) {
            if (!english[i].isEmpty())
                EXPECT_NE(translated[i], english[i]) << english[i].toStdString();
        }
        for (const QLabel* label : view.findChildren<QLabel*>()) {
            if (label->wordWrap() && label->isVisible())
                EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                    << label->text().toStdString();
        }
        QCoreApplication::removeTranslator(&polish);
    }
}

TEST_F(OnboardingTest, TheWindowIsCentredRoundedAndShadowedOnlyWhereTranslucencyWorks) {
    for (const bool translucent : {true, false}) {
        auto controller = makeController(translucent);
        OnboardingWindowWidget* window = controller->window();
        open(*controller);
        EXPECT_EQ(controller->view()->size(), QSize(580, 560));
        const QRect available = window->screen()->availableGeometry();
        const QPoint cardCentre = window->mapToGlobal(controller->view()->geometry().center());
        EXPECT_LE(std::abs(cardCentre.x() - available.center().x()), 1) << "the card is centred";
        if (window->height() <= available.height())
            EXPECT_LE(std::abs(cardCentre.y() - available.center().y()), 1);
        else
            EXPECT_EQ(window->y(), available.top());
        EXPECT_EQ(window->testAttribute(Qt::WA_TranslucentBackground), translucent);

        QImage shot(window->size(), QImage::Format_ARGB32_Premultiplied);
        shot.fill(Qt::transparent);
        window->render(&shot, {}, {}, QWidget::DrawChildren);
        const QPoint card = controller->view()->pos();
        EXPECT_LT(shot.pixelColor(card + QPoint(1, 1)).alpha(), 64) << "rounded corner";
        EXPECT_EQ(shot.pixelColor(card + QPoint(290, 280)).alpha(), 255) << "opaque card";
        if (translucent) {
            EXPECT_GT(window->width(), 580);
            const QPoint belowCard = card + QPoint(290, 560 + 12);
            EXPECT_GT(shot.pixelColor(belowCard).alpha(), 0) << "shadow under the card";
        } else {
            EXPECT_EQ(window->size(), QSize(580, 560));
            EXPECT_FALSE(window->mask().contains(QPoint(0, 0)))
                << "the window takes the card's rounded shape";
            EXPECT_TRUE(window->mask().contains(QPoint(290, 280)));
        }

        // The close button hides the window without finishing.
        QTest::mouseClick(controller->view()->closeButton(), Qt::LeftButton);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(finished, 0);
    }
}

// The appearance switched while the onboarding is open restyles it as a window built after the
// switch, on every step.
TEST_F(OnboardingTest, ALiveAppearanceSwitchRestylesItAsAWindowBuiltAfterIt) {
    appearance.setReduceMotion(true);
    const QPalette light = App::AppearanceManager::lightPalette();
    const QPalette dark = App::AppearanceManager::darkPalette();
    for (const auto& [from, to] : {std::pair{light, dark}, std::pair{dark, light}}) {
        for (int step = 0; step < OnboardingView::kStepCount; ++step) {
            QApplication::setPalette(from);
            auto live = makeController();
            open(*live).goTo(step);
            scheduler.advance(1s);
            QApplication::setPalette(to);
            auto fresh = makeController();
            open(*fresh).goTo(step);
            scheduler.advance(1s);
            QTest::qWait(100);
            for (QWidget* window : {static_cast<QWidget*>(live->view()), static_cast<QWidget*>(fresh->view())}) {
                if (QWidget* focused = window->focusWidget())
                    focused->clearFocus();
            }
            EXPECT_EQ(LiveRestyle::differences(*live->view(), *fresh->view()).join(u'\n').toStdString(), "")
                << "step " << step << (to == dark ? ", to dark" : ", to light");
        }
    }
    QApplication::setPalette(QApplication::style()->standardPalette());
}

TEST_F(OnboardingTest, DraggingTheBackgroundMovesTheWindowAndButtonsDoNot) {
    auto controller = makeController();
    OnboardingView& view = open(*controller);
    QWidget* window = controller->window();
    const auto drag = [&view](QWidget* target, QPoint from, QPoint by) {
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(from + by), target->mapToGlobal(QPointF(from + by)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QTest::mouseRelease(target, Qt::LeftButton, {}, from + by);
        Q_UNUSED(view);
    };
    const QPoint start = window->pos();
    drag(&view, QPoint(12, 300), QPoint(40, 25));
    EXPECT_EQ(window->pos(), start + QPoint(40, 25));

    const QPoint before = window->pos();
    drag(button(view, "primary"), QPoint(30, 20), QPoint(40, 25));
    EXPECT_EQ(window->pos(), before) << "a button is no handle";
}

// The key card shows the shortcut key by key, in the desktop's order and words, and the key as the
// layout types it.
TEST(OnboardingKeyCaps, OneCapPerModifierThenTheKey) {
    using Hotkeys::Key;
    using Hotkeys::ModifierFlag;
    const auto us = Hotkeys::KeyboardLayout::fromNames(QStringLiteral("us"));
    const auto german = Hotkeys::KeyboardLayout::fromNames(QStringLiteral("de"));
    ASSERT_TRUE(us && german);
    struct Case {
        Hotkeys::Shortcut shortcut;
        const Hotkeys::KeyboardLayout& layout;
        QStringList glyphs;
    };
    const Case cases[] = {
        {{Key::v, ModifierFlag::Command | ModifierFlag::Shift}, *us, {"Shift", "Super", "V"}},
        {{Key::space,
          ModifierFlag::Command | ModifierFlag::Option | ModifierFlag::Control | ModifierFlag::Shift},
         *us,
         {"Ctrl", "Alt", "Shift", "Super", "Space"}},
        {{Key::f5, ModifierFlag::Function}, *us, {"Fn", "F5"}},
        {{Key::f5, {}}, *us, {"F5"}},
        {{Key::semicolon, ModifierFlag::Command}, *german, {"Super", "Ö"}},
    };
    for (const Case& c : cases) {
        const QStringList glyphs = KeyNotation::keyCaps(c.shortcut, c.layout);
        EXPECT_EQ(glyphs, c.glyphs) << glyphs.join(u' ').toStdString();
        EXPECT_EQ(KeyNotation::joined(glyphs), KeyNotation::text(c.shortcut, c.layout))
            << "the same rendering";
    }
}

// Screenshots of every step, and of the permission step granted, for a person to look at. The card
// itself looks the same in light and dark; the desktop behind it and its shadow do not.
TEST_F(OnboardingTest, Screenshots) {
    const QString directory = QStringLiteral(QS_TEST_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(directory));
    appearance.setReduceMotion(true);
    struct Shot {
        const char* name;
        int step;
        bool trusted;
        bool tray = true;
    };
    const auto save = [&directory](QWidget* window, const QString& name, bool dark,
                                   const QString& suffix = QString()) {
        QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
        QLinearGradient desktop(0, 0, window->width(), window->height());
        desktop.setColorAt(0, dark ? QColor(28, 30, 36) : QColor(222, 226, 234));
        desktop.setColorAt(1, dark ? QColor(44, 46, 54) : QColor(196, 204, 218));
        {
            QPainter painter(&image);
            painter.fillRect(image.rect(), desktop);
        }
        window->render(&image, {}, {}, QWidget::DrawChildren);
        const QString path =
            QStringLiteral("%1/onboarding-%2-%3%4.png").arg(directory, name, dark ? "dark" : "light", suffix);
        EXPECT_TRUE(image.save(path)) << path.toStdString();
    };
    // The default shortcut, written as the binding writes it.
    const auto us = Hotkeys::KeyboardLayout::fromNames(QStringLiteral("us"));
    ASSERT_TRUE(us);
    keys = KeyNotation::keyCaps(
        Hotkeys::Shortcut(Hotkeys::Key::v, Hotkeys::ModifierFlag::Shift | Hotkeys::ModifierFlag::Command),
        *us);
    const Shot shots[] = {{"welcome", 0, false},
                          {"permission", 1, false},
                          {"permission-granted", 1, true},
                          {"ready", 2, true},
                          {"ready-no-tray", 2, true, false}};
    // Light and dark in English, and light in Polish, whose longer texts must fit too.
    QTranslator polish;
    ASSERT_TRUE(polish.load(QStringLiteral(":/i18n/quillstack_pl.qm")));
    for (const auto& [dark, inPolish] :
         {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}}) {
        if (inPolish)
            QCoreApplication::installTranslator(&polish);
        for (const Shot& shot : shots) {
            trusted = shot.trusted;
            trayAvailable = shot.tray;
            auto controller = makeController();
            OnboardingView& view = open(*controller);
            view.goTo(shot.step);
            save(controller->window(), QString::fromLatin1(shot.name), dark,
                 inPolish ? QStringLiteral("-pl") : QString());
        }
        if (inPolish)
            QCoreApplication::removeTranslator(&polish);
    }
    trayAvailable = true;

    // The arrival at the last step, a moment into its celebration.
    appearance.setReduceMotion(false);
    auto controller = makeController();
    OnboardingView& view = open(*controller);
    view.goTo(2);
    scheduler.advance(20ms);
    QTest::qWait(450);
    save(controller->window(), QStringLiteral("ready-celebration"), false);
}

} // namespace
