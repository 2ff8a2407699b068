// The longest stall of the GUI thread while the application handles one big clip, step by step:
//  - capture: another client takes CLIPBOARD with the clip; it is read, made an item, tagged and
//    stored (X11 clipboard of the test session, the application's monitor and store);
//  - start: the store is opened again on the same file (as the next start does) until it lists
//    the clip;
//  - list: the history panel is shown with the clip as a row (its thumbnail too, for a picture);
//  - preview: the clip's row is selected in the panel and previewed by the pane there is;
//  - edit: the pane's inline editor is opened on the clip and closed again (texts only);
//  - menu: the row's context menu is built, then "Paste Formatted JSON" (where offered) and a
//    transform are run until their text is pasted;
//  - pin, delete: the clip is pinned through its context menu, then deleted through it;
//  - quit: with text recognition queued for a few pictures, the store stops and goes.
// A watchdog timer on the GUI thread records the longest gap between its ticks during each step;
// each figure is the median over three rounds.
// Memory: the resident size of the process after the clip has been deleted (and the panel closed),
// against the resident size before the clip came, in the same round.
// The clips are a 20 MB JSON text, a 5 MB source file and a 20,000 × 20,000 PNG, against the same
// steps on a 1 KB JSON clip in the same run (the ratio). The aim is a frame, 16 ms.
//
//   scripts/with-test-session.sh build/bin/StallBenchmark
#include <Analysis/OCRService.h>
#include <Analysis/TextTransform.h>
#include <Capture/DefaultSettings.h>
#include <Capture/PasteboardMonitor.h>
#include <Platform/Scheduling/QtScheduler.h>
#include <Platform/TextRecognition/TesseractTextRecognizer.h>
#include <Platform/UserDefaults.h>
#include <Platform/X11/X11Pasteboard.h>
#include <Platform/X11/X11Workspace.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>
#include <StorageTestSupport.h>
#include <Platform/MemoryRelease.h>
#include <UI/HistoryWindow/HistoryPanelController.h>
#include <UI/HistoryWindow/HistoryPasting.h>
#include <UI/HistoryWindow/ItemRowDelegate.h>
#include <UI/Preview/AsyncImagePreview.h>
#include <UI/Preview/PreviewPane.h>

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

namespace {

using namespace std::chrono_literals;

// Ticks every millisecond on the GUI thread and keeps the longest time between two ticks: the
// longest the event loop could not run.
class Watchdog {
public:
    Watchdog() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }

    void start() {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // The longest gap in milliseconds, the time up to now included.
    double stop() {
        tick();
        m_timer.stop();
        return static_cast<double>(m_longest) / 1e6;
    }

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Runs the event loop until `done` holds or `timeout` passes; false on timeout.
bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout.count())
            return false;
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void spinFor(std::chrono::milliseconds time) {
    spinUntil([] { return false; }, time);
}

// Counts what the panel pastes.
class CountingPasting : public HistoryPasting {
public:
    bool copyToPasteboard(const ClipboardItemPtr&, bool) override {
        ++pastes;
        return true;
    }
    void copyText(const QString&) override { ++pastes; }
    void autoPasteIfEnabled() override {}
    void pasteAll(const QList<ClipboardItemPtr>&, const QString&) override {}
    void startQueue(const QList<ClipboardItemPtr>&) override {}
    int pastes = 0;
};

// The X11 clipboard of the session and its application front, shared by every run.
struct Desktop {
    Platform::X11::X11Pasteboard pasteboard;
    Platform::X11::X11Workspace workspace;
    Platform::QtScheduler scheduler;
};
Desktop* g_desktop = nullptr;

struct Clip {
    const char* target;
    QByteArray payload;
};

enum class Step { capture, start, list, preview, edit, menu, pin, remove, quit, rssBefore, rssAfter };
// The stalls, in milliseconds.
const std::pair<Step, const char*> kSteps[] = {
    {Step::capture, "capture"}, {Step::start, "start"}, {Step::list, "list"},
    {Step::preview, "preview"}, {Step::edit, "edit"},   {Step::menu, "menu"},
    {Step::pin, "pin"},         {Step::remove, "delete"}, {Step::quit, "quit"}};

// The stalls of the steps, and the resident sizes (in MB) under rssBefore and rssAfter.
using Stalls = std::map<Step, double>;

// The resident size of this process in MB.
double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1024.0 * 1024.0) : 0;
}

constexpr int kRounds = 3;

// A small picture with a line of text, for the recognitions that are queued at quit.
QByteArray textPicture(int number) {
    QImage image(480, 60, QImage::Format_RGB32);
    image.fill(QColor(250, 250, 250));
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(18);
    painter.setFont(font);
    painter.setPen(QColor(30, 30, 30));
    painter.drawText(20, 38, QStringLiteral("Picture %1: the quick brown fox").arg(number));
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// The entry of `menu` or of one of its submenus with the title `title`, if there is one.
QAction* findAction(const QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions()) {
        for (QAction* candidate : action->menu() ? action->menu()->actions() : QList<QAction*>{action}) {
            if (candidate->text() == title)
                return candidate;
        }
    }
    return nullptr;
}

// Another client takes CLIPBOARD with the clip (xclip, which serves large clips incrementally). The
// event loop does not run meanwhile, so the capture only starts once the watchdog is started.
bool offer(const QTemporaryDir& root, const Clip& clip) {
    QFile file(root.filePath(QStringLiteral("clip")));
    if (!file.open(QIODevice::WriteOnly) || file.write(clip.payload) != clip.payload.size())
        return false;
    file.close();
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                 QString::fromLatin1(clip.target), QStringLiteral("-i"), file.fileName()});
    return xclip.waitForFinished(30000) && xclip.exitCode() == 0;
}

// One application's history, panel and capture, in a data directory of its own; every step of one
// clip, each measured by the watchdog.
Stalls runSteps(const Clip& clip) {
    QTemporaryDir root;
    ImageStore images(root.filePath(QStringLiteral("Images")));
    Platform::UserDefaults defaults;
    App::registerDefaultSettings(defaults);
    auto recognizer = std::make_unique<Platform::TesseractTextRecognizer>();
    HistoryStore::Options options;
    options.databasePath = root.filePath(QStringLiteral("history.sqlite"));
    options.images = &images;
    options.defaults = &defaults;
    options.recognizer = recognizer.get();
    // As the application's store does.
    options.loadInBackground = true;
    std::unique_ptr<HistoryStore> store = HistoryStore::open(options);
    PasteboardMonitor monitor({g_desktop->pasteboard, g_desktop->workspace, defaults, g_desktop->scheduler,
                               images, [&](const ClipboardItemPtr& item) {
                                   store->add(item);
                               }});
    CountingPasting pasting;
    HistoryPanelServices services;
    services.store = store.get();
    services.images = &images;
    services.pasting = &pasting;
    services.defaults = &defaults;
    services.appIcon = [](const QString&) {
        return QIcon();
    };
    services.performSmartAction = [](const ContentClassifier::SmartAction& action,
                                     const ContentClassifier::Replies& replies) {
        ContentClassifier::perform(action, replies);
    };
    auto controller = std::make_unique<HistoryPanelController>(services);
    Watchdog watchdog;
    Stalls stalls;
    // The panel's first showing builds its widgets whatever the history holds: done before measuring.
    controller->show();
    spinFor(300ms);
    controller->hide();
    spinFor(300ms);

    const double rssBefore = residentMegabytes();
    // Capture, while an older item is there already (the preview step selects the clip from it).
    NewClipboardItem older;
    older.plainText = QStringLiteral("an older item");
    older.dedupeKey = QStringLiteral("txt:older");
    store->add(ClipboardItem::make(older));
    monitor.start();
    if (!offer(root, clip)) {
        std::fprintf(stderr, "xclip could not take the clipboard\n");
        return {};
    }
    watchdog.start();
    const bool captured = spinUntil([&] { return store->items().size() == 2; }, 180s);
    spinFor(200ms);
    stalls[Step::capture] = watchdog.stop();
    monitor.stop();
    if (!captured) {
        std::fprintf(stderr, "the clip did not reach the history\n");
        return {};
    }
    ClipboardItemPtr item = store->items().first();

    watchdog.start();
    {
        const std::unique_ptr<HistoryStore> again = HistoryStore::open(options);
        if (!again || !spinUntil([&] { return again->items().size() == 2; }, 60s)) {
            std::fprintf(stderr, "the history did not open again\n");
            return {};
        }
        spinFor(100ms);
    }
    stalls[Step::start] = watchdog.stop();

    const NewClipboardItem newer = [] {
        NewClipboardItem content;
        content.plainText = QStringLiteral("a newer item");
        content.dedupeKey = QStringLiteral("txt:newer");
        return content;
    }();
    store->add(ClipboardItem::make(newer));

    // The list, with the clip's thumbnail where it has one.
    watchdog.start();
    controller->show();
    if (item->imageFilename()) {
        bool ready = false;
        QObject::connect(controller->view()->rowDelegate(), &ItemRowDelegate::thumbnailReady,
                         controller.get(), [&ready] { ready = true; });
        spinUntil([&] { return ready; }, 120s);
    }
    spinFor(300ms);
    stalls[Step::list] = watchdog.stop();

    // The preview of the clip, its picture loaded where it has one.
    watchdog.start();
    controller->view()->model().commitSelection(item->id(), true);
    if (item->imageFilename()) {
        spinUntil(
            [&] {
                const auto* picture = controller->view()->previewPane()->findChild<AsyncImagePreview*>();
                return picture && picture->hasFullImage();
            },
            120s);
    }
    spinFor(300ms);
    stalls[Step::preview] = watchdog.stop();

    // The inline editor on the clip's text, opened until it shows, then closed.
    watchdog.start();
    PreviewPane* pane = controller->view()->previewPane();
    if (pane && !item->imageFilename()) {
        pane->beginEditing();
        spinFor(300ms);
        if (!pane->isEditing()) {
            std::fprintf(stderr, "the editor did not open\n");
            return {};
        }
        pane->cancelEditing();
    }
    spinFor(100ms);
    stalls[Step::edit] = watchdog.stop();

    // The context menu, its JSON action and a transform, each until its text is pasted. The newer
    // item is previewed first, so that the panel showing again between the actions keeps its pane.
    const ClipboardItemPtr newest = store->items().first();
    controller->view()->model().commitSelection(newest->id(), true);
    spinFor(300ms);
    const QStringList actions{
        ContentClassifier::SmartAction{ContentClassifier::SmartAction::Kind::pastePrettyJSON, {}}.title(),
        TextTransforms::title(TextTransform::uppercased)};
    watchdog.start();
    for (const QString& title : actions) {
        controller->show();
        const int pastesBefore = pasting.pastes;
        std::unique_ptr<QMenu> menu(controller->view()->makeContextMenu(item, nullptr));
        if (QAction* chosen = findAction(*menu, title)) {
            chosen->trigger();
            spinUntil([&] { return pasting.pastes > pastesBefore; }, 60s);
        }
        spinFor(200ms);
    }
    stalls[Step::menu] = watchdog.stop();

    // Pin, then delete, each chosen from the clip's context menu; what is still being written
    // afterwards is waited for outside the measurement.
    for (const auto& [step, title] :
         {std::pair{Step::pin, QCoreApplication::translate("HistoryView", "Pin")},
          std::pair{Step::remove, QCoreApplication::translate("HistoryView", "Delete")}}) {
        controller->show();
        spinFor(100ms);
        std::unique_ptr<QMenu> menu(controller->view()->makeContextMenu(item, nullptr));
        QAction* chosen = findAction(*menu, title);
        if (!chosen) {
            std::fprintf(stderr, "the context menu has no %s\n", qPrintable(title));
            return {};
        }
        watchdog.start();
        chosen->trigger();
        spinFor(300ms);
        stalls[step] = watchdog.stop();
        store->waitForWrites();
    }
    if (store->item(item->id()) || store->items().size() != 2) {
        std::fprintf(stderr, "the clip was not deleted\n");
        return {};
    }
    controller.reset();
    // The benchmark's own hold on the clip goes too: what is left is what the program keeps.
    item.reset();
    // What the deletion gives back arrives a moment later (the memory is handed back off the GUI
    // thread).
    spinFor(1500ms);
    stalls[Step::rssBefore] = rssBefore;
    stalls[Step::rssAfter] = residentMegabytes();

    // Quit with recognitions queued: more pictures than the recognition pool has threads.
    for (int i = 0; i < 4; ++i) {
        const QByteArray png = textPicture(i);
        const QString filename =
            QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".png");
        images.write(filename, png);
        NewClipboardItem picture;
        picture.type = ItemType::image;
        picture.imageFilename = filename;
        picture.dedupeKey = QStringLiteral("img:%1").arg(i);
        store->add(ClipboardItem::make(picture));
    }
    spinFor(100ms);
    watchdog.start();
    store->stopRecognitions();
    OCRService::retire(std::move(recognizer));
    store.reset();
    spinFor(100ms);
    stalls[Step::quit] = watchdog.stop();
    return stalls;
}

// The median of each step's longest stall over the rounds: a round may catch the machine busy with
// other work.
Stalls medianOf(const Clip& clip, int rounds) {
    std::map<Step, std::vector<double>> all;
    for (int round = 0; round < rounds; ++round) {
        const Stalls stalls = runSteps(clip);
        if (stalls.empty())
            return {};
        for (const auto& [step, stall] : stalls)
            all[step].push_back(stall);
    }
    Stalls median;
    for (auto& [step, values] : all) {
        std::sort(values.begin(), values.end());
        median[step] = values[values.size() / 2];
    }
    return median;
}

const Clip& oneKilobyteJson() {
    static const Clip clip = [] {
        QByteArray json = "{\"entries\": [";
        for (int i = 0; json.size() < 1000; ++i)
            json += "{\"id\": " + QByteArray::number(i) + ", \"name\": \"entry\"},";
        json += "{}]}";
        return Clip{"UTF8_STRING", json};
    }();
    return clip;
}

// The stalls of the 1 KB clip, measured once in this run.
const Stalls& baseline() {
    static const Stalls stalls = medianOf(oneKilobyteJson(), kRounds);
    return stalls;
}

void report(benchmark::State& state, const Stalls& stalls) {
    if (stalls.empty()) {
        state.SkipWithError("the clip was not captured");
        return;
    }
    for (const auto& [step, name] : kSteps) {
        const double ours = stalls.at(step);
        const double base = baseline().at(step);
        state.counters[std::string(name) + "_ms"] = ours;
        state.counters[std::string(name) + "_1KB_ms"] = base;
        state.counters[std::string(name) + "_ratio"] = base > 0 ? ours / base : 0;
    }
    const double before = stalls.at(Step::rssBefore);
    const double after = stalls.at(Step::rssAfter);
    state.counters["rss_before_MB"] = before;
    state.counters["rss_after_delete_MB"] = after;
    state.counters["rss_ratio"] = before > 0 ? after / before : 0;
}

void runClip(benchmark::State& state, const Clip& clip) {
    if (baseline().empty()) {
        state.SkipWithError("the 1 KB clip was not captured");
        return;
    }
    Stalls stalls;
    for (auto _ : state)
        stalls = medianOf(clip, kRounds);
    report(state, stalls);
}

void BM_Json1KB(benchmark::State& state) {
    runClip(state, oneKilobyteJson());
}

void BM_Json20MB(benchmark::State& state) {
    QByteArray json = "{\"items\": [";
    json.reserve(21 * 1024 * 1024);
    for (int i = 0; json.size() < 20 * 1024 * 1024; ++i)
        json +=
            "{\"id\": " + QByteArray::number(i) +
            ", \"name\": \"item\", \"price\": 12345678901234567890, \"tags\": [\"a\", \"b\"], \"ok\": true},";
    json += "{}]}";
    runClip(state, {"UTF8_STRING", json});
}

void BM_Code5MB(benchmark::State& state) {
    QByteArray code = "#include <vector>\n\nnamespace sample {\n\n";
    for (int i = 0; code.size() < 5 * 1024 * 1024; ++i)
        code += "int function" + QByteArray::number(i) +
                "(const std::vector<int>& values) {\n    int sum = 0;\n    for (int value : values)\n"
                "        sum += value * " +
                QByteArray::number(i % 97) + ";\n    return sum;\n}\n\n";
    code += "} // namespace sample\n";
    runClip(state, {"UTF8_STRING", code});
}

void BM_Png20000x20000(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.png"));
    if (!StorageTestSupport::writeHugeGreyPng(path, 20000, 20000)) {
        state.SkipWithError("cannot write the picture");
        return;
    }
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    runClip(state, {"image/png", file.readAll()});
}

} // namespace

BENCHMARK(BM_Json1KB)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Json20MB)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Code5MB)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Png20000x20000)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // As the program does.
    Platform::MemoryRelease::returnLargeBlocksWhenFreed();
    QApplication app(argc, argv);
    Desktop desktop;
    if (!desktop.pasteboard.isValid() || !desktop.workspace.isValid()) {
        std::fprintf(stderr, "This benchmark needs the X server of the test session.\n");
        return 1;
    }
    g_desktop = &desktop;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_desktop = nullptr;
    return 0;
}
