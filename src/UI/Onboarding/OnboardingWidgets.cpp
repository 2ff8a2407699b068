#include "OnboardingWidgets.h"

#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/SymbolIcon.h>

#include <QEnterEvent>
#include <QFocusEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include <algorithm>
#include <array>
#include <cmath>

namespace Onboarding {

namespace {

QPainterPath capsulePath(const QRectF& rect) {
    QPainterPath path;
    const qreal radius = rect.height() / 2.0;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// `rect` scaled by `scale` around its centre.
QRectF scaled(const QRectF& rect, qreal scale) {
    const QSizeF size = rect.size() * scale;
    return QRectF(rect.center() - QPointF(size.width() / 2.0, size.height() / 2.0), size);
}

void drawSymbol(QPainter& painter, const QString& name, const QRectF& box, const QColor& color,
                qreal devicePixelRatio) {
    const int side = static_cast<int>(std::lround(std::min(box.width(), box.height())));
    const QPixmap symbol = SymbolIcon::pixmap(name, side, color, devicePixelRatio);
    painter.drawPixmap(QPointF(box.center().x() - side / 2.0, box.center().y() - side / 2.0), symbol);
}

int textWidth(const QFont& font, const QString& text) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

} // namespace

QColor white(qreal opacity) {
    return QS::Color::withOpacity(Qt::white, opacity);
}

// ---- Button

Button::Button(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
}

void Button::paintFocusRing(QPainter& painter, const QRectF& shape, qreal radius) const {
    if (!showsFocusRing())
        return;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(white(0.85), 1.5));
    painter.drawRoundedRect(shape.adjusted(-2.5, -2.5, 2.5, 2.5), radius + 2.5, radius + 2.5);
    painter.restore();
}

void Button::focusInEvent(QFocusEvent* event) {
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void Button::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void Button::leaveEvent(QEvent* event) {
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

// ---- PrimaryButton

namespace {
constexpr int kPrimaryPaddingX = 26;
constexpr int kPrimaryPaddingY = 11;
constexpr int kPrimarySymbolSize = 12;
constexpr int kPrimarySymbolGap = 6;
constexpr qreal kPrimaryShadowRadius = 10;
constexpr QPointF kPrimaryShadowOffset(0, 4);
} // namespace

PrimaryButton::PrimaryButton(QWidget* parent) : Button(parent) {
    setFont(QS::Font::system(13, QFont::DemiBold));
}

void PrimaryButton::setTrailingSymbol(const QString& symbol) {
    m_symbol = symbol;
    updateGeometry();
    update();
}

void PrimaryButton::setScale(qreal scale) {
    m_scale = scale;
    update();
}

QMargins PrimaryButton::capsuleMargins() {
    const QMarginsF reach = SoftShadow::reachOf(kPrimaryShadowRadius, kPrimaryShadowOffset);
    // The pulse grows the capsule by 4 %: a few points more on every side.
    constexpr int growth = 4;
    return QMargins(static_cast<int>(reach.left()) + growth, static_cast<int>(reach.top()) + growth,
                    static_cast<int>(reach.right()) + growth, static_cast<int>(reach.bottom()) + growth);
}

QSize PrimaryButton::sizeHint() const {
    int width = textWidth(font(), text()) + 2 * kPrimaryPaddingX;
    if (!m_symbol.isEmpty())
        width += kPrimarySymbolGap + kPrimarySymbolSize;
    const int height = static_cast<int>(std::ceil(QFontMetricsF(font()).height())) + 2 * kPrimaryPaddingY;
    return QSize(width, height).grownBy(capsuleMargins());
}

QRectF PrimaryButton::capsule() const {
    return QRectF(rect().marginsRemoved(capsuleMargins()));
}

void PrimaryButton::resizeEvent(QResizeEvent* event) {
    m_shadow = SoftShadow(capsulePath(capsule()), QColor(0, 0, 0, 51), kPrimaryShadowRadius,
                          kPrimaryShadowOffset, devicePixelRatioF());
    Button::resizeEvent(event);
}

void PrimaryButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = capsule().center();
    painter.translate(centre);
    painter.scale(m_scale, m_scale);
    painter.translate(-centre);

    m_shadow.paint(painter);
    QColor fill = QS::Color::brand();
    if (isDown())
        fill = fill.darker(112);
    else if (isHovered())
        fill = fill.lighter(108);
    painter.fillPath(capsulePath(capsule()), fill);
    // A hairline of light along the top edge lifts the capsule off the gradient behind it.
    painter.setPen(QPen(white(0.18), 1));
    painter.drawPath(capsulePath(capsule().adjusted(0.5, 0.5, -0.5, -0.5)));

    const QRectF content = capsule().adjusted(kPrimaryPaddingX, 0, -kPrimaryPaddingX, 0);
    painter.setFont(font());
    painter.setPen(Qt::white);
    if (m_symbol.isEmpty()) {
        painter.drawText(content, Qt::AlignCenter, text());
    } else {
        const QRectF label = content.adjusted(0, 0, -(kPrimarySymbolGap + kPrimarySymbolSize), 0);
        painter.drawText(label, Qt::AlignCenter, text());
        const QRectF symbol(content.right() - kPrimarySymbolSize,
                            content.center().y() - kPrimarySymbolSize / 2.0, kPrimarySymbolSize,
                            kPrimarySymbolSize);
        drawSymbol(painter, m_symbol, symbol, Qt::white, devicePixelRatioF());
    }
    paintFocusRing(painter, capsule(), capsule().height() / 2.0);
}

// ---- TextButton

TextButton::TextButton(qreal opacity, QMargins padding, QWidget* parent)
    : Button(parent), m_opacity(opacity), m_padding(padding) {
    setFont(QS::Font::system(13, QFont::Medium));
}

QSize TextButton::sizeHint() const {
    const int height = static_cast<int>(std::ceil(QFontMetricsF(font()).height()));
    return QSize(textWidth(font(), text()), height).grownBy(m_padding);
}

void TextButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font());
    const qreal opacity = isDown() ? m_opacity * 0.8 : (isHovered() ? 1.0 : m_opacity);
    painter.setPen(white(opacity));
    painter.drawText(QRectF(rect()), Qt::AlignCenter, text());
    paintFocusRing(painter, QRectF(rect()).adjusted(3, 3, -3, -3), 6);
}

// ---- ChipLayout and CapsuleButton

QSize ChipLayout::sizeFor(const QFont& font, const QString& text) const {
    const int height = std::max(symbolSize, static_cast<int>(std::ceil(QFontMetricsF(font).height())));
    return {2 * paddingX + symbolSize + gap + textWidth(font, text), height + 2 * paddingY};
}

void ChipLayout::paint(QPainter& painter, const QRectF& bounds, const QFont& font, const QString& text,
                       const QColor& colour, qreal devicePixelRatio) const {
    const QRectF box(bounds.left() + paddingX, bounds.center().y() - symbolSize / 2.0, symbolSize,
                     symbolSize);
    drawSymbol(painter, symbol, box, colour, devicePixelRatio);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(bounds.adjusted(paddingX + symbolSize + gap, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     text);
}

CapsuleButton::CapsuleButton(const QString& symbol, QWidget* parent)
    : Button(parent), m_layout{symbol, 14, 7, 11, 6} {
    setFont(QS::Font::system(11, QFont::Medium));
}

QSize CapsuleButton::sizeHint() const {
    return m_layout.sizeFor(font(), text());
}

void CapsuleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    painter.fillPath(capsulePath(bounds), white(isDown() ? 0.1 : (isHovered() ? 0.22 : 0.14)));
    m_layout.paint(painter, bounds, font(), text(), white(0.95), devicePixelRatioF());
    paintFocusRing(painter, bounds, bounds.height() / 2.0);
}

// ---- CloseButton

CloseButton::CloseButton(QWidget* parent) : Button(parent) {}

void CloseButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(isDown() ? 0.12 : (isHovered() ? 0.3 : 0.18)));
    painter.drawEllipse(disc);
    drawSymbol(painter, QStringLiteral("xmark"), scaled(disc, 0.5), white(0.92), devicePixelRatioF());
    paintFocusRing(painter, disc, disc.height() / 2.0);
}

// ---- FeatureRow

namespace {
constexpr int kRowWidth = 340;
constexpr int kRowShift = 16;
constexpr int kRowPaddingX = 14;
constexpr int kRowPaddingY = 12;
constexpr int kRowTile = 32;
constexpr int kRowGap = 12;
constexpr qreal kRowRadius = 12;
} // namespace

FeatureRow::FeatureRow(const QString& symbol, QWidget* parent) : QWidget(parent), m_symbol(symbol) {
    setFont(QS::Font::system(14, QFont::Medium));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void FeatureRow::setText(const QString& text) {
    m_text = text;
    update();
}

void FeatureRow::setReveal(qreal reveal) {
    m_reveal = reveal;
    update();
}

QSize FeatureRow::sizeHint() const {
    // Room on both sides for the slide, so the card stays centred where it lands.
    return {kRowWidth + 2 * kRowShift, kRowTile + 2 * kRowPaddingY};
}

void FeatureRow::paintEvent(QPaintEvent*) {
    const qreal opacity = std::clamp(m_reveal, 0.0, 1.0);
    if (opacity <= 0.0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity);
    const QRectF card(kRowShift - kRowShift * (1.0 - m_reveal), 0, kRowWidth, height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.12));
    painter.drawRoundedRect(card, kRowRadius, kRowRadius);

    const QRectF tile(card.left() + kRowPaddingX, card.top() + kRowPaddingY, kRowTile, kRowTile);
    painter.setBrush(white(0.16));
    painter.drawRoundedRect(tile, 8, 8);
    drawSymbol(painter, m_symbol, scaled(tile, 0.5), Qt::white, devicePixelRatioF());

    const QRectF label(QPointF(tile.right() + kRowGap, card.top()), labelSize());
    painter.setFont(font());
    painter.setPen(Qt::white);
    // A text longer than the row (a shortcut of many keys) takes a second line; only what two lines
    // cannot hold is cut.
    if (showsWholeText()) {
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, m_text);
    } else {
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(font()).elidedText(m_text, Qt::ElideRight, label.width()));
    }
}

QSizeF FeatureRow::labelSize() const {
    return {qreal(kRowWidth - 2 * kRowPaddingX - kRowTile - kRowGap), qreal(kRowTile + 2 * kRowPaddingY)};
}

bool FeatureRow::showsWholeText() const {
    const QRectF label(QPointF(), labelSize());
    return QFontMetricsF(font()).boundingRect(label, Qt::TextWordWrap, m_text).height() <= label.height();
}

// ---- AppIconBadge

namespace {
constexpr qreal kBadgeDisc = 132;
constexpr qreal kBadgeIcon = 100;
constexpr qreal kBadgeIconRadius = 22;
constexpr qreal kBadgeShadowRadius = 20;
constexpr QPointF kBadgeShadowOffset(0, 10);

// The icon's drawing fills its canvas but for a margin of 8 units in 128.
const QRectF kIconArtwork(8, 8, 112, 112);

QImage renderAppIcon(qreal devicePixelRatio) {
    const int side = static_cast<int>(std::ceil(kBadgeIcon * devicePixelRatio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(SymbolIcon::filePath(QStringLiteral("quillstack")));
    if (renderer.isValid()) {
        renderer.setViewBox(kIconArtwork);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, side, side));
    }
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}
} // namespace

AppIconBadge::AppIconBadge(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void AppIconBadge::setAppearance(qreal appearance) {
    m_appearance = appearance;
    update();
}

QSize AppIconBadge::sizeHint() const {
    // The disc, and below it the room the shadow of the icon reaches into.
    return {static_cast<int>(kBadgeDisc) + 24, static_cast<int>(kBadgeDisc) + 14};
}

void AppIconBadge::paintEvent(QPaintEvent*) {
    if (m_icon.isNull() || !qFuzzyCompare(m_icon.devicePixelRatio(), devicePixelRatioF())) {
        m_icon = renderAppIcon(devicePixelRatioF());
        QPainterPath iconShape;
        iconShape.addRoundedRect(QRectF(-kBadgeIcon / 2, -kBadgeIcon / 2, kBadgeIcon, kBadgeIcon),
                                 kBadgeIconRadius, kBadgeIconRadius);
        m_shadow = SoftShadow(iconShape, QColor(0, 0, 0, 89), kBadgeShadowRadius, kBadgeShadowOffset,
                              devicePixelRatioF());
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(width() / 2.0, kBadgeDisc / 2.0);
    const qreal scale = 0.7 + 0.3 * m_appearance;
    painter.scale(scale, scale);
    painter.rotate(-8.0 * (1.0 - m_appearance));

    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.12));
    painter.drawEllipse(QPointF(0, 0), kBadgeDisc / 2, kBadgeDisc / 2);
    m_shadow.paint(painter);
    QPainterPath clip;
    const QRectF icon(-kBadgeIcon / 2, -kBadgeIcon / 2, kBadgeIcon, kBadgeIcon);
    clip.addRoundedRect(icon, kBadgeIconRadius, kBadgeIconRadius);
    painter.setClipPath(clip);
    painter.drawImage(icon, m_icon);
}

// ---- SymbolHalo

SymbolHalo::SymbolHalo(const QString& symbol, QWidget* parent) : QWidget(parent), m_symbol(symbol) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolHalo::setRingScale(qreal scale) {
    m_ringScale = scale;
    update();
}

void SymbolHalo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const qreal ring = 60 * m_ringScale;
    painter.setPen(QPen(white(0.2), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, ring, ring);
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.16));
    painter.drawEllipse(centre, 50, 50);
    drawSymbol(painter, m_symbol, QRectF(centre - QPointF(24, 24), QSizeF(48, 48)), Qt::white,
               devicePixelRatioF());
}

// ---- Chip, StatusBadge and HintCard

Chip::Chip(ChipLayout layout, const QFont& font, QWidget* parent)
    : QWidget(parent), m_layout(std::move(layout)) {
    setFont(font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Chip::setText(const QString& text) {
    m_text = text;
    updateGeometry();
    update();
}

void Chip::setSymbol(const QString& symbol) {
    m_layout.symbol = symbol;
    update();
}

void Chip::paintContent(QPainter& painter, const QColor& colour) const {
    m_layout.paint(painter, QRectF(rect()), font(), m_text, colour, devicePixelRatioF());
}

StatusBadge::StatusBadge(const QString& symbol, QWidget* parent)
    : Chip({symbol, 20, 10, 16, 8}, QS::Font::system(14, QFont::DemiBold), parent) {}

void StatusBadge::setPresence(qreal presence) {
    m_presence = presence;
    update();
}

void StatusBadge::paintEvent(QPaintEvent*) {
    if (m_presence <= 0.0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(std::clamp(m_presence, 0.0, 1.0));
    const QRectF bounds(rect());
    const qreal scale = 0.6 + 0.4 * m_presence;
    painter.translate(bounds.center());
    painter.scale(scale, scale);
    painter.translate(-bounds.center());
    painter.fillPath(capsulePath(bounds), white(0.2));
    painter.setPen(QPen(white(0.35), 0.5));
    painter.drawPath(capsulePath(bounds.adjusted(0.25, 0.25, -0.25, -0.25)));
    paintContent(painter, Qt::white);
}

HintCard::HintCard(const QString& symbol, QWidget* parent)
    : Chip({symbol, 16, 10, 14, 8}, QS::Font::system(12, QFont::Medium), parent) {}

void HintCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(white(0.25), 0.5));
    painter.setBrush(white(0.14));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), 10, 10);
    paintContent(painter, white(0.95));
}

// ---- KeyGlyphCard

namespace {
constexpr QSizeF kKeyCard(200, 88);
constexpr qreal kKeyCardRadius = 22;
constexpr qreal kKeyCardPadding = 18;
constexpr qreal kGlyphSpacing = 8;
constexpr qreal kGlyphMinWidth = 36;
// Keys are words ("Shift", "Super"): room on either side of each.
constexpr qreal kGlyphPaddingX = 11;
constexpr qreal kGlyphPaddingY = 4;
constexpr qreal kGlyphRadius = 8;
} // namespace

KeyGlyphCard::KeyGlyphCard(QWidget* parent) : QWidget(parent) {
    setFont(QS::Font::system(24, QFont::Medium));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void KeyGlyphCard::setKeys(const QStringList& keys) {
    m_keys = keys;
    updateGeometry();
    update();
}

void KeyGlyphCard::setScale(qreal scale) {
    m_scale = scale;
    update();
}

QSizeF KeyGlyphCard::glyphSize(const QString& key) const {
    const QFontMetricsF metrics(font());
    const qreal width = std::max(kGlyphMinWidth, metrics.horizontalAdvance(key)) + 2 * kGlyphPaddingX;
    return {width, metrics.height() + 2 * kGlyphPaddingY};
}

QSize KeyGlyphCard::sizeHint() const {
    qreal glyphs = 0;
    for (const QString& key : m_keys)
        glyphs += glyphSize(key).width();
    glyphs += kGlyphSpacing * std::max<qsizetype>(0, m_keys.size() - 1);
    // A shortcut with many modifiers widens the card beyond its usual size.
    return QSizeF(std::max(kKeyCard.width(), glyphs + 2 * kKeyCardPadding), kKeyCard.height()).toSize();
}

void KeyGlyphCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    painter.translate(bounds.center());
    painter.scale(m_scale, m_scale);
    painter.translate(-bounds.center());

    const QRectF card = bounds.adjusted(0.25, 0.25, -0.25, -0.25);
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.14));
    painter.drawRoundedRect(card, kKeyCardRadius, kKeyCardRadius);
    QLinearGradient border(card.topLeft(), card.bottomLeft());
    border.setColorAt(0, white(0.55));
    border.setColorAt(1, white(0.15));
    painter.setPen(QPen(QBrush(border), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(card, kKeyCardRadius, kKeyCardRadius);

    qreal total = 0;
    for (const QString& key : m_keys)
        total += glyphSize(key).width();
    total += kGlyphSpacing * std::max<qsizetype>(0, m_keys.size() - 1);
    qreal x = bounds.center().x() - total / 2.0;
    painter.setFont(font());
    for (const QString& key : m_keys) {
        const QSizeF size = glyphSize(key);
        const QRectF glyph(QPointF(x, bounds.center().y() - size.height() / 2.0), size);
        painter.setPen(Qt::NoPen);
        painter.setBrush(white(0.18));
        painter.drawRoundedRect(glyph, kGlyphRadius, kGlyphRadius);
        painter.setPen(Qt::white);
        painter.drawText(glyph, Qt::AlignCenter, key);
        x += size.width() + kGlyphSpacing;
    }
}

// ---- StepDots

namespace {
constexpr int kDotCount = 3;
constexpr qreal kDotNarrow = 8;
constexpr qreal kDotWide = 24;
constexpr qreal kDotSpacing = 4;
constexpr qreal kDotHeight = 8;
} // namespace

StepDots::StepDots(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StepDots::setPosition(qreal position) {
    m_position = position;
    update();
}

QSize StepDots::sizeHint() const {
    return QSizeF(kDotWide + (kDotCount - 1) * kDotNarrow + (kDotCount - 1) * kDotSpacing, kDotHeight)
        .toSize();
}

qreal StepDots::dotWidth(int index, qreal position) {
    const qreal nearness = std::clamp(1.0 - std::abs(position - index), 0.0, 1.0);
    return kDotNarrow + (kDotWide - kDotNarrow) * nearness;
}

qreal StepDots::dotOpacity(int index, qreal position) {
    const qreal nearness = std::clamp(1.0 - std::abs(position - index), 0.0, 1.0);
    // Steps already passed stay a little brighter than those still to come.
    const qreal resting = index < position ? 0.45 : 0.32;
    return resting + (1.0 - resting) * nearness;
}

void StepDots::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // The sum of the widths stays the same while the wide dot slides, so the row keeps its place.
    const qreal position = std::clamp(m_position, 0.0, qreal(kDotCount - 1));
    qreal x = 0;
    for (int i = 0; i < kDotCount; ++i) {
        const qreal width = dotWidth(i, position);
        painter.setBrush(white(dotOpacity(i, position)));
        painter.drawRoundedRect(QRectF(x, (height() - kDotHeight) / 2.0, width, kDotHeight), kDotHeight / 2,
                                kDotHeight / 2);
        x += width + kDotSpacing;
    }
}

// ---- CelebrationOverlay

namespace {
constexpr int kBurstMs = 1900;
constexpr int kPieces = 56;

struct Piece {
    qreal angle; // launch direction, radians from straight up
    qreal speed; // points per second
    qreal spin;  // degrees per second
    qreal size;
    int colour;
    bool round;
    qreal delay; // seconds
};

// A fixed scatter, so every celebration looks alike and tests see the same frames.
const std::array<Piece, kPieces>& pieces() {
    static const std::array<Piece, kPieces> scatter = [] {
        std::array<Piece, kPieces> made{};
        quint32 state = 0x2545F491u;
        const auto next = [&state] {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            return (state % 10000) / 10000.0;
        };
        for (Piece& piece : made) {
            piece.angle = (next() - 0.5) * 2.3;
            piece.speed = 300 + next() * 360;
            piece.spin = (next() - 0.5) * 900;
            piece.size = 6 + next() * 5;
            piece.colour = static_cast<int>(next() * 5) % 5;
            piece.round = next() < 0.3;
            piece.delay = next() * 0.18;
        }
        return made;
    }();
    return scatter;
}

QColor pieceColour(int index) {
    switch (index) {
    case 0:
        return Qt::white;
    case 1:
        return QColor(255, 214, 102);
    case 2:
        return QColor(255, 150, 190);
    case 3:
        return QColor(130, 232, 206);
    default:
        return QS::Color::brandSoft().lighter(115);
    }
}
} // namespace

CelebrationOverlay::CelebrationOverlay(QWidget* parent)
    : QWidget(parent), m_time(new AnimatedValue(
                           0.0, [this] { update(); }, this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void CelebrationOverlay::burst() {
    m_time->set(0.0);
    QS::Motion::Animation linear{kBurstMs, QEasingCurve(QEasingCurve::Linear)};
    m_time->animateTo(kBurstMs / 1000.0, linear);
}

void CelebrationOverlay::setStrength(qreal strength) {
    m_strength = strength;
    setVisible(strength > 0.0);
    update();
}

void CelebrationOverlay::paintEvent(QPaintEvent*) {
    if (m_strength <= 0.0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(std::clamp(m_strength, 0.0, 1.0));

    // A soft glow behind the burst.
    const QPointF origin(width() / 2.0, height() * 0.36);
    QRadialGradient glow(origin, width() * 0.45);
    glow.setColorAt(0, white(0.35));
    glow.setColorAt(1, white(0.0));
    painter.fillRect(rect(), glow);

    constexpr qreal gravity = 620;
    const qreal now = m_time->value();
    painter.setPen(Qt::NoPen);
    for (const Piece& piece : pieces()) {
        const qreal t = now - piece.delay;
        if (t <= 0)
            continue;
        const QPointF velocity(std::sin(piece.angle) * piece.speed, -std::cos(piece.angle) * piece.speed);
        const QPointF at = origin + velocity * t + QPointF(0, 0.5 * gravity * t * t);
        // Pieces fade over the last third of their flight.
        const qreal fade = std::clamp((kBurstMs / 1000.0 - now) / 0.6, 0.0, 1.0);
        painter.save();
        painter.translate(at);
        painter.rotate(piece.spin * t);
        painter.setBrush(QS::Color::withOpacity(pieceColour(piece.colour), fade));
        if (piece.round)
            painter.drawEllipse(QPointF(0, 0), piece.size / 2, piece.size / 2);
        else
            painter.drawRoundedRect(QRectF(-piece.size / 2, -piece.size / 4, piece.size, piece.size / 2), 1,
                                    1);
        painter.restore();
    }
}

} // namespace Onboarding
