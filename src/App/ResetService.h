#pragma once

#include <functional>

class HistoryStore;
namespace Platform {
class Relauncher;
class UserDefaults;
} // namespace Platform

namespace App {

class LoginItemManager;

// Acts on the program as a whole: starting a fresh instance in place of this one, and erasing every
// piece of data before doing so, the login item included, as a fresh installation has none.
class ResetService {
public:
    struct Dependencies {
        Platform::Relauncher* relauncher = nullptr;
        // Ends this process's event loop; called only once the new instance has started.
        std::function<void()> quit;
        // Capture must stop before the data goes, or a clip copied meanwhile would be stored again.
        std::function<void()> stopCapture;
        std::function<void()> resumeCapture;
        HistoryStore* store = nullptr;
        Platform::UserDefaults* defaults = nullptr;
        // Registers the defaults again (and seeds the ignore list) when this instance has to go on.
        std::function<void(Platform::UserDefaults&)> registerDefaults;
        // The autostart entry; a fresh installation has none.
        LoginItemManager* loginItem = nullptr;
    };

    explicit ResetService(Dependencies dependencies);

    enum class WipeOutcome {
        // Everything is gone and the new instance has started; this one is quitting.
        Relaunched,
        // Something could not be removed, so nothing is relaunched.
        EraseIncomplete,
        // Everything is gone but the new instance did not start.
        RelaunchFailed,
    };

    // Starts a new instance; quits only when it really started. False (and this instance goes on)
    // otherwise.
    bool relaunch();
    // Stops capture, deletes every item with its image and the images directory, removes every
    // setting and the login item, then relaunches. A step that fails does not stop the others, but then no
    // relaunch follows. Unless relaunched, this instance goes on with the defaults registered again (the
    // ignore list seeded) and capture running.
    WipeOutcome wipeAndRelaunch();

private:
    Dependencies m_deps;
};

} // namespace App
