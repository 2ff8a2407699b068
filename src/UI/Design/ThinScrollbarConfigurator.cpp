#include "ThinScrollbarConfigurator.h"

#include "Color.h"
#include "SchemeFollower.h"

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


// The bars' look for the scheme.
void style(QAbstractScrollArea& scrollArea, QS::Color::Scheme scheme) {
    const QColor label = QS::Color::label(scheme);
    const QColor knob = QS::Color::withOpacity(label, 0.35 * 0.85);
    const QColor pressed = QS::Color::withOpacity(label, 0.55 * 0.85);
    // One style sheet for either bar: the axis decides which edges and which length it names.
    auto sheet = [&](const char* axis, const char* length, const char* thickness, const char* margin) {
        return QStringLiteral("QScrollBar:%1 { background: transparent; %3: 8px; margin: %4; }"
                              "QScrollBar::handle:%1 { background: %5; border-radius: 3px; min-%2: 28px; }"
                              "QScrollBar::handle:%1:pressed { background: %6; }"
                              "QScrollBar::add-line:%1, QScrollBar::sub-line:%1 { %2: 0; }"
                              "QScrollBar::add-page:%1, QScrollBar::sub-page:%1 { background: transparent; }")
            .arg(QLatin1String(axis), QLatin1String(length), QLatin1String(thickness), QLatin1String(margin),
                 rgba(knob), rgba(pressed));
    };
    scrollArea.verticalScrollBar()->setStyleSheet(sheet("vertical", "height", "width", "2px 1px 2px 0"));
    if (scrollArea.horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        scrollArea.horizontalScrollBar()->setStyleSheet(
            sheet("horizontal", "width", "height", "0 2px 1px 2px"));
}

constexpr char kFollowing[] = "qsThinScrollbarsFollowScheme";
} // namespace

void apply(QAbstractScrollArea& scrollArea, Qt::Orientations orientations) {
    const bool horizontal = orientations.testFlag(Qt::Horizontal);
    scrollArea.setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    scrollArea.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The bars follow the appearance by themselves from the first application on.
    if (scrollArea.property(kFollowing).toBool()) {
        style(scrollArea, QS::Color::drawnScheme(scrollArea));
        return;
    }
    scrollArea.setProperty(kFollowing, true);
    QS::Color::follow(scrollArea, [&scrollArea](QS::Color::Scheme scheme) { style(scrollArea, scheme); });
}

} // namespace ThinScrollbarConfigurator
