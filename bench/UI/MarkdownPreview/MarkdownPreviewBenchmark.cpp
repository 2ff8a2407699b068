// The Markdown preview with a 2 MB README-like document, each figure beside a plain-text view
// (QPlainTextEdit) of the same text measured in the same run:
//  - the first painted frame after the view is made, and the first frame with rendered rows (a long
//    text shows plain while its leading blocks, then the whole of it, are parsed on a worker);
//  - the longest stall of the GUI thread while the view opens and is scrolled through from top to
//    bottom and back, seen by a 1 ms watchdog timer (fonts loaded before, by a short document);
//  - the memory the open view adds, after it has been scrolled through;
//  - the longest stall with one paragraph of 2 MB (wrapped as one run, laid out a piece at a time
//    as it comes into view), scrolled through in steps and jumped to its end and back.
//
//   build/bin/UIMarkdownPreviewBenchmark
#include <UI/Preview/Markdown/MarkdownPreviewView.h>

#include <Markdown/Markdown.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QThreadPool>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

constexpr qsizetype kDocumentSize = 2 * 1024 * 1024;
constexpr int kScrollSteps = 200;

// A README-like text of about 2 MB; `variant` makes each one differ, so no parse is reused.
QString document(int variant) {
    const QString section = QStringLiteral(
        "## Section\n\nA paragraph with **bold**, *emphasis*, a [link](https://example.com) and `inline "
        "code`, "
        "long enough to wrap over a few lines of the preview pane in its usual width.\n\n"
        "- first item\n- second item with more words\n  - nested item\n\n"
        "1. one\n2. two\n\n- [x] done\n- [ ] open\n\n> A quoted remark that runs on for a while.\n\n"
        "```cpp\nint main() {\n    return 0;\n}\n```\n\n| Key | Value |\n|---|---|\n| a | 1 |\n| b | 2 "
        "|\n\n---\n\n");
    QString text = QStringLiteral("# Document %1\n\n").arg(variant);
    text.reserve(kDocumentSize + section.size());
    while (text.size() < kDocumentSize)
        text += section;
    return text;
}

// One paragraph of about 2 MB, with some strong words in it.
QString paragraph(int variant) {
    QString text = QStringLiteral("Paragraph %1 ").arg(variant);
    text.reserve(kDocumentSize + 64);
    for (int word = 0; text.size() < kDocumentSize; ++word)
        text +=
            word % 9 == 4 ? QStringLiteral("**strong%1** ").arg(word) : QStringLiteral("word%1 ").arg(word);
    return text;
}

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

// Runs the event loop until `done` holds.
void spinUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Paint events on the viewport of a scroll area, counted.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* viewport) { viewport->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The plain view of the baseline.
std::unique_ptr<QPlainTextEdit> plainView(const QString& text) {
    auto view = std::make_unique<QPlainTextEdit>();
    view->setReadOnly(true);
    view->setPlainText(text);
    return view;
}

// Milliseconds from making a view to its first painted frame; `ready` says when the frame that
// counts has been painted.
template <class Make>
double msToFrame(Make make, const std::function<bool(QAbstractScrollArea&, PaintCounter&)>& ready) {
    QElapsedTimer timer;
    timer.start();
    auto view = make();
    PaintCounter counter(view->viewport());
    view->resize(460, 600);
    view->show();
    spinUntil([&] { return ready(*view, counter); });
    const double ms = timer.nsecsElapsed() / 1e6;
    view.reset();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    return ms;
}

void BM_FirstFrame(benchmark::State& state) {
    int variant = 0;
    double plain = 0;
    double first = 0;
    double rendered = 0;
    for (auto _ : state) {
        const QString text = document(++variant);
        plain += msToFrame([&] { return plainView(text); },
                           [](QAbstractScrollArea&, PaintCounter& counter) { return counter.paints > 0; });
        const QString markdownText = document(++variant);
        first += msToFrame([&] { return std::make_unique<MarkdownPreviewView>(markdownText, 12); },
                           [](QAbstractScrollArea&, PaintCounter& counter) { return counter.paints > 0; });
        const QString renderedText = document(++variant);
        rendered += msToFrame([&] { return std::make_unique<MarkdownPreviewView>(renderedText, 12); },
                              [](QAbstractScrollArea& view, PaintCounter& counter) {
                                  // Paints count only once rendered rows show.
                                  if (!static_cast<MarkdownPreviewView&>(view).showsRenderedRows())
                                      counter.paints = 0;
                                  return counter.paints > 0;
                              });
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["plain_ms"] = plain / runs;
    state.counters["first_frame_ms"] = first / runs;
    state.counters["rendered_frame_ms"] = rendered / runs;
    state.counters["ratio_first_frame_to_plain"] = first / plain;
    state.counters["ratio_rendered_frame_to_plain"] = rendered / plain;
}

// Where the rendered frame's time goes, on the worker: parsing the text, and turning the document
// into rows.
void BM_ParseAndRows(benchmark::State& state) {
    const QString text = document(500);
    double parse = 0;
    double rows = 0;
    double plain = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        plainView(text).reset();
        plain += timer.nsecsElapsed();
        timer.restart();
        const QByteArray utf8 = text.toUtf8();
        const Markdown::Document parsed = Markdown::Document::parsing(
            std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())),
            Markdown::ParseOptions{});
        parse += timer.nsecsElapsed();
        timer.restart();
        benchmark::DoNotOptimize(MDBlockView::build(parsed).rows.size());
        rows += timer.nsecsElapsed();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["plain_view_ms"] = plain / runs / 1e6;
    state.counters["parse_ms"] = parse / runs / 1e6;
    state.counters["rows_ms"] = rows / runs / 1e6;
    state.counters["ratio_parse_and_rows_to_plain_view"] = (parse + rows) / plain;
}

// The longest gap between two turns of a 1 ms timer while `script` runs its steps, one per turn
// of the event loop.
class Watchdog {
public:
    Watchdog() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_timer.start();
    }
    double longestMs() const { return m_longest / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Opens a view of `text` and scrolls it to the bottom and back in steps, each step on its own
// turn of the event loop; the longest stall seen meanwhile.
// With `jump`, it goes straight to the bottom and back to the top instead, some turns apart.
template <class Make>
double longestStall(Make make, const std::function<bool(QAbstractScrollArea&)>& ready, bool jump = false) {
    std::unique_ptr<QAbstractScrollArea> view;
    Watchdog watchdog;
    QCoreApplication::processEvents();
    view = make();
    view->resize(460, 600);
    view->show();
    spinUntil([&] { return ready(*view); });
    QScrollBar* bar = view->verticalScrollBar();
    for (int step = 0; step <= 2 * kScrollSteps; ++step) {
        const int position = step <= kScrollSteps ? step : 2 * kScrollSteps - step;
        if (jump && step % kScrollSteps == 0)
            bar->setValue(step == kScrollSteps ? bar->maximum() : 0);
        else if (!jump)
            bar->setValue(static_cast<int>(qint64(bar->maximum()) * position / kScrollSteps));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    const double longest = watchdog.longestMs();
    view.reset();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    return longest;
}

bool documentReady(QAbstractScrollArea& view) {
    return static_cast<MarkdownPreviewView&>(view).isDocumentReady();
}

// Fonts are loaded once per process, on their first use: a short document with every style is
// opened first, as the previews the user saw before have done.
void loadFonts() {
    longestStall([] { return std::make_unique<MarkdownPreviewView>(document(0).left(4000), 12); },
                 documentReady);
}

void BM_LongestStall(benchmark::State& state) {
    loadFonts();
    int variant = 100;
    double plain = 0;
    double markdown = 0;
    for (auto _ : state) {
        const QString text = document(++variant);
        plain = std::max(
            plain, longestStall([&] { return plainView(text); }, [](QAbstractScrollArea&) { return true; }));
        const QString markdownText = document(++variant);
        markdown = std::max(
            markdown, longestStall([&] { return std::make_unique<MarkdownPreviewView>(markdownText, 12); },
                                   documentReady));
    }
    state.counters["plain_longest_stall_ms"] = plain;
    state.counters["markdown_longest_stall_ms"] = markdown;
    state.counters["ratio_to_plain"] = markdown / plain;
}

// A paragraph of 2 MB against the README-like document of the same size. (A plain text view of the
// paragraph is no baseline: it lays out its one line whole, for seconds.)
void BM_LongParagraphStall(benchmark::State& state) {
    loadFonts();
    int variant = 200;
    double readme = 0;
    double scrolled = 0;
    double jumped = 0;
    for (auto _ : state) {
        const QString readmeText = document(++variant);
        readme = std::max(readme,
                          longestStall([&] { return std::make_unique<MarkdownPreviewView>(readmeText, 12); },
                                       documentReady));
        const QString scrolledText = paragraph(++variant);
        scrolled = std::max(
            scrolled, longestStall([&] { return std::make_unique<MarkdownPreviewView>(scrolledText, 12); },
                                   documentReady));
        const QString jumpedText = paragraph(++variant);
        jumped = std::max(jumped,
                          longestStall([&] { return std::make_unique<MarkdownPreviewView>(jumpedText, 12); },
                                       documentReady, true));
    }
    state.counters["readme_longest_stall_ms"] = readme;
    state.counters["paragraph_scrolled_longest_stall_ms"] = scrolled;
    state.counters["paragraph_jumped_longest_stall_ms"] = jumped;
    state.counters["ratio_scrolled_to_readme"] = scrolled / readme;
    state.counters["ratio_jumped_to_readme"] = jumped / readme;
}

// What an open, scrolled-through view of the document adds to the process.
template <class Make> qint64 addedMemory(Make make, const std::function<bool(QAbstractScrollArea&)>& ready) {
    QThreadPool::globalInstance()->waitForDone();
    const qint64 before = residentBytes();
    auto view = make();
    view->resize(460, 600);
    view->show();
    spinUntil([&] { return ready(*view); });
    QScrollBar* bar = view->verticalScrollBar();
    for (int step = 0; step <= kScrollSteps; ++step) {
        bar->setValue(static_cast<int>(qint64(bar->maximum()) * step / kScrollSteps));
        view->viewport()->repaint();
    }
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    return residentBytes() - before;
}

void BM_Memory(benchmark::State& state) {
    const QString text = document(1000);
    const QString markdownText = document(1001);
    qint64 plain = 0;
    qint64 markdown = 0;
    for (auto _ : state) {
        markdown = addedMemory([&] { return std::make_unique<MarkdownPreviewView>(markdownText, 12); },
                               [](QAbstractScrollArea& view) {
                                   return static_cast<MarkdownPreviewView&>(view).isDocumentReady();
                               });
        plain = addedMemory([&] { return plainView(text); }, [](QAbstractScrollArea&) { return true; });
    }
    state.counters["document_MB"] = text.size() * 2 / 1e6;
    state.counters["plain_MB"] = plain / 1e6;
    state.counters["markdown_MB"] = markdown / 1e6;
    state.counters["ratio_to_plain"] = plain > 0 ? double(markdown) / double(plain) : 0.0;
}

} // namespace

// Memory first, before other runs leave freed pages resident.
BENCHMARK(BM_Memory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ParseAndRows)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LongestStall)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_LongParagraphStall)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
