#include "editor_fixture.h"

#include "common/bmp.h"

#include <QPainter>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

namespace planwerk::testing {

namespace fs = std::filesystem;

void RecordingFrontend::showMessage(const std::string& text, common::Icon)
{
    messages.push_back(text);
}

Answer RecordingFrontend::ask(const std::string& text, Buttons, common::Icon, Answer defaultAnswer)
{
    Answer given = defaultAnswer;
    if (!answers.empty()) {
        given = answers.front();
        answers.pop_front();
    }
    questions.push_back({text, defaultAnswer, given});
    return given;
}

bool RecordingFrontend::pointDialog(PointDialogValues& values)
{
    dialogsShown.push_back(values);
    std::optional<PointDialogValues> answer = values;
    if (!dialogs.empty()) {
        answer = dialogs.front();
        dialogs.pop_front();
    }
    if (!answer)
        return false;
    // The terminal box is fixed in the dialog.
    values.direction = answer->direction;
    values.linked = answer->linked;
    return true;
}

std::optional<std::string> RecordingFrontend::chooseFolder(const std::string&, const std::string&)
{
    return folder;
}

std::optional<std::string> RecordingFrontend::chooseSaveFile(const std::string&, const std::string&)
{
    return std::nullopt;
}

void RecordingFrontend::popupMenu(const std::vector<MenuItem>& items, int, int)
{
    lastMenu = items;
    ++menus;
}

void RecordingFrontend::invertCircle(int x, int y, int radius)
{
    std::array<int, 3> c{x, y, radius};
    auto it = std::find(markers.begin(), markers.end(), c);
    if (it != markers.end())
        markers.erase(it);
    else
        markers.push_back(c);
}

namespace {

void invertPixel(QImage& screen, int x, int y)
{
    if (x >= 0 && y >= 0 && x < screen.width() && y < screen.height())
        screen.setPixel(x, y, ~screen.pixel(x, y) | 0xff000000u);
}

} // namespace

void RecordingFrontend::invertShape(int x, int y, const QImage& shape)
{
    for (int sy = 0; sy < shape.height(); ++sy)
        for (int sx = 0; sx < shape.width(); ++sx)
            if (!screen.isNull() && qAlpha(shape.pixel(sx, sy)) != 0)
                invertPixel(screen, x + sx, y + sy);
    auto same = [&](const Shape& s) { return s.x == x && s.y == y && s.image == shape; };
    auto it = std::find_if(shapes.begin(), shapes.end(), same);
    if (it != shapes.end())
        shapes.erase(it);
    else
        shapes.push_back({x, y, shape});
}

void RecordingFrontend::invertRectangle(int x, int y, int width, int height)
{
    if (!screen.isNull()) {
        // The outline as a one-pixel pen draws it, every pixel once.
        for (int i = x; i <= x + width; ++i) {
            invertPixel(screen, i, y);
            if (height > 0)
                invertPixel(screen, i, y + height);
        }
        for (int j = y + 1; j < y + height; ++j) {
            invertPixel(screen, x, j);
            if (width > 0)
                invertPixel(screen, x + width, j);
        }
    }
    std::array<int, 4> r{x, y, width, height};
    auto it = std::find(rectangles.begin(), rectangles.end(), r);
    if (it != rectangles.end())
        rectangles.erase(it);
    else
        rectangles.push_back(r);
}

bool RecordingFrontend::controlDialog(ControlDialogState& state)
{
    controlDialogs.push_back(state);
    return onControlDialog && onControlDialog(state);
}

bool RecordingFrontend::crossingDialog(CrossingDialogState& state)
{
    crossingDialogs.push_back(state);
    return onCrossingDialog && onCrossingDialog(state);
}

bool RecordingFrontend::sensorDialog(SensorDialogState& state)
{
    sensorDialogs.push_back(state);
    return onSensorDialog && onSensorDialog(state);
}

void RecordingFrontend::repaint()
{
    ++repaints;
    markers.clear();
    rectangles.clear();
    shapes.clear();
    if (view) {
        screen = QImage(1280, 960, QImage::Format_RGB32);
        screen.fill(Qt::black);
        QPainter painter(&screen);
        view->paint(painter);
    }
}

TempFolder::TempFolder()
{
    std::random_device random;
    path_ = (fs::temp_directory_path() / ("planwerk-test-" + std::to_string(random()))).string();
    fs::create_directories(path_);
}

TempFolder::~TempFolder()
{
    std::error_code error;
    fs::remove_all(path_, error);
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool fileExists(const std::string& path)
{
    return fs::exists(path);
}

void writeWorkingPicture(const std::string& programFolder)
{
    common::Bitmap bitmap;
    bitmap.width = 640;
    bitmap.height = 480;
    bitmap.bgr.assign(size_t(640 * 480 * 3), 0x80);
    fs::create_directories(programFolder + "/planwerk");
    ASSERT_TRUE(common::writeBitmap(programFolder + "/planwerk/picture.bmp", bitmap));
}

void writeIni(const std::string& programFolder, const std::string& editLines)
{
    std::ofstream out(programFolder + "/Planwerk.ini");
    out << "[EDIT]\n" << editLines << "\n[OPTION]\n";
}

EditorTest::EditorTest()
{
    fs::create_directories(dir.file("planwerk"));
}

void EditorTest::start(const std::string& editLines, bool picture)
{
    writeIni(dir.path(), editLines);
    if (picture)
        writeWorkingPicture(dir.path());
    editor_ = std::make_unique<LayoutEditor>(ui, dir.path());
    ASSERT_TRUE(editor_->initialise());
}

void EditorTest::clicks(std::initializer_list<Point> points)
{
    for (Point p : points) {
        editor_->press(p.x, p.y);
        editor_->release(p.x, p.y);
    }
}

} // namespace planwerk::testing
