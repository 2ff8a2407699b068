#include "Font.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace QS::Font {

QFont system(qreal points, QFont::Weight weight, Design design) {
    QFont font = design == Design::Monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                                              : QGuiApplication::font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points))));
    font.setWeight(weight);
    return font;
}

} // namespace QS::Font
