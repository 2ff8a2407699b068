#pragma once

#include <UI/Design/Color.h>

#include <QAbstractButton>
#include <QLabel>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

#include <functional>

class QAbstractScrollArea;
class QHBoxLayout;
class QVariantAnimation;

// The small pieces the item previews are made of. Colours are given as functions of the colour
// scheme and read again whenever the appearance changes, so an open preview follows a switch
// between light and dark.
namespace PreviewWidgets {

using Scheme = QS::Color::Scheme;
using Tint = std::function<QColor(Scheme)>;

// A tint that is the same in both appearances.
Tint fixed(const QColor& color);

// A text colour for plain text and labels alike.
void setTextColor(QWidget& widget, const QColor& color);
// No frame and no background of its own: the card behind shows through.
void makeTransparent(QAbstractScrollArea& area);

// A soft shadow of a rounded rectangle, as a blurred copy of its shape in `color`, offset by
// `offset`; `blur` is the shadow's radius. The blurred shapes are cached by size.
void paintShadow(QPainter& painter, const QRectF& shape, qreal cornerRadius, qreal blur, QPointF offset,
                 const QColor& color);

// The dimmed backdrop of an overlay over the whole panel: `color` over the panel's rounded card
// only, for outside its corners lies the desktop.
void paintPanelBackdrop(QPainter& painter, const QRect& panel, const QColor& color);

// A rectangle whose top corners, or bottom corners, are rounded by `radius`.
QPainterPath roundedEnds(const QRectF& rect, qreal radius, Qt::Edge edge);

// A small symbol before a text, both in `tint`: the heading of a block.
QHBoxLayout* symbolHeading(const QString& symbol, const QString& text, const QFont& font, const Tint& tint,
                           QWidget* parent);

// A widget drawn by a function.
class PaintedBox : public QWidget {
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter&, const QWidget&)>;
    explicit PaintedBox(Painter paint, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Painter m_paint;
};

// Plain text (never markup) in a font and a tint.
class Label : public QLabel {
    Q_OBJECT
public:
    Label(const QString& text, const QFont& font, Tint tint, QWidget* parent = nullptr);
    void setTint(Tint tint);
    // One line, cut with "…" where it does not fit (the label then never asks for more width).
    void setElided(bool elided);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void restyle();
    Tint m_tint;
    bool m_elided = false;
};

// One of our symbols, square, in a tint.
class Symbol : public QWidget {
    Q_OBJECT
public:
    Symbol(const QString& name, int size, Tint tint, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    int m_size;
    Tint m_tint;
};

// Read-only text that can be selected and scrolls; long lines wrap unless told otherwise.
class TextView : public QPlainTextEdit {
    Q_OBJECT
public:
    TextView(const QFont& font, Tint tint, int padding, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void restyle();
    Tint m_tint;
};

// Read-only text as high as its lines, wrapped at the view's width (anywhere, when a word is
// wider than the view): for short texts such as a link, inside a scrolling column.
class WrappedText : public QTextEdit {
    Q_OBJECT
public:
    WrappedText(const QString& text, const QFont& font, Tint tint, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void restyle();
    Tint m_tint;
};

// How much of a long text a view shows: laying out more on the GUI thread would stall it.
constexpr qsizetype kTextLimit = 50000;
// And of each of its lines (a minified JSON is one line).
constexpr qsizetype kLineLimit = 10000;

// The text as textContent() shows it: cut after kTextLimit characters with "\n…", and each line
// after kLineLimit characters with "…".
QString shownText(const QString& text);
// A text shown plain in the label colour, selectable and scrolling, wrapped at the view's width,
// padded by `padding`; cut as shownText() says.
TextView* textContent(const QString& text, const QFont& font, int padding, QWidget* parent);

// A button drawn in the previews' own look.
class Button : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style {
        // A rounded shape filled and outlined with the tint at given opacities, text in the tint.
        Tinted,
        // Filled with the brand colour, white text: the main action of a place.
        Prominent,
        // The card colour with an outline, text in the label colour.
        Bordered,
        // Text and symbol only.
        Plain,
    };

    Button(const QString& text, const QString& symbol, Style style, QWidget* parent = nullptr);

    void setTint(Tint tint);
    void setOpacities(qreal fill, qreal stroke);
    void setPadding(int horizontal, int vertical);
    void setTextFont(const QFont& font);
    void setCornerRadius(qreal radius);
    void setSymbolSize(int size);
    // A picture before the text instead of a symbol (drawn as given, not tinted).
    void setPicture(const QPixmap& picture, int size, qreal cornerRadius);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QColor foreground(Scheme scheme) const;

    QString m_symbol;
    Style m_style;
    Tint m_tint;
    qreal m_fillOpacity = 0.16;
    qreal m_strokeOpacity = 0.3;
    int m_horizontalPadding = 10;
    int m_verticalPadding = 5;
    qreal m_cornerRadius = 7;
    int m_symbolSize = 12;
    QPixmap m_picture;
    int m_pictureSize = 0;
    qreal m_pictureCorner = 0;
    bool m_hovered = false;
};

// Two segments, one chosen: the pane's Source / MD Preview switch.
class SegmentedSwitch : public QWidget {
    Q_OBJECT
public:
    SegmentedSwitch(const QString& first, const QString& second, QWidget* parent = nullptr);

    // 0 or 1.
    int current() const { return m_current; }
    void setCurrent(int index);
    void setTitles(const QString& first, const QString& second);
    // Where a segment lies, for clicks.
    QRect segmentRect(int index) const;

    QSize sizeHint() const override;

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_titles[2];
    int m_current = 1;
};

// A small turning arc while something loads; still under Reduce Motion.
class BusyIndicator : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {18, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QVariantAnimation* m_turn;
};

} // namespace PreviewWidgets
