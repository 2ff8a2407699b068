#include "ResetService.h"

#include "LoginItemManager.h"

#include <Platform/Relauncher.h>
#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>

namespace App {

ResetService::ResetService(Dependencies dependencies) : m_deps(std::move(dependencies)) {}

bool ResetService::relaunch() {
    if (!m_deps.relauncher || !m_deps.relauncher->relaunch())
        return false;
    if (m_deps.quit)
        m_deps.quit();
    return true;
}

ResetService::WipeOutcome ResetService::wipeAndRelaunch() {
    if (m_deps.stopCapture)
        m_deps.stopCapture();
    // Failures of single steps do not stop the reset: whatever can go, goes. A fresh instance over
    // data left behind would look like a reset that worked, so it is started only after a full erase.
    bool erased = true;
    if (m_deps.store)
        erased = m_deps.store->eraseAll() && erased;
    if (m_deps.defaults)
        erased = m_deps.defaults->removeAll() && erased;
    if (m_deps.loginItem)
        erased = m_deps.loginItem->set(false) && erased;
    if (erased && relaunch())
        return WipeOutcome::Relaunched;
    if (m_deps.defaults && m_deps.registerDefaults)
        m_deps.registerDefaults(*m_deps.defaults);
    if (m_deps.resumeCapture)
        m_deps.resumeCapture();
    return erased ? WipeOutcome::RelaunchFailed : WipeOutcome::EraseIncomplete;
}

} // namespace App
