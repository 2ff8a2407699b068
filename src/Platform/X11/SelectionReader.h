#pragma once

#include "Platform/Pasteboard.h"
#include "Platform/X11/Xcb.h"

#include <QHash>

#include <array>
#include <chrono>
#include <optional>

namespace Platform::X11 {

// Reads the CLIPBOARD selection on a connection of its own, with a deadline for every read so that an
// owner that never answers costs at most that long. Used from one thread at a time.
class SelectionReader {
public:
    using Clock = std::chrono::steady_clock;

    SelectionReader();
    bool isValid() const { return m_x.isValid(); }

    enum class Outcome { Delivered, Refused, TimedOut };
    struct Transfer {
        Outcome outcome = Outcome::Refused;
        QByteArray bytes;
        xcb_atom_t type = XCB_ATOM_NONE;
    };

    // Converts the selection to `target` and collects the answer, following INCR transfers.
    Transfer convert(xcb_atom_t target, Clock::time_point deadline);

    // The owner's TARGETS as names; nullopt when the owner did not answer.
    std::optional<QStringList> targets(Clock::time_point deadline, bool* timedOut);

    // The representations a capture needs, in the order of PasteboardClip.
    PasteboardClip readClip(Clock::time_point deadline);

    xcb_atom_t atom(const char* name);

private:
    XcbPtr<xcb_generic_event_t> waitForEvent(Clock::time_point deadline, const auto& matches);
    std::optional<QByteArray> readFirst(const QStringList& types, std::initializer_list<const char*> targets,
                                        Clock::time_point deadline, bool* timedOut);

    XcbConnection m_x;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    xcb_atom_t m_targets = XCB_ATOM_NONE;
    // Each transfer lands in the next of these properties, so a late answer to an abandoned
    // transfer is not taken for the answer to the current one.
    std::array<xcb_atom_t, 16> m_properties{};
    std::size_t m_nextProperty = 0;
    QHash<QByteArray, xcb_atom_t> m_atoms;
    QHash<xcb_atom_t, QString> m_atomNames;
    // Only the size and digest of the last concealed clip are kept, never its content.
    enum class ContentKind { None, Files, Image, String };
    struct ConcealedDigest {
        ContentKind kind = ContentKind::None;
        qsizetype size = 0;
        QByteArray digest;
    };
    std::optional<ConcealedDigest> m_lastConcealed;
};

} // namespace Platform::X11
