#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

// A picture of one line of black text on white, large and plain enough for text recognition to
// read exactly: what a copied screenshot of a line looks like. Needs a Gui application.
inline QImage textPicture(const QString& text) {
    QImage image(900, 140, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(48);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    painter.end();
    return image;
}
