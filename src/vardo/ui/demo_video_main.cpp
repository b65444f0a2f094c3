// vardo-demo-frames: frames of a camera looking at the sample layout while
// a train runs laps on its outer loop, as raw blue-green-red rows on
// standard output (top row first), for a video encoder to turn into a file.
//   vardo-demo-frames <program folder> <width> <height> <frames>
#include "vardo/app/console_frontend.h"
#include "vardo/layout/layout.h"

#include <QGuiApplication>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: vardo-demo-frames <program folder> <width> <height> <frames>\n");
        return 2;
    }
    // Pictures only: no display is needed.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const std::string folder = argv[1];
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const int frames = std::atoi(argv[4]);
    if (width <= 0 || height <= 0 || frames <= 0)
        return 2;
    std::vector<std::string> noArgs;
    vardo::ConsoleFrontend frontend(vardo::ConsoleFrontend::takeOptions(noArgs));
    vardo::layout::Layout layout(frontend);
    vardo::layout::LayoutPaths paths{folder, folder + "/VARDO.ini", folder + "/option.ini", ""};
    if (!layout.load(paths))
        return 1;
    vardo::layout::LayoutModel& model = layout.model();
    // The graphic figure: no photograph is needed.
    model.setTrainDisplay(1, model.trainCount, model.trainConnect, false);
    const int loop = model.track().polylineSize(0);
    if (loop <= 0)
        return 1;
    QImage shot(width, height, QImage::Format_BGR888);
    for (int f = 0; f < frames; ++f) {
        // Two laps over the whole video, a little over one position a frame.
        const int b = int((int64_t(f) * loop * 2 / frames) % loop);
        QImage picture = layout.pictures().layout().copy();
        layout.drawTrainFigure(picture, 0, b);
        QPainter painter(&shot);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, width, height), picture);
        painter.end();
        for (int y = 0; y < height; ++y)
            if (std::fwrite(shot.constScanLine(y), 1, size_t(width) * 3, stdout) != size_t(width) * 3)
                return 1;
    }
    return 0;
}
