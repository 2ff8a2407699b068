// The history panel's costs, each printed beside a baseline measured in the same run:
//  - from the show request to the first painted frame with 1,000 items, against painting a plain
//    widget of the panel's size;
//  - one search keystroke over 1,000 and over 100,000 items (typing or deleting at the end of the
//    query, a query unrelated to the one before, and the keystroke with the panel's list laid out
//    again), against a bare case-insensitive scan of the same texts;
//  - the memory of the open panel with 1,000 items (200 of them pictures), against the memory of the
//    loaded history itself.
//
//   build/bin/UIHistoryWindowBenchmark
#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>
#include <UI/HistoryWindow/HistoryListModel.h>
#include <UI/HistoryWindow/HistoryPanelController.h>
#include <UI/HistoryWindow/HistoryPasting.h>

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

class NoPasting : public HistoryPasting {
public:
    bool copyToPasteboard(const ClipboardItemPtr&, bool) override { return true; }
    void copyText(const QString&) override {}
    void autoPasteIfEnabled() override {}
    void pasteAll(const QList<ClipboardItemPtr>&, const QString&) override {}
    void startQueue(const QList<ClipboardItemPtr>&) override {}
};

// A history of `count` items written straight into the store's file in one transaction (filing
// 100,000 items one transaction at a time would take minutes), then opened by the store.
struct History {
    QTemporaryDir dir;
    Platform::UserDefaults defaults;
    std::unique_ptr<ImageStore> images;
    std::unique_ptr<HistoryStore> store;

    History(int count, int pictures) {
        images = std::make_unique<ImageStore>(dir.filePath(QStringLiteral("Images")));
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        HistoryStore::Options options;
        options.databasePath = path;
        options.images = images.get();
        options.defaults = &defaults;
        store = HistoryStore::open(options);
        store.reset();

        QByteArray png;
        {
            QImage image(640, 400, QImage::Format_RGB32);
            image.fill(QColor(90, 140, 210));
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
            db.setDatabaseName(path);
            db.open();
            db.transaction();
            QSqlQuery insert(db);
            insert.prepare(QStringLiteral(
                "INSERT INTO ClipboardItem (id, typeRaw, plainText, imageFilename, sourceAppBundleID, "
                "sourceAppName, "
                "createdAt, isPinned, dedupeKey, ocrText) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
            const int pictureEvery = pictures > 0 ? count / pictures : 0;
            for (int i = 0; i < count; ++i) {
                const bool picture = pictureEvery > 0 && i % pictureEvery == 0 && i / pictureEvery < pictures;
                QString filename;
                if (picture) {
                    filename =
                        QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".png");
                    images->write(filename, png);
                }
                insert.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
                insert.addBindValue(picture ? QStringLiteral("image") : QStringLiteral("text"));
                insert.addBindValue(
                    picture ? QVariant()
                            : QVariant(QStringLiteral("Copied sentence number %1 from a document about the "
                                                      "quarterly plan, with a few more words.")
                                           .arg(i)));
                insert.addBindValue(picture ? QVariant(filename) : QVariant());
                insert.addBindValue(QStringLiteral("org.gnome.TextEditor"));
                insert.addBindValue(QStringLiteral("Text Editor"));
                insert.addBindValue(1.7e9 + i);
                insert.addBindValue(i % 97 == 0 ? 1 : 0);
                insert.addBindValue(QStringLiteral("txt:%1").arg(i));
                insert.addBindValue(picture ? QVariant(QStringLiteral("Scanned page %1").arg(i))
                                            : QVariant());
                insert.exec();
            }
            db.commit();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench"));
        store = HistoryStore::open(options);
    }
};

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

HistoryPanelServices servicesFor(History& history, HistoryPasting& pasting) {
    HistoryPanelServices services;
    services.store = history.store.get();
    services.images = history.images.get();
    services.pasting = &pasting;
    services.defaults = &history.defaults;
    services.appIcon = [](const QString&) {
        return QIcon();
    };
    services.showHistoryKeys = [] {
        return QStringLiteral("⇧⌘V");
    };
    return services;
}

// Show to painted frame: the panel is shown and then painted whole, as the first frame on screen.
void BM_ShowToFirstFrame(benchmark::State& state) {
    History history(1000, 0);
    NoPasting pasting;
    HistoryPanelController controller(servicesFor(history, pasting));
    QWidget plain;
    plain.resize(HistoryView::kWidth, HistoryView::kHeight);
    double baseline = 0;
    {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 20; ++i)
            benchmark::DoNotOptimize(plain.grab());
        baseline = timer.nsecsElapsed() / 20.0;
    }
    QElapsedTimer cold;
    cold.start();
    controller.show();
    benchmark::DoNotOptimize(controller.panel()->grab());
    const double coldNs = cold.nsecsElapsed();
    controller.hide();
    double shown = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        controller.show();
        benchmark::DoNotOptimize(controller.panel()->grab());
        shown += timer.nsecsElapsed();
        state.PauseTiming();
        controller.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    const double perShow = shown / static_cast<double>(state.iterations());
    state.counters["first_show_ms"] = coldNs / 1e6;
    state.counters["show_ms"] = perShow / 1e6;
    state.counters["plain_paint_ms"] = baseline / 1e6;
    state.counters["ratio_first_show_to_plain_paint"] = coldNs / baseline;
    state.counters["ratio_show_to_plain_paint"] = perShow / baseline;
}

// A bare case-insensitive scan of the items' texts for the query: the baseline of a keystroke.
double bareScanNs(const History& history, const QString& query) {
    QElapsedTimer timer;
    timer.start();
    int hits = 0;
    for (const ClipboardItemPtr& item : history.store->items())
        hits += item->plainText() && item->plainText()->contains(query, Qt::CaseInsensitive);
    benchmark::DoNotOptimize(hits);
    return static_cast<double>(timer.nsecsElapsed());
}

// Keystrokes alternating between two queries, each answered by the list model. `step` runs after
// every query change (the panel variant lays the list view out there).
void searchKeystrokes(benchmark::State& state, HistoryListModel& model, const History& history,
                      const std::array<QString, 2>& queries, const std::function<void()>& step) {
    const double baseline = bareScanNs(history, queries[1]);
    // The first search after the list has been idle for a moment (as between the hot key and the
    // first typed letter): reported on its own, as it may find texts not yet prepared for search.
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QElapsedTimer first;
    first.start();
    model.setQuery(queries[1]);
    if (step)
        step();
    state.counters["first_keystroke_ms"] = first.nsecsElapsed() / 1e6;
    bool second = false;
    QElapsedTimer timer;
    timer.start();
    for (auto _ : state) {
        model.setQuery(queries[second ? 1 : 0]);
        if (step)
            step();
        second = !second;
    }
    const double perKeystroke = timer.nsecsElapsed() / static_cast<double>(state.iterations());
    state.counters["keystroke_ms"] = perKeystroke / 1e6;
    state.counters["bare_scan_ms"] = baseline / 1e6;
    state.counters["ratio_to_bare_scan"] = perKeystroke / baseline;
}

// One keystroke: the query grows by a character, or loses its last one, and the list is filtered
// again.
void BM_SearchKeystroke(benchmark::State& state) {
    History history(static_cast<int>(state.range(0)), 0);
    HistoryListModel model(*history.store);
    searchKeystrokes(state, model, history, {QStringLiteral("plan"), QStringLiteral("plan,")}, {});
}

// A keystroke that gives a query unrelated to the one before (a word replaced by a pasted one):
// every item is searched afresh.
void BM_SearchRewrite(benchmark::State& state) {
    History history(static_cast<int>(state.range(0)), 0);
    HistoryListModel model(*history.store);
    searchKeystrokes(state, model, history, {QStringLiteral("quarterly"), QStringLiteral("plan,")}, {});
}

// The keystroke as the open panel takes it: the model answers and the list view lays all its rows
// out again (painting the visible rows does not grow with the list and is left out).
void BM_SearchKeystrokeInPanel(benchmark::State& state) {
    History history(static_cast<int>(state.range(0)), 0);
    NoPasting pasting;
    HistoryPanelController controller(servicesFor(history, pasting));
    controller.show();
    QCoreApplication::processEvents();
    QListView* list = controller.view()->listView();
    searchKeystrokes(state, controller.view()->model(), history,
                     {QStringLiteral("plan"), QStringLiteral("plan,")}, [list] { list->doItemsLayout(); });
    controller.hide();
}

// Memory: what opening the panel adds to the process with the history already loaded.
void BM_OpenPanelMemory(benchmark::State& state) {
    const qint64 before = residentBytes();
    History history(1000, 200);
    const qint64 withHistory = residentBytes();
    NoPasting pasting;
    HistoryPanelController controller(servicesFor(history, pasting));
    for (auto _ : state) {
        controller.show();
        benchmark::DoNotOptimize(controller.panel()->grab());
        // Scroll through the whole list so every picture row asks for its thumbnail.
        QListView* list = controller.view()->listView();
        for (int y = 0; y <= list->verticalScrollBar()->maximum(); y += list->viewport()->height()) {
            list->verticalScrollBar()->setValue(y);
            benchmark::DoNotOptimize(controller.panel()->grab());
            QCoreApplication::processEvents();
        }
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    const qint64 open = residentBytes();
    state.counters["history_MB"] = (withHistory - before) / 1e6;
    state.counters["panel_MB"] = (open - withHistory) / 1e6;
    state.counters["panel_to_history"] =
        withHistory > before ? double(open - withHistory) / double(withHistory - before) : 0.0;
}

} // namespace

// Memory first, before other runs leave freed pages resident.
BENCHMARK(BM_OpenPanelMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ShowToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_SearchKeystroke)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchRewrite)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKeystrokeInPanel)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
