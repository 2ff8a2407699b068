#pragma once

#include "Platform/UrlOpener.h"

#include <QList>

namespace Platform {

// Records every URL it is asked to open; answers with a settable result.
class FakeUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl& url) override {
        opened.append(url);
        return result;
    }

    QList<QUrl> opened;
    bool result = true;
};

} // namespace Platform
