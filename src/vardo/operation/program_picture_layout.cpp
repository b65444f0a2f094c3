// The layout facts the program picture uses, taken from the loaded model.
#include "vardo/layout/layout_model.h"
#include "vardo/operation/program_picture.h"

namespace vardo {

ProgramPictureLayout ProgramPictureLayout::from(const layout::LayoutModel& model)
{
    ProgramPictureLayout facts;
    facts.outerLoopOnly = model.track().polylineCount() <= 1;
    facts.turntable = model.turntable.present;
    const layout::LayoutModel::Positions& pos = model.positions();
    facts.positions = {QPoint(pos.home.x, pos.home.y), QPoint(pos.front.x, pos.front.y),
                       QPoint(pos.back.x, pos.back.y)};
    for (const auto& s : model.sensors.records)
        facts.sensors.emplace_back(s.x, s.y);
    return facts;
}

} // namespace vardo
