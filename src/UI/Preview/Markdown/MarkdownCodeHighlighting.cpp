#include "MarkdownCodeHighlighting.h"

#include "../CodeHighlighting.h"

#include <QCoreApplication>

namespace MarkdownCodeHighlighting {

namespace {
CodeHighlighting* service = nullptr;
} // namespace

CodeHighlighting& shared() {
    if (!service) {
        service = new CodeHighlighting(&CodeHighlighting::makeDefaultEngine);
        // Gone with the application object, while the engine's own libraries are still whole.
        qAddPostRoutine([] {
            delete service;
            service = nullptr;
        });
    }
    return *service;
}

} // namespace MarkdownCodeHighlighting
