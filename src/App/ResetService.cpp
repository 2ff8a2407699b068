#include "ResetService.h"

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

bool ResetService::wipeAndRelaunch() {
    if (m_deps.stopCapture)
        m_deps.stopCapture();
    // Failures of single steps do not stop the reset: whatever can go, goes.
    if (m_deps.store)
        m_deps.store->eraseAll();
    if (m_deps.defaults)
        m_deps.defaults->removeAll();
    if (relaunch())
        return true;
    if (m_deps.defaults && m_deps.registerDefaults)
        m_deps.registerDefaults(*m_deps.defaults);
    if (m_deps.resumeCapture)
        m_deps.resumeCapture();
    return false;
}

} // namespace App
