#pragma once

class QWidget;
namespace Platform {
class Workspace;
}

namespace App {

// Brings a window the user asked for from the tray to the front, above the application they work
// in. A tray click often reaches us over D-Bus without a user timestamp, and window managers that
// prevent focus stealing then open the window behind the one in front: so the window stays above
// others while it is open and is activated the way a pager activates windows. Call before showing
// it (the activation follows once it is on screen).
void keepInFront(QWidget& window, Platform::Workspace& workspace);

} // namespace App
