#include "SettingsTabButton.h"

#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/Motion.h>
#include <UI/Design/SymbolIcon.h>

#include <QCoreApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QPainter>
#include <QVariantAnimation>

namespace UI {

namespace {
constexpr qreal kCornerRadius = 12;
constexpr qreal kHoverScale = 1.03;
// Room around the card so that it can grow without being clipped.
constexpr int kGrowthMargin = 2;
constexpr int kSymbolSize = 18;
constexpr int kSymbolFrameHeight = 20;
constexpr int kSpacing = 5;

} // namespace

SettingsTabButton::SettingsTabButton(const char* title, const QString& symbol, QWidget* parent)
    : QAbstractButton(parent), m_title(title), m_symbol(symbol),
      m_hoverAnimation(new QVariantAnimation(this)), m_selectionAnimation(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(this->title());
    connect(m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hover = value.toReal();
        update();
    });
    connect(m_selectionAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_selection = value.toReal();
        update();
    });
}

QString SettingsTabButton::title() const {
    return QCoreApplication::translate("UI::SettingsView", m_title);
}

void SettingsTabButton::setSelected(bool selected) {
    if (selected == m_selected)
        return;
    m_selected = selected;
    QS::Motion::runTo(*m_selectionAnimation, m_selection, selected ? 1.0 : 0.0, QS::Motion::soft());
}

void SettingsTabButton::setHovering(bool hovering) {
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    // The hover is feedback, not motion: it fades the same with Reduce Motion on.
    QS::Motion::runTo(*m_hoverAnimation, m_hover, hovering ? 1.0 : 0.0, QS::Motion::fast(), false);
}

qreal SettingsTabButton::currentScale() const {
    return 1.0 + (kHoverScale - 1.0) * m_hover * (1.0 - m_selection);
}

QSize SettingsTabButton::sizeHint() const {
    return kCardSize + QSize(2 * kGrowthMargin, 2 * kGrowthMargin);
}

void SettingsTabButton::enterEvent(QEnterEvent* event) {
    setHovering(true);
    QAbstractButton::enterEvent(event);
}

void SettingsTabButton::leaveEvent(QEvent* event) {
    setHovering(false);
    QAbstractButton::leaveEvent(event);
}

void SettingsTabButton::focusInEvent(QFocusEvent* event) {
    // Only a card reached with the keyboard is ringed; the window's first focus is not a choice.
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void SettingsTabButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        setAccessibleName(title());
        update();
    }
    QAbstractButton::changeEvent(event);
}

void SettingsTabButton::paintEvent(QPaintEvent*) {
    const QS::Color::Scheme scheme = QS::Color::schemeOf(*this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(kGrowthMargin, kGrowthMargin, -kGrowthMargin, -kGrowthMargin);
    const qreal scale = currentScale();
    painter.translate(card.center());
    painter.scale(scale, scale);
    painter.translate(-card.center());

    // The selected tint replaces the hover fill: a selected card never shows hover.
    const QColor hoverFill =
        QS::Color::withOpacity(QS::Color::label(scheme), 0.05 * m_hover * (1.0 - m_selection));
    const QColor selectedFill = QS::Color::withOpacity(QS::Color::brand(), 0.18 * m_selection);
    painter.setPen(Qt::NoPen);
    painter.setBrush(hoverFill);
    painter.drawRoundedRect(card, kCornerRadius, kCornerRadius);
    painter.setBrush(selectedFill);
    painter.drawRoundedRect(card, kCornerRadius, kCornerRadius);
    if (m_keyboardFocus && hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QS::Color::withOpacity(QS::Color::brand(), 0.7), 1.5));
        painter.drawRoundedRect(card.adjusted(0.75, 0.75, -0.75, -0.75), kCornerRadius, kCornerRadius);
    }

    const QColor ink = QS::Color::mix(QS::Color::secondaryText(scheme), QS::Color::brand(), m_selection);
    const QFont font = QS::Font::system(11, m_selected ? QFont::DemiBold : QFont::Medium);
    const QFontMetricsF metrics(font);
    const qreal contentHeight = kSymbolFrameHeight + kSpacing + metrics.height();
    const qreal top = card.top() + (card.height() - contentHeight) / 2.0;
    const QPixmap symbol = SymbolIcon::pixmap(m_symbol, kSymbolSize, ink, devicePixelRatioF());
    painter.drawPixmap(
        QPointF(card.center().x() - kSymbolSize / 2.0, top + (kSymbolFrameHeight - kSymbolSize) / 2.0),
        symbol);
    painter.setPen(ink);
    painter.setFont(font);
    painter.drawText(QRectF(card.left(), top + kSymbolFrameHeight + kSpacing, card.width(), metrics.height()),
                     Qt::AlignCenter | Qt::TextSingleLine, title());
}

} // namespace UI
