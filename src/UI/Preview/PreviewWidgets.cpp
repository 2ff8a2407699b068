#include "PreviewWidgets.h"

#include "PreviewPresentation.h"

#include <UI/Design/Font.h>
#include <UI/Design/Motion.h>
#include <UI/Design/SymbolIcon.h>
#include <UI/Design/ThinScrollbarConfigurator.h>
#include <UI/Design/VisualEffectBackground.h>

#include <QAbstractTextDocumentLayout>
#include <QCache>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVariantAnimation>

#include <cmath>

namespace PreviewWidgets {

namespace {

// Text that can be selected but not changed, in `font`, padded by `padding`, on no background.
template <typename Editor> void makeReadOnlyText(Editor& editor, const QFont& font, int padding) {
    editor.setReadOnly(true);
    editor.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    editor.setFocusPolicy(Qt::ClickFocus);
    editor.setFont(font);
    makeTransparent(editor);
    editor.document()->setDocumentMargin(padding);
}

// One pass of a box blur over the alpha channel, along rows (`horizontal`) or columns.
void boxBlur(QImage& image, int radius, bool horizontal) {
    if (radius < 1)
        return;
    const int width = image.width();
    const int height = image.height();
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    std::vector<int> source(static_cast<std::size_t>(length));
    const int window = 2 * radius + 1;
    for (int line = 0; line < lines; ++line) {
        auto alphaAt = [&](int i) -> uchar& {
            const int x = horizontal ? i : line;
            const int y = horizontal ? line : i;
            return reinterpret_cast<uchar*>(image.scanLine(y))[x * 4 + 3];
        };
        for (int i = 0; i < length; ++i)
            source[static_cast<std::size_t>(i)] = alphaAt(i);
        int sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += (i >= 0 && i < length) ? source[static_cast<std::size_t>(i)] : 0;
        for (int i = 0; i < length; ++i) {
            alphaAt(i) = static_cast<uchar>(sum / window);
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            if (leaving >= 0)
                sum -= source[static_cast<std::size_t>(leaving)];
            if (entering < length)
                sum += source[static_cast<std::size_t>(entering)];
        }
    }
}

// The shape blurred, in white with the blur in its alpha; `margin` pixels around the shape.
QImage blurredShape(QSize size, qreal cornerRadius, int blur, int margin) {
    QImage image(size + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(margin, margin, size.width(), size.height()), cornerRadius,
                                cornerRadius);
    }
    // Three box passes each way come close to a Gaussian of about half the radius.
    const int pass = std::max(1, blur / 3);
    for (int i = 0; i < 3; ++i) {
        boxBlur(image, pass, true);
        boxBlur(image, pass, false);
    }
    return image;
}

} // namespace

Tint fixed(const QColor& color) {
    return [color](Scheme) {
        return color;
    };
}

void setTextColor(QWidget& widget, const QColor& color) {
    const QPalette current = widget.palette();
    if (current.color(QPalette::WindowText) == color && current.color(QPalette::Text) == color)
        return;
    QPalette p = current;
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    widget.setPalette(p);
}

QHBoxLayout* symbolHeading(const QString& symbol, const QString& text, const QFont& font, const Tint& tint,
                           QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(5);
    row->addWidget(new Symbol(symbol, 12, tint, parent));
    row->addWidget(new Label(text, font, tint, parent));
    return row;
}

void makeTransparent(QAbstractScrollArea& area) {
    area.setFrameShape(QFrame::NoFrame);
    area.viewport()->setAutoFillBackground(false);
    QPalette palette = area.palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    area.setPalette(palette);
}

void paintPanelBackdrop(QPainter& painter, const QRect& panel, const QColor& color) {
    QPainterPath card;
    const qreal radius = VisualEffectBackground::kCornerRadius;
    card.addRoundedRect(QRectF(panel), radius, radius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(card, color);
    painter.restore();
}

void paintShadow(QPainter& painter, const QRectF& shape, qreal cornerRadius, qreal blur, QPointF offset,
                 const QColor& color) {
    const int radius = std::max(1, static_cast<int>(std::lround(blur)));
    const QSize size = shape.size().toSize();
    if (size.isEmpty())
        return;
    static QCache<QString, QImage> cache(24);
    const QString key = QStringLiteral("%1x%2-%3-%4-%5")
                            .arg(size.width())
                            .arg(size.height())
                            .arg(cornerRadius)
                            .arg(radius)
                            .arg(color.rgba(), 0, 16);
    QImage* tinted = cache.object(key);
    if (!tinted) {
        QImage image = blurredShape(size, cornerRadius, radius, 2 * radius);
        QPainter tint(&image);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(image.rect(), color);
        tint.end();
        tinted = new QImage(std::move(image));
        cache.insert(key, tinted);
    }
    painter.drawImage(shape.topLeft() + offset - QPointF(2 * radius, 2 * radius), *tinted);
}

QPainterPath roundedEnds(const QRectF& rect, qreal radius, Qt::Edge edge) {
    QPainterPath path;
    radius = std::min({radius, rect.width() / 2, rect.height() / 2});
    if (radius <= 0) {
        path.addRect(rect);
        return path;
    }
    // A rounded rectangle joined with a plain one over the half that keeps square corners.
    path.addRoundedRect(rect, radius, radius);
    QRectF square = rect;
    if (edge == Qt::TopEdge)
        square.setTop(rect.top() + radius);
    else
        square.setBottom(rect.bottom() - radius);
    QPainterPath corners;
    corners.addRect(square);
    return path.united(corners);
}

PaintedBox::PaintedBox(Painter paint, QWidget* parent) : QWidget(parent), m_paint(std::move(paint)) {}

void PaintedBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_paint(painter, *this);
}

Label::Label(const QString& text, const QFont& font, Tint tint, QWidget* parent)
    : QLabel(parent), m_tint(std::move(tint)) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setFont(font);
    restyle();
}

void Label::setTint(Tint tint) {
    m_tint = std::move(tint);
    restyle();
}

void Label::setElided(bool elided) {
    m_elided = elided;
    setSizePolicy(elided ? QSizePolicy::Ignored : QSizePolicy::Preferred, QSizePolicy::Preferred);
    update();
}

void Label::paintEvent(QPaintEvent* event) {
    if (!m_elided) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = contentsRect();
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}

void Label::restyle() {
    PreviewWidgets::setTextColor(*this, m_tint(QS::Color::schemeOf(*this)));
}

void Label::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        restyle();
}

Symbol::Symbol(const QString& name, int size, Tint tint, QWidget* parent)
    : QWidget(parent), m_name(name), m_size(size), m_tint(std::move(tint)) {
    setFixedSize(size, size);
}

void Symbol::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(
        0, 0, SymbolIcon::pixmap(m_name, m_size, m_tint(QS::Color::schemeOf(*this)), devicePixelRatioF()));
}

TextView::TextView(const QFont& font, Tint tint, int padding, QWidget* parent)
    : QPlainTextEdit(parent), m_tint(std::move(tint)) {
    makeReadOnlyText(*this, font, padding);
    restyle();
}

void TextView::restyle() {
    PreviewWidgets::setTextColor(*this, m_tint(QS::Color::schemeOf(*this)));
    ThinScrollbarConfigurator::apply(
        *this, lineWrapMode() == QPlainTextEdit::NoWrap ? Qt::Vertical | Qt::Horizontal : Qt::Vertical);
}

void TextView::showEvent(QShowEvent* event) {
    QPlainTextEdit::showEvent(event);
    // The plain text view sizes its scroll bar by the lines that fit only once it is visible; text
    // set before then would leave a bar over text that fits. A resize makes it count again.
    QResizeEvent resize(size(), size());
    QCoreApplication::sendEvent(this, &resize);
}

void TextView::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        restyle();
}

WrappedText::WrappedText(const QString& text, const QFont& font, Tint tint, QWidget* parent)
    : QTextEdit(parent), m_tint(std::move(tint)) {
    makeReadOnlyText(*this, font, 0);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this](const QSizeF& size) { setFixedHeight(static_cast<int>(std::ceil(size.height()))); });
    setPlainText(text);
    restyle();
}

void WrappedText::restyle() {
    PreviewWidgets::setTextColor(*this, m_tint(QS::Color::schemeOf(*this)));
}

void WrappedText::changeEvent(QEvent* event) {
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        restyle();
}

QString shownText(const QString& text) {
    return PreviewPresentation::cappedLines(PreviewPresentation::capped(text, kTextLimit), kLineLimit);
}

TextView* textContent(const QString& text, const QFont& font, int padding, QWidget* parent) {
    auto* view = new TextView(
        font, [](Scheme scheme) { return QS::Color::label(scheme); }, padding, parent);
    view->setPlainText(shownText(text));
    return view;
}

Button::Button(const QString& text, const QString& symbol, Style style, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol), m_style(style),
      m_tint([](Scheme) { return QS::Color::brand(); }) {
    setText(text);
    setFont(QS::Font::system(11, QFont::Bold));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Button::setTint(Tint tint) {
    m_tint = std::move(tint);
    update();
}

void Button::setOpacities(qreal fill, qreal stroke) {
    m_fillOpacity = fill;
    m_strokeOpacity = stroke;
    update();
}

void Button::setPadding(int horizontal, int vertical) {
    m_horizontalPadding = horizontal;
    m_verticalPadding = vertical;
    updateGeometry();
}

void Button::setTextFont(const QFont& font) {
    setFont(font);
    updateGeometry();
}

void Button::setCornerRadius(qreal radius) {
    m_cornerRadius = radius;
    update();
}

void Button::setSymbolSize(int size) {
    m_symbolSize = size;
    updateGeometry();
}

void Button::setPicture(const QPixmap& picture, int size, qreal cornerRadius) {
    m_picture = picture;
    m_pictureSize = size;
    m_pictureCorner = cornerRadius;
    updateGeometry();
}

QSize Button::sizeHint() const {
    const QFontMetrics metrics(font());
    int width = 2 * m_horizontalPadding + metrics.horizontalAdvance(text());
    int height = metrics.height();
    const int leading = !m_picture.isNull() ? m_pictureSize : (m_symbol.isEmpty() ? 0 : m_symbolSize);
    if (leading > 0) {
        width += leading + (text().isEmpty() ? 0 : 5);
        height = std::max(height, leading);
    }
    return {width, height + 2 * m_verticalPadding};
}

QColor Button::foreground(Scheme scheme) const {
    switch (m_style) {
    case Style::Prominent:
        return Qt::white;
    case Style::Bordered:
        return QS::Color::label(scheme);
    case Style::Tinted:
    case Style::Plain:
        break;
    }
    return m_tint(scheme);
}

void Button::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.45);
    const Scheme scheme = QS::Color::schemeOf(*this);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal emphasis = isDown() ? 1.5 : (m_hovered && isEnabled() ? 1.25 : 1.0);
    switch (m_style) {
    case Style::Tinted: {
        const QColor tint = m_tint(scheme);
        painter.setBrush(QS::Color::withOpacity(tint, std::min(1.0, m_fillOpacity * emphasis)));
        painter.setPen(QPen(QS::Color::withOpacity(tint, m_strokeOpacity), 1));
        painter.drawRoundedRect(bounds, m_cornerRadius, m_cornerRadius);
        break;
    }
    case Style::Prominent: {
        QColor fill = m_tint(scheme);
        if (isDown())
            fill = fill.darker(115);
        else if (m_hovered && isEnabled())
            fill = fill.lighter(108);
        painter.setBrush(fill);
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(bounds, m_cornerRadius, m_cornerRadius);
        break;
    }
    case Style::Bordered:
        painter.setBrush(QS::Color::withOpacity(QS::Color::cardFill(scheme), emphasis * 1.4));
        painter.setPen(QPen(QS::Color::cardStroke(scheme), 1));
        painter.drawRoundedRect(bounds, m_cornerRadius, m_cornerRadius);
        break;
    case Style::Plain:
        break;
    }

    const QColor color = foreground(scheme);
    const QFontMetrics metrics(font());
    const int leading = !m_picture.isNull() ? m_pictureSize : (m_symbol.isEmpty() ? 0 : m_symbolSize);
    const int gap = leading > 0 && !text().isEmpty() ? 5 : 0;
    const int contentWidth = leading + gap + metrics.horizontalAdvance(text());
    qreal x = (width() - contentWidth) / 2.0;
    if (!m_picture.isNull()) {
        const QRectF target(x, (height() - leading) / 2.0, leading, leading);
        QPainterPath clip;
        clip.addRoundedRect(target, m_pictureCorner, m_pictureCorner);
        painter.save();
        painter.setClipPath(clip);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target.toRect(), m_picture);
        painter.restore();
    } else if (leading > 0) {
        painter.drawPixmap(QPointF(x, (height() - leading) / 2.0),
                           SymbolIcon::pixmap(m_symbol, leading, color, devicePixelRatioF()));
    }
    x += leading + gap;
    painter.setPen(color);
    painter.setFont(font());
    painter.drawText(QRectF(x, 0, width() - x, height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
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

SegmentedSwitch::SegmentedSwitch(const QString& first, const QString& second, QWidget* parent)
    : QWidget(parent) {
    setTitles(first, second);
    setFont(QS::Font::system(10, QFont::Medium));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(148, 22);
}

void SegmentedSwitch::setCurrent(int index) {
    index = std::clamp(index, 0, 1);
    if (index == m_current)
        return;
    m_current = index;
    update();
    emit currentChanged(index);
}

void SegmentedSwitch::setTitles(const QString& first, const QString& second) {
    m_titles[0] = first;
    m_titles[1] = second;
    update();
}

QRect SegmentedSwitch::segmentRect(int index) const {
    const int half = width() / 2;
    return index == 0 ? QRect(0, 0, half, height()) : QRect(half, 0, width() - half, height());
}

QSize SegmentedSwitch::sizeHint() const {
    return {148, 22};
}

void SegmentedSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Scheme scheme = QS::Color::schemeOf(*this);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(QS::Color::glassFill(scheme));
    painter.setPen(QPen(QS::Color::cardStroke(scheme), 0.5));
    painter.drawRoundedRect(bounds, 6, 6);

    const QRectF chosen = QRectF(segmentRect(m_current)).adjusted(2, 2, -2, -2);
    painter.setBrush(scheme == Scheme::Dark ? QS::Color::withOpacity(QS::Color::label(scheme), 0.2)
                                            : QColor(255, 255, 255));
    painter.setPen(QPen(QS::Color::withOpacity(QS::Color::label(scheme), 0.08), 0.5));
    painter.drawRoundedRect(chosen, 4.5, 4.5);

    painter.setFont(font());
    for (int i = 0; i < 2; ++i) {
        painter.setPen(i == m_current ? QS::Color::label(scheme) : QS::Color::secondaryText(scheme));
        painter.drawText(segmentRect(i), Qt::AlignCenter | Qt::TextSingleLine, m_titles[i]);
    }
}

void SegmentedSwitch::mousePressEvent(QMouseEvent* event) {
    setCurrent(segmentRect(0).contains(event->position().toPoint()) ? 0 : 1);
}

void SegmentedSwitch::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left)
        setCurrent(0);
    else if (event->key() == Qt::Key_Right)
        setCurrent(1);
    else
        QWidget::keyPressEvent(event);
}

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent), m_turn(new QVariantAnimation(this)) {
    setFixedSize(sizeHint());
    m_turn->setStartValue(0.0);
    m_turn->setEndValue(360.0);
    m_turn->setDuration(900);
    m_turn->setLoopCount(-1);
    connect(m_turn, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = QS::Color::secondaryText(QS::Color::schemeOf(*this));
    const QRectF arc = QRectF(rect()).adjusted(2, 2, -2, -2);
    painter.setPen(QPen(QS::Color::withOpacity(color, 0.25), 2));
    painter.drawEllipse(arc);
    painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap));
    const double angle = m_turn->currentValue().toDouble();
    painter.drawArc(arc, static_cast<int>(-angle * 16), 90 * 16);
}

void BusyIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!QS::Motion::reduceMotion())
        m_turn->start();
}

void BusyIndicator::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_turn->stop();
}

} // namespace PreviewWidgets
