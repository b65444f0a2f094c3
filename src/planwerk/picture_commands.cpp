// The picture commands of the editor: open for the three kinds, the trim
// rectangle, resize, rotate and compose.
#include "layoutdata/layout_files.h"
#include "planwerk/editor_picture.h"
#include "planwerk/layout_editor.h"
#include "planwerk/picture/compose.h"
#include "planwerk/picture/open_picture.h"
#include "planwerk/picture/picture_overlays.h"
#include "planwerk/picture/picture_texts.h"
#include "planwerk/picture/rotate.h"
#include "planwerk/picture/train_picture.h"
#include "planwerk/rail_drawing.h"

#include <QPainter>

namespace planwerk {

namespace {

TrainRectangle toTrainRectangle(const TrainRect& r)
{
    TrainRectangle out;
    for (size_t i = 0; i < r.size(); ++i)
        out.p[i] = {r[i].x, r[i].y};
    return out;
}

TrainRect fromTrainRectangle(const TrainRectangle& r)
{
    TrainRect out{};
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = {r.p[i].x, r.p[i].y};
    return out;
}

} // namespace

bool LayoutEditor::openPicture(SourceKind kind, const std::string& path)
{
    if (kind == SourceKind::None)
        return false;
    auto ask = [this](const char* question) {
        Answer a = frontend_.ask(question, Buttons::YesNo, common::Icon::Question, Answer::Yes);
        return a == Answer::Yes ? ReuseAnswer::Yes : ReuseAnswer::No;
    };
    if (kind == SourceKind::Layout)
        askToSave();
    OpenChoice choice = chooseOpenSource(kind, workingFolder(), ask);
    std::string file = choice.workingFile;
    bool fromWorkingFolder = !file.empty();
    if (file.empty())
        file = path;
    if (file.empty()) {
        auto chosen = frontend_.chooseOpenFile("jpg", texts::kOpenFilter);
        if (!chosen)
            return false;
        file = *chosen;
    }
    sourcePicture_ = QImage();
    if (kind == SourceKind::Layout)
        layoutPicture_ = QImage();
    TrainRectangle rect = toTrainRectangle(trainRect_);
    ScreenSize screen = frontend_.screenSize();
    std::string error;
    if (!waiting_.open(file, kind, fromWorkingFolder, screen.width, screen.height, rect, error)) {
        message(error, common::Icon::Stop);
        frontend_.repaint();
        return false;
    }
    trainRect_ = fromTrainRectangle(rect);
    pictureWidth_ = waiting_.picture().width;
    pictureHeight_ = waiting_.picture().height;
    if (kind == SourceKind::Layout)
        modified_.picture = false;
    else if (kind == SourceKind::Collage)
        modified_.collage = false;
    else
        modified_.trainEdit = false;
    mode_ = EditMode::None;
    resetEditState();
    sourcePicture_ = toImage(waiting_.picture());
    if (choice.alreadyTrimmed)
        resize();
    else
        frontend_.repaint();
    return true;
}

void LayoutEditor::resize()
{
    if (!waiting_.waiting())
        return;
    SourceKind kind = waiting_.kind();
    ResizeResult r = waiting_.resize([this] {
        return frontend_.ask(texts::kCutQuestion, Buttons::OkCancel, common::Icon::Question,
                             Answer::Ok) == Answer::Ok;
    });
    if (r.status != ResizeStatus::Done) {
        frontend_.repaint();
        return;
    }
    QImage picture = toImage(r.picture);
    pictureWidth_ = layoutdata::kPictureWidth;
    pictureHeight_ = layoutdata::kPictureHeight;
    sourcePicture_ = QImage();
    switch (kind) {
    case SourceKind::Collage:
        collagePicture_ = picture;
        modified_.collage = true;
        break;
    case SourceKind::TrainEdit:
        trainEditPicture_ = picture;
        modified_.trainEdit = true;
        enterMode(EditMode::TrainPicture);
        break;
    default:
        layoutPicture_ = picture;
        modified_.picture = true;
        break;
    }
    frontend_.repaint();
}

void LayoutEditor::rotate()
{
    bool train = mode_ == EditMode::TrainPicture && !trainEditPicture_.isNull();
    QImage& target = train ? trainEditPicture_ : layoutPicture_;
    if (target.isNull())
        return;
    common::Bitmap bitmap = toBitmap(target);
    rotate180(bitmap);
    target = toImage(bitmap);
    if (train)
        modified_.trainEdit = true;
    else
        modified_.picture = true;
    frontend_.repaint();
}

void LayoutEditor::compose()
{
    if (layoutPicture_.isNull() || collagePicture_.isNull())
        return;
    std::vector<QPolygon> quads;
    for (int i = 0; i < masks_.count(); ++i) {
        QPolygon quad;
        for (const Point& p : layoutdata::maskQuadrilateral(masks_[i]))
            quad << QPoint(p.x, p.y);
        quads.push_back(quad);
    }
    auto rails = [this](QPainter& painter) {
        QPen pen = painter.pen();
        drawRails(painter, rows_[0], false, pen);
        drawRails(painter, rows_[1], true, pen);
    };
    QImage mask = makeComposeMask(settings_.railWidth, rails, quads);
    common::Bitmap composite =
        composePicture(toBitmap(layoutPicture_), toBitmap(collagePicture_), mask);
    if (composite.width <= 0)
        return;
    waiting_.drop();
    sourcePicture_ = toImage(composite);
    modified_.collage = true;
    frontend_.repaint();
}

void LayoutEditor::pressTrainHandle(Point p)
{
    int hit = hitTrainHandle(toTrainRectangle(trainRect_), p.x, p.y, settings_.pointSize);
    if (hit < 0) {
        selection_ = -1;
        dragCounter_ = -1;
        frontend_.repaint();
        return;
    }
    selection_ = hit;
    dragCounter_ = 0;
    grab_ = {p.x - trainRect_[size_t(hit)].x, p.y - trainRect_[size_t(hit)].y};
    takeSnapshot();
}

void LayoutEditor::releaseTrainHandle(Point p)
{
    if (dragCounter_ < 0 || selection_ < 0 || selection_ > 2)
        return;
    TrainRectangle rect = toTrainRectangle(trainRect_);
    rect.p[size_t(selection_)] = {p.x - grab_.x, p.y - grab_.y};
    deriveTrainRectangle(rect);
    trainRect_ = fromTrainRectangle(rect);
    dragCounter_ = -1;
    frontend_.repaint();
}

void LayoutEditor::buildTrainPictureNow()
{
    common::Bitmap built;
    if (buildTrainPicture(toBitmap(trainEditPicture_), toTrainRectangle(trainRect_),
                          settings_.trainSize, built))
        trainPicture_ = toImage(built);
}

void LayoutEditor::storeTrainRectInPicture()
{
    if (trainEditPicture_.isNull())
        return;
    common::Bitmap bitmap = toBitmap(trainEditPicture_);
    if (storeTrainRectangle(toTrainRectangle(trainRect_), bitmap))
        trainEditPicture_ = toImage(bitmap);
}

void LayoutEditor::showTrim(const TrimRectangle::Redraw& redraw)
{
    if (redraw.repaint)
        frontend_.repaint();
    if (redraw.erasePrevious)
        invertTrim(redraw.previous);
    if (redraw.drawCurrent)
        invertTrim(redraw.current);
}

// Inverted drawing: the same call draws the rectangle (and its rails) and
// erases it again.
void LayoutEditor::invertTrim(const PictureRect& r)
{
    frontend_.invertRectangle(r.x, r.y, r.width, r.height);
    QImage rails = railOverlay(r);
    if (!rails.isNull())
        frontend_.invertShape(r.x, r.y, rails);
}

QImage LayoutEditor::railOverlay(const PictureRect& r) const
{
    std::optional<QTransform> toShown = railOverlayTransform(r, waiting_.kind());
    if (!toShown || (rows_[0].empty() && rows_[1].empty()))
        return {};
    // Both rows go into one shape, so a pixel where they meet is inverted
    // once and does not vanish.
    QImage shape(r.width + 1, r.height + 1, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    QPainter painter(&shape);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setWorldTransform(*toShown * QTransform::fromTranslate(-r.x, -r.y));
    const QPen pen(Qt::white, 0); // cosmetic: one pixel wide at any scale
    drawRails(painter, rows_[0], false, pen);
    drawRails(painter, rows_[1], true, pen);
    painter.end();
    return shape;
}

} // namespace planwerk
