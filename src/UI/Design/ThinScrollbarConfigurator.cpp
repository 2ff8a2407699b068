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

void apply(QAbstractScrollArea& scrollArea) {
    scrollArea.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    const QColor label = QS::Color::label(QS::Color::schemeOf(scrollArea));
    const QColor knob = QS::Color::withOpacity(label, 0.35 * 0.85);
    const QColor pressed = QS::Color::withOpacity(label, 0.55 * 0.85);
    scrollArea.verticalScrollBar()->setStyleSheet(
        QStringLiteral(
            "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px 1px 2px 0; }"
            "QScrollBar::handle:vertical { background: %1; border-radius: 3px; min-height: 28px; }"
            "QScrollBar::handle:vertical:pressed { background: %2; }"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
            .arg(rgba(knob), rgba(pressed)));
}

} // namespace ThinScrollbarConfigurator
