#include "PasteService.h"

#include <Capture/DefaultSettings.h>
#include <Platform/Pasteboard.h>
#include <Platform/Scheduler.h>
#include <Platform/SyntheticKeyboard.h>
#include <Platform/UserDefaults.h>
#include <Storage/ImageStore.h>

#include <QCoreApplication>
#include <QFile>

#include <array>

namespace {

quint32 readBigEndian32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | quint32(u[3]);
}

// CRC-32 as PNG chunks carry it (ISO 3309, reflected, polynomial 0xEDB88320).
quint32 crc32(const char* data, qsizetype size) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = table[(c ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

} // namespace

PasteService::PasteService(Platform::Pasteboard& pasteboard, Platform::SyntheticKeyboard& keyboard,
                           Platform::Scheduler& scheduler, Platform::UserDefaults& defaults,
                           ImageStore& images)
    : m_pasteboard(pasteboard), m_keyboard(keyboard), m_scheduler(scheduler), m_defaults(defaults),
      m_images(images) {}

bool PasteService::isIntactPng(const QByteArray& bytes) {
    static constexpr char signature[] = "\x89PNG\r\n\x1a\n";
    if (!bytes.startsWith(QByteArray::fromRawData(signature, 8)))
        return false;
    qsizetype at = 8;
    bool first = true;
    while (bytes.size() - at >= 12) {
        const qsizetype length = readBigEndian32(bytes.constData() + at);
        const QByteArray type = bytes.mid(at + 4, 4);
        if (length > bytes.size() - at - 12)
            return false;
        if (first && type != "IHDR")
            return false;
        first = false;
        // The checksum covers the chunk's type and data.
        if (crc32(bytes.constData() + at + 4, length + 4) !=
            readBigEndian32(bytes.constData() + at + 8 + length))
            return false;
        at += 12 + length;
        if (type == "IEND")
            return at == bytes.size();
    }
    return false;
}

bool PasteService::copyToPasteboard(const ClipboardItem& item, bool plainTextOnly) {
    const QString text = item.plainText().value_or(QString());
    switch (item.type()) {
    case ItemType::file: {
        QStringList paths = text.split(u'\n');
        // An empty line names no file; it must not become an empty file URL.
        paths.removeAll(QString());
        if (paths.isEmpty())
            m_pasteboard.clear();
        else
            m_pasteboard.writeFilePaths(paths);
        return true;
    }
    case ItemType::image: {
        QByteArray png;
        if (item.imageFilename() && m_images.exists(*item.imageFilename())) {
            QFile file(m_images.path(*item.imageFilename()));
            if (file.open(QIODevice::ReadOnly))
                png = file.readAll();
        }
        // A broken picture pasted into a document is worse than none; what the user copied last
        // stays on the clipboard.
        if (!isIntactPng(png)) {
            if (m_report)
                m_report(QCoreApplication::translate(
                    "PasteService", "The picture was not pasted: its file is missing or damaged."));
            return false;
        }
        m_pasteboard.writePng(png);
        return true;
    }
    default:
        if (!plainTextOnly && item.richData())
            m_pasteboard.writeRichText(*item.richData(), text);
        else
            m_pasteboard.writeString(text);
        return true;
    }
}

void PasteService::copyText(const QString& text) {
    m_pasteboard.writeString(text);
}

bool PasteService::autoPasteIfEnabled() {
    if (!m_defaults.boolValue(App::SettingsKeys::autoPaste, true))
        return false;
    m_scheduler.schedule(kAutoPasteDelay, &m_lifetime, [this] { m_keyboard.postPaste(); });
    return true;
}
