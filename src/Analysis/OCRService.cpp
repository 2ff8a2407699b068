#include "OCRService.h"

#include "Imaging/BoundedDecode.h"
#include "Imaging/PngThumbnailReader.h"
#include "Platform/TextRecognizer.h"

#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QPromise>
#include <QRunnable>
#include <QThreadPool>
#include <QWaitCondition>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace OCRService {

namespace {

// One recognizer as the jobs see it. Guarded by the mutex of Recognitions.
struct RecognizerSlot {
    Platform::TextRecognizer* recognizer = nullptr;
    int running = 0;
    bool retired = false;
    // Set by retire() while jobs still run; the last of them deletes it.
    std::unique_ptr<Platform::TextRecognizer> owned;
};

// The pool, and which recognizers its jobs are using. Queued jobs never run on a thread that waits
// for their future: QtConcurrent's futures let a waiting thread take a queued job and run it
// itself, which would put recognition on the GUI thread at quit.
class Recognitions {
public:
    // Never destroyed, nor is its pool: jobs may still reach it while the process exits, and pool
    // threads that ended then would release their engines while the libraries are torn down.
    static Recognitions& instance() {
        static Recognitions* recognitions = [] {
            std::atexit([] { instance().close(); });
            return new Recognitions;
        }();
        return *recognitions;
    }

    // At exit: jobs still queued are dropped and running ones finish first, so that no engine works
    // while the libraries are torn down.
    void close() {
        QMutexLocker lock(&m_mutex);
        m_closing = true;
        m_pool.clear();
        while (m_running > 0)
            m_idle.wait(&m_mutex);
    }

    QThreadPool& pool() { return m_pool; }

    std::shared_ptr<RecognizerSlot> slot(Platform::TextRecognizer* recognizer) {
        QMutexLocker lock(&m_mutex);
        std::shared_ptr<RecognizerSlot>& slot = m_slots[recognizer];
        if (!slot) {
            slot = std::make_shared<RecognizerSlot>();
            slot->recognizer = recognizer;
        }
        return slot;
    }

    // False when the recognizer has been retired or the process exits: the job then does nothing.
    bool begin(RecognizerSlot& slot) {
        QMutexLocker lock(&m_mutex);
        if (slot.retired || m_closing)
            return false;
        ++slot.running;
        ++m_running;
        return true;
    }

    void end(RecognizerSlot& slot) {
        // Declared first, so a retired recognizer is deleted after the lock is released.
        std::unique_ptr<Platform::TextRecognizer> last;
        QMutexLocker lock(&m_mutex);
        if (--slot.running == 0)
            last = std::move(slot.owned);
        if (--m_running == 0)
            m_idle.wakeAll();
    }

    void retire(std::unique_ptr<Platform::TextRecognizer> recognizer) {
        QMutexLocker lock(&m_mutex);
        // A recognizer made later at the same address gets a slot of its own.
        const std::shared_ptr<RecognizerSlot> slot = m_slots.take(recognizer.get());
        if (slot) {
            slot->retired = true;
            if (slot->running > 0) {
                slot->owned = std::move(recognizer);
                return;
            }
        }
        lock.unlock();
        recognizer.reset();
    }

private:
    Recognitions() {
        m_pool.setMaxThreadCount(qBound(1, QThread::idealThreadCount() / 2, 2));
        // Threads (and with them their engines) are released after a quiet minute.
        m_pool.setExpiryTimeout(60'000);
    }

    QThreadPool m_pool;
    QMutex m_mutex;
    QWaitCondition m_idle;
    int m_running = 0;
    bool m_closing = false;
    QHash<Platform::TextRecognizer*, std::shared_ptr<RecognizerSlot>> m_slots;
};

// The most Qt's readers may hold, as the process has it set.
qint64 readerLimitBytes() {
    const int megabytes = QImageReader::allocationLimit();
    return megabytes > 0 ? qint64(megabytes) * 1024 * 1024 : std::numeric_limits<qint64>::max();
}

QImage loadImage(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    QSize target = size;
    const qint64 pixels = static_cast<qint64>(size.width()) * size.height();
    if (pixels > kMaxPixels) {
        const double scale = std::sqrt(static_cast<double>(kMaxPixels) / static_cast<double>(pixels));
        target = QSize(qMax(1, static_cast<int>(size.width() * scale)),
                       qMax(1, static_cast<int>(size.height() * scale)));
    }
    // Qt decodes a PNG whole before scaling it, and refuses one beyond its limit: a large picture
    // is streamed at the size recognition needs.
    if (reader.format() == "png" && BoundedDecode::decodedBytes(size) > readerLimitBytes()) {
        const QImage streamed = PngThumbnailReader::read(path, qMax(target.width(), target.height()));
        if (!streamed.isNull())
            return streamed;
    }
    return BoundedDecode::read(reader, target, readerLimitBytes());
}

std::optional<QString> recognizeFile(const QString& path, Platform::TextRecognizer* recognizer) {
    const QImage image = loadImage(path);
    if (image.isNull())
        return std::nullopt;
    const QString text = recognizer->recognizeLines(image).join(u'\n').trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

class RecognitionJob final : public QRunnable {
public:
    // Started at once: a future that is not started yet counts as done to whoever waits for it.
    RecognitionJob(QString path, std::shared_ptr<RecognizerSlot> slot)
        : m_path(std::move(path)), m_slot(std::move(slot)) {
        m_promise.start();
    }

    QFuture<std::optional<QString>> future() { return m_promise.future(); }

    void run() override {
        std::optional<QString> text;
        if (!m_promise.isCanceled() && m_slot && Recognitions::instance().begin(*m_slot)) {
            text = recognizeFile(m_path, m_slot->recognizer);
            Recognitions::instance().end(*m_slot);
        }
        if (!m_promise.isCanceled())
            m_promise.addResult(std::move(text));
        m_promise.finish();
    }

private:
    QPromise<std::optional<QString>> m_promise;
    QString m_path;
    // None without a recognizer.
    std::shared_ptr<RecognizerSlot> m_slot;
};

} // namespace

QFuture<std::optional<QString>> recognize(const QString& imagePath, Platform::TextRecognizer* recognizer) {
    if (!recognizer)
        recognizer = Platform::TextRecognizer::standard();
    auto* job =
        new RecognitionJob(imagePath, recognizer ? Recognitions::instance().slot(recognizer) : nullptr);
    QFuture<std::optional<QString>> future = job->future();
    Recognitions::instance().pool().start(job);
    return future;
}

void retire(std::unique_ptr<Platform::TextRecognizer> recognizer) {
    if (recognizer)
        Recognitions::instance().retire(std::move(recognizer));
}

} // namespace OCRService
