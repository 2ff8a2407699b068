#pragma once

#include "MDBlockView.h"
#include "MDRowLayout.h"
#include "RemoteImageLoader.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <QTimer>

#include <compare>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class CodeHighlighting;
namespace Platform {
class UserDefaults;
}
namespace PreviewWidgets {
class BusyIndicator;
}

// A Markdown text drawn natively, for the preview pane's "MD Preview" mode: headings, paragraphs,
// code blocks highlighted off the GUI thread, lists with their markers, block quotes, tables, rules,
// images, and everything else as its Markdown source. Text is selectable and copies as plain text;
// nothing in it is a link that opens.
//
// The text is parsed once: at once when it is short, else on a worker while the source shows
// plain. The stack is lazy: rows are laid out only when they come near the visible area, the
// others count with a guessed height, so a document of megabytes opens as quickly as a short one.
// Sizes follow "previewFontSize" (the base size is the setting plus one) and colours the
// appearance, both live.
class MarkdownPreviewView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Texts up to this length are parsed on the GUI thread; longer ones on a worker.
    static constexpr qsizetype kInlineParseLimit = 16 * 1024;
    // How much of the source shows plain while a long text is being parsed.
    static constexpr qsizetype kPlainLimit = 20000;
    // Texts longer than this show their leading blocks (about kLeadingPart characters) rendered
    // first, parsed on their own, while the whole text is parsed.
    static constexpr qsizetype kLeadingParseThreshold = 128 * 1024;
    static constexpr qsizetype kLeadingPart = 24 * 1024;
    // Code blocks longer than this stay plain: highlighting them would hold up every other block.
    static constexpr qsizetype kHighlightLimit = 50000;

    // What makes the rows of a text: parsing it and building its rows. Replaceable (null: the real
    // one) so that a parser that fails can be put in; a failure of any kind shows the source plain.
    using RowBuilder = MDBlockView::Model (*)(const QString& source);
    static void setRowBuilderOverride(RowBuilder builder);

    // `defaults` (may be null) gives "previewFontSize" changes; `highlighting` defaults to the
    // Markdown previews' own highlighting service.
    MarkdownPreviewView(const QString& source, int fontSize, Platform::UserDefaults* defaults = nullptr,
                        QWidget* parent = nullptr, CodeHighlighting* highlighting = nullptr);
    ~MarkdownPreviewView() override;

    // Shows another text; a parse still running for the old one is dropped when it ends.
    void setSource(const QString& source);
    // Shows rows made elsewhere (blocks that a parse does not give, such as an image on its own).
    void setModel(MDBlockView::ModelPtr model);

    int fontSize() const { return m_fontSize; }
    void setFontSize(int size);
    qreal baseSize() const { return m_fontSize + 1; }

    // Whether the whole parsed document shows (else the plain source or the leading blocks, while it
    // is being parsed), and whether rendered rows show at all.
    bool isDocumentReady() const { return m_state == State::Ready; }
    bool showsRenderedRows() const { return m_state != State::Plain; }
    const MDBlockView::Model& model() const { return *m_model; }

    // The layout of a row at the current width, made if needed.
    const MDRowLayout::Layout& rowLayout(int row);
    // Where a row lies in the viewport (laid out as needed).
    QRect rowRect(int row);
    // How many rows are laid out now (the others only have a guessed height).
    std::size_t laidOutRows() const { return m_layouts.size(); }
    void scrollToRow(int row);

    QString selectedText() const;
    void selectAll();
    void clearSelection();
    void copy() const;

    // Whether a code block shows highlighting colours.
    bool isHighlighted(int block) const;
    // What an image row shows now.
    MDRowLayout::Picture picture(int image) const;
    RemoteImageLoader& imageLoader() { return m_loader; }

signals:
    // The parsed document has replaced the plain source.
    void documentReady();
    // A code block's highlighting answer was taken in.
    void codeHighlighted(int block);
    // An image row has its picture, or shows its placeholder for good.
    void imageSettled(int image);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // A place in the text: a row, one of its pieces, a position in that piece's text.
    struct Position {
        int row = 0;
        int piece = 0;
        int offset = 0;
        auto operator<=>(const Position&) const = default;
    };

    // Row heights (spacing above included) with their sums, for finding rows by height quickly.
    class Heights {
    public:
        void assign(std::vector<qreal> heights);
        void set(int row, qreal height);
        qreal at(int row) const { return m_heights[static_cast<std::size_t>(row)]; }
        // The sum of the heights of the rows before `row`.
        qreal before(int row) const;
        qreal total() const { return before(size()); }
        // The row that covers `y` (the last one for y past the end).
        int rowAt(qreal y) const;
        int size() const { return static_cast<int>(m_heights.size()); }

    private:
        std::vector<qreal> m_heights;
        std::vector<qreal> m_tree;
    };

    struct CodeState {
        std::optional<bool> requestedDark;
        MDRowLayout::CodeColours colours;
        bool highlighted = false;
    };
    struct ImageState {
        enum class Load { Idle, Loading, Loaded, Failed };
        Load load = Load::Idle;
        QImage image;
        QPointer<PreviewWidgets::BusyIndicator> busy;
    };

    enum class State { Plain, Leading, Ready };

    void showModel(MDBlockView::ModelPtr model, State state);
    MDRowLayout::Context context() const;
    qreal contentWidth() const;
    qreal rowTop(int row) const;
    void reestimate();
    void updateScrollRange();
    const MDRowLayout::Layout& ensureLayout(int row);
    // Whether the lines of `row` have their start: a row of a cut text starts where the row before
    // ended its lines, so the rows before it are measured first, while `inTime` holds.
    bool reachTextStart(int row, const std::function<bool()>& inTime);
    void clearLayouts();
    // A row of a cut text lays out lines that may hold text of its neighbours' own stretches; a
    // position is kept in the row whose own text holds it. These map between the two.
    Position positionInText(int row, const MDRowLayout::Layout& layout, int offset) const;
    int offsetInLayout(int row, const MDRowLayout::Layout& layout, const Position& position) const;
    // Lays out the rows in view and within `margin` viewport heights around it, for at most
    // `budgetNs` (-1: no limit); false when some are left.
    bool layoutAroundViewport(qreal margin, qint64 budgetNs = -1);
    void invalidateRows(int first, int last);
    void invalidateLayouts();
    void requestHighlighting(int block);
    void startImage(int image);
    void placeBusyIndicators();
    void logFirstPaint();

    std::optional<Position> positionAt(QPoint viewportPoint);
    std::pair<Position, Position> orderedSelection() const;
    std::vector<std::pair<int, int>> selectionsOf(int row, const MDRowLayout::Layout& layout) const;
    void autoScroll();

    CodeHighlighting& m_highlighting;
    QString m_source;
    quint64 m_generation = 0;
    State m_state = State::Plain;
    MDBlockView::ModelPtr m_model;
    int m_fontSize = 12;

    Heights m_heights;
    std::unordered_map<int, std::unique_ptr<MDRowLayout::Layout>> m_layouts;
    // Where the lines of rows of cut texts start at the width and size laid out (kept when their
    // layouts go, so that a row far into a long text is not laid out from the text's start again).
    std::unordered_map<int, qsizetype> m_textStarts;
    qreal m_laidOutWidth = -1;

    std::vector<CodeState> m_code;
    std::vector<ImageState> m_images;
    RemoteImageLoader m_loader;

    std::optional<Position> m_anchor;
    std::optional<Position> m_cursor;
    bool m_selecting = false;
    QPoint m_lastMouse;
    QTimer m_autoScroll;
    QTimer m_prefetch;
    // The last paint left out visible rows that were not laid out in time.
    bool m_partialPaint = false;
    bool m_loggedPaint = false;
};
