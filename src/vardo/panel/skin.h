#pragma once
// A controller skin: the pictures of one control<n> folder and the places,
// jog geometry and handle that its control.ini gives them.
#include <QImage>
#include <QPoint>
#include <QPointF>

#include <array>
#include <string>
#include <vector>

namespace vardo::panel {

// Picture roles by position number.
namespace role {
enum : int {
    Background = 0,
    Exit = 1,
    Jog = 2,
    Backward = 3,
    Point1 = 4, // .. Point4 = 7
    AutoLamp = 8,
    Handle = 9,
    TurntableReverse = 10,
    Track1 = 11, // .. Track5 = 15
};
}

inline constexpr int kSkinPositions = 16;
inline constexpr int kMaxRegionPoints = 16;
// The skin the menu offers (1..4) and how its jog behaves.
inline constexpr int kLeverSkin = 2;
inline constexpr int kDirectDialSkin = 3;

inline constexpr double kDefaultRestAngle = 2.3561925;
inline constexpr double kDefaultEndAngle = -0.7853975;
inline constexpr double kDefaultRunningAngle = 1.570795;
// From this speed-servo setting on the running angle points down the dial.
inline constexpr int kReversedRunningServo = 129;

struct Skin {
    int number = 0;
    std::string folder;
    int positionCount = 0; // POSITION keys read before the first missing one
    std::array<QPoint, kSkinPositions> positions{};
    std::array<QImage, kSkinPositions> pictures{};
    double jogRadius = 20;
    QPointF jogCentre;
    double restAngle = kDefaultRestAngle;
    double endAngle = kDefaultEndAngle;
    double runningAngle = kDefaultRunningAngle;
    std::string handleFile; // empty: picture 9 is the handle
    QImage handle;
    std::vector<QPoint> region; // clip of the rotated handle, layout of JOG_RGN

    bool has(int i) const
    {
        return i >= 0 && i < positionCount && positions[size_t(i)].x() != -1 &&
               !pictures[size_t(i)].isNull();
    }
    QSize pictureSize(int i) const { return has(i) ? pictures[size_t(i)].size() : QSize(); }
    QRect rect(int i) const
    {
        return has(i) ? QRect(positions[size_t(i)], pictures[size_t(i)].size()) : QRect();
    }
    bool isLever() const { return number == kLeverSkin; }
    bool isDirectDial() const { return number == kDirectDialSkin; }
};

// The folder of skin n in the program folder.
std::string skinFolder(const std::string& programFolder, int number);

// Loads the skin in folder. number decides the jog's behaviour (0 when the
// folder is no numbered skin); speedServo is the extended interface's speed
// servo setting, which turns the default running angle. False, with out
// unchanged, when control.ini or a picture cannot be read; failedFile then
// names what was missing.
bool loadSkin(const std::string& folder, int number, int speedServo, Skin& out,
              std::string* failedFile = nullptr);

// A 24-bit BMP as a QImage (RGB888); null when the file is no such picture.
QImage readSkinPicture(const std::string& path);

} // namespace vardo::panel
