#include "Platform/X11/SelectionReader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QUrl>

#include <poll.h>

#include <cstring>

namespace Platform::X11 {

namespace {

// An owner may stream an INCR transfer for as long as the deadline allows; this bounds the memory
// such a transfer can take.
constexpr qsizetype maximumTransferSize = 256 * 1024 * 1024;
constexpr std::size_t maximumTargets = 512;

QStringList filePathsFromUriList(const QByteArray& list) {
    QStringList paths;
    for (QByteArray line : list.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        if (url.isValid() && url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

QByteArray sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

std::optional<QByteArray> pngFromTiff(const QByteArray& tiff) {
    QImage image;
    if (!image.loadFromData(tiff, "TIFF") || image.isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return std::nullopt;
    return png;
}

} // namespace

SelectionReader::SelectionReader() {
    if (!m_x.isValid() || !m_x.screen())
        return;
    m_window = m_x.createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
    m_clipboard = atom("CLIPBOARD");
    m_incr = atom("INCR");
    m_targets = atom("TARGETS");
    for (std::size_t i = 0; i < m_properties.size(); ++i)
        m_properties[i] = atom(QByteArray("QUILLSTACK_SELECTION_" + QByteArray::number(int(i))).constData());
}

xcb_atom_t SelectionReader::atom(const char* name) {
    const QByteArray key(name);
    if (const auto it = m_atoms.constFind(key); it != m_atoms.constEnd())
        return *it;
    const xcb_atom_t value = m_x.atom(name);
    m_atoms.insert(key, value);
    return value;
}

XcbPtr<xcb_generic_event_t> SelectionReader::waitForEvent(Clock::time_point deadline, const auto& matches) {
    xcb_connection_t* c = m_x.get();
    for (;;) {
        while (xcb_generic_event_t* raw = xcb_poll_for_event(c)) {
            XcbPtr<xcb_generic_event_t> event(raw);
            if (matches(event.get()))
                return event;
        }
        if (xcb_connection_has_error(c))
            return nullptr;
        const auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (remaining <= 0)
            return nullptr;
        pollfd descriptor{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&descriptor, 1, static_cast<int>(remaining) + 1);
    }
}

SelectionReader::Transfer SelectionReader::convert(xcb_atom_t target, Clock::time_point deadline) {
    xcb_connection_t* c = m_x.get();
    const xcb_atom_t property = m_properties[m_nextProperty++ % m_properties.size()];
    xcb_delete_property(c, m_window, property);
    xcb_convert_selection(c, m_window, m_clipboard, target, property, XCB_CURRENT_TIME);
    xcb_flush(c);

    const auto notify = waitForEvent(deadline, [&](xcb_generic_event_t* event) {
        if ((event->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
            return false;
        const auto* n = reinterpret_cast<xcb_selection_notify_event_t*>(event);
        return n->requestor == m_window && n->selection == m_clipboard && n->target == target &&
               (n->property == property || n->property == XCB_ATOM_NONE);
    });
    if (!notify)
        return {Outcome::TimedOut, {}, XCB_ATOM_NONE};
    if (reinterpret_cast<xcb_selection_notify_event_t*>(notify.get())->property == XCB_ATOM_NONE)
        return {};

    Transfer transfer;
    // Reading with delete tells the owner the value was taken (and starts an INCR transfer).
    const auto first = m_x.property(m_window, property, &transfer.type, true);
    if (!first)
        return {};
    if (transfer.type != m_incr) {
        transfer.outcome = Outcome::Delivered;
        transfer.bytes = *first;
        return transfer;
    }

    for (;;) {
        const auto chunkReady = waitForEvent(deadline, [&](xcb_generic_event_t* event) {
            if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                return false;
            const auto* n = reinterpret_cast<xcb_property_notify_event_t*>(event);
            return n->window == m_window && n->atom == property && n->state == XCB_PROPERTY_NEW_VALUE;
        });
        if (!chunkReady)
            return {Outcome::TimedOut, {}, XCB_ATOM_NONE};
        const auto chunk = m_x.property(m_window, property, &transfer.type, true);
        if (!chunk)
            continue;
        if (chunk->isEmpty()) {
            transfer.outcome = Outcome::Delivered;
            return transfer;
        }
        if (transfer.bytes.size() + chunk->size() > maximumTransferSize)
            return {};
        transfer.bytes += *chunk;
    }
}

std::optional<QStringList> SelectionReader::targets(Clock::time_point deadline, bool* timedOut) {
    const Transfer transfer = convert(m_targets, deadline);
    *timedOut = transfer.outcome == Outcome::TimedOut;
    if (transfer.outcome != Outcome::Delivered)
        return std::nullopt;

    // Real owners offer a few dozen targets; a list far longer than that is cut rather than looked up.
    const auto count =
        std::min(static_cast<std::size_t>(transfer.bytes.size()) / sizeof(xcb_atom_t), maximumTargets);
    std::vector<xcb_atom_t> atoms(count);
    std::memcpy(atoms.data(), transfer.bytes.constData(), count * sizeof(xcb_atom_t));

    // Ask for every unknown name at once, then collect the answers.
    xcb_connection_t* c = m_x.get();
    std::vector<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> pending;
    for (const xcb_atom_t a : atoms) {
        if (a != XCB_ATOM_NONE && !m_atomNames.contains(a))
            pending.emplace_back(a, xcb_get_atom_name(c, a));
    }
    for (const auto& [a, cookie] : pending) {
        XcbPtr<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(c, cookie, nullptr));
        m_atomNames.insert(a, reply ? QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                                                          xcb_get_atom_name_name_length(reply.get()))
                                    : QString());
    }
    QStringList names;
    for (const xcb_atom_t a : atoms) {
        const QString name = m_atomNames.value(a);
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names;
}

std::optional<QByteArray> SelectionReader::readFirst(const QStringList& types,
                                                     std::initializer_list<const char*> targets,
                                                     Clock::time_point deadline, bool* timedOut) {
    for (const char* target : targets) {
        if (!types.contains(QLatin1String(target)))
            continue;
        const Transfer transfer = convert(atom(target), deadline);
        if (transfer.outcome == Outcome::TimedOut) {
            *timedOut = true;
            return std::nullopt;
        }
        if (transfer.outcome == Outcome::Delivered)
            return transfer.bytes;
    }
    return std::nullopt;
}

PasteboardClip SelectionReader::readClip(Clock::time_point deadline) {
    PasteboardClip clip;
    if (!isValid())
        return clip;

    bool timedOut = false;
    std::optional<QStringList> types = targets(deadline, &timedOut);
    if (timedOut) {
        clip.timedOut = true;
        return clip;
    }
    // An owner that cannot list its targets may still offer text.
    static const QStringList plainTextTargets{QStringLiteral("UTF8_STRING"), QStringLiteral("STRING")};
    clip.types = types.value_or(QStringList{});
    const QStringList& offered = types ? clip.types : plainTextTargets;
    clip.concealed = clip.types.contains(Pasteboard::concealedType) ||
                     clip.types.contains(Pasteboard::concealedTypeMime) ||
                     clip.types.contains(Pasteboard::passwordManagerHintType);
    clip.transient = clip.types.contains(Pasteboard::transientType);

    // What identifies the content, for recognising a re-published secret: its kind and bytes.
    ContentKind kind = ContentKind::None;
    QByteArray content;
    [&] {
        if (const auto list = readFirst(offered, {"text/uri-list"}, deadline, &timedOut)) {
            clip.filePaths = filePathsFromUriList(*list);
            if (!clip.filePaths.isEmpty()) {
                kind = ContentKind::Files;
                content = clip.filePaths.join(u'\n').toUtf8();
                return;
            }
        }
        if (timedOut)
            return;
        if (auto png = readFirst(offered, {"image/png"}, deadline, &timedOut)) {
            clip.png = std::move(*png);
            kind = ContentKind::Image;
            content = *clip.png;
            return;
        }
        if (timedOut)
            return;
        if (const auto tiff = readFirst(offered, {"image/tiff"}, deadline, &timedOut)) {
            if ((clip.png = pngFromTiff(*tiff))) {
                kind = ContentKind::Image;
                content = *clip.png;
                return;
            }
        }
        if (timedOut)
            return;
        if (const auto utf8 = readFirst(offered, {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"},
                                        deadline, &timedOut)) {
            clip.string = QString::fromUtf8(*utf8);
            kind = ContentKind::String;
            content = *utf8;
        } else if (timedOut) {
            return;
        } else if (const auto latin1 = readFirst(offered, {"STRING"}, deadline, &timedOut)) {
            clip.string = QString::fromLatin1(*latin1);
            kind = ContentKind::String;
            content = clip.string->toUtf8();
        }
        if (clip.string && !timedOut)
            clip.rtf = readFirst(offered, {"text/rtf", "application/rtf"}, deadline, &timedOut);
    }();
    clip.timedOut = timedOut;

    if (clip.concealed) {
        m_lastConcealed = content.isEmpty()
                              ? std::nullopt
                              : std::optional(ConcealedDigest{kind, content.size(), sha256(content)});
    } else if (m_lastConcealed && m_lastConcealed->kind == kind && m_lastConcealed->size == content.size() &&
               m_lastConcealed->digest == sha256(content)) {
        // Only content of the secret's exact size is hashed, so ordinary clips cost nothing here.
        clip.concealed = true;
    }
    return clip;
}

} // namespace Platform::X11
