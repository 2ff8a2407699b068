#include "OnboardingWindowController.h"

#include <UI/Design/Motion.h>
#include <UI/Design/RoundedWindow.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>

#include <algorithm>

Q_DECLARE_LOGGING_CATEGORY(lcOnboarding)

namespace {

constexpr int kFadeInMs = 280;
constexpr qreal kShadowRadius = 24;
constexpr QPointF kShadowOffset(0, 10);
const QColor kShadowColour(0, 0, 0, 90);

QPainterPath cardShape(const QRectF& rect) {
    QPainterPath shape;
    shape.addRoundedRect(rect, OnboardingView::kCornerRadius, OnboardingView::kCornerRadius);
    return shape;
}

} // namespace

OnboardingWindowWidget::OnboardingWindowWidget(OnboardingView* view, bool translucent)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_view(view), m_translucent(translucent) {
    setObjectName(QStringLiteral("onboardingWindow"));
    view->setParent(this);
    const QRect card(QPoint(0, 0), view->size());
    if (translucent) {
        const QMargins room = SoftShadow::reachOf(kShadowRadius, kShadowOffset).toMargins();
        view->move(room.left(), room.top());
        setFixedSize(card.size().grownBy(room));
        m_shadow = SoftShadow(cardShape(QRectF(view->geometry())), kShadowColour, kShadowRadius,
                              kShadowOffset, devicePixelRatioF());
    } else {
        // The window is the card, cut to its shape.
        setFixedSize(card.size());
    }
    RoundedWindow::apply(*this, OnboardingView::kCornerRadius, translucent);
    retranslate();
}

void OnboardingWindowWidget::paintEvent(QPaintEvent*) {
    if (!m_translucent)
        return;
    QPainter painter(this);
    m_shadow.paint(painter);
}

void OnboardingWindowWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void OnboardingWindowWidget::retranslate() {
    // The same words as the welcome step's title, under which window lists show the window.
    setWindowTitle(QCoreApplication::translate("OnboardingView", "Welcome to Quillstack"));
}

namespace UI {

OnboardingWindowController::OnboardingWindowController(std::function<void()> onFinish,
                                                       OnboardingServices services, bool translucent)
    : m_window(std::make_unique<::OnboardingWindowWidget>(
          new OnboardingView(std::move(onFinish), std::move(services)), translucent)),
      m_fade(new QPropertyAnimation(m_window.get(), "windowOpacity", m_window.get())) {
    m_fade->setDuration(kFadeInMs);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->setEasingCurve(QS::Motion::fast().curve);
    // Closing hides the window; the onboarding is offered again at the next start.
    QObject::connect(m_window->view()->closeButton(), &QAbstractButton::clicked, m_window.get(),
                     &QWidget::close);
}

OnboardingWindowController::~OnboardingWindowController() = default;

void OnboardingWindowController::show() {
    QWidget* window = m_window.get();
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        // The card is centred; the room for its shadow is not part of it.
        const QRect available = screen->availableGeometry();
        const QPoint topLeft = available.center() - m_window->view()->geometry().center();
        // On a screen smaller than the window its top stays in reach, close button included.
        window->move(std::max(topLeft.x(), available.left()), std::max(topLeft.y(), available.top()));
    }
    m_fade->stop();
    const bool fade = !QS::Motion::reduceMotion();
    window->setWindowOpacity(fade ? 0.0 : 1.0);
    window->show();
    window->raise();
    window->activateWindow();
    if (fade)
        m_fade->start();
    qCDebug(lcOnboarding) << "onboarding shown, step" << m_window->view()->step();
}

void OnboardingWindowController::close() {
    m_fade->stop();
    m_window->setWindowOpacity(1.0);
    m_window->hide();
}

} // namespace UI
