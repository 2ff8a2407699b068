#pragma once

#include <QString>

class QWidget;
namespace Platform {
class UserDefaults;
}

// The content of the pane's "MD Preview" mode: the Markdown `source` rendered natively at
// `fontSize`, following "previewFontSize" in `defaults` (may be null) from then on. This is the
// one place the pane makes it.
QWidget* makeMarkdownContent(const QString& source, int fontSize, Platform::UserDefaults* defaults,
                             QWidget* parent);
