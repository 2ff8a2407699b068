// The history store's costs, each per item and as a ratio to a bare SQLite insert of the same row
// (same table, indexes and settings, one transaction) measured at the start of the same run.
//
//   build/bin/StorageHistoryStoreBenchmark
#include "Analysis/OCRService.h"
#include "Platform/TextRecognition/TesseractTextRecognizer.h"
#include "Platform/UserDefaults.h"
#include "Storage/HistoryStore.h"
#include "Storage/ImageStore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

double g_bareInsertSeconds = 0;

NewClipboardItem textItem(int n) {
    NewClipboardItem item;
    item.type = ItemType::text;
    item.plainText =
        QStringLiteral("Clipboard text number %1, long enough to look like a real copied sentence.").arg(n);
    item.dedupeKey =
        QStringLiteral("txt:") +
        QString::fromLatin1(
            QCryptographicHash::hash(item.plainText->toUtf8(), QCryptographicHash::Sha256).toHex());
    item.sourceAppBundleID = QStringLiteral("org.gnome.TextEditor");
    item.sourceAppName = QStringLiteral("Text Editor");
    return item;
}

// A store in a fresh temporary XDG-like folder, filled with `count` text items.
struct Fixture {
    explicit Fixture(int count, int limit = 1'000'000) {
        defaults.setValue(QStringLiteral("historyLimit"), limit);
        store = open();
        for (int i = 0; i < count; ++i)
            store->add(ClipboardItem::make(textItem(i)));
    }
    std::unique_ptr<HistoryStore> open() {
        HistoryStore::Options options;
        options.databasePath = dir.filePath(QStringLiteral("history.sqlite"));
        options.images = &images;
        options.defaults = &defaults;
        return HistoryStore::open(options);
    }
    QTemporaryDir dir;
    ImageStore images{dir.filePath(QStringLiteral("Images"))};
    Platform::UserDefaults defaults;
    std::unique_ptr<HistoryStore> store;
};

// The baseline: the schema and settings the store uses, one row per transaction, nothing else.
double measureBareInsert(int rows) {
    Fixture fixture(0);
    const QByteArray path = fixture.dir.filePath(QStringLiteral("bare.sqlite")).toLocal8Bit();
    fixture.store.reset();
    sqlite3* db = nullptr;
    sqlite3_open(path.constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr, nullptr, nullptr);
    sqlite3_exec(
        db,
        "CREATE TABLE ClipboardItem (id TEXT NOT NULL UNIQUE, typeRaw TEXT NOT NULL, plainText TEXT, "
        "richData BLOB, imageFilename TEXT, detectedLanguage TEXT, sourceAppBundleID TEXT, sourceAppName "
        "TEXT, createdAt REAL NOT NULL, isPinned INTEGER NOT NULL DEFAULT 0, dedupeKey TEXT NOT NULL, "
        "snippetTitle TEXT, ocrText TEXT, contentTagsRaw TEXT);"
        "CREATE INDEX ClipboardItem_dedupeKey ON ClipboardItem (dedupeKey);"
        "CREATE INDEX ClipboardItem_createdAt ON ClipboardItem (createdAt);",
        nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO ClipboardItem (id, typeRaw, plainText, sourceAppBundleID, sourceAppName, "
                       "createdAt, isPinned, dedupeKey) VALUES (?, 'text', ?, ?, ?, ?, 0, ?)",
                       -1, &insert, nullptr);
    std::vector<std::array<QByteArray, 3>> values;
    for (int i = 0; i < rows; ++i) {
        const NewClipboardItem item = textItem(i);
        values.push_back({QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toUtf8(),
                          item.plainText->toUtf8(), item.dedupeKey.toUtf8()});
    }
    const auto start = Clock::now();
    for (const auto& [id, text, key] : values) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_bind_text(insert, 1, id.constData(), static_cast<int>(id.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, text.constData(), static_cast<int>(text.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, "org.gnome.TextEditor", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, "Text Editor", -1, SQLITE_STATIC);
        sqlite3_bind_double(insert, 5, ClipboardItem::now());
        sqlite3_bind_text(insert, 6, key.constData(), static_cast<int>(key.size()), SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count() / rows;
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return seconds;
}

void report(benchmark::State& state, double seconds, double items) {
    state.counters["per_item_us"] = seconds / items * 1e6;
    state.counters["x_bare_insert"] = seconds / items / g_bareInsertSeconds;
}

void BM_BareSqliteInsert(benchmark::State& state) {
    for (auto _ : state) {
        const double seconds = measureBareInsert(200);
        state.SetIterationTime(seconds);
        report(state, seconds, 1);
    }
}
BENCHMARK(BM_BareSqliteInsert)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);

// Adding one new text item to a 1,000-item history: tagging, the duplicate check, the insert and
// its commit, and the list update.
void BM_AddTextItemTo1000(benchmark::State& state) {
    Fixture fixture(1000);
    int n = 1000;
    double total = 0;
    for (auto _ : state) {
        const ClipboardItemPtr item = ClipboardItem::make(textItem(n++));
        const auto start = Clock::now();
        fixture.store->add(item);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    report(state, total / static_cast<double>(state.iterations()), 1);
}
BENCHMARK(BM_AddTextItemTo1000)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);

// Re-copying an item already in a 1,000-item history (it moves to the top).
void BM_RecopyIn1000(benchmark::State& state) {
    Fixture fixture(1000);
    int n = 0;
    double total = 0;
    for (auto _ : state) {
        const ClipboardItemPtr item = ClipboardItem::make(textItem(n++ % 1000));
        const auto start = Clock::now();
        fixture.store->add(item);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    report(state, total / static_cast<double>(state.iterations()), 1);
}
BENCHMARK(BM_RecopyIn1000)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);

// Opening the store and loading 1,000 items, as at start-up.
void BM_LoadAtStartup1000(benchmark::State& state) {
    Fixture fixture(1000);
    fixture.store.reset();
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        std::unique_ptr<HistoryStore> store = fixture.open();
        benchmark::DoNotOptimize(store->items().size());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double perOpen = total / static_cast<double>(state.iterations());
    state.counters["load_ms"] = perOpen * 1e3;
    report(state, perOpen, 1000);
}
BENCHMARK(BM_LoadAtStartup1000)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// Trimming 100 items from a history of 1,100 down to its limit of 1,000, in one transaction.
void BM_Trim100From1100(benchmark::State& state) {
    Fixture fixture(1000, 1000);
    int n = 1000;
    double total = 0;
    for (auto _ : state) {
        fixture.defaults.setValue(QStringLiteral("historyLimit"), 1'000'000);
        for (int i = 0; i < 100; ++i)
            fixture.store->add(ClipboardItem::make(textItem(n++)));
        fixture.defaults.setValue(QStringLiteral("historyLimit"), 1000);
        const auto start = Clock::now();
        fixture.store->enforceLimit();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    report(state, total / static_cast<double>(state.iterations()), 100);
}
BENCHMARK(BM_Trim100From1100)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// Recognising the text of a 1920×1080 screenshot full of text lines (Tesseract, "pol+eng").
void BM_RecognizeScreenshot1920x1080(benchmark::State& state) {
    QTemporaryDir dir;
    QImage screenshot(1920, 1080, QImage::Format_RGB32);
    screenshot.fill(QColor(250, 250, 250));
    {
        QPainter painter(&screenshot);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(16);
        painter.setFont(font);
        painter.setPen(QColor(30, 30, 30));
        for (int line = 0; line < 40; ++line)
            painter.drawText(
                40, 40 + line * 25,
                QStringLiteral("Wiersz %1: zażółć gęślą jaźń, the quick brown fox jumps over the lazy dog.")
                    .arg(line));
    }
    const QString path = dir.filePath(QStringLiteral("screenshot.png"));
    screenshot.save(path, "PNG");
    Platform::TesseractTextRecognizer recognizer;
    OCRService::recognize(path, &recognizer).waitForFinished(); // engine start-up is not measured
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const std::optional<QString> text = OCRService::recognize(path, &recognizer).result();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        benchmark::DoNotOptimize(text);
        state.SetIterationTime(seconds);
        total += seconds;
    }
    report(state, total / static_cast<double>(state.iterations()), 1);
}
BENCHMARK(BM_RecognizeScreenshot1920x1080)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    g_bareInsertSeconds = measureBareInsert(500);
    std::printf("Baseline: a bare SQLite insert of one history row with its commit takes %.1f us\n",
                g_bareInsertSeconds * 1e6);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
