#pragma once

#include <QFont>

// The type scale of Quillstack's windows. Sizes are in the design's points, one point to one
// device-independent pixel, so text keeps its proportions to the paddings around it.
namespace QS::Font {

enum class Design { Default, Monospaced };

QFont system(qreal points, QFont::Weight weight = QFont::Normal, Design design = Design::Default);

} // namespace QS::Font
