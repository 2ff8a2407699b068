#include "HistoryPanelBinding.h"

#include "HistoryPanelController.h"
#include "HistoryPasting.h"

#include <App/CaptureServices.h>
#include <Capture/FocusedInputLocator.h>
#include <Capture/PasteQueue.h>
#include <Capture/PasteService.h>
#include <Hotkeys/Hotkeys.h>
#include <Platform/AccessibilityTrust.h>
#include <Platform/UserDefaults.h>
#include <Platform/X11/X11Compositing.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>
#include <UI/Design/KeyNotation.h>
#include <UI/Design/Motion.h>

namespace {

// The panel's picks handed to the paste service and the paste queue.
class ServicePasting : public HistoryPasting {
public:
    ServicePasting(PasteService& paste, PasteQueue& queue) : m_paste(paste), m_queue(queue) {}

    bool copyToPasteboard(const ClipboardItemPtr& item, bool plainTextOnly) override {
        return m_paste.copyToPasteboard(*item, plainTextOnly);
    }
    void copyText(const QString& text) override { m_paste.copyText(text); }
    void autoPasteIfEnabled() override { m_paste.autoPasteIfEnabled(); }
    void pasteAll(const QList<ClipboardItemPtr>& items, const QString& separator) override {
        m_queue.pasteAll(items, separator);
    }
    void startQueue(const QList<ClipboardItemPtr>& items) override { m_queue.start(items); }

private:
    PasteService& m_paste;
    PasteQueue& m_queue;
};

// The controller with the pasting it hands its picks to.
class BoundHistoryPanelController : public HistoryPanelController {
public:
    BoundHistoryPanelController(HistoryPanelServices services, std::unique_ptr<HistoryPasting> pasting)
        : HistoryPanelController(withPasting(std::move(services), pasting.get())),
          m_pasting(std::move(pasting)) {}

private:
    static HistoryPanelServices withPasting(HistoryPanelServices services, HistoryPasting* pasting) {
        services.pasting = pasting;
        return services;
    }
    std::unique_ptr<HistoryPasting> m_pasting;
};

QString showHistoryKeys() {
    const std::optional<Hotkeys::Shortcut> shortcut =
        Hotkeys::getShortcut(Hotkeys::Name(QStringLiteral("showHistory")));
    return shortcut ? KeyNotation::text(*shortcut) : QString();
}

} // namespace

std::unique_ptr<App::HistoryWindow>
makeHistoryPanelController(App::CaptureServices& capture, Platform::AppearanceProvider& appearance,
                           std::function<void()> openGeneralSettings) {
    QS::Motion::setAppearanceProvider(&appearance);
    HistoryPanelServices services;
    services.store = &HistoryStore::shared();
    services.images = &ImageStore::shared();
    services.workspace = &capture.workspace();
    services.defaults = Platform::UserDefaults::standard();
    services.focusedInputFrame = [&capture] {
        return capture.focusedInputLocator().focusedInputFrame();
    };
    services.accessibilityTrusted = [&capture] {
        return capture.accessibilityTrust().isTrusted();
    };
    services.showHistoryKeys = &showHistoryKeys;
    services.openGeneralSettings = std::move(openGeneralSettings);
    services.performSmartAction = [](const ContentClassifier::SmartAction& action,
                                     const ContentClassifier::Replies& replies) {
        ContentClassifier::perform(action, replies);
    };
    services.composited = Platform::X11::isCompositingManagerRunning();
    return std::make_unique<BoundHistoryPanelController>(
        std::move(services), std::make_unique<ServicePasting>(capture.pasteService(), capture.pasteQueue()));
}
