#pragma once

#include <Storage/ClipboardItem.h>

#include <QWidget>

#include <functional>

class ImageStore;
class QLabel;
class QPlainTextEdit;

// The item beside the history list, shown plainly: its text read-only, or its picture scaled to
// fit (loaded off the GUI thread), or a placeholder when there is no item. A new pane is made for
// every newly previewed item, so nothing of the previous item's state remains.
class PreviewPane : public QWidget {
    Q_OBJECT
public:
    // The larger side of the picture shown is at most twice this many pixels.
    static constexpr double kPictureDimension = 700;

    PreviewPane(ClipboardItemPtr item, std::function<void(const QString&)> onPasteText,
                std::function<void()> onRequestVeskInstall, ImageStore* images, QWidget* parent = nullptr);

    const ClipboardItemPtr& item() const { return m_item; }
    // What the pane shows as text (empty for a picture).
    QString shownText() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showImage();

    ClipboardItemPtr m_item;
    std::function<void(const QString&)> m_onPasteText;
    std::function<void()> m_onRequestVeskInstall;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_placeholder = nullptr;
    QImage m_image;
};

// One item shown large over the whole history card, with a close button.
class QuickLookView : public QWidget {
    Q_OBJECT
public:
    QuickLookView(ClipboardItemPtr item, std::function<void()> onClose,
                  std::function<void(const QString&)> onPasteText, ImageStore* images,
                  QWidget* parent = nullptr);

    const ClipboardItemPtr& item() const { return m_item; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ClipboardItemPtr m_item;
    std::function<void()> m_onClose;
    std::function<void(const QString&)> m_onPasteText;
};

// A card over the whole history card that introduces the Vesk editor; closing it calls onDismiss.
class VeskPromoOverlay : public QWidget {
    Q_OBJECT
public:
    explicit VeskPromoOverlay(std::function<void()> onDismiss, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void()> m_onDismiss;
};
