#pragma once
// Drawing the regions and the three kinds of markers over the picture.
// `selection` is the editor's selection when the set is being edited,
// else -1.
#include "planwerk/data_sets.h"
#include "planwerk/editor_settings.h"

class QPainter;

namespace planwerk {

void drawRegions(QPainter& painter, const RegionSet& set, int selection,
                 const EditorSettings& settings);
void drawControlPoints(QPainter& painter, const ControlPointSet& set, int selection,
                       const EditorSettings& settings);
void drawCrossings(QPainter& painter, const CrossingSet& set, int selection,
                   const EditorSettings& settings);
void drawSensors(QPainter& painter, const SensorSet& set, int selection,
                 const EditorSettings& settings);

// The train rectangle: outline P3 -> P4 -> P1 -> P0 -> P3, handles 0 and 1
// filled with the mask colour, handle 2 with the point colour.
void drawTrainRectangle(QPainter& painter, const TrainRect& rect, int selection,
                        const EditorSettings& settings);

} // namespace planwerk
