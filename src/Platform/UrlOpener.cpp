#include "UrlOpener.h"

#include <QDesktopServices>

namespace Platform {

bool DesktopUrlOpener::open(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

UrlOpener& UrlOpener::system() {
    static DesktopUrlOpener opener;
    return opener;
}

} // namespace Platform
