#include "Color.h"

#include <QPalette>
#include <QWidget>

namespace QS::Color {

namespace {
bool isDark(Scheme scheme) {
    return scheme == Scheme::Dark;
}
} // namespace

Scheme schemeOf(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128 ? Scheme::Dark : Scheme::Light;
}

Scheme schemeOf(const QWidget& widget) {
    return schemeOf(widget.palette());
}

QColor withOpacity(QColor color, qreal opacity) {
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

QColor mix(const QColor& from, const QColor& to, qreal progress) {
    const auto lerp = [progress](float a, float b) {
        return a + (b - a) * static_cast<float>(progress);
    };
    return QColor::fromRgbF(lerp(from.redF(), to.redF()), lerp(from.greenF(), to.greenF()),
                            lerp(from.blueF(), to.blueF()), lerp(from.alphaF(), to.alphaF()));
}

QColor brand() {
    return QColor(108, 92, 231);
}

QColor brandSoft() {
    return QColor(162, 155, 254);
}

QColor label(Scheme scheme) {
    return isDark(scheme) ? QColor(236, 236, 238) : QColor(29, 29, 31);
}

QColor rowHover(Scheme scheme) {
    return withOpacity(label(scheme), 0.07);
}

QColor cardFill(Scheme scheme) {
    return withOpacity(label(scheme), 0.06);
}

QColor cardStroke(Scheme scheme) {
    return withOpacity(label(scheme), 0.14);
}

QColor glassFill(Scheme scheme) {
    return withOpacity(label(scheme), 0.09);
}

QColor secondaryText(Scheme scheme) {
    return withOpacity(label(scheme), 0.62);
}

QColor tertiaryText(Scheme scheme) {
    return withOpacity(label(scheme), isDark(scheme) ? 0.42 : 0.45);
}

QColor badgeCode() {
    return QColor::fromRgbF(0.02f, 0.42f, 0.78f);
}

QColor badgeURL() {
    return QColor::fromRgbF(0.78f, 0.32f, 0.22f);
}

QColor badgeImage() {
    return QColor::fromRgbF(0.0f, 0.55f, 0.45f);
}

QColor badgeSnippet() {
    return brand();
}

QColor badgeFile(Scheme scheme) {
    return secondaryText(scheme);
}

QColor system(System hue, Scheme scheme) {
    const bool dark = isDark(scheme);
    switch (hue) {
    case System::Blue:
        return dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
    case System::Green:
        return dark ? QColor(48, 209, 88) : QColor(40, 167, 69);
    case System::Indigo:
        return dark ? QColor(94, 92, 230) : QColor(88, 86, 214);
    case System::Orange:
        return dark ? QColor(255, 159, 10) : QColor(230, 126, 0);
    case System::Pink:
        return dark ? QColor(255, 55, 95) : QColor(255, 45, 85);
    case System::Purple:
        return dark ? QColor(191, 90, 242) : QColor(175, 82, 222);
    case System::Red:
        return dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
    }
    return label(scheme);
}

} // namespace QS::Color
