#pragma once
// Drawing a traced row: rails as lines and arcs, vertices as handles.
#include "planwerk/editor_settings.h"
#include "planwerk/vertex_row.h"

class QPainter;
class QPen;

namespace planwerk {

// Draws the row; `selection` is the selected vertex of this row or -1. On
// the siding line the selected vertex's group is drawn with the selection
// pen and the turnouts are numbered.
void drawRow(QPainter& painter, const VertexRow& row, bool sidingLine, int selection,
             const EditorSettings& settings);

// Only the rails, every line and arc with `pen` (the compose mask).
void drawRails(QPainter& painter, const VertexRow& row, bool sidingLine, const QPen& pen);

} // namespace planwerk
