#pragma once

#include <Platform/AppearanceProvider.h>

namespace Platform {

// Appearance with settable values; setting one emits `changed`.
class FakeAppearanceProvider final : public AppearanceProvider {
    Q_OBJECT
public:
    using AppearanceProvider::AppearanceProvider;

    ColorScheme systemColorScheme() const override { return m_scheme; }
    bool reduceMotion() const override { return m_reduceMotion; }

    void setSystemColorScheme(ColorScheme scheme);
    void setReduceMotion(bool on);

private:
    ColorScheme m_scheme = ColorScheme::Light;
    bool m_reduceMotion = false;
};

} // namespace Platform
