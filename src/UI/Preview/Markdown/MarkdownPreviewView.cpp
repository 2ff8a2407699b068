#include "MarkdownPreviewView.h"

#include "../CodeHighlighting.h"
#include "../PreviewPresentation.h"
#include "../PreviewWidgets.h"
#include "MarkdownCodeHighlighting.h"

#include <Capture/DefaultSettings.h>
#include <Markdown/Markdown.h>
#include <Platform/UserDefaults.h>
#include <UI/Design/ThinScrollbarConfigurator.h>
#include <UI/TextStyling/TextStyling.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QThreadPool>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>

Q_LOGGING_CATEGORY(lcMarkdownPreview, "quillstack.markdown", QtInfoMsg)

namespace {

using MDBlockView::Kind;
using MDBlockView::Model;
using MDBlockView::ModelPtr;
using MDBlockView::Row;

constexpr qreal kPadding = MDBlockView::kPadding;
// Rows laid out beyond the visible ones, in viewport heights, and how many layouts are kept.
constexpr qreal kLayoutMargin = 0.5;
// The time one turn of the event loop spends laying out rows beyond the visible ones.
constexpr qint64 kPrefetchBudgetNs = 4'000'000;
// The time a paint spends laying out rows that come into view.
constexpr qint64 kPaintBudgetNs = 6'000'000;
constexpr std::size_t kKeptLayouts = 600;
constexpr int kKeptAroundViewport = 150;
// Models with more rows than this are released on a worker.
constexpr std::size_t kLargeModelRows = 2000;

Model buildRows(const QString& source) {
    const QByteArray utf8 = source.toUtf8();
    const Markdown::Document document = Markdown::Document::parsing(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), Markdown::ParseOptions{});
    return MDBlockView::build(document);
}

std::atomic<MarkdownPreviewView::RowBuilder> rowBuilderOverride{nullptr};

// The rows of `source` (of its first `length` characters when given), with their heights guessed
// for `width` and `baseSize`; null when the parse fails. It runs on a worker, where an exception
// (memory running out in the parser, say) would end the program, and on the GUI thread, where it
// would unwind through the event loop.
ModelPtr parse(const QString& source, qreal width, qreal baseSize, qsizetype length = -1) noexcept {
    try {
        const QString text = length < 0 ? source : source.left(length);
        const MarkdownPreviewView::RowBuilder builder = rowBuilderOverride.load();
        auto model = std::make_shared<Model>(builder ? builder(text) : buildRows(text));
        MDRowLayout::estimate(*model, width, baseSize);
        // The tree of a long text is gone now, but the worker's heap would keep its pages for good.
        if (source.size() > MarkdownPreviewView::kLeadingParseThreshold)
            malloc_trim(0);
        return model;
    } catch (const std::exception& error) {
        qCWarning(lcMarkdownPreview) << "cannot render the Markdown text, showing it plain:" << error.what();
    } catch (...) {
        qCWarning(lcMarkdownPreview) << "cannot render the Markdown text, showing it plain";
    }
    malloc_trim(0);
    return nullptr;
}

// The source as plain text, while it is parsed or when it cannot be.
ModelPtr plainSource(const QString& source) {
    return std::make_shared<const Model>(MDBlockView::plain(source, MarkdownPreviewView::kPlainLimit));
}

// Freeing tens of thousands of rows takes a while: a large model goes on a worker.
void release(ModelPtr model) {
    if (model && model.use_count() == 1 && model->rows.size() > kLargeModelRows)
        QThreadPool::globalInstance()->start([model = std::move(model)]() mutable { model.reset(); });
}

// The last text parsed, so that a view made again for the same text (another font size, back from
// the source mode) does not parse it again. GUI thread only.
struct LastParse {
    QString source;
    ModelPtr model;
};
LastParse& lastParse() {
    static LastParse last;
    return last;
}
void remember(const QString& source, const ModelPtr& model) {
    LastParse& last = lastParse();
    ModelPtr old = std::exchange(last.model, model);
    last.source = source;
    release(std::move(old));
}

QString describe(const QRect& rect) {
    return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

} // namespace

void MarkdownPreviewView::Heights::assign(std::vector<qreal> heights) {
    m_heights = std::move(heights);
    const std::size_t count = m_heights.size();
    m_tree.assign(count + 1, 0);
    for (std::size_t index = 1; index <= count; ++index) {
        m_tree[index] += m_heights[index - 1];
        const std::size_t parent = index + (index & (~index + 1));
        if (parent <= count)
            m_tree[parent] += m_tree[index];
    }
}

void MarkdownPreviewView::Heights::set(int row, qreal height) {
    const qreal delta = height - m_heights[static_cast<std::size_t>(row)];
    m_heights[static_cast<std::size_t>(row)] = height;
    for (std::size_t index = static_cast<std::size_t>(row) + 1; index < m_tree.size();
         index += index & (~index + 1))
        m_tree[index] += delta;
}

qreal MarkdownPreviewView::Heights::before(int row) const {
    qreal sum = 0;
    for (std::size_t index = static_cast<std::size_t>(row); index > 0; index -= index & (~index + 1))
        sum += m_tree[index];
    return sum;
}

int MarkdownPreviewView::Heights::rowAt(qreal y) const {
    const std::size_t count = m_heights.size();
    if (count == 0)
        return 0;
    std::size_t position = 0;
    for (std::size_t step = std::bit_floor(count); step > 0; step >>= 1) {
        if (position + step <= count && m_tree[position + step] <= y) {
            position += step;
            y -= m_tree[position];
        }
    }
    return static_cast<int>(std::min(position, count - 1));
}

MarkdownPreviewView::MarkdownPreviewView(const QString& source, int fontSize,
                                         Platform::UserDefaults* defaults, QWidget* parent,
                                         CodeHighlighting* highlighting)
    : QAbstractScrollArea(parent),
      m_highlighting(highlighting ? *highlighting : MarkdownCodeHighlighting::shared()),
      m_fontSize(fontSize) {
    setObjectName(QStringLiteral("markdownPreview"));
    PreviewWidgets::makeTransparent(*this);
    ThinScrollbarConfigurator::apply(*this);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    m_autoScroll.setInterval(30);
    m_prefetch.setSingleShot(true);
    m_prefetch.setInterval(0);
    connect(&m_prefetch, &QTimer::timeout, this, [this] {
        if (!m_model)
            return;
        const bool done = layoutAroundViewport(kLayoutMargin, kPrefetchBudgetNs);
        if (std::exchange(m_partialPaint, false))
            viewport()->update();
        if (!done)
            m_prefetch.start();
    });
    connect(&m_autoScroll, &QTimer::timeout, this, &MarkdownPreviewView::autoScroll);
    if (defaults) {
        connect(defaults, &Platform::UserDefaults::valueChanged, this, [this, defaults](const QString& key) {
            if (key == App::SettingsKeys::previewFontSize)
                setFontSize(PreviewPresentation::previewFontSize(defaults));
        });
    }
    setSource(source);
}

MarkdownPreviewView::~MarkdownPreviewView() {
    release(std::move(m_model));
}

void MarkdownPreviewView::setRowBuilderOverride(RowBuilder builder) {
    rowBuilderOverride.store(builder);
}

void MarkdownPreviewView::setSource(const QString& source) {
    m_source = source;
    const quint64 generation = ++m_generation;
    if (lastParse().model && lastParse().source == source) {
        showModel(lastParse().model, State::Ready);
        return;
    }
    if (source.size() <= kInlineParseLimit) {
        if (const ModelPtr model = parse(source, contentWidth(), baseSize())) {
            remember(source, model);
            showModel(model, State::Ready);
        } else {
            showModel(plainSource(source), State::Plain);
        }
        return;
    }
    // A long text shows plain until its document is ready; a very long one shows its leading
    // blocks first, which take a moment to parse where the whole text takes a while.
    showModel(plainSource(source), State::Plain);
    const qsizetype leading =
        source.size() > kLeadingParseThreshold ? MDBlockView::leadingBlocksEnd(source, kLeadingPart) : -1;
    QPointer<MarkdownPreviewView> self(this);
    const qreal width = contentWidth();
    const qreal base = baseSize();
    QThreadPool::globalInstance()->start([self, generation, source, leading, width, base] {
        // A failed parse shows the source plain again (after leading blocks, those would stay alone).
        const auto deliver = [&](ModelPtr model, State state) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, generation, source, state, model = std::move(model)]() mutable {
                    if (model && state == State::Ready)
                        remember(source, model);
                    // A text replaced meanwhile drops its document.
                    if (!self || self->m_generation != generation)
                        return;
                    if (model)
                        self->showModel(std::move(model), state);
                    else
                        self->showModel(plainSource(source), State::Plain);
                },
                Qt::QueuedConnection);
        };
        if (leading > 0) {
            if (ModelPtr part = parse(source, width, base, leading))
                deliver(std::move(part), State::Leading);
        }
        deliver(parse(source, width, base), State::Ready);
    });
}

void MarkdownPreviewView::setModel(ModelPtr model) {
    ++m_generation;
    showModel(std::move(model), State::Ready);
}

void MarkdownPreviewView::showModel(ModelPtr model, State state) {
    // The whole document after its leading blocks: the rows both have alike keep their layouts,
    // their code colours, the selection in them and the scroll position.
    const std::size_t kept = m_state == State::Leading && state == State::Ready && m_model
                                 ? MDBlockView::sameLeadingRows(*m_model, *model)
                                 : 0;
    std::unordered_map<int, std::unique_ptr<MDRowLayout::Layout>> keptLayouts;
    std::unordered_map<int, qsizetype> keptStarts;
    std::vector<CodeState> keptCode;
    if (kept > 0) {
        for (auto& [row, layout] : m_layouts) {
            if (static_cast<std::size_t>(row) < kept)
                keptLayouts.emplace(row, std::move(layout));
        }
        for (const auto& [row, start] : m_textStarts) {
            if (static_cast<std::size_t>(row) < kept)
                keptStarts.emplace(row, start);
        }
        for (std::size_t block = 0; block < m_code.size(); ++block) {
            if (m_model->codeRows[block].second < 0 ||
                static_cast<std::size_t>(m_model->codeRows[block].second) >= kept)
                break;
            keptCode.push_back(std::move(m_code[block]));
        }
    }
    const bool keepSelection = kept > 0 && m_anchor && m_cursor &&
                               static_cast<std::size_t>(std::max(m_anchor->row, m_cursor->row)) < kept;
    const int scroll = verticalScrollBar()->value();

    release(std::exchange(m_model, std::move(model)));
    m_state = state;
    m_layouts = std::move(keptLayouts);
    m_textStarts = std::move(keptStarts);
    if (!keepSelection) {
        m_anchor.reset();
        m_cursor.reset();
    }
    m_code.assign(m_model->codeBlocks.size(), {});
    std::move(keptCode.begin(), keptCode.end(), m_code.begin());
    for (ImageState& image : m_images)
        delete image.busy;
    m_images.assign(m_model->images.size(), {});
    m_laidOutWidth = contentWidth();
    reestimate();
    verticalScrollBar()->setValue(kept > 0 ? scroll : 0);
    viewport()->update();
    if (state == State::Ready)
        emit documentReady();
}

MDRowLayout::Context MarkdownPreviewView::context() const {
    MDRowLayout::Context context;
    context.model = m_model.get();
    context.width = contentWidth();
    context.baseSize = baseSize();
    context.scheme = QS::Color::schemeOf(*this);
    context.codeColours = [this](int block) -> const MDRowLayout::CodeColours* {
        const CodeState& state = m_code[static_cast<std::size_t>(block)];
        return state.highlighted ? &state.colours : nullptr;
    };
    context.picture = [this](int image) {
        return picture(image);
    };
    return context;
}

qreal MarkdownPreviewView::contentWidth() const {
    return std::max<qreal>(viewport()->width() - 2 * kPadding, 1);
}

qreal MarkdownPreviewView::rowTop(int row) const {
    return kPadding + m_heights.before(row) + m_model->rows[static_cast<std::size_t>(row)].spacingAbove;
}

void MarkdownPreviewView::reestimate() {
    std::vector<qreal> heights;
    if (m_model->estimatedWidth == contentWidth() && m_model->estimatedBaseSize == baseSize()) {
        // Guessed on the worker, for the width and size still in force.
        heights = m_model->estimatedHeights;
    } else {
        const MDRowLayout::Context context = this->context();
        heights.reserve(m_model->rows.size());
        for (const Row& row : m_model->rows)
            heights.push_back(row.spacingAbove + MDRowLayout::estimatedHeight(row, context));
    }
    for (const auto& [row, layout] : m_layouts)
        heights[static_cast<std::size_t>(row)] =
            m_model->rows[static_cast<std::size_t>(row)].spacingAbove + layout->height;
    m_heights.assign(std::move(heights));
    updateScrollRange();
}

void MarkdownPreviewView::updateScrollRange() {
    const int page = viewport()->height();
    const qreal total = m_model->rows.empty() ? 0 : 2 * kPadding + m_heights.total();
    verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(std::ceil(total)) - page));
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setSingleStep(24);
}

const MDRowLayout::Layout& MarkdownPreviewView::ensureLayout(int row) {
    if (const auto found = m_layouts.find(row); found != m_layouts.end())
        return *found->second;
    const Row& shown = m_model->rows[static_cast<std::size_t>(row)];
    if (shown.kind == Kind::Code)
        requestHighlighting(shown.block);
    else if (shown.kind == Kind::Image)
        startImage(shown.block);
    qsizetype textStart = 0;
    if (shown.whole && !shown.first) {
        reachTextStart(row, [] { return true; });
        textStart = m_textStarts.at(row);
    }
    auto made = std::make_unique<MDRowLayout::Layout>(MDRowLayout::layout(shown, context(), textStart));
    if (shown.whole && !shown.last)
        m_textStarts[row + 1] = made->textEnd;
    const qreal height = shown.spacingAbove + made->height;
    if (height != m_heights.at(row))
        m_heights.set(row, height);
    return *(m_layouts[row] = std::move(made));
}

bool MarkdownPreviewView::reachTextStart(int row, const std::function<bool()>& inTime) {
    const auto known = [this](int at) {
        const Row& shown = m_model->rows[static_cast<std::size_t>(at)];
        return !shown.whole || shown.first || m_textStarts.contains(at);
    };
    if (known(row))
        return true;
    // From the nearest row before whose start is known, each row gives the next one its start. Rows
    // out of view are only measured, not kept laid out.
    int from = row - 1;
    while (!known(from))
        --from;
    const MDRowLayout::Context context = this->context();
    for (int before = from; before < row; ++before) {
        if (!inTime())
            return false;
        const Row& shown = m_model->rows[static_cast<std::size_t>(before)];
        const auto laidOut = m_layouts.find(before);
        m_textStarts[before + 1] =
            laidOut != m_layouts.end()
                ? laidOut->second->textEnd
                : MDRowLayout::textLinesEnd(shown, context, shown.first ? 0 : m_textStarts.at(before));
    }
    return true;
}

void MarkdownPreviewView::clearLayouts() {
    m_layouts.clear();
    m_textStarts.clear();
}

bool MarkdownPreviewView::layoutAroundViewport(qreal margin, qint64 budgetNs) {
    const int count = static_cast<int>(m_model->rows.size());
    if (count == 0)
        return true;
    QElapsedTimer clock;
    clock.start();
    const std::function<bool()> inTime = [&] {
        return budgetNs < 0 || clock.nsecsElapsed() < budgetNs;
    };
    if (contentWidth() != m_laidOutWidth) {
        // A new width: every row wraps anew. The row at the top stays where it was.
        const int top = verticalScrollBar()->value();
        const int anchor = m_heights.rowAt(top - kPadding);
        const qreal offset = top - rowTop(anchor);
        clearLayouts();
        m_laidOutWidth = contentWidth();
        reestimate();
        if (reachTextStart(anchor, inTime))
            ensureLayout(anchor);
        verticalScrollBar()->setValue(top > 0 ? static_cast<int>(std::lround(rowTop(anchor) + offset)) : 0);
    }
    const int top = verticalScrollBar()->value();
    const qreal height = viewport()->height();
    const int anchor = m_heights.rowAt(top - kPadding);
    // Far into a long text, the rows before the visible ones are measured first, a budget at a time.
    if (!reachTextStart(anchor, inTime))
        return false;
    const qreal offset = top - rowTop(anchor);
    int last = anchor;
    for (; last < count && rowTop(last) < top + (1 + margin) * height && inTime(); ++last)
        ensureLayout(last);
    bool complete = last == count || rowTop(last) >= top + (1 + margin) * height;
    // Rows above are measured before they show, and the view keeps still while they are.
    int first = anchor - 1;
    for (; first >= 0 && rowTop(first) + m_heights.at(first) > top - margin * height && inTime(); --first)
        ensureLayout(first);
    complete = complete && (first < 0 || rowTop(first) + m_heights.at(first) <= top - margin * height);
    updateScrollRange();
    const int wanted = static_cast<int>(std::lround(rowTop(anchor) + offset));
    if (top > 0 && wanted != top)
        verticalScrollBar()->setValue(wanted);
    if (m_layouts.size() > kKeptLayouts) {
        std::erase_if(m_layouts, [&](const auto& entry) {
            return entry.first < first - kKeptAroundViewport || entry.first > last + kKeptAroundViewport;
        });
    }
    return complete;
}

void MarkdownPreviewView::invalidateRows(int first, int last) {
    for (int row = first; row >= 0 && row <= last; ++row)
        m_layouts.erase(row);
    viewport()->update();
}

void MarkdownPreviewView::invalidateLayouts() {
    clearLayouts();
    viewport()->update();
}

void MarkdownPreviewView::setFontSize(int size) {
    if (size == m_fontSize)
        return;
    m_fontSize = size;
    const int top = verticalScrollBar()->value();
    const int anchor = m_heights.size() > 0 ? m_heights.rowAt(top - kPadding) : 0;
    clearLayouts();
    if (m_model->rows.empty())
        return;
    reestimate();
    if (top > 0)
        verticalScrollBar()->setValue(static_cast<int>(std::lround(rowTop(anchor))));
    viewport()->update();
}

const MDRowLayout::Layout& MarkdownPreviewView::rowLayout(int row) {
    if (contentWidth() != m_laidOutWidth)
        layoutAroundViewport(0);
    return ensureLayout(row);
}

QRect MarkdownPreviewView::rowRect(int row) {
    const MDRowLayout::Layout& layout = rowLayout(row);
    return QRectF(kPadding, rowTop(row) - verticalScrollBar()->value(), contentWidth(), layout.height)
        .toAlignedRect();
}

void MarkdownPreviewView::scrollToRow(int row) {
    rowLayout(row);
    verticalScrollBar()->setValue(static_cast<int>(rowTop(row) - kPadding));
}

void MarkdownPreviewView::requestHighlighting(int block) {
    CodeState& state = m_code[static_cast<std::size_t>(block)];
    const bool dark = QS::Color::schemeOf(*this) == QS::Color::Scheme::Dark;
    if (state.requestedDark == dark)
        return;
    state.requestedDark = dark;
    const MDBlockView::CodeBlock& code = m_model->codeBlocks[static_cast<std::size_t>(block)];
    if (code.code.size() > kHighlightLimit)
        return;
    const quint64 generation = m_generation;
    m_highlighting.highlight(
        code.code, code.language, dark, this,
        [this, block, dark, generation](std::optional<SyntaxHighlighter::StyledText> result) {
            // A result for a text or an appearance no longer shown is dropped (the code a block
            // index names is checked below: the whole document may have come meanwhile).
            if (generation != m_generation || static_cast<std::size_t>(block) >= m_code.size())
                return;
            CodeState& state = m_code[static_cast<std::size_t>(block)];
            if (state.requestedDark != dark)
                return;
            const QString& shown = m_model->codeBlocks[static_cast<std::size_t>(block)].code;
            const std::u16string_view text(reinterpret_cast<const char16_t*>(shown.utf16()),
                                           static_cast<std::size_t>(shown.size()));
            state.colours.clear();
            if (result && result->text() == text) {
                for (const auto& run : result->runs())
                    state.colours.emplace_back(static_cast<qsizetype>(run.range.location),
                                               TextStyling::toFaceAndColourFormat(run.attributes));
            }
            state.highlighted = !state.colours.empty();
            const auto [first, last] = m_model->codeRows[static_cast<std::size_t>(block)];
            invalidateRows(first, last);
            emit codeHighlighted(block);
        });
}

bool MarkdownPreviewView::isHighlighted(int block) const {
    return m_code[static_cast<std::size_t>(block)].highlighted;
}

void MarkdownPreviewView::startImage(int image) {
    ImageState& state = m_images[static_cast<std::size_t>(image)];
    if (state.load != ImageState::Load::Idle)
        return;
    const std::optional<QUrl> url =
        RemoteImageLoader::fetchableUrl(m_model->images[static_cast<std::size_t>(image)].source);
    if (!url) {
        // Nothing but the web is ever asked for: the placeholder shows at once.
        state.load = ImageState::Load::Failed;
        return;
    }
    state.load = ImageState::Load::Loading;
    state.busy = new PreviewWidgets::BusyIndicator(viewport());
    const qreal ratio = devicePixelRatioF();
    const QSize box(static_cast<int>(std::max<qreal>(contentWidth(), 320) * ratio),
                    static_cast<int>(MDRowLayout::kPictureMaxHeight * ratio));
    const quint64 generation = m_generation;
    m_loader.load(*url, box, this, [this, image, generation](const QImage& picture) {
        if (generation != m_generation)
            return;
        ImageState& state = m_images[static_cast<std::size_t>(image)];
        state.image = picture;
        state.load = picture.isNull() ? ImageState::Load::Failed : ImageState::Load::Loaded;
        delete state.busy;
        const int row = m_model->imageRows[static_cast<std::size_t>(image)];
        invalidateRows(row, row);
        emit imageSettled(image);
    });
}

MDRowLayout::Picture MarkdownPreviewView::picture(int image) const {
    const ImageState& state = m_images[static_cast<std::size_t>(image)];
    switch (state.load) {
    case ImageState::Load::Loading:
        return {MDRowLayout::Picture::State::Loading, {}};
    case ImageState::Load::Loaded:
        return {MDRowLayout::Picture::State::Loaded, state.image};
    case ImageState::Load::Idle:
    case ImageState::Load::Failed:
        break;
    }
    return {};
}

void MarkdownPreviewView::placeBusyIndicators() {
    const int top = verticalScrollBar()->value();
    for (std::size_t image = 0; image < m_images.size(); ++image) {
        PreviewWidgets::BusyIndicator* busy = m_images[image].busy;
        if (!busy)
            continue;
        const int row = m_model->imageRows[image];
        const auto laidOut = m_layouts.find(row);
        if (laidOut == m_layouts.end()) {
            busy->hide();
            continue;
        }
        const QRectF frame = laidOut->second->frame.translated(kPadding, rowTop(row) - top);
        busy->resize(busy->sizeHint());
        busy->move((frame.center() - QPointF(busy->width(), busy->height()) / 2).toPoint());
        busy->setVisible(frame.intersects(viewport()->rect()));
    }
}

void MarkdownPreviewView::paintEvent(QPaintEvent*) {
    const int count = static_cast<int>(m_model->rows.size());
    if (count == 0)
        return;
    // The visible rows now, as many as fit in a frame's time; the rest, and those just beyond,
    // on the next turns of the event loop, which paint again when a visible row was left out.
    m_partialPaint = !layoutAroundViewport(0, kPaintBudgetNs);
    m_prefetch.start();
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::TextAntialiasing);
    const MDRowLayout::Context context = this->context();
    const int top = verticalScrollBar()->value();
    const int height = viewport()->height();
    for (int row = m_heights.rowAt(top - kPadding); row < count; ++row) {
        const qreal y = rowTop(row) - top;
        if (y > height)
            break;
        const auto laidOut = m_layouts.find(row);
        if (laidOut == m_layouts.end())
            continue;
        const MDRowLayout::Layout& layout = *laidOut->second;
        painter.save();
        painter.translate(kPadding, y);
        MDRowLayout::paint(painter, m_model->rows[static_cast<std::size_t>(row)], layout, context,
                           selectionsOf(row, layout), palette());
        painter.restore();
    }
    placeBusyIndicators();
    logFirstPaint();
}

void MarkdownPreviewView::logFirstPaint() {
    if (m_loggedPaint || m_partialPaint || m_state != State::Ready || !lcMarkdownPreview().isDebugEnabled())
        return;
    m_loggedPaint = true;
    const int top = verticalScrollBar()->value();
    // Where the first texts of each kind are on screen, for checks from outside the program.
    QStringList parts{QStringLiteral("markdown preview painted: %1 rows").arg(m_model->rows.size())};
    bool heading = false;
    bool paragraph = false;
    for (int row = 0; row < static_cast<int>(m_model->rows.size()) && !(heading && paragraph); ++row) {
        const Row& shown = m_model->rows[static_cast<std::size_t>(row)];
        if (shown.kind != Kind::Text || (shown.role == MDBlockView::Role::Heading ? heading : paragraph))
            continue;
        const auto laidOut = m_layouts.find(row);
        if (laidOut == m_layouts.end())
            break;
        const QRectF area = laidOut->second->pieces[0].area.translated(kPadding, rowTop(row) - top);
        const QRect global(viewport()->mapToGlobal(area.topLeft().toPoint()), area.size().toSize());
        if (shown.role == MDBlockView::Role::Heading) {
            heading = true;
            parts << QStringLiteral("heading %1 at %2").arg(shown.headingLevel).arg(describe(global));
        } else if (shown.role == MDBlockView::Role::Body) {
            paragraph = true;
            parts << QStringLiteral("paragraph at %1").arg(describe(global));
        }
    }
    qCDebug(lcMarkdownPreview).noquote() << parts.join(QStringLiteral("; "));
}

void MarkdownPreviewView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void MarkdownPreviewView::scrollContentsBy(int, int) {
    viewport()->update();
}

void MarkdownPreviewView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (!m_model)
        return;
    if (event->type() == QEvent::PaletteChange) {
        // Colours are part of the layouts; code blocks in view highlight again in the new theme.
        ThinScrollbarConfigurator::apply(*this);
        invalidateLayouts();
    } else if (event->type() == QEvent::LanguageChange) {
        invalidateLayouts();
    }
}

std::optional<MarkdownPreviewView::Position> MarkdownPreviewView::positionAt(QPoint point) {
    const int count = static_cast<int>(m_model->rows.size());
    if (count == 0)
        return std::nullopt;
    const qreal y = point.y() + verticalScrollBar()->value();
    const int row = std::clamp(m_heights.rowAt(y - kPadding), 0, count - 1);
    const MDRowLayout::Layout& layout = ensureLayout(row);
    const QPointF local(point.x() - kPadding, y - rowTop(row));
    const int piece = MDRowLayout::pieceAt(layout, local);
    if (piece < 0)
        return Position{row, 0, 0};
    const int offset = MDRowLayout::hitTest(layout.pieces[static_cast<std::size_t>(piece)], local);
    return piece == 0 ? positionInText(row, layout, offset) : Position{row, piece, offset};
}

MarkdownPreviewView::Position MarkdownPreviewView::positionInText(int row, const MDRowLayout::Layout& layout,
                                                                  int offset) const {
    const Row* shown = &m_model->rows[static_cast<std::size_t>(row)];
    if (!shown->whole)
        return Position{row, 0, offset};
    const qsizetype inWhole = layout.textStart + offset;
    while (!shown->first && inWhole < shown->offset)
        shown = &m_model->rows[static_cast<std::size_t>(--row)];
    while (!shown->last && inWhole > shown->offset + shown->text.text.size())
        shown = &m_model->rows[static_cast<std::size_t>(++row)];
    return Position{row, 0, static_cast<int>(inWhole - shown->offset)};
}

int MarkdownPreviewView::offsetInLayout(int row, const MDRowLayout::Layout& layout,
                                        const Position& position) const {
    const qsizetype length = layout.pieces.at(0).text->text().size();
    const Row& shown = m_model->rows[static_cast<std::size_t>(row)];
    const Row& held = m_model->rows[static_cast<std::size_t>(position.row)];
    if (held.whole != shown.whole)
        return position.row < row ? 0 : static_cast<int>(length);
    return static_cast<int>(
        std::clamp<qsizetype>(held.offset + position.offset - layout.textStart, 0, length));
}

std::pair<MarkdownPreviewView::Position, MarkdownPreviewView::Position>
MarkdownPreviewView::orderedSelection() const {
    return std::minmax(*m_anchor, *m_cursor);
}

std::vector<std::pair<int, int>> MarkdownPreviewView::selectionsOf(int row,
                                                                   const MDRowLayout::Layout& layout) const {
    if (!m_anchor || !m_cursor || *m_anchor == *m_cursor)
        return {};
    const auto [start, end] = orderedSelection();
    if (m_model->rows[static_cast<std::size_t>(row)].whole) {
        // The row's lines may hold the selection's ends that lie in its neighbours' own text.
        const int from = offsetInLayout(row, layout, start);
        return {{from, std::max(0, offsetInLayout(row, layout, end) - from)}};
    }
    if (row < start.row || row > end.row)
        return {};
    std::vector<std::pair<int, int>> selections;
    for (int piece = 0; piece < static_cast<int>(layout.pieces.size()); ++piece) {
        const int length =
            static_cast<int>(layout.pieces[static_cast<std::size_t>(piece)].text->text().size());
        const Position begin{row, piece, 0};
        const Position finish{row, piece, length};
        if (finish < start || begin > end) {
            selections.emplace_back(0, 0);
            continue;
        }
        const int from = start > begin ? start.offset : 0;
        const int to = end < finish ? end.offset : length;
        selections.emplace_back(from, std::max(0, to - from));
    }
    return selections;
}

QString MarkdownPreviewView::selectedText() const {
    if (!m_anchor || !m_cursor || *m_anchor == *m_cursor)
        return {};
    const auto [start, end] = orderedSelection();
    QString text;
    for (int row = start.row; row <= end.row; ++row) {
        const Row& shown = m_model->rows[static_cast<std::size_t>(row)];
        if (row > start.row && !shown.continuation)
            text += u'\n';
        const std::vector<QString> pieces = MDRowLayout::pieceTexts(shown);
        for (int piece = 0; piece < static_cast<int>(pieces.size()); ++piece) {
            const Position begin{row, piece, 0};
            const Position finish{row, piece,
                                  static_cast<int>(pieces[static_cast<std::size_t>(piece)].size())};
            if (finish < start || begin > end)
                continue;
            const int from = start > begin ? start.offset : 0;
            const int to = end < finish ? end.offset : finish.offset;
            if (piece > 0 && begin > start)
                text += u'\t';
            text += pieces[static_cast<std::size_t>(piece)].mid(from, to - from);
        }
    }
    return text;
}

void MarkdownPreviewView::selectAll() {
    const int count = static_cast<int>(m_model->rows.size());
    if (count == 0)
        return;
    const std::vector<QString> pieces = MDRowLayout::pieceTexts(m_model->rows.back());
    m_anchor = Position{0, 0, 0};
    m_cursor = pieces.empty() ? Position{count - 1, 0, 0}
                              : Position{count - 1, static_cast<int>(pieces.size()) - 1,
                                         static_cast<int>(pieces.back().size())};
    viewport()->update();
}

void MarkdownPreviewView::clearSelection() {
    m_anchor.reset();
    m_cursor.reset();
    viewport()->update();
}

void MarkdownPreviewView::copy() const {
    const QString text = selectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void MarkdownPreviewView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const std::optional<Position> at = positionAt(event->position().toPoint());
    if (!at)
        return;
    if (!(event->modifiers() & Qt::ShiftModifier) || !m_anchor)
        m_anchor = at;
    m_cursor = at;
    m_selecting = true;
    m_lastMouse = event->position().toPoint();
    viewport()->update();
}

void MarkdownPreviewView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_selecting)
        return;
    m_lastMouse = event->position().toPoint();
    m_cursor = positionAt(m_lastMouse);
    const bool outside = m_lastMouse.y() < 0 || m_lastMouse.y() > viewport()->height();
    if (outside && !m_autoScroll.isActive())
        m_autoScroll.start();
    else if (!outside)
        m_autoScroll.stop();
    viewport()->update();
}

void MarkdownPreviewView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_selecting)
        return;
    m_selecting = false;
    m_autoScroll.stop();
    // As every text view of the desktop does, a selection becomes the primary selection.
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString text = selectedText();
    if (clipboard->supportsSelection() && !text.isEmpty())
        clipboard->setText(text, QClipboard::Selection);
}

void MarkdownPreviewView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const std::optional<Position> at = positionAt(event->position().toPoint());
    if (!at)
        return;
    const std::vector<QString> pieces =
        MDRowLayout::pieceTexts(m_model->rows[static_cast<std::size_t>(at->row)]);
    if (at->piece >= static_cast<int>(pieces.size()))
        return;
    // The word under the pointer.
    const QString& text = pieces[static_cast<std::size_t>(at->piece)];
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    finder.setPosition(at->offset);
    const int end = finder.isAtBoundary() && (finder.boundaryReasons() & QTextBoundaryFinder::EndOfItem)
                        ? at->offset
                        : static_cast<int>(finder.toNextBoundary());
    finder.setPosition(end);
    const int start = static_cast<int>(finder.toPreviousBoundary());
    m_anchor = Position{at->row, at->piece, std::max(0, start)};
    m_cursor = Position{at->row, at->piece, end < 0 ? static_cast<int>(text.size()) : end};
    viewport()->update();
}

void MarkdownPreviewView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void MarkdownPreviewView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("Copy"), this, &MarkdownPreviewView::copy);
    copyAction->setEnabled(!selectedText().isEmpty());
    menu.addAction(tr("Select All"), this, &MarkdownPreviewView::selectAll);
    menu.exec(event->globalPos());
}

void MarkdownPreviewView::autoScroll() {
    const int y = m_lastMouse.y();
    const int step = y < 0 ? y : y - viewport()->height();
    verticalScrollBar()->setValue(verticalScrollBar()->value() + std::clamp(step, -60, 60));
    m_cursor = positionAt(QPoint(m_lastMouse.x(), std::clamp(y, 0, viewport()->height())));
    viewport()->update();
}
