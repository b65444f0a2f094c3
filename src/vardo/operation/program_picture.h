#pragma once
// The program picture: a 640x480 image of the program's command boxes with
// their icons, option marks, position crosses, next lines and link lines,
// drawn after every change; and the selection frame the view adds on top.
#include "vardo/base/settings.h"
#include "vardo/operation/program.h"
#include "vardo/operation/program_icons.h"

#include <QColor>
#include <QImage>
#include <QPoint>

#include <array>
#include <vector>

namespace vardo {

namespace layout {
class LayoutModel;
}

struct ProgramPictureStyle {
    QColor box{0xFF, 0xF9, 0xBD};
    QColor link{0x00, 0x00, 0xFF};
    QColor select{0x00, 0xFF, 0x00};
    int linkWidth = 1;
    int selectWidth = 2;

    // VARDO.ini [EVENT]; a bad colour is reported and its default kept.
    static ProgramPictureStyle read(const Settings& settings, common::MessageSink& sink);
};

// What the picture needs to know about the loaded layout.
struct ProgramPictureLayout {
    bool outerLoopOnly = false;
    bool turntable = false;
    // The position table: platform, front (or main line), back.
    std::array<QPoint, 3> positions{};
    std::vector<QPoint> sensors;

    IconVariant iconVariant() const;
    static ProgramPictureLayout from(const layout::LayoutModel& model);
};

class ProgramPicture {
public:
    explicit ProgramPicture(ProgramPictureLayout layout = {}, ProgramPictureStyle style = {});

    // Draws the whole program into a fresh picture.
    QImage draw(const Program& program) const;
    // A hollow frame around the box of slot `index` in the selection pen;
    // nothing when the slot holds no command.
    void drawSelection(QImage& picture, const Program& program, int index) const;

    const ProgramPictureLayout& layout() const { return layout_; }

private:
    void drawLink(QPainter& p, const Program& program, const ProgramCommand& c) const;
    void drawNext(QPainter& p, const Program& program, const ProgramCommand& c) const;
    void drawBox(QPainter& p, const ProgramCommand& c) const;
    void drawMarks(QPainter& p, const ProgramCommand& c) const;
    void drawPositionCross(QPainter& p, const ProgramCommand& c) const;
    void drawMark(QPainter& p, int x, int y, int column, int width = kMarkSize) const;

    ProgramPictureLayout layout_;
    ProgramPictureStyle style_;
    QImage icons_;
    QImage marks_;
};

} // namespace vardo
