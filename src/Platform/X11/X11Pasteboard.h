#pragma once

#include "Platform/Pasteboard.h"
#include "Platform/X11/Xcb.h"

#include <QPromise>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class QMimeData;
class QSocketNotifier;

namespace Platform::X11 {

// The CLIPBOARD selection of the X server.
//
// The change count follows XFixes owner-change events, watched on a connection of our own from the
// GUI thread's event loop. Reads run on a thread of their own with yet another connection and a
// deadline per clip, so an owner that never answers delays only that read. Writes go through Qt,
// which then owns and serves the selection.
class X11Pasteboard : public Pasteboard {
    Q_OBJECT
public:
    explicit X11Pasteboard(QObject* parent = nullptr);
    ~X11Pasteboard() override;

    // False without an X server or without the XFixes extension.
    bool isValid() const { return m_valid; }

    // The longest a single read may take (1 s unless changed).
    void setReadTimeout(std::chrono::milliseconds timeout) { m_readTimeout = timeout; }

    qint64 changeCount() const override { return m_changeCount; }
    // XFixes reports every change of the selection's owner.
    bool announcesChanges() const override { return m_valid; }
    QFuture<PasteboardClip> read() override;

    void clear() override;
    void writeFilePaths(const QStringList& paths) override;
    void writePng(const QByteArray& png) override;
    void writeString(const QString& text) override;
    void writeRichText(const QByteArray& rtf, const QString& text) override;

private:
    struct ReadJob {
        QPromise<PasteboardClip> promise;
        qint64 changeCount = 0;
        std::chrono::milliseconds timeout{};
    };

    // Hands Qt the data `makeData` builds (nothing clears the clipboard) until the owner changed.
    void write(const std::function<QMimeData*()>& makeData);
    // Takes the owner-change events the server has sent so far, without waiting for more.
    void takeOwnerEvents(bool roundTrip);
    void readLoop();

    XcbConnection m_watch;
    bool m_valid = false;
    uint8_t m_xfixesFirstEvent = 0;
    QSocketNotifier* m_notifier = nullptr;
    qint64 m_changeCount = 0;
    std::chrono::milliseconds m_readTimeout{1000};

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<ReadJob> m_jobs;
    bool m_stopping = false;
    std::thread m_reader;
};

} // namespace Platform::X11
