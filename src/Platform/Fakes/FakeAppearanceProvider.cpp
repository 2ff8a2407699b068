#include "FakeAppearanceProvider.h"

namespace Platform {

void FakeAppearanceProvider::setSystemColorScheme(ColorScheme scheme) {
    m_scheme = scheme;
    emit changed();
}

void FakeAppearanceProvider::setReduceMotion(bool on) {
    m_reduceMotion = on;
    emit changed();
}

} // namespace Platform
