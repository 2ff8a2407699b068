#include "MarkdownContent.h"

#include "PreviewWidgets.h"

#include <UI/Design/Font.h>

QWidget* makeMarkdownContent(const QString& source, int fontSize, QWidget* parent) {
    return PreviewWidgets::textContent(source, QS::Font::system(fontSize + 1, QFont::Medium), 14, parent);
}
