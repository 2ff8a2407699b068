#pragma once

#include "BoundedImage.h"

#include <QImage>
#include <QScrollArea>
#include <QString>

#include <optional>

class ImageStore;
class QLabel;
namespace PreviewWidgets {
class BusyIndicator;
}

// A picture drawn to fit its place, keeping its proportions.
class PictureView : public QWidget {
    Q_OBJECT
public:
    enum class Mode {
        // As wide as the view, as high as the proportions ask; rounded, outlined and shadowed.
        FillWidth,
        // Inside the view, centred, as large as fits, undecorated.
        Fit,
    };

    explicit PictureView(Mode mode, QWidget* parent = nullptr);

    const QImage& image() const { return m_image; }
    void setImage(const QImage& image);
    // The rectangle the picture is drawn in.
    QRectF pictureRect() const;

    bool hasHeightForWidth() const override { return m_mode == Mode::FillWidth; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Mode m_mode;
    QImage m_image;
};

// An image item in the preview pane: the stored thumbnail at once, then the full picture decoded
// off the GUI thread at the pane's size, its pixel size in the original, and the recognised text.
class AsyncImagePreview : public QScrollArea {
    Q_OBJECT
public:
    static constexpr double kThumbnailDimension = 320;

    AsyncImagePreview(const QString& filename, std::optional<QString> ocrText, ImageStore* images,
                      QWidget* parent = nullptr);

    // What the picture shows now (thumbnail or full), and whether the full one has arrived.
    const QImage& shownImage() const;
    bool hasFullImage() const { return m_full.has_value(); }
    // The "W × H px" line; empty until the full picture has arrived.
    QString sizeText() const;

signals:
    void fullImageLoaded();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Starts the one full load once the picture's width is known.
    void loadFullImage();
    void showPicture(const QImage& image);
    void keepTextInSight();

    QString m_filename;
    ImageStore* m_images;
    PictureView* m_picture = nullptr;
    PreviewWidgets::BusyIndicator* m_busy = nullptr;
    QLabel* m_size = nullptr;
    // The recognised text's panel, when the item has such text.
    QWidget* m_textPanel = nullptr;
    bool m_requested = false;
    std::optional<BoundedImage::Loaded> m_full;
};
