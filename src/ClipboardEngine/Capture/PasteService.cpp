#include "PasteService.h"

#include <App/DefaultSettings.h>
#include <Platform/Pasteboard.h>
#include <Platform/Scheduler.h>
#include <Platform/SyntheticKeyboard.h>
#include <Platform/UserDefaults.h>
#include <Storage/ImageStore.h>

#include <QFile>

PasteService::PasteService(Platform::Pasteboard& pasteboard, Platform::SyntheticKeyboard& keyboard,
                           Platform::Scheduler& scheduler, Platform::UserDefaults& defaults,
                           ImageStore& images)
    : m_pasteboard(pasteboard), m_keyboard(keyboard), m_scheduler(scheduler), m_defaults(defaults),
      m_images(images) {}

void PasteService::copyToPasteboard(const ClipboardItem& item, bool plainTextOnly) {
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
        return;
    }
    case ItemType::image: {
        QByteArray png;
        if (item.imageFilename() && m_images.exists(*item.imageFilename())) {
            QFile file(m_images.path(*item.imageFilename()));
            if (file.open(QIODevice::ReadOnly))
                png = file.readAll();
        }
        if (png.isEmpty())
            m_pasteboard.clear();
        else
            m_pasteboard.writePng(png);
        return;
    }
    default:
        if (!plainTextOnly && item.richData())
            m_pasteboard.writeRichText(*item.richData(), text);
        else
            m_pasteboard.writeString(text);
        return;
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
