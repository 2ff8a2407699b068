#include "PreviewPane.h"

#include <Storage/ImageStore.h>
#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/VisualEffectBackground.h>

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The text an item is previewed with: its text, else its recognised text.
QString previewText(const ClipboardItem& item) {
    return item.plainText().value_or(item.ocrText().value_or(QString()));
}

QPlainTextEdit* makeTextView(const QString& text, qreal points, QWidget* parent) {
    auto* view = new QPlainTextEdit(parent);
    view->setReadOnly(true);
    view->setFrameShape(QFrame::NoFrame);
    view->setFont(QS::Font::system(points, QFont::Normal, QS::Font::Design::Monospaced));
    view->viewport()->setAutoFillBackground(false);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    view->setPalette(palette);
    view->setPlainText(text);
    return view;
}

} // namespace

PreviewPane::PreviewPane(ClipboardItemPtr item, std::function<void(const QString&)> onPasteText,
                         std::function<void()> onRequestVeskInstall, ImageStore* images, QWidget* parent)
    : QWidget(parent), m_item(std::move(item)), m_onPasteText(std::move(onPasteText)),
      m_onRequestVeskInstall(std::move(onRequestVeskInstall)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    if (!m_item) {
        m_placeholder = new QLabel(tr("No item selected"), this);
        m_placeholder->setAlignment(Qt::AlignCenter);
        m_placeholder->setTextFormat(Qt::PlainText);
        layout->addWidget(m_placeholder);
        return;
    }
    if (m_item->type() == ItemType::image && m_item->imageFilename()) {
        m_picture = new QLabel(this);
        m_picture->setAlignment(Qt::AlignCenter);
        m_picture->setMinimumSize(1, 1);
        layout->addWidget(m_picture, 1);
        if (images) {
            // A downsampled picture, decoded off the GUI thread: scaling it to the pane later costs
            // the same whatever the size of the stored file.
            images->thumbnailAsync(*m_item->imageFilename(), kPictureDimension, this,
                                   [this](const QImage& image) {
                                       m_image = image;
                                       showImage();
                                   });
        }
        if (m_item->ocrText() && !m_item->ocrText()->isEmpty()) {
            m_text = makeTextView(*m_item->ocrText(), 11, this);
            m_text->setMaximumHeight(120);
            layout->addWidget(m_text);
        }
        return;
    }
    m_text = makeTextView(previewText(*m_item), 12, this);
    layout->addWidget(m_text);
}

QString PreviewPane::shownText() const {
    return m_text ? m_text->toPlainText() : QString();
}

void PreviewPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showImage();
}

void PreviewPane::showImage() {
    if (!m_picture || m_image.isNull())
        return;
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(
        m_image.scaled(m_picture->size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    m_picture->setPixmap(pixmap);
}

QuickLookView::QuickLookView(ClipboardItemPtr item, std::function<void()> onClose,
                             std::function<void(const QString&)> onPasteText, ImageStore* images,
                             QWidget* parent)
    : QWidget(parent), m_item(std::move(item)), m_onClose(std::move(onClose)),
      m_onPasteText(std::move(onPasteText)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 20, 28, 24);
    auto* top = new QHBoxLayout;
    top->addStretch();
    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("quickLookClose"));
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QPushButton::clicked, this, [this] {
        if (m_onClose)
            m_onClose();
    });
    top->addWidget(close);
    layout->addLayout(top);
    layout->addWidget(new PreviewPane(m_item, m_onPasteText, {}, images, this), 1);
}

void QuickLookView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QS::Color::Scheme scheme = QS::Color::schemeOf(*this);
    VisualEffectBackground::paintMaterial(painter, QRectF(rect()), 18,
                                          scheme == QS::Color::Scheme::Dark
                                              ? VisualEffectBackground::Material::Menu
                                              : VisualEffectBackground::Material::Popover);
}

VeskPromoOverlay::VeskPromoOverlay(std::function<void()> onDismiss, QWidget* parent)
    : QWidget(parent), m_onDismiss(std::move(onDismiss)) {
    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignCenter);
    auto* title = new QLabel(tr("Vesk"), this);
    title->setFont(QS::Font::system(20, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    auto* text = new QLabel(tr("Open Markdown items in the Vesk editor."), this);
    text->setAlignment(Qt::AlignCenter);
    auto* dismiss = new QPushButton(tr("Not Now"), this);
    dismiss->setFocusPolicy(Qt::NoFocus);
    connect(dismiss, &QPushButton::clicked, this, [this] {
        if (m_onDismiss)
            m_onDismiss();
    });
    layout->addWidget(title);
    layout->addWidget(text);
    layout->addWidget(dismiss, 0, Qt::AlignCenter);
}

void VeskPromoOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0, 0, 0, 90));
    const QRectF card =
        QRectF(rect()).adjusted(width() * 0.25, height() * 0.28, -width() * 0.25, -height() * 0.28);
    QPainterPath path;
    path.addRoundedRect(card, 16, 16);
    painter.fillPath(path, palette().window());
}
