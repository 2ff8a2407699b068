#pragma once

#include <QByteArray>

#include <XcbSelectionOwner.h>
#include <xcb/xcb.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace BenchSupport {

using XcbSelectionOwner::internAtom;

// A 1×1 unmapped window that hears property changes, for owning or requesting a selection.
xcb_window_t makeHelperWindow(xcb_connection_t* connection);

// Another client owning CLIPBOARD: serves TARGETS and one target from a thread and connection of its
// own, as a separate application would.
class ClipboardOwner {
public:
    explicit ClipboardOwner(const char* target);
    ~ClipboardOwner();
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;

    // Takes the selection anew (a new owner as far as every listener can tell), now offering `payload`.
    void takeSelection(QByteArray payload);
    xcb_atom_t target() const { return m_target; }

private:
    void serve();

    std::mutex m_mutex;
    QByteArray m_payload;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = 0, m_targets = 0, m_target = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// `size` bytes of English text.
QByteArray repeatedText(qsizetype size);

// A noisy 1920×1080 screenshot-sized PNG of about 3.4 MB (4 random bits per channel).
QByteArray noisyPng();

} // namespace BenchSupport
