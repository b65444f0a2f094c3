#pragma once
// A colour as the settings store it, for drawing with Qt.
#include "common/colour.h"

#include <QColor>

namespace planwerk {

inline QColor toQColor(int32_t c)
{
    return QColor(common::colourRed(c), common::colourGreen(c), common::colourBlue(c));
}

} // namespace planwerk
