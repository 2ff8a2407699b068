#pragma once

#include <Storage/ClipboardItem.h>

#include <QList>
#include <QString>

// The writing and pasting the history panel hands its picks to: the clipboard writer with its
// synthetic paste, and the paste queue.
class HistoryPasting {
public:
    virtual ~HistoryPasting() = default;

    // Puts the item on the clipboard (only its text when `plainTextOnly`); false when it could not
    // be written, and then there is nothing to paste.
    virtual bool copyToPasteboard(const ClipboardItemPtr& item, bool plainTextOnly) = 0;
    // Replaces the clipboard with the text.
    virtual void copyText(const QString& text) = 0;
    // Sends the synthetic paste when automatic pasting is on.
    virtual void autoPasteIfEnabled() = 0;
    // Writes the items joined by `separator` (or the first alone when the selection holds an image
    // or file item) and pastes them.
    virtual void pasteAll(const QList<ClipboardItemPtr>& items, const QString& separator) = 0;
    // Pastes the first item now and each further one after the user's next paste keystroke.
    virtual void startQueue(const QList<ClipboardItemPtr>& items) = 0;
};
