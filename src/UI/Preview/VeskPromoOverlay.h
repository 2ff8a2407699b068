#pragma once

#include <QColor>
#include <QPixmap>
#include <QUrl>
#include <QWidget>

#include <functional>

class QLabel;
namespace PreviewWidgets {
class Button;
}

// The editor's own look: a warm paper palette that stays the same in light and dark appearance,
// and the mark that stands for the editor when its own icon cannot be had.
namespace VeskLook {

QColor paper();
QColor paperDeep();
QColor ink();
QColor inkSoft();
QColor muted();
QColor coral();
QColor coralSoft();
QColor track();

// The editor's mark, `size` device-independent pixels square.
QPixmap mark(int size, qreal devicePixelRatio);

} // namespace VeskLook

// A card over the whole history card that introduces the Vesk editor to someone who does not have
// it. Every way out (the dimmed backdrop, Escape, the close button, "Not now", and "Download vesk"
// after it has opened the download page) calls onDismiss; nothing is remembered between showings.
class VeskPromoOverlay : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCardWidth = 380;

    // `openUrl` opens the download page with the desktop's browser; `editorIcon` is the installed
    // editor's icon, null when there is none.
    VeskPromoOverlay(std::function<void()> onDismiss, std::function<void(const QUrl&)> openUrl,
                     const QPixmap& editorIcon = {}, QWidget* parent = nullptr);

    // The card's rectangle inside the overlay.
    QRect cardGeometry() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void dismiss();

    std::function<void()> m_onDismiss;
    std::function<void(const QUrl&)> m_openUrl;
    QWidget* m_card = nullptr;
    QLabel* m_tagline = nullptr;
    QLabel* m_description = nullptr;
    QList<QLabel*> m_chipLabels;
    PreviewWidgets::Button* m_download = nullptr;
    PreviewWidgets::Button* m_notNow = nullptr;
    PreviewWidgets::Button* m_close = nullptr;
};
