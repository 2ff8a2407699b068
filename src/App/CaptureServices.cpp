#include "CaptureServices.h"

#include "FrontWindow.h"

#include <Analysis/OCRService.h>
#include <Capture/DefaultSettings.h>
#include <Capture/FocusedInputLocator.h>
#include <Capture/PasteQueue.h>
#include <Capture/PasteService.h>
#include <Capture/PasteboardMonitor.h>
#include <Capture/VeskIntegration.h>
#include <Platform/Relaunch/ProcessRelauncher.h>
#include <Platform/Modules/ModuleTextRecognizer.h>
#include <Platform/UserDefaults.h>
#include <Platform/X11/X11AccessibilityTrust.h>
#include <Platform/X11/X11FocusedElementLocator.h>
#include <Platform/X11/X11GlobalKeyMonitor.h>
#include <Platform/X11/X11Pasteboard.h>
#include <Platform/X11/X11SyntheticKeyboard.h>
#include <Platform/X11/X11Workspace.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace App {

bool NewestItemPasting::copyNewestAsPlainText() {
    if (m_store.items().isEmpty())
        return false;
    return m_paste.copyToPasteboard(*m_store.items().first(), true);
}

void NewestItemPasting::autoPasteIfEnabled() {
    m_paste.autoPasteIfEnabled();
}

CaptureServices::CaptureServices(Platform::UserDefaults& defaults, Platform::Scheduler& scheduler,
                                 std::function<void()> quit)
    : m_defaults(defaults), m_scheduler(scheduler) {
    m_recognizer = std::make_unique<Platform::ModuleTextRecognizer>();
    Platform::TextRecognizer::setStandard(m_recognizer.get());
    m_pasteboard = std::make_unique<Platform::X11::X11Pasteboard>();
    m_workspace = std::make_unique<Platform::X11::X11Workspace>();
    m_keyboard = std::make_unique<Platform::X11::X11SyntheticKeyboard>();
    m_keys = std::make_unique<Platform::X11::X11GlobalKeyMonitor>();
    m_elementLocator = std::make_unique<Platform::X11::X11FocusedElementLocator>();
    m_trust = std::make_unique<Platform::X11::X11AccessibilityTrust>();
    m_relauncher = std::make_unique<Platform::ProcessRelauncher>();

    m_store = &HistoryStore::shared();
    m_paste = std::make_unique<PasteService>(*m_pasteboard, *m_keyboard, m_scheduler, m_defaults,
                                             ImageStore::shared());
    m_queue = std::make_unique<PasteQueue>(*m_paste, *m_keys, m_scheduler);
    m_locator = std::make_unique<FocusedInputLocator>(*m_elementLocator, *m_trust);
    m_vesk = std::make_unique<VeskIntegration>(*m_workspace);
    m_plainTextPasting = std::make_unique<NewestItemPasting>(*m_store, *m_paste);

    ResetService::Dependencies reset;
    reset.relauncher = m_relauncher.get();
    reset.quit = std::move(quit);
    reset.stopCapture = [this] {
        if (m_monitor)
            m_monitor->stop();
    };
    reset.resumeCapture = [this] {
        if (m_monitor)
            m_monitor->start();
    };
    reset.store = m_store;
    reset.defaults = &m_defaults;
    reset.loginItem = &m_loginItem;
    reset.registerDefaults = &registerDefaultSettings;
    m_reset = std::make_unique<ResetService>(std::move(reset));
}

CaptureServices::~CaptureServices() {
    if (Platform::TextRecognizer::standard() == m_recognizer.get()) {
        // Quit never waits for recognition: queued images are dropped, and a recognition under way
        // keeps the engine until it ends.
        m_store->stopRecognitions();
        Platform::TextRecognizer::setStandard(nullptr);
        OCRService::retire(std::move(m_recognizer));
    }
}

void CaptureServices::install(AppServices& services) {
    services.makeMonitor = [this]() -> std::unique_ptr<App::PasteboardMonitor> {
        HistoryStore* store = m_store;
        auto monitor = std::make_unique<::PasteboardMonitor>(
            ::PasteboardMonitor::Dependencies{*m_pasteboard, *m_workspace, m_defaults, m_scheduler,
                                              ImageStore::shared(), [store](const ClipboardItemPtr& item) {
                                                  store->add(item);
                                              }});
        m_monitor = monitor.get();
        return monitor;
    };
    services.plainTextPasting = m_plainTextPasting.get();
    // Told where the user looks when a paste cannot happen: the status icon's notification.
    if (Platform::SystemTray* tray = services.tray) {
        m_paste->setFailureReporter(
            [tray](const QString& message) { tray->showMessage(QStringLiteral("Quillstack"), message); });
    }
    services.clearHistory = [this] {
        clearHistoryAfterConfirmation();
    };
}

void CaptureServices::clearHistoryAfterConfirmation() {
    // Asked again while the question is open (from the tray, or once more from another launch): the
    // open question comes to the front instead of a second one stacked on it.
    if (m_clearQuestion) {
        m_clearQuestion->raise();
        m_clearQuestion->activateWindow();
        return;
    }
    QMessageBox alert;
    m_clearQuestion = &alert;
    alert.setIcon(QMessageBox::Warning);
    alert.setText(QCoreApplication::translate("App::AppDelegate", "Clear entire history?"));
    alert.setInformativeText(
        QCoreApplication::translate("App::AppDelegate", "Pinned items will be kept. This cannot be undone."));
    QPushButton* clear = alert.addButton(QCoreApplication::translate("App::AppDelegate", "Clear History"),
                                         QMessageBox::AcceptRole);
    alert.addButton(QCoreApplication::translate("App::AppDelegate", "Cancel"), QMessageBox::RejectRole);
    alert.setDefaultButton(clear);
    keepInFront(alert, *m_workspace);
    alert.exec();
    if (alert.clickedButton() == clear)
        m_store->clearAll(true, false);
}

} // namespace App
