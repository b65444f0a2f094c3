// mkskin: draws the controller skins into control1..control4 of a program
// folder.
//   mkskin PROGRAM_FOLDER [N]
#include "skin_designs.h"

#include "common/paths.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: mkskin PROGRAM_FOLDER [N]\n");
        return 2;
    }
    // Drawing text needs the font database, not a display.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    int first = 1, last = mkskin::kSkinCount;
    if (argc == 3) {
        first = last = std::atoi(argv[2]);
        if (first < 1 || first > mkskin::kSkinCount) {
            std::fprintf(stderr, "mkskin: no skin %s (1..%d)\n", argv[2], mkskin::kSkinCount);
            return 2;
        }
    }
    for (int n = first; n <= last; ++n) {
        std::string error;
        const std::string folder = common::joinPath(argv[1], "control" + std::to_string(n));
        if (!mkskin::writeSkin(n, folder, error)) {
            std::fprintf(stderr, "mkskin: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
