// What the view shows: the picture, then the traced rows on it.
#include "planwerk/layout_editor.h"
#include "planwerk/rail_drawing.h"

#include <QPainter>

namespace planwerk {

void LayoutEditor::paint(QPainter& painter) const
{
    const QImage& picture = sourcePicture_.isNull() ? layoutPicture_ : sourcePicture_;
    if (!picture.isNull())
        painter.drawImage(0, 0, picture);
    for (int i = 0; i < 2; ++i) {
        bool current = railMode() && currentRow_ == i;
        drawRow(painter, rows_[size_t(i)], i == 1, current ? selection_ : -1, settings_);
    }
}

} // namespace planwerk
