#include "QSChoiceCard.h"

#include "Color.h"
#include "Motion.h"

#include <QEnterEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {
constexpr int kPadding = 12;
constexpr qreal kCornerRadius = 12;
constexpr qreal kHoverScale = 1.015;
// Room around the card's face so that it can grow by kHoverScale without being clipped.
constexpr int kGrowthMargin = 3;
} // namespace

QSChoiceCard::QSChoiceCard(bool selected, std::function<void()> action, QWidget* content, QWidget* parent)
    : QAbstractButton(parent), m_action(std::move(action)), m_content(content), m_selected(selected),
      m_selection(selected ? 1.0 : 0.0), m_scaleAnimation(new QVariantAnimation(this)),
      m_selectionAnimation(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* layout = new QVBoxLayout(this);
    const int margin = kGrowthMargin + kPadding;
    layout->setContentsMargins(margin, margin, margin, margin);
    if (m_content) {
        m_content->setParent(this);
        m_content->setAttribute(Qt::WA_TransparentForMouseEvents);
        // The content spans the card's width, so that a wrapped text takes the lines it needs there.
        layout->addWidget(m_content, 0, Qt::AlignVCenter);
    }
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_action)
            m_action();
    });
    connect(m_scaleAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { applyScale(value.toReal()); });
    connect(m_selectionAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { applySelection(value.toReal()); });
}

void QSChoiceCard::setSelected(bool selected) {
    if (selected == m_selected)
        return;
    m_selected = selected;
    QS::Motion::runTo(*m_selectionAnimation, m_selection, selected ? 1.0 : 0.0, QS::Motion::soft());
    // Selection also ends or allows the hover growth, with the selection's own curve.
    QS::Motion::runTo(*m_scaleAnimation, m_scale, targetScale(), QS::Motion::soft());
}

void QSChoiceCard::applyScale(qreal scale) {
    m_scale = scale;
    update();
}

void QSChoiceCard::applySelection(qreal progress) {
    m_selection = progress;
    update();
}

qreal QSChoiceCard::targetScale() const {
    return m_hovering && !m_selected ? kHoverScale : 1.0;
}

void QSChoiceCard::setHovering(bool hovering) {
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    QS::Motion::runTo(*m_scaleAnimation, m_scale, targetScale(), QS::Motion::fast());
}

void QSChoiceCard::enterEvent(QEnterEvent* event) {
    setHovering(true);
    QAbstractButton::enterEvent(event);
}

void QSChoiceCard::leaveEvent(QEvent* event) {
    setHovering(false);
    QAbstractButton::leaveEvent(event);
}

QSize QSChoiceCard::minimumSizeHint() const {
    const QSize inner =
        m_content ? m_content->minimumSizeHint().expandedTo(m_content->minimumSize()) : QSize();
    const int margin = 2 * (kGrowthMargin + kPadding);
    return QSize(inner.width() + margin, inner.height() + margin);
}

QSize QSChoiceCard::sizeHint() const {
    const QSize inner = m_content ? m_content->sizeHint() : QSize();
    const int margin = 2 * (kGrowthMargin + kPadding);
    return QSize(inner.width() + margin, inner.height() + margin);
}

void QSChoiceCard::paintEvent(QPaintEvent*) {
    const QS::Color::Scheme scheme = QS::Color::schemeOf(*this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF face = QRectF(rect()).adjusted(kGrowthMargin, kGrowthMargin, -kGrowthMargin, -kGrowthMargin);
    painter.translate(face.center());
    painter.scale(m_scale, m_scale);
    painter.translate(-face.center());

    const QColor fill = QS::Color::mix(QS::Color::cardFill(scheme),
                                       QS::Color::withOpacity(QS::Color::brand(), 0.14), m_selection);
    const QColor stroke = QS::Color::mix(QS::Color::cardStroke(scheme),
                                         QS::Color::withOpacity(QS::Color::brand(), 0.55), m_selection);
    const qreal lineWidth = 1.0 + 0.5 * m_selection;

    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(face, kCornerRadius, kCornerRadius);

    const qreal inset = lineWidth / 2.0;
    painter.setPen(QPen(stroke, lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(face.adjusted(inset, inset, -inset, -inset), kCornerRadius - inset,
                            kCornerRadius - inset);

    if (hasFocus()) {
        painter.setPen(QPen(QS::Color::withOpacity(QS::Color::brand(), 0.8), 2));
        painter.drawRoundedRect(face.adjusted(-1, -1, 1, 1), kCornerRadius + 1, kCornerRadius + 1);
    }
}
