#pragma once

#include <QString>

class QWidget;

// The content of the pane's "MD Preview" mode: the Markdown `source` rendered at `fontSize`. This
// is the one place the pane makes it; until the native Markdown view joins the previews it shows
// the source as plain, selectable text.
QWidget* makeMarkdownContent(const QString& source, int fontSize, QWidget* parent);
