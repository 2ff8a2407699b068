#pragma once

#include "PreviewServices.h"

#include <Storage/ClipboardItem.h>

#include <QWidget>

#include <functional>

class PictureView;
namespace PreviewWidgets {
class Label;
}

// One item shown large over the whole history card: a fixed card over a dimmed backdrop, with the
// item's title and icon, the "Space / Esc" hint and a close button, the content in the form that
// suits its kind, and the recognised text with a button that pastes it. A press on the backdrop or
// the close button calls onClose; the host handles Space and Escape.
class QuickLookView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCardWidth = 620;
    static constexpr int kCardHeight = 420;

    QuickLookView(ClipboardItemPtr item, std::function<void()> onClose,
                  std::function<void(const QString&)> onPasteText, PreviewServices services,
                  QWidget* parent = nullptr);

    const ClipboardItemPtr& item() const { return m_item; }
    // The item's stored fields changed: the card shows them again (a change of the pin alone
    // changes nothing).
    void refresh();
    QRect cardGeometry() const;
    QString title() const;
    bool hasOCRBlock() const { return m_ocrBlock != nullptr; }
    // The content area's widget.
    QWidget* content() const { return m_content; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    QWidget* buildHeader();
    QWidget* buildContent();
    QWidget* buildImage();
    QWidget* buildOCRBlock(const QString& text);

    ClipboardItemPtr m_item;
    ClipboardItemRecord m_shownRecord;
    std::function<void()> m_onClose;
    std::function<void(const QString&)> m_onPasteText;
    PreviewServices m_services;
    QWidget* m_card = nullptr;
    PreviewWidgets::Label* m_title = nullptr;
    QWidget* m_content = nullptr;
    QWidget* m_ocrBlock = nullptr;
};
