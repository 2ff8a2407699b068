#pragma once

#include <Storage/ClipboardItem.h>

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class ImageStore;
namespace Platform {
class Pasteboard;
class Scheduler;
class SyntheticKeyboard;
class UserDefaults;
} // namespace Platform

// Puts history items back on the clipboard in the form that suits their kind, and makes the
// application in front paste them with a synthetic Ctrl+V when automatic pasting is on. It never
// activates applications: callers bring the target to the front first.
//
// What it writes reads back as the same dedupe key, so the monitor's capture of our own write only
// moves the item to the top: files go back as their paths, images as the stored PNG bytes exactly,
// text kinds as their text (with the RTF beside it unless plain text is asked for).
class PasteService {
public:
    static constexpr std::chrono::milliseconds kAutoPasteDelay{150};

    PasteService(Platform::Pasteboard& pasteboard, Platform::SyntheticKeyboard& keyboard,
                 Platform::Scheduler& scheduler, Platform::UserDefaults& defaults, ImageStore& images);

    // Replaces the clipboard's content with the item. An image whose file is missing or damaged is
    // not written: the clipboard keeps what it held, the reason goes to the failure reporter, and
    // the answer is false (nothing is to be pasted then).
    bool copyToPasteboard(const ClipboardItem& item, bool plainTextOnly);
    // Replaces the clipboard's content with one plain string.
    void copyText(const QString& text);
    // When "autoPaste" is on, posts Ctrl+V 0.15 s from now (after releasing the modifiers still held
    // from the hot key). Call it right after writing the clipboard. Returns whether a paste was posted.
    bool autoPasteIfEnabled();

    // Where the user is told why an item could not be put on the clipboard.
    void setFailureReporter(std::function<void(const QString& message)> report) {
        m_report = std::move(report);
    }

    // Whether `bytes` are a whole PNG: its signature, every chunk complete with its checksum, and
    // the end chunk last. Checks without decoding the picture.
    static bool isIntactPng(const QByteArray& bytes);

private:
    Platform::Pasteboard& m_pasteboard;
    Platform::SyntheticKeyboard& m_keyboard;
    Platform::Scheduler& m_scheduler;
    Platform::UserDefaults& m_defaults;
    ImageStore& m_images;
    std::function<void(const QString&)> m_report;
    // Delayed keystrokes are dropped once the service is gone.
    QObject m_lifetime;
};
