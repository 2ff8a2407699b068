#include "HistoryPanelController.h"

#include "HistoryPasting.h"

#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>
#include <UI/Design/Motion.h>
#include <UI/Design/RoundedWindow.h>
#include <UI/Design/VisualEffectBackground.h>

#include <QCoreApplication>
#include <QCursor>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QListView>
#include <QLoggingCategory>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcPanel, "quillstack.panel", QtInfoMsg)

HistoryPanel::HistoryPanel(bool composited, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("historyPanel"));
    RoundedWindow::apply(*this, PanelBackground::kCornerRadius, composited);
    setWindowTitle(QStringLiteral("Quillstack"));
}

bool HistoryPanel::event(QEvent* event) {
    // Clicking anywhere outside the panel takes its focus away, and closes it.
    if (event->type() == QEvent::WindowDeactivate)
        emit deactivated();
    if (event->type() == QEvent::Paint && m_notePaint) {
        m_notePaint = false;
        const bool handled = QWidget::event(event);
        qCDebug(lcPanel) << "panel painted";
        return handled;
    }
    return QWidget::event(event);
}

HistoryPanelController::HistoryPanelController(HistoryPanelServices services, QObject* parent)
    : QObject(parent), m_services(std::move(services)) {}

HistoryPanelController::~HistoryPanelController() {
    delete m_panel;
}

bool HistoryPanelController::isPanelVisible() const {
    return m_panel && m_panel->isVisible() && m_phase != Phase::fadingOut;
}

bool HistoryPanelController::isAnimating() const {
    return m_phase == Phase::fadingIn || m_phase == Phase::fadingOut;
}

void HistoryPanelController::makePanel() {
    m_panel = new HistoryPanel(m_services.composited);
    HistoryViewCallbacks callbacks;
    QPointer<HistoryPanelController> self(this);
    callbacks.onSelect = [self](const ClipboardItemPtr& item, bool plain) {
        if (self)
            self->hideAndPaste(item, plain);
    };
    callbacks.onPasteText = [self](const QString& text) {
        if (self)
            self->hideAndPasteText(text);
    };
    callbacks.onDismiss = [self] {
        if (self)
            self->hide();
    };
    callbacks.onPasteAll = [self](const QList<ClipboardItemPtr>& items) {
        if (self)
            self->hideAndPasteAll(items);
    };
    callbacks.onStartQueue = [self](const QList<ClipboardItemPtr>& items) {
        if (self)
            self->hideAndStartQueue(items);
    };
    HistoryViewServices viewServices;
    viewServices.images = m_services.images;
    viewServices.workspace = m_services.workspace;
    viewServices.defaults = m_services.defaults;
    viewServices.appIcon = m_services.appIcon;
    viewServices.accessibilityTrusted = m_services.accessibilityTrusted;
    viewServices.showHistoryKeys = m_services.showHistoryKeys;
    viewServices.openGeneralSettings = m_services.openGeneralSettings;
    viewServices.performSmartAction = m_services.performSmartAction;
    viewServices.copyToPasteboard = [self](const ClipboardItemPtr& item) {
        if (self)
            self->m_services.pasting->copyToPasteboard(item, false);
    };
    m_view = new HistoryView(*m_services.store, std::move(callbacks), std::move(viewServices), m_panel);
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_view);
    m_panel->resize(HistoryView::kWidth, HistoryView::kHeight);

    m_fade = new QPropertyAnimation(m_panel, "windowOpacity", this);
    connect(m_fade, &QPropertyAnimation::finished, this, [this] {
        if (m_phase == Phase::fadingIn)
            m_phase = Phase::shown;
        else if (m_phase == Phase::fadingOut)
            finishHide();
    });
    connect(m_panel, &HistoryPanel::deactivated, this, [this] {
        // Only a panel that is up loses the focus to something else; one already on its way out
        // is finished at once.
        if (m_phase != Phase::hidden)
            hide();
    });
}

bool HistoryPanelController::prepareNextPart() {
    if (m_prepared)
        return false;
    if (!m_panel) {
        makePanel();
        return true;
    }
    if (!m_panel->testAttribute(Qt::WA_WState_Created)) {
        m_panel->winId();
        return true;
    }
    // A first rendering of the contents off screen fills the style, font and icon caches the first
    // paint on screen would otherwise fill.
    m_panel->grab();
    m_prepared = true;
    return false;
}

void HistoryPanelController::show() {
    // The application the user works in. The panel and our other windows never count: showing the
    // panel over itself keeps the application from before.
    if (m_services.workspace) {
        const std::optional<Platform::RunningApplication> front =
            m_services.workspace->frontmostApplication();
        if (!front || front->pid != QCoreApplication::applicationPid())
            m_previousApp = front;
    }
    if (!m_panel)
        makePanel();
    m_prepared = true;

    const quint64 generation = ++m_showGeneration;
    m_locating = false;
    const QString mode =
        m_services.defaults
            ? m_services.defaults->stringValue(QStringLiteral("windowPosition"), QStringLiteral("center"))
            : QStringLiteral("center");
    if (mode != QLatin1String("input") || !m_services.focusedInputFrame) {
        present(std::nullopt);
        return;
    }
    // A panel that is up has the focus itself: it stays by the caret it was placed at.
    if (isPanelVisible()) {
        present(m_inputFrame);
        return;
    }
    // The caret belongs to the application in front, and only while it keeps the focus: it is read
    // before the panel takes the focus, and the panel comes up when the answer is in. The answer
    // comes from other processes, within the locator's budget; the event loop runs meanwhile.
    m_locating = true;
    auto* watcher = new QFutureWatcher<std::optional<QRect>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_showGeneration || !m_locating)
            return;
        m_locating = false;
        m_inputFrame = watcher->future().resultCount() > 0 ? watcher->result() : std::nullopt;
        present(m_inputFrame);
    });
    watcher->setFuture(m_services.focusedInputFrame());
}

void HistoryPanelController::present(const std::optional<QRect>& inputFrame) {
    // Showing again while the panel fades out cancels the fade.
    m_fade->stop();
    positionPanel(inputFrame);

    m_view->prepareForShow();
    if (QS::Motion::reduceMotion()) {
        m_panel->setWindowOpacity(1.0);
        m_phase = Phase::shown;
    } else {
        m_panel->setWindowOpacity(0.0);
        m_phase = Phase::fadingIn;
        m_fade->setDuration(kFadeInMs);
        m_fade->setEasingCurve(QEasingCurve::OutCubic);
        m_fade->setStartValue(0.0);
        m_fade->setEndValue(1.0);
        m_fade->start();
    }
    m_panel->notePaintAfterShow();
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
    // Where the first row is on screen, for diagnosing placement (and for tests that click rows), and
    // the warning that automatic pasting is unavailable, when it shows (for tests that click it).
    QTimer::singleShot(
        0, this, [this] {
            if (!m_panel || !m_panel->isVisible())
                return;
            if (m_view->isAccessibilityWarningShown()) {
                const auto* warning = m_view->findChild<QWidget*>(QStringLiteral("accessibilityWarning"));
                const QPoint centre = warning->mapToGlobal(warning->rect().center());
                qCDebug(lcPanel, "automatic pasting warning shown at %d,%d", centre.x(), centre.y());
            }
            if (m_view->model().rowCount() == 0)
                return;
            QListView* list = m_view->listView();
            const QRect first = list->visualRect(m_view->model().index(0, 0));
            const QPoint centre = list->viewport()->mapToGlobal(first.center());
            qCDebug(lcPanel).noquote()
                << QStringLiteral("panel shown; first row at %1,%2 height %3; panel at %4,%5 width %6")
                       .arg(centre.x())
                       .arg(centre.y())
                       .arg(first.height() + 2 * list->spacing())
                       .arg(m_panel->x())
                       .arg(m_panel->y())
                       .arg(m_panel->width());
        });
}

void HistoryPanelController::hide() {
    // A showing still waiting for the caret is called off.
    m_locating = false;
    if (!m_panel || !m_panel->isVisible())
        return;
    if (QS::Motion::reduceMotion() || isAnimating()) {
        m_fade->stop();
        finishHide();
        return;
    }
    m_phase = Phase::fadingOut;
    m_fade->setDuration(kFadeOutMs);
    m_fade->setEasingCurve(QEasingCurve::InCubic);
    m_fade->setStartValue(m_panel->windowOpacity());
    m_fade->setEndValue(0.0);
    m_fade->start();
}

void HistoryPanelController::finishHide() {
    m_phase = Phase::hidden;
    m_panel->hide();
    m_panel->setWindowOpacity(1.0);
    m_view->panelHidden();
}

void HistoryPanelController::positionPanel(const std::optional<QRect>& inputFrame) {
    QList<PanelPlacement::Screen> screens;
    std::optional<PanelPlacement::Screen> primary;
    if (m_services.screens) {
        screens = m_services.screens();
        if (!screens.isEmpty())
            primary = screens.first();
    } else {
        for (QScreen* screen : QGuiApplication::screens())
            screens.append({screen->geometry(), screen->availableGeometry(), screen->devicePixelRatio()});
        if (QScreen* screen = QGuiApplication::primaryScreen())
            primary = PanelPlacement::Screen{screen->geometry(), screen->availableGeometry(),
                                             screen->devicePixelRatio()};
    }
    const QPoint pointer = m_services.pointerPosition ? m_services.pointerPosition() : QCursor::pos();
    const QString mode =
        m_services.defaults
            ? m_services.defaults->stringValue(QStringLiteral("windowPosition"), QStringLiteral("center"))
            : QStringLiteral("center");
    QSize size = m_panel->size();
    if (size.width() < 1 || size.height() < 1)
        size = QSize(HistoryView::kWidth, HistoryView::kHeight);
    // The field's frame comes from other applications in device pixels; the panel is placed in
    // Qt's coordinates, which differ under a scale factor.
    std::optional<QRect> anchor;
    if (inputFrame)
        anchor = PanelPlacement::fromDevicePixels(*inputFrame, screens);
    if (const auto origin = PanelPlacement::place(size, pointer, mode, anchor, screens, primary))
        m_panel->move(*origin);
}

bool HistoryPanelController::beginHandOff() {
    // A panel that is hidden or already on its way out takes no pick: one pick, one paste.
    if (!m_panel || !m_panel->isVisible() || m_phase == Phase::fadingOut || m_phase == Phase::hidden)
        return false;
    hide();
    return true;
}

void HistoryPanelController::scheduleAfterHandOff(std::function<void()> action) {
    const int delay = QS::Motion::reduceMotion() ? kReducedHandOffDelayMs : kHandOffDelayMs;
    QTimer::singleShot(delay, this, [this, action = std::move(action)] {
        if (m_previousApp && m_services.workspace)
            m_services.workspace->activate(*m_previousApp);
        action();
    });
}

void HistoryPanelController::hideAndPaste(const ClipboardItemPtr& item, bool plainTextOnly) {
    if (!item || !beginHandOff())
        return;
    scheduleAfterHandOff([this, item, plainTextOnly] {
        if (m_services.pasting->copyToPasteboard(item, plainTextOnly))
            m_services.pasting->autoPasteIfEnabled();
    });
}

void HistoryPanelController::hideAndPasteText(const QString& text) {
    if (!beginHandOff())
        return;
    scheduleAfterHandOff([this, text] {
        m_services.pasting->copyText(text);
        m_services.pasting->autoPasteIfEnabled();
    });
}

void HistoryPanelController::hideAndPasteAll(const QList<ClipboardItemPtr>& items) {
    if (items.isEmpty() || !beginHandOff())
        return;
    scheduleAfterHandOff([this, items] { m_services.pasting->pasteAll(items, QStringLiteral("\n")); });
}

void HistoryPanelController::hideAndStartQueue(const QList<ClipboardItemPtr>& items) {
    if (items.isEmpty() || !beginHandOff())
        return;
    scheduleAfterHandOff([this, items] { m_services.pasting->startQueue(items); });
}
