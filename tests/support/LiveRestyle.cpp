#include "LiveRestyle.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace LiveRestyle {

namespace {

QString nameOf(const QWidget& widget) {
    QString name = QString::fromLatin1(widget.metaObject()->className());
    if (!widget.objectName().isEmpty())
        name += QLatin1Char('#') + widget.objectName();
    if (const auto* label = qobject_cast<const QLabel*>(&widget); label && !label->text().isEmpty())
        name += QStringLiteral(" \"%1\"").arg(label->text().left(30));
    return name;
}

QImage iconImage(const QIcon& icon) {
    return icon.isNull() ? QImage() : icon.pixmap(QSize(16, 16)).toImage();
}

void compareWidget(const QWidget& live, const QWidget& fresh, QStringList& found) {
    const QString name = nameOf(live);
    static constexpr QPalette::ColorRole roles[] = {
        QPalette::Window, QPalette::WindowText, QPalette::Base,      QPalette::Text,
        QPalette::Button, QPalette::ButtonText, QPalette::Highlight, QPalette::PlaceholderText};
    for (const QPalette::ColorRole role : roles) {
        const QColor a = live.palette().color(QPalette::Active, role);
        const QColor b = fresh.palette().color(QPalette::Active, role);
        if (a != b)
            found << QStringLiteral("%1: palette role %2 is %3, built after the change %4")
                         .arg(name)
                         .arg(int(role))
                         .arg(a.name(QColor::HexArgb), b.name(QColor::HexArgb));
    }
    if (live.styleSheet() != fresh.styleSheet())
        found << QStringLiteral("%1: style sheet \"%2\", built after the change \"%3\"")
                     .arg(name, live.styleSheet(), fresh.styleSheet());
    if (const auto* label = qobject_cast<const QLabel*>(&live)) {
        const auto* other = qobject_cast<const QLabel*>(&fresh);
        if (label->text() != other->text())
            found << QStringLiteral("%1: text, built after the change \"%2\"").arg(name, other->text());
        if (label->pixmap().toImage() != other->pixmap().toImage())
            found << name + QStringLiteral(": picture");
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&live)) {
        const auto* other = qobject_cast<const QAbstractButton*>(&fresh);
        if (button->text() != other->text())
            found << QStringLiteral("%1: text \"%2\", built after the change \"%3\"")
                         .arg(name, button->text(), other->text());
        if (iconImage(button->icon()) != iconImage(other->icon()))
            found << name + QStringLiteral(": icon");
    }
}

} // namespace

QStringList differences(QWidget& live, QWidget& fresh) {
    QStringList found;
    QList<QWidget*> liveWidgets = live.findChildren<QWidget*>();
    QList<QWidget*> freshWidgets = fresh.findChildren<QWidget*>();
    liveWidgets.prepend(&live);
    freshWidgets.prepend(&fresh);
    if (liveWidgets.size() != freshWidgets.size())
        return {QStringLiteral("%1 widgets, built after the change %2")
                    .arg(liveWidgets.size())
                    .arg(freshWidgets.size())};
    for (qsizetype i = 0; i < liveWidgets.size(); ++i) {
        if (liveWidgets[i]->metaObject() != freshWidgets[i]->metaObject()) {
            found << QStringLiteral("widget %1 is %2, built after the change %3")
                         .arg(i)
                         .arg(nameOf(*liveWidgets[i]), nameOf(*freshWidgets[i]));
            return found;
        }
        compareWidget(*liveWidgets[i], *freshWidgets[i], found);
    }

    const QImage a = live.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage b = fresh.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (a.size() != b.size()) {
        found << QStringLiteral("window size differs");
        return found;
    }
    QRect differing;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 2 || std::abs(qGreen(p) - qGreen(q)) > 2 ||
                std::abs(qBlue(p) - qBlue(q)) > 2 || std::abs(qAlpha(p) - qAlpha(q)) > 2)
                differing |= QRect(x, y, 1, 1);
        }
    }
    if (!differing.isEmpty())
        found << QStringLiteral("pixels differ within (%1,%2 %3x%4)")
                     .arg(differing.x())
                     .arg(differing.y())
                     .arg(differing.width())
                     .arg(differing.height());
    return found;
}

QStringList clippedTexts(QWidget& window) {
    QStringList found;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty() || !label->pixmap().isNull())
            continue;
        if (label->wordWrap() ? label->height() < label->heightForWidth(label->width())
                              : label->width() < label->minimumSizeHint().width())
            found << QStringLiteral("\"%1\" in %2x%3")
                         .arg(label->text())
                         .arg(label->width())
                         .arg(label->height());
    }
    return found;
}

} // namespace LiveRestyle
