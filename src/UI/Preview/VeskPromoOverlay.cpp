#include "VeskPromoOverlay.h"

#include "PreviewWidgets.h"

#include <Capture/VeskIntegration.h>
#include <UI/Design/Font.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace VeskLook {

QColor paper() {
    return QColor::fromRgbF(0.969f, 0.949f, 0.914f);
}
QColor paperDeep() {
    return QColor::fromRgbF(0.937f, 0.914f, 0.875f);
}
QColor ink() {
    return QColor::fromRgbF(0.18f, 0.145f, 0.098f);
}
QColor inkSoft() {
    return QColor::fromRgbF(0.42f, 0.365f, 0.278f);
}
QColor muted() {
    return QColor::fromRgbF(0.604f, 0.541f, 0.439f);
}
QColor coral() {
    return QColor::fromRgbF(0.769f, 0.416f, 0.239f);
}
QColor coralSoft() {
    return QColor::fromRgbF(0.86f, 0.55f, 0.38f);
}
QColor track() {
    return QColor::fromRgbF(0.886f, 0.851f, 0.792f);
}

QPixmap mark(int size, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square(0, 0, size, size);
    QLinearGradient fill(square.topLeft(), square.bottomRight());
    fill.setColorAt(0, coralSoft());
    fill.setColorAt(1, coral());
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(square, size * 0.225, size * 0.225);
    // A quill-like "v" in paper.
    QPen stroke(paper(), std::max(1.0, size * 0.11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(stroke);
    painter.setBrush(Qt::NoBrush);
    const QPointF points[] = {{size * 0.3, size * 0.34}, {size * 0.5, size * 0.7}, {size * 0.7, size * 0.34}};
    painter.drawPolyline(points, 3);
    return pixmap;
}

} // namespace VeskLook

namespace {

using PreviewWidgets::fixed;

constexpr int kCardPadding = 28;
constexpr qreal kCardRadius = 20;

QLabel* cardLabel(const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new PreviewWidgets::Label({}, font, fixed(color), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

} // namespace

VeskPromoOverlay::VeskPromoOverlay(std::function<void()> onDismiss, std::function<void(const QUrl&)> openUrl,
                                   const QPixmap& editorIcon, QWidget* parent)
    : QWidget(parent), m_onDismiss(std::move(onDismiss)), m_openUrl(std::move(openUrl)) {
    setObjectName(QStringLiteral("veskPromo"));
    setFocusPolicy(Qt::ClickFocus);

    m_card = new QWidget(this);
    m_card->setObjectName(QStringLiteral("veskCard"));
    // A press inside the card is the card's own; only the backdrop closes.
    m_card->setAttribute(Qt::WA_NoMousePropagation);
    m_card->setFixedWidth(kCardWidth);
    auto* column = new QVBoxLayout(m_card);
    column->setContentsMargins(kCardPadding, 14, 14, 22);
    column->setSpacing(0);

    auto* top = new QHBoxLayout;
    top->addStretch();
    m_close = new PreviewWidgets::Button({}, QStringLiteral("xmark"), PreviewWidgets::Button::Style::Tinted,
                                         m_card);
    m_close->setObjectName(QStringLiteral("veskClose"));
    m_close->setTint(fixed(VeskLook::inkSoft()));
    m_close->setOpacities(0.08, 0);
    m_close->setSymbolSize(11);
    m_close->setPadding(7, 7);
    m_close->setCornerRadius(12.5);
    connect(m_close, &QAbstractButton::clicked, this, &VeskPromoOverlay::dismiss);
    top->addWidget(m_close);
    column->addLayout(top);

    // The rows stand in a column padded alike on both sides.
    auto* body = new QVBoxLayout;
    body->setContentsMargins(0, 0, kCardPadding - 14, 0);
    body->setSpacing(0);
    auto* icon = new QLabel(m_card);
    icon->setObjectName(QStringLiteral("veskIcon"));
    const qreal ratio = devicePixelRatioF();
    icon->setPixmap(editorIcon.isNull() ? VeskLook::mark(64, ratio)
                                        : editorIcon.scaled(QSize(64, 64) * ratio, Qt::KeepAspectRatio,
                                                            Qt::SmoothTransformation));
    icon->setFixedSize(64, 64);
    body->addWidget(icon, 0, Qt::AlignHCenter);
    body->addSpacing(12);
    auto* name = cardLabel(QS::Font::system(24, QFont::Bold), VeskLook::ink(), m_card);
    name->setText(QStringLiteral("vesk"));
    body->addWidget(name);
    body->addSpacing(2);
    m_tagline = cardLabel(QS::Font::system(13, QFont::DemiBold), VeskLook::coral(), m_card);
    body->addWidget(m_tagline);
    body->addSpacing(14);
    m_description = cardLabel(QS::Font::system(12, QFont::Normal), VeskLook::inkSoft(), m_card);
    m_description->setObjectName(QStringLiteral("veskDescription"));
    body->addWidget(m_description);
    body->addSpacing(8);
    const QUrl site = VeskIntegration::websiteURL();
    auto* host = cardLabel(QS::Font::system(11, QFont::Medium), VeskLook::muted(), m_card);
    host->setText(site.host() + site.path());
    body->addWidget(host);
    body->addSpacing(16);

    auto* chips = new QHBoxLayout;
    chips->setSpacing(6);
    chips->addStretch();
    for (const char* symbol : {"eye", "leaf", "lock.shield"}) {
        auto* chip = new PreviewWidgets::PaintedBox(
            [](QPainter& painter, const QWidget& widget) {
                const QRectF box = QRectF(widget.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
                painter.setBrush(VeskLook::track());
                painter.setPen(QPen(QS::Color::withOpacity(VeskLook::ink(), 0.06), 1));
                painter.drawRoundedRect(box, box.height() / 2, box.height() / 2);
            },
            m_card);
        auto* chipLayout = new QHBoxLayout(chip);
        chipLayout->setContentsMargins(9, 5, 10, 5);
        chipLayout->setSpacing(5);
        chipLayout->addWidget(
            new PreviewWidgets::Symbol(QString::fromLatin1(symbol), 11, fixed(VeskLook::coral()), chip));
        auto* label = new PreviewWidgets::Label({}, QS::Font::system(11, QFont::DemiBold),
                                                fixed(VeskLook::ink()), chip);
        chipLayout->addWidget(label);
        m_chipLabels << label;
        chips->addWidget(chip);
    }
    chips->addStretch();
    body->addLayout(chips);
    body->addSpacing(20);

    m_download = new PreviewWidgets::Button({}, QStringLiteral("arrow.down.circle.fill"),
                                            PreviewWidgets::Button::Style::Prominent, m_card);
    m_download->setObjectName(QStringLiteral("veskDownload"));
    m_download->setTint(fixed(VeskLook::coral()));
    m_download->setTextFont(QS::Font::system(13, QFont::Bold));
    m_download->setSymbolSize(14);
    m_download->setPadding(16, 9);
    m_download->setCornerRadius(10);
    m_download->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_download, &QAbstractButton::clicked, this, [this] {
        if (m_openUrl)
            m_openUrl(VeskIntegration::websiteURL());
        dismiss();
    });
    body->addWidget(m_download);
    body->addSpacing(6);
    m_notNow = new PreviewWidgets::Button({}, {}, PreviewWidgets::Button::Style::Plain, m_card);
    m_notNow->setObjectName(QStringLiteral("veskNotNow"));
    m_notNow->setTint(fixed(VeskLook::muted()));
    m_notNow->setTextFont(QS::Font::system(12, QFont::Medium));
    m_notNow->setPadding(10, 6);
    connect(m_notNow, &QAbstractButton::clicked, this, &VeskPromoOverlay::dismiss);
    body->addWidget(m_notNow, 0, Qt::AlignHCenter);
    column->addLayout(body);

    retranslate();
}

void VeskPromoOverlay::retranslate() {
    m_tagline->setText(tr("Beautiful Markdown for Linux"));
    m_description->setText(tr("Open clipboard Markdown in a dedicated editor — live preview, slash commands, "
                              "and a calm writing surface."));
    const QStringList chips{tr("Live preview"), tr("Native & light"), tr("Offline")};
    for (qsizetype i = 0; i < m_chipLabels.size(); ++i)
        m_chipLabels[i]->setText(chips.value(i));
    m_download->setText(tr("Download vesk"));
    m_notNow->setText(tr("Not now"));
    m_close->setToolTip(tr("Close"));
    m_card->setGeometry(cardGeometry());
    update();
}

QRect VeskPromoOverlay::cardGeometry() const {
    const QSize size(kCardWidth, m_card->heightForWidth(kCardWidth) > 0 ? m_card->heightForWidth(kCardWidth)
                                                                        : m_card->sizeHint().height());
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void VeskPromoOverlay::dismiss() {
    if (m_onDismiss)
        m_onDismiss();
}

void VeskPromoOverlay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_card->setGeometry(cardGeometry());
}

void VeskPromoOverlay::paintEvent(QPaintEvent*) {
    const QRect card = m_card->geometry();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PreviewWidgets::paintPanelBackdrop(painter, rect(), QColor(0, 0, 0, qRound(0.48 * 255)));
    PreviewWidgets::paintShadow(painter, card, kCardRadius, 36, QPointF(0, 16),
                                QColor(0, 0, 0, qRound(0.28 * 255)));
    PreviewWidgets::paintShadow(painter, card, kCardRadius, 24, QPointF(0, 8),
                                QS::Color::withOpacity(VeskLook::coral(), 0.12));
    QLinearGradient background(card.topLeft(), card.bottomLeft());
    background.setColorAt(0, VeskLook::paper());
    background.setColorAt(1, VeskLook::paperDeep());
    QPainterPath shape;
    shape.addRoundedRect(QRectF(card), kCardRadius, kCardRadius);
    painter.fillPath(shape, background);
    painter.setPen(QPen(QS::Color::withOpacity(VeskLook::ink(), 0.08), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(card).adjusted(0.5, 0.5, -0.5, -0.5), kCardRadius - 0.5,
                            kCardRadius - 0.5);
}

void VeskPromoOverlay::mousePressEvent(QMouseEvent* event) {
    event->accept();
    dismiss();
}

void VeskPromoOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

void VeskPromoOverlay::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
}
