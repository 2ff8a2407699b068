#pragma once

#include <Analysis/ContentClassifier.h>

#include <QIcon>
#include <QString>

#include <functional>

class ImageStore;
namespace Platform {
class UserDefaults;
class Workspace;
} // namespace Platform

// What the item previews read from the rest of the program. Every member may be left empty: without
// a workspace nothing is opened and the editor counts as missing, without defaults the font size is
// the default one, without an image store pictures stay empty.
struct PreviewServices {
    ImageStore* images = nullptr;
    // Opens links and the editor's download page, and finds and starts the editor.
    Platform::Workspace* workspace = nullptr;
    // "previewFontSize", followed while the previews are shown.
    Platform::UserDefaults* defaults = nullptr;
    // The icon of a source application by desktop-file id; AppIconCache when unset.
    std::function<QIcon(const QString& bundleID)> appIcon;
    // Runs a smart action; ContentClassifier::perform when unset.
    std::function<void(const ContentClassifier::SmartAction& action, const ContentClassifier::Replies& replies)>
        performSmartAction;
    // Tells the user why an action did nothing (a text that is not JSON after all).
    std::function<void(const QString& reason)> reportFailure;
};
