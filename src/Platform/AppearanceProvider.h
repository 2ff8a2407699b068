#pragma once

#include <QObject>

namespace Platform {

enum class ColorScheme { Light, Dark };

// What the desktop says about appearance: its light or dark colour scheme and whether the user
// asked for reduced motion. `changed` is emitted whenever either may have changed.
class AppearanceProvider : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual ColorScheme systemColorScheme() const = 0;
    virtual bool reduceMotion() const = 0;

signals:
    void changed();
};

} // namespace Platform
