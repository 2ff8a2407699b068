#include "Platform/X11/X11Pasteboard.h"

#include "Platform/X11/SelectionReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSocketNotifier>
#include <QUrl>

#include <xcb/xfixes.h>

namespace Platform::X11 {

X11Pasteboard::X11Pasteboard(QObject* parent) : Pasteboard(parent) {
    if (!m_watch.isValid() || !m_watch.screen())
        return;
    xcb_connection_t* c = m_watch.get();
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    XcbPtr<xcb_xfixes_query_version_reply_t> version(
        xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
    if (!version)
        return;
    m_xfixesFirstEvent = xfixes->first_event;
    xcb_xfixes_select_selection_input(c, m_watch.root(), m_watch.atom("CLIPBOARD"),
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { takeOwnerEvents(false); });
    m_valid = true;
    m_reader = std::thread([this] { readLoop(); });
}

X11Pasteboard::~X11Pasteboard() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_reader.joinable())
        m_reader.join();
}

void X11Pasteboard::takeOwnerEvents(bool roundTrip) {
    xcb_connection_t* c = m_watch.get();
    if (roundTrip) {
        // Every event the server generated before answering is queued once the answer is in.
        XcbPtr<xcb_get_input_focus_reply_t> reply(
            xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    int changes = 0;
    while (xcb_generic_event_t* raw = roundTrip ? xcb_poll_for_queued_event(c) : xcb_poll_for_event(c)) {
        XcbPtr<xcb_generic_event_t> event(raw);
        if ((event->response_type & 0x7f) == m_xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY)
            ++changes;
    }
    if (changes == 0)
        return;
    m_changeCount += changes;
    emit changed();
}

QFuture<PasteboardClip> X11Pasteboard::read() {
    ReadJob job;
    job.changeCount = m_changeCount;
    job.timeout = m_readTimeout;
    QFuture<PasteboardClip> future = job.promise.future();
    job.promise.start();
    if (!m_valid) {
        PasteboardClip empty;
        empty.changeCount = m_changeCount;
        job.promise.addResult(empty);
        job.promise.finish();
        return future;
    }
    {
        std::lock_guard lock(m_mutex);
        // A read of the same clip that has not started yet answers this request too, so repeated
        // checks cannot pile up timeouts behind an owner that never answers.
        if (!m_jobs.empty() && m_jobs.back().changeCount == job.changeCount)
            return m_jobs.back().promise.future();
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
    return future;
}

void X11Pasteboard::readLoop() {
    SelectionReader reader;
    for (;;) {
        ReadJob job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        PasteboardClip clip = reader.readClip(SelectionReader::Clock::now() + job.timeout);
        clip.changeCount = job.changeCount;
        job.promise.addResult(std::move(clip));
        job.promise.finish();
    }
}

void X11Pasteboard::write(const std::function<QMimeData*()>& makeData) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const qint64 before = m_changeCount;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QMimeData* data = makeData();
        if (data)
            clipboard->setMimeData(data, QClipboard::Clipboard);
        else
            clipboard->clear(QClipboard::Clipboard);
        if (!m_valid)
            return;
        // Qt has set the owner with a round trip; count our own change now rather than on a later turn.
        takeOwnerEvents(true);
        if (m_changeCount != before)
            return;
        // The server refuses an owner change stamped earlier than the last one. Qt stamps with the
        // time of the last event it handled, so it must first see the change that made its time stale
        // (another owner that just set or left the selection).
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void X11Pasteboard::clear() {
    write([] { return nullptr; });
}

void X11Pasteboard::writeFilePaths(const QStringList& paths) {
    QList<QUrl> urls;
    QByteArray gnomeList("copy");
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        const QUrl url = QUrl::fromLocalFile(path);
        urls << url;
        gnomeList += '\n' + url.toEncoded();
    }
    write([&] {
        auto* data = new QMimeData;
        data->setUrls(urls);
        data->setData(QStringLiteral("x-special/gnome-copied-files"), gnomeList);
        return data;
    });
}

void X11Pasteboard::writePng(const QByteArray& png) {
    write([&] {
        auto* data = new QMimeData;
        data->setData(QStringLiteral("image/png"), png);
        return data;
    });
}

void X11Pasteboard::writeString(const QString& text) {
    write([&] {
        auto* data = new QMimeData;
        data->setText(text);
        return data;
    });
}

void X11Pasteboard::writeRichText(const QByteArray& rtf, const QString& text) {
    write([&] {
        auto* data = new QMimeData;
        data->setData(QStringLiteral("text/rtf"), rtf);
        data->setText(text);
        return data;
    });
}

} // namespace Platform::X11
