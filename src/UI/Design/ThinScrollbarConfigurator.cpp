#include "ThinScrollbarConfigurator.h"

#include "Color.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

namespace ThinScrollbarConfigurator {

namespace {
QString rgba(const QColor& color) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alphaF(), 0, 'f', 3);
}
} // namespace

void apply(QAbstractScrollArea& scrollArea, Qt::Orientations orientations) {
    const bool horizontal = orientations.testFlag(Qt::Horizontal);
    scrollArea.setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    scrollArea.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    const QColor label = QS::Color::label(QS::Color::schemeOf(scrollArea));
    const QColor knob = QS::Color::withOpacity(label, 0.35 * 0.85);
    const QColor pressed = QS::Color::withOpacity(label, 0.55 * 0.85);
    // One style sheet for either bar: the axis decides which edges and which length it names.
    auto style = [&](const char* axis, const char* length, const char* thickness, const char* margin) {
        return QStringLiteral("QScrollBar:%1 { background: transparent; %3: 8px; margin: %4; }"
                              "QScrollBar::handle:%1 { background: %5; border-radius: 3px; min-%2: 28px; }"
                              "QScrollBar::handle:%1:pressed { background: %6; }"
                              "QScrollBar::add-line:%1, QScrollBar::sub-line:%1 { %2: 0; }"
                              "QScrollBar::add-page:%1, QScrollBar::sub-page:%1 { background: transparent; }")
            .arg(QLatin1String(axis), QLatin1String(length), QLatin1String(thickness), QLatin1String(margin),
                 rgba(knob), rgba(pressed));
    };
    scrollArea.verticalScrollBar()->setStyleSheet(style("vertical", "height", "width", "2px 1px 2px 0"));
    if (horizontal)
        scrollArea.horizontalScrollBar()->setStyleSheet(
            style("horizontal", "width", "height", "0 2px 1px 2px"));
}

} // namespace ThinScrollbarConfigurator
