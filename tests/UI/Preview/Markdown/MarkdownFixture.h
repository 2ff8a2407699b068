#pragma once

#include "PreviewFixture.h"

#include <UI/Preview/Markdown/MarkdownPreviewView.h>

#include <Markdown/Markdown.h>

#include <QSignalSpy>

#include <memory>

// A Markdown view as the pane shows it, and the rows a text gives.
class MarkdownFixture : public PreviewFixture {
protected:
    // A view of `source`, shown at the pane's content size, its document ready.
    std::unique_ptr<MarkdownPreviewView> view(const QString& source, int fontSize = 12,
                                              QSize size = {460, 600}) {
        auto made = std::make_unique<MarkdownPreviewView>(source, fontSize, &defaults);
        made->resize(size);
        made->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(made.get()));
        if (!made->isDocumentReady()) {
            QSignalSpy ready(made.get(), &MarkdownPreviewView::documentReady);
            // Generous: a 2 MB text under the sanitizers on a busy machine takes a while.
            EXPECT_TRUE(ready.wait(60000));
        }
        return made;
    }

    static MDBlockView::Model rows(const QString& source) {
        const QByteArray utf8 = source.toUtf8();
        return MDBlockView::build(
            Markdown::Document::parsing(std::string_view(utf8.constData(), utf8.size())));
    }
};
