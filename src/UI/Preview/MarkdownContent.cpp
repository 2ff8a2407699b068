#include "MarkdownContent.h"

#include "Markdown/MarkdownPreviewView.h"

QWidget* makeMarkdownContent(const QString& source, int fontSize, Platform::UserDefaults* defaults,
                             QWidget* parent) {
    return new MarkdownPreviewView(source, fontSize, defaults, parent);
}
