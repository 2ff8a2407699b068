#include "OnboardingView.h"

#include "AnimatedValue.h"
#include "OnboardingWidgets.h"

#include <Platform/Scheduler.h>
#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/KeyNotation.h>

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

Q_LOGGING_CATEGORY(lcOnboarding, "quillstack.onboarding", QtInfoMsg)

using namespace std::chrono_literals;
using Onboarding::white;

namespace {

constexpr int kPadding = 32;
// Between the step content and the dots, and between the dots and the buttons.
constexpr int kDotsGap = 16;
constexpr int kControlsGap = 20;
constexpr int kCloseInset = 12;
constexpr auto kPollInterval = 500ms;
constexpr auto kCelebrationLength = 1400ms;
constexpr auto kFinishDelay = 120ms;
constexpr qreal kPulseScale = 1.04;
constexpr int kPulseHalfPeriodMs = 1100;
constexpr int kOrbHalfPeriodMs = 5000;
constexpr int kRingHalfPeriodMs = 1600;
constexpr qreal kCelebrationOpacity = 0.7;
// How far a step's content rises while it appears.
constexpr qreal kContentRise = 12;

const std::array<QString, 3> kFeatureSymbols = {
    QStringLiteral("keyboard"), QStringLiteral("photo.on.rectangle.angled"), QStringLiteral("curlybraces")};

QS::Motion::Animation easeOut(int durationMs) {
    QS::Motion::Animation animation = QS::Motion::fast();
    animation.durationMs = durationMs;
    return animation;
}

// Our own texts (never clipboard content), white at `opacity`.
QLabel* makeLabel(qreal points, QFont::Weight weight, qreal opacity, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(QS::Font::system(points, weight));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, white(opacity));
    label->setPalette(palette);
    return label;
}

QLabel* makeParagraph(qreal points, qreal opacity, int width, QWidget* parent) {
    QLabel* label = makeLabel(points, QFont::Normal, opacity, parent);
    label->setWordWrap(true);
    label->setFixedWidth(width);
    return label;
}

// A wrapped paragraph is exactly as tall as its text at its own width; left to the column it
// would be measured at the column's width and cut off when the text needs more lines.
void setParagraph(QLabel& label, const QString& text) {
    label.setText(text);
    label.setFixedHeight(label.heightForWidth(label.width()));
}

QVBoxLayout* centredColumn(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    return column;
}

qreal lerp(qreal from, qreal to, qreal progress) {
    return from + (to - from) * progress;
}

} // namespace

OnboardingView::OnboardingView(std::function<void()> onFinish, OnboardingServices services, QWidget* parent)
    : QWidget(parent), m_onFinish(std::move(onFinish)), m_services(std::move(services)) {
    setFixedSize(kWidth, kHeight);
    m_axGranted = m_services.accessibilityTrusted && m_services.accessibilityTrusted();

    const auto repaint = [this] {
        update();
    };
    m_appearance = new AnimatedValue(
        0.0, [this] { m_appIcon->setAppearance(m_appearance->value()); }, this);
    m_orbs = new AnimatedValue(0.0, repaint, this);
    m_contentReveal = new AnimatedValue(
        0.0, [this] { placePages(); }, this);
    for (int i = 0; i < 3; ++i)
        m_rowReveal[i] = new AnimatedValue(
            0.0, [this, i] { m_rows[i]->setReveal(m_rowReveal[i]->value()); }, this);
    m_pulse = new AnimatedValue(
        1.0, [this] { m_primaryButton->setScale(m_pulse->value()); }, this);
    m_dots = new AnimatedValue(
        0.0, [this] { m_stepDots->setPosition(m_dots->value()); }, this);
    m_celebrationStrength = new AnimatedValue(
        0.0, [this] { m_celebrationOverlay->setStrength(m_celebrationStrength->value()); }, this);
    m_grantedPresence = new AnimatedValue(
        m_axGranted ? 1.0 : 0.0, [this] { m_grantedBadge->setPresence(m_grantedPresence->value()); }, this);
    m_ring = new AnimatedValue(
        1.0, [this] { m_halo->setRingScale(m_ring->value()); }, this);

    m_stage = new QWidget(this);
    m_pages = {buildWelcome(), buildPermission(), buildReady()};
    for (QWidget* page : m_pages) {
        auto* fade = new QGraphicsOpacityEffect(page);
        page->setGraphicsEffect(fade);
    }

    m_stepDots = new Onboarding::StepDots(this);
    m_backButton = new Onboarding::TextButton(0.85, QMargins(8, 8, 8, 8), this);
    m_backButton->setObjectName(QStringLiteral("back"));
    m_skipButton = new Onboarding::TextButton(0.7, QMargins(12, 8, 12, 8), this);
    m_skipButton->setObjectName(QStringLiteral("skip"));
    m_primaryButton = new Onboarding::PrimaryButton(this);
    m_primaryButton->setObjectName(QStringLiteral("primary"));
    m_closeButton = new Onboarding::CloseButton(this);
    m_closeButton->setObjectName(QStringLiteral("close"));
    m_celebrationOverlay = new Onboarding::CelebrationOverlay(this);
    m_celebrationOverlay->hide();

    connect(m_backButton, &QAbstractButton::clicked, this, [this] { goTo(m_step - 1); });
    connect(m_skipButton, &QAbstractButton::clicked, this, [this] { goTo(m_step + 1); });
    connect(m_primaryButton, &QAbstractButton::clicked, this, [this] { primaryAction(); });
    connect(m_restartButton, &QAbstractButton::clicked, this, [this] { restart(); });
    // The primary button is the default action: Return and Enter press it wherever the focus is.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, m_primaryButton, &QAbstractButton::click);
    }
    setTabOrder(m_backButton, m_skipButton);
    setTabOrder(m_skipButton, m_primaryButton);
    setTabOrder(m_primaryButton, m_closeButton);

    retranslate();
    updatePermission();
    updateControls();
    m_celebrationOverlay->setGeometry(rect());
    m_celebrationOverlay->raise();

    // The trust is watched for as long as the view exists, on every step; the poll only observes.
    m_axTimer = m_services.scheduler->repeat(kPollInterval, 0ms, [this] { permissionTick(); });
}

OnboardingView::~OnboardingView() = default;

QAbstractButton* OnboardingView::closeButton() const {
    return m_closeButton;
}

QWidget* OnboardingView::buildWelcome() {
    auto* page = new QWidget(m_stage);
    QVBoxLayout* column = centredColumn(page);
    column->addStretch(1);
    m_appIcon = new Onboarding::AppIconBadge(page);
    column->addWidget(m_appIcon, 0, Qt::AlignHCenter);
    m_welcomeTitle = makeLabel(28, QFont::Bold, 1.0, page);
    column->addWidget(m_welcomeTitle, 0, Qt::AlignHCenter);
    column->addSpacing(6);
    m_welcomeSubtitle = makeLabel(14, QFont::Normal, 0.88, page);
    column->addWidget(m_welcomeSubtitle, 0, Qt::AlignHCenter);
    column->addSpacing(22);
    for (int i = 0; i < 3; ++i) {
        m_rows[i] = new Onboarding::FeatureRow(kFeatureSymbols[i], page);
        column->addWidget(m_rows[i], 0, Qt::AlignHCenter);
        if (i < 2)
            column->addSpacing(8);
    }
    column->addStretch(1);
    return page;
}

QWidget* OnboardingView::buildPermission() {
    auto* page = new QWidget(m_stage);
    QVBoxLayout* column = centredColumn(page);
    column->addStretch(1);
    m_halo = new Onboarding::SymbolHalo(QStringLiteral("keyboard"), page);
    column->addWidget(m_halo, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    m_permissionTitle = makeLabel(24, QFont::Bold, 1.0, page);
    column->addWidget(m_permissionTitle, 0, Qt::AlignHCenter);
    column->addSpacing(10);
    m_permissionText = makeParagraph(13, 0.88, 430, page);
    column->addWidget(m_permissionText, 0, Qt::AlignHCenter);
    column->addSpacing(22);

    m_grantedBadge = new Onboarding::StatusBadge(QStringLiteral("checkmark.circle.fill"), page);
    m_grantedBadge->setPresence(m_grantedPresence->value());
    column->addWidget(m_grantedBadge, 0, Qt::AlignHCenter);

    m_permissionActions = new QWidget(page);
    QVBoxLayout* actions = centredColumn(m_permissionActions);
    m_unavailableNote = makeLabel(11, QFont::Normal, 0.75, m_permissionActions);
    actions->addWidget(m_unavailableNote, 0, Qt::AlignHCenter);
    actions->addSpacing(10);
    m_restartButton = new Onboarding::CapsuleButton(QStringLiteral("arrow.clockwise"), m_permissionActions);
    m_restartButton->setObjectName(QStringLiteral("restart"));
    actions->addWidget(m_restartButton, 0, Qt::AlignHCenter);
    actions->addSpacing(8);
    m_restartFailed = makeLabel(11, QFont::DemiBold, 0.95, m_permissionActions);
    m_restartFailed->hide();
    actions->addWidget(m_restartFailed, 0, Qt::AlignHCenter);
    column->addWidget(m_permissionActions, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return page;
}

QWidget* OnboardingView::buildReady() {
    auto* page = new QWidget(m_stage);
    QVBoxLayout* column = centredColumn(page);
    column->addStretch(1);
    m_keyCard = new Onboarding::KeyGlyphCard(page);
    column->addWidget(m_keyCard, 0, Qt::AlignHCenter);
    column->addSpacing(24);
    m_readyTitle = makeLabel(26, QFont::Bold, 1.0, page);
    column->addWidget(m_readyTitle, 0, Qt::AlignHCenter);
    column->addSpacing(10);
    m_readyText = makeParagraph(13, 0.88, 400, page);
    column->addWidget(m_readyText, 0, Qt::AlignHCenter);
    column->addSpacing(22);
    m_trayHint = new Onboarding::HintCard(QStringLiteral("menubar.rectangle"), page);
    column->addWidget(m_trayHint, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return page;
}

QStringList OnboardingView::shortcutKeys() const {
    return m_services.showHistoryKeys ? m_services.showHistoryKeys() : QStringList();
}

bool OnboardingView::hasSystemTray() const {
    return !m_services.systemTrayAvailable || m_services.systemTrayAvailable();
}

void OnboardingView::retranslate() {
    const QStringList keys = shortcutKeys();
    const QString shortcut = KeyNotation::joined(keys);

    m_welcomeTitle->setText(tr("Welcome to Quillstack"));
    m_welcomeSubtitle->setText(tr("Everything you copy, always at hand."));
    m_rows[0]->setText(shortcut.isEmpty() ? tr("Instant history with a keyboard shortcut")
                                          : tr("Instant history with %1").arg(shortcut));
    m_rows[1]->setText(tr("Images and screenshots"));
    m_rows[2]->setText(tr("Code with syntax highlighting"));

    // There is no permission to grant on X11: automatic pasting works wherever XTest does.
    m_permissionTitle->setText(tr("Automatic pasting"));
    setParagraph(
        *m_permissionText,
        tr("Quillstack pastes items directly into other apps by pressing the paste keys for you. This works "
           "in an X11 session with the XTest extension. Without it, items are only copied to the "
           "clipboard."));
    m_grantedBadge->setText(tr("Automatic pasting is available"));
    m_unavailableNote->setText(tr("Automatic pasting is not available in this session."));
    m_restartButton->setText(tr("Restart Quillstack to check again"));
    m_restartFailed->setText(tr("Quillstack could not be restarted."));

    m_keyCard->setKeys(keys);
    m_keyCard->setVisible(!keys.isEmpty());
    m_readyTitle->setText(tr("You're all set!"));
    if (hasSystemTray()) {
        setParagraph(*m_readyText,
                     shortcut.isEmpty()
                         ? tr("Open your clipboard history anytime from the clipboard icon in the system "
                              "tray.")
                         : tr("Press %1 anytime to open your clipboard history. Quillstack lives in the "
                              "system tray — look for the clipboard icon.")
                               .arg(shortcut));
        m_trayHint->setSymbol(QStringLiteral("menubar.rectangle"));
        m_trayHint->setText(tr("Look for the clipboard icon in the system tray"));
    } else {
        // No tray, so no status menu: its entries are the desktop entry's actions and commands.
        setParagraph(*m_readyText,
                     shortcut.isEmpty()
                         ? tr("Right-click Quillstack in your application launcher to open your clipboard "
                              "history. Settings, Pause Monitoring, Clear History and Quit are there too, "
                              "as this desktop shows no system tray.")
                         : tr("Press %1 anytime to open your clipboard history. This desktop shows no "
                              "system tray: right-click Quillstack in your application launcher for "
                              "Settings, Pause Monitoring, Clear History and Quit.")
                               .arg(shortcut));
        m_trayHint->setSymbol(QStringLiteral("terminal"));
        m_trayHint->setText(tr("In a terminal: quillstack --settings, --quit, --help"));
    }

    m_backButton->setText(tr("Back"));
    m_skipButton->setText(tr("Skip"));
    m_closeButton->setToolTip(tr("Close"));
    m_closeButton->setAccessibleName(tr("Close"));
    updateControls();
}

void OnboardingView::updateControls() {
    const bool first = m_step == Welcome;
    m_backButton->setEnabled(!first);
    m_backButton->setVisible(!first);
    m_skipButton->setVisible(m_step == Permission && !m_axGranted);
    const bool last = m_step == Ready;
    m_primaryButton->setText(last ? tr("Get Started") : tr("Continue"));
    m_primaryButton->setTrailingSymbol(last ? QString() : QStringLiteral("arrow.right"));
    layoutControls();
}

void OnboardingView::updatePermission() {
    m_grantedBadge->setVisible(m_axGranted);
    m_permissionActions->setVisible(!m_axGranted);
}

void OnboardingView::layoutControls() {
    const QMargins margins = Onboarding::PrimaryButton::capsuleMargins();
    const QSize primary = m_primaryButton->sizeHint();
    const QSize capsule = primary.shrunkBy(margins);
    const int rowBottom = height() - kPadding;
    const int rowCentre = rowBottom - capsule.height() / 2;
    const int capsuleRight = width() - kPadding;
    const int capsuleLeft = capsuleRight - capsule.width();
    m_primaryButton->setGeometry(capsuleLeft - margins.left(), rowBottom - capsule.height() - margins.top(),
                                 primary.width(), primary.height());

    const QSize skip = m_skipButton->sizeHint();
    m_skipButton->setGeometry(capsuleLeft - 6 - skip.width(), rowCentre - skip.height() / 2, skip.width(),
                              skip.height());
    // The Back label lines up with the content's left edge; its padding reaches into the margin.
    const QSize back = m_backButton->sizeHint();
    m_backButton->setGeometry(kPadding - 8, rowCentre - back.height() / 2, back.width(), back.height());

    const QSize dots = m_stepDots->sizeHint();
    const int dotsTop = rowBottom - capsule.height() - kControlsGap - dots.height();
    m_stepDots->setGeometry((width() - dots.width()) / 2, dotsTop, dots.width(), dots.height());

    m_stage->setGeometry(kPadding, kPadding, width() - 2 * kPadding, dotsTop - kDotsGap - kPadding);
    const QSize close = m_closeButton->sizeHint();
    m_closeButton->setGeometry(width() - kCloseInset - close.width(), kCloseInset, close.width(),
                               close.height());
    placePages();
}

void OnboardingView::placePages() {
    const qreal reveal = m_contentReveal->value();
    for (int i = 0; i < kStepCount; ++i)
        m_pages[i]->setVisible(i == m_step);
    QWidget* page = m_pages[m_step];
    page->setGeometry(m_stage->rect().translated(0, qRound(kContentRise * (1.0 - reveal))));
    if (auto* fade = qobject_cast<QGraphicsOpacityEffect*>(page->graphicsEffect())) {
        fade->setOpacity(std::clamp(reveal, 0.0, 1.0));
        fade->setEnabled(reveal < 1.0);
    }
    m_keyCard->setScale(0.85 + 0.15 * reveal);
}

void OnboardingView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    setEndlessMotionPaused(false);
    if (m_entranceRun)
        return;
    m_entranceRun = true;
    m_primaryButton->setFocus(Qt::OtherFocusReason);
    runEntrance();
}

void OnboardingView::hideEvent(QHideEvent* event) {
    setEndlessMotionPaused(true);
    QWidget::hideEvent(event);
}

void OnboardingView::setEndlessMotionPaused(bool paused) {
    for (AnimatedValue* value : {m_orbs, m_ring, m_pulse})
        value->setPaused(paused);
}

void OnboardingView::runEntrance() {
    if (QS::Motion::reduceMotion()) {
        m_appeared = true;
        m_appearance->set(1.0);
        for (int i = 0; i < 3; ++i)
            setFeatureVisible(i, true, QS::Motion::plain());
        setStepContentReady(true, QS::Motion::plain());
        m_orbPhase = true;
        m_orbs->set(1.0);
        return;
    }
    Platform::Scheduler& scheduler = *m_services.scheduler;
    scheduler.schedule(50ms, this, [this] {
        m_appeared = true;
        m_appearance->animateTo(1.0, QS::Motion::springWith<0.55, 0.78>());
    });
    m_orbPhase = true;
    m_orbs->swing(0.0, 1.0, kOrbHalfPeriodMs);
    m_ring->swing(0.92, 1.08, kRingHalfPeriodMs);
    setStepContentReady(true, QS::Motion::plain());
    const std::array delays{280ms, 380ms, 480ms};
    for (int i = 0; i < 3; ++i) {
        scheduler.schedule(delays[i], this,
                           [this, i] { setFeatureVisible(i, true, QS::Motion::springWith<0.45, 0.8>()); });
    }
    scheduler.schedule(800ms, this, [this] {
        // A finish already under way keeps its own motion of the button.
        if (m_finishing)
            return;
        m_ctaPulse = true;
        m_pulse->swing(1.0, kPulseScale, kPulseHalfPeriodMs);
    });
}

void OnboardingView::setStepContentReady(bool ready, const QS::Motion::Animation& motion) {
    m_stepContentReady = ready;
    m_contentReveal->animateTo(ready ? 1.0 : 0.0, motion);
}

void OnboardingView::setFeatureVisible(int row, bool visible, const QS::Motion::Animation& motion) {
    m_featureVisible[row] = visible;
    m_rowReveal[row]->animateTo(visible ? 1.0 : 0.0, motion);
}

void OnboardingView::goTo(int target) {
    if (target < 0 || target >= kStepCount || target == m_step)
        return;
    m_step = target;
    qCDebug(lcOnboarding) << "onboarding step" << target;
    m_dots->animateTo(target, QS::Motion::springWith<0.38, 0.84>());
    retranslate();
    emit stepChanged(target);
    runStepEntrance(target);
}

void OnboardingView::runStepEntrance(int newStep) {
    m_stepContentReady = false;
    if (QS::Motion::reduceMotion()) {
        setStepContentReady(true, QS::Motion::plain());
        if (newStep == Ready)
            celebrateBriefly();
        return;
    }
    setStepContentReady(false, easeOut(10));
    m_services.scheduler->schedule(
        20ms, this, [this] { setStepContentReady(true, QS::Motion::springWith<0.4, 0.82>()); });
    if (newStep == Ready) {
        celebrateBriefly();
    } else if (newStep == Welcome) {
        for (int i = 0; i < 3; ++i)
            setFeatureVisible(i, false, QS::Motion::plain());
        const std::array delays{120ms, 200ms, 280ms};
        for (int i = 0; i < 3; ++i) {
            m_services.scheduler->schedule(delays[i], this, [this, i] {
                setFeatureVisible(i, true, QS::Motion::springWith<0.4, 0.8>());
            });
        }
    }
}

void OnboardingView::celebrateBriefly() {
    if (QS::Motion::reduceMotion())
        return;
    const quint64 celebration = ++m_celebration;
    m_celebrate = true;
    m_celebrationOverlay->burst();
    m_celebrationOverlay->raise();
    m_celebrationStrength->animateTo(kCelebrationOpacity, easeOut(200));
    m_services.scheduler->schedule(kCelebrationLength, this, [this, celebration] {
        if (celebration != m_celebration)
            return;
        m_celebrate = false;
        m_celebrationStrength->animateTo(0.0, easeOut(400));
    });
}

void OnboardingView::primaryAction() {
    if (m_step < Ready)
        goTo(m_step + 1);
    else
        finishWithAnimation();
}

void OnboardingView::finishWithAnimation() {
    // However often the button is pressed, the onboarding finishes once.
    if (m_finishing)
        return;
    m_finishing = true;
    qCDebug(lcOnboarding) << "onboarding finished";
    if (QS::Motion::reduceMotion()) {
        m_onFinish();
        return;
    }
    m_ctaPulse = true;
    m_pulse->animateTo(kPulseScale, QS::Motion::springWith<0.25, 0.6>());
    m_services.scheduler->schedule(kFinishDelay, this, [this] { m_onFinish(); });
}

void OnboardingView::permissionTick() {
    const bool trusted = m_services.accessibilityTrusted && m_services.accessibilityTrusted();
    if (trusted == m_axGranted)
        return;
    qCDebug(lcOnboarding) << "accessibility trust" << trusted;
    m_axGranted = trusted;
    m_grantedPresence->set(trusted ? 0.0 : 1.0);
    m_grantedPresence->animateTo(trusted ? 1.0 : 0.0, QS::Motion::spring());
    updatePermission();
    updateControls();
    if (trusted)
        celebrateBriefly();
}

void OnboardingView::restart() {
    m_restartFailed->hide();
    // On success this process is on its way out; otherwise the user is told, and it goes on.
    if (!m_services.relaunch || !m_services.relaunch())
        m_restartFailed->show();
}

void OnboardingView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void OnboardingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    QPainterPath card;
    card.addRoundedRect(bounds, kCornerRadius, kCornerRadius);
    painter.setClipPath(card);

    const QColor brand = QS::Color::brand();
    painter.fillRect(bounds, brand);
    QLinearGradient gradient(bounds.topLeft(), bounds.bottomRight());
    gradient.setColorAt(0, brand);
    gradient.setColorAt(1, QS::Color::withOpacity(QS::Color::brandSoft(), 0.92));
    painter.fillRect(bounds, gradient);
    QLinearGradient sheen(bounds.topLeft(), QPointF(bounds.left(), bounds.center().y()));
    sheen.setColorAt(0, white(0.18));
    sheen.setColorAt(1, white(0.0));
    painter.fillRect(bounds, sheen);

    // The orbs, their offsets from the centre swinging slowly with the orb phase. Their rims are
    // softened a little, like a light blur.
    const qreal phase = m_orbs->value();
    const QPointF centre = bounds.center();
    const auto orb = [&painter](QPointF at, qreal radius, qreal opacity) {
        QRadialGradient fill(at, radius);
        fill.setColorAt(0, white(opacity));
        fill.setColorAt(0.9, white(opacity));
        fill.setColorAt(1, white(0.0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawEllipse(at, radius, radius);
    };
    orb(centre + QPointF(lerp(-200, -230, phase), lerp(-170, -200, phase)), 180, 0.1);
    orb(centre + QPointF(lerp(240, 260, phase), lerp(210, 240, phase)), 220, 0.08);
    const QPointF glowCentre = centre + QPointF(190, -200);
    QRadialGradient glow(glowCentre, 100);
    glow.setColorAt(0, white(0.14));
    glow.setColorAt(0.1, white(0.14));
    glow.setColorAt(1, white(0.0));
    painter.setBrush(glow);
    painter.drawEllipse(glowCentre, 100, 100);
}

void OnboardingView::mousePressEvent(QMouseEvent* event) {
    if (m_drag.press(*this, *event))
        event->accept();
    else
        QWidget::mousePressEvent(event);
}

void OnboardingView::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag.move(*this, *event))
        event->accept();
    else
        QWidget::mouseMoveEvent(event);
}

void OnboardingView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_drag.release(*event))
        event->accept();
    else
        QWidget::mouseReleaseEvent(event);
}
