#include "OnboardingWindowController.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace UI {

namespace {
constexpr QSize windowSize(580, 560);
constexpr int fadeInMs = 280;

QString getStartedTitle() {
    return QCoreApplication::translate("OnboardingWindowController", "Get Started");
}

class OnboardingWindowWidget final : public QWidget {
public:
    explicit OnboardingWindowWidget(std::function<void()> onFinish)
        : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
        setFixedSize(windowSize);
        auto* layout = new QVBoxLayout(this);
        m_finish = new QPushButton(getStartedTitle(), this);
        m_finish->setDefault(true);
        layout->addStretch();
        layout->addWidget(m_finish, 0, Qt::AlignHCenter);
        layout->addSpacing(32);
        QObject::connect(m_finish, &QPushButton::clicked, this, std::move(onFinish));
    }

protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::LanguageChange)
            m_finish->setText(getStartedTitle());
        QWidget::changeEvent(event);
    }

private:
    QPushButton* m_finish;
};
} // namespace

OnboardingWindowController::OnboardingWindowController(std::function<void()> onFinish,
                                                       std::function<bool()> reduceMotion)
    : m_reduceMotion(std::move(reduceMotion)),
      m_window(std::make_unique<OnboardingWindowWidget>(std::move(onFinish))) {}

OnboardingWindowController::~OnboardingWindowController() = default;

void OnboardingWindowController::show() {
    if (m_window->width() < 1 || m_window->height() < 1)
        m_window->resize(windowSize);
    if (const QScreen* screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = m_window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
    const bool fade = !(m_reduceMotion && m_reduceMotion());
    m_window->setWindowOpacity(fade ? 0.0 : 1.0);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    if (fade) {
        auto* animation = new QPropertyAnimation(m_window.get(), "windowOpacity", m_window.get());
        animation->setDuration(fadeInMs);
        animation->setStartValue(0.0);
        animation->setEndValue(1.0);
        animation->setEasingCurve(QEasingCurve::OutCubic);
        animation->start(QAbstractAnimation::DeleteWhenStopped);
    }
}

void OnboardingWindowController::close() {
    m_window->hide();
}

} // namespace UI
