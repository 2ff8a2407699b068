#pragma once

#include <QUrl>

namespace Platform {

// Opens a URL with the desktop's default handler for its scheme (browser, mail client, dialer).
// Never through a shell.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;

    // Returns false when no handler could be started.
    virtual bool open(const QUrl& url) = 0;

    // The desktop implementation (QDesktopServices).
    static UrlOpener& system();
};

// The desktop implementation: QDesktopServices, which hands the URL to xdg-open's machinery
// without a shell.
class DesktopUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl& url) override;
};

} // namespace Platform
