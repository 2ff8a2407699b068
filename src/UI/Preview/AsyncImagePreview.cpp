#include "AsyncImagePreview.h"

#include "PreviewWidgets.h"

#include <Storage/ImageStore.h>
#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/ThinScrollbarConfigurator.h>

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <QVBoxLayout>

namespace {

using PreviewWidgets::Scheme;

constexpr int kSidePadding = 14;
constexpr qreal kCornerRadius = 12;
// Room around a decorated picture for its shadow: sideways, above and below.
constexpr int kShadowSide = 8;
constexpr int kShadowTop = 4;
constexpr int kShadowBottom = 12;
// The space around the recognised text's panel, above and below.
constexpr int kTextPanelMargin = 12;
// The least height a picture is held to, so that it stays recognisable.
constexpr int kMinimumPictureHeight = 96;

QColor indigo(Scheme scheme) {
    return QS::Color::system(QS::Color::System::Indigo, scheme);
}

} // namespace

PictureView::PictureView(Mode mode, QWidget* parent) : QWidget(parent), m_mode(mode) {
    QSizePolicy policy(QSizePolicy::Preferred,
                       m_mode == Mode::Fit ? QSizePolicy::Expanding : QSizePolicy::Preferred);
    policy.setHeightForWidth(m_mode == Mode::FillWidth);
    setSizePolicy(policy);
}

void PictureView::setImage(const QImage& image) {
    m_image = image;
    updateGeometry();
    update();
}

int PictureView::heightForWidth(int width) const {
    if (m_image.isNull() || m_image.width() == 0)
        return 0;
    const int pictureWidth = std::max(0, width - 2 * kShadowSide);
    return qRound(static_cast<double>(pictureWidth) * m_image.height() / m_image.width()) + kShadowTop +
           kShadowBottom;
}

QSize PictureView::sizeHint() const {
    return m_mode == Mode::FillWidth ? QSize(200, heightForWidth(200)) : QSize(200, 200);
}

QRectF PictureView::pictureRect() const {
    if (m_image.isNull())
        return {};
    if (m_mode == Mode::FillWidth) {
        const QRectF room(kShadowSide, kShadowTop, width() - 2 * kShadowSide,
                          height() - kShadowTop - kShadowBottom);
        const QRectF filling(room.topLeft(),
                             QSizeF(room.width(), heightForWidth(width()) - kShadowTop - kShadowBottom));
        // Held lower than its proportions ask, the picture keeps them and stands at the leading edge.
        if (filling.height() <= room.height() + 0.5)
            return filling;
        return QRectF(room.topLeft(), QSizeF(m_image.size()).scaled(room.size(), Qt::KeepAspectRatio));
    }
    const QSizeF fitted = QSizeF(m_image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

void PictureView::paintEvent(QPaintEvent*) {
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF target = pictureRect();
    if (m_mode == Mode::Fit) {
        painter.drawImage(target, m_image);
        return;
    }
    // The shadow may reach below the picture; the view leaves room for it in its margins.
    PreviewWidgets::paintShadow(painter, target, kCornerRadius, 10, QPointF(0, 3), QColor(0, 0, 0, 38));
    QPainterPath shape;
    shape.addRoundedRect(target, kCornerRadius, kCornerRadius);
    painter.save();
    painter.setClipPath(shape);
    painter.drawImage(target, m_image);
    painter.restore();
    const Scheme scheme = QS::Color::schemeOf(*this);
    painter.setPen(QPen(QS::Color::withOpacity(QS::Color::label(scheme), 0.08), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(target.adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius - 0.5, kCornerRadius - 0.5);
}

AsyncImagePreview::AsyncImagePreview(const QString& filename, std::optional<QString> ocrText,
                                     ImageStore* images, QWidget* parent)
    : QScrollArea(parent), m_filename(filename), m_images(images) {
    setObjectName(QStringLiteral("imagePreview"));
    setWidgetResizable(true);
    PreviewWidgets::makeTransparent(*this);
    ThinScrollbarConfigurator::apply(*this);

    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* area = new QVBoxLayout;
    area->setContentsMargins(kSidePadding - kShadowSide, kSidePadding - kShadowTop,
                             kSidePadding - kShadowSide, 0);
    m_picture = new PictureView(PictureView::Mode::FillWidth, content);
    m_picture->hide();
    area->addWidget(m_picture);
    auto* waiting = new QWidget(content);
    waiting->setObjectName(QStringLiteral("imageWaiting"));
    waiting->setMinimumHeight(120);
    auto* waitingLayout = new QHBoxLayout(waiting);
    m_busy = new PreviewWidgets::BusyIndicator(waiting);
    waitingLayout->addWidget(m_busy, 0, Qt::AlignCenter);
    area->addWidget(waiting);
    column->addLayout(area);

    m_size = new PreviewWidgets::Label(
        {}, QS::Font::system(11, QFont::Bold), [](Scheme scheme) { return QS::Color::secondaryText(scheme); },
        content);
    m_size->setObjectName(QStringLiteral("imageSize"));
    m_size->setContentsMargins(kSidePadding, 0, 10, 4);
    m_size->hide();
    column->addWidget(m_size);

    if (ocrText) {
        auto* panel = new PreviewWidgets::PaintedBox(
            [](QPainter& painter, const QWidget& widget) {
                const Scheme scheme = QS::Color::schemeOf(widget);
                const QRectF box = QRectF(widget.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
                painter.setBrush(QS::Color::withOpacity(indigo(scheme), 0.1));
                painter.setPen(QPen(QS::Color::withOpacity(indigo(scheme), 0.22), 1));
                painter.drawRoundedRect(box, kCornerRadius, kCornerRadius);
            },
            content);
        panel->setObjectName(QStringLiteral("recognizedText"));
        auto* panelLayout = new QVBoxLayout(panel);
        panelLayout->setContentsMargins(12, 12, 12, 12);
        panelLayout->setSpacing(8);
        QHBoxLayout* heading =
            PreviewWidgets::symbolHeading(QStringLiteral("text.viewfinder"), tr("Recognized text"),
                                          QS::Font::system(11, QFont::Bold), indigo, panel);
        heading->addStretch();
        panelLayout->addLayout(heading);
        auto* text = new PreviewWidgets::Label(
            *ocrText, QS::Font::system(12, QFont::Medium),
            [](Scheme scheme) { return QS::Color::label(scheme); }, panel);
        text->setObjectName(QStringLiteral("recognizedTextBody"));
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        panelLayout->addWidget(text);
        auto* panelSlot = new QVBoxLayout;
        panelSlot->setContentsMargins(kSidePadding, kTextPanelMargin, kSidePadding, kTextPanelMargin);
        panelSlot->addWidget(panel);
        column->addLayout(panelSlot);
        m_textPanel = panel;
    }
    column->addStretch(1);
    setWidget(content);

    if (!m_images)
        return;
    // The thumbnail the list has usually read already: at once from the cache, else loaded.
    if (const auto cached =
            m_images->thumbnailCache().find(ImageStore::thumbnailKey(m_filename, kThumbnailDimension))) {
        showPicture(*cached);
        return;
    }
    m_images->thumbnailAsync(m_filename, kThumbnailDimension, this, [this](const QImage& image) {
        if (!m_full && !image.isNull())
            showPicture(image);
    });
}

const QImage& AsyncImagePreview::shownImage() const {
    return m_picture->image();
}

QString AsyncImagePreview::sizeText() const {
    return m_size->text();
}

void AsyncImagePreview::showPicture(const QImage& image) {
    m_picture->setImage(image);
    m_picture->show();
    m_busy->parentWidget()->hide();
}

void AsyncImagePreview::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    keepTextInSight();
    loadFullImage();
}

// A picture as wide as the view may be taller than it: the recognised text below would start out of
// sight, its heading cut by the view's lower edge. So the picture is held low enough for the text
// to show under it, up to half the view; longer text goes on below and scrolls.
void AsyncImagePreview::keepTextInSight() {
    if (!m_textPanel)
        return;
    const int textWidth = viewport()->width() - 2 * kSidePadding;
    const int viewHeight = viewport()->height();
    const int text = std::min(m_textPanel->heightForWidth(textWidth) + 2 * kTextPanelMargin, viewHeight / 2);
    const int above = kSidePadding - kShadowTop + m_size->sizeHint().height();
    m_picture->setMaximumHeight(std::max(kMinimumPictureHeight, viewHeight - above - text));
}

void AsyncImagePreview::showEvent(QShowEvent* event) {
    QScrollArea::showEvent(event);
    loadFullImage();
}

void AsyncImagePreview::loadFullImage() {
    const int width = viewport()->width() - 2 * kSidePadding;
    if (m_requested || !m_images || width <= 0 || !isVisible())
        return;
    // Decoded for the width the picture is shown at, in device pixels.
    m_requested = true;
    const QSize box(qRound(width * devicePixelRatioF()), 0);
    BoundedImage::load(*m_images, m_filename, box, this, [this](const BoundedImage::Loaded& loaded) {
        if (loaded.image.isNull()) {
            // Nothing to wait for any more.
            m_busy->hide();
        } else {
            m_full = loaded;
            showPicture(loaded.image);
            m_size->setText(
                tr("%1 × %2 px").arg(loaded.originalSize.width()).arg(loaded.originalSize.height()));
            m_size->show();
        }
        emit fullImageLoaded();
    });
}
