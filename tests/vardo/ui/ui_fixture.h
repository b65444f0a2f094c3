#pragma once
// A program folder for the window's tests, built by code: an empty
// VARDO.ini, an option.ini that has accepted the disclaimer and silenced the
// notices, and a layout whose outer loop is an ellipse. And a video
// framework without cameras whose file source is fed frames by the test.
#include "layoutdata/layout_files.h"
#include "temp_dir.h"
#include "vardo/vision/video_backend.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ui_fixtures {

inline layoutdata::PolylineFile ellipseTrack(int cx, int cy, int rx, int ry, int step)
{
    layoutdata::PolylineFile file;
    const int count = int(2 * 3.14159 * std::max(rx, ry) / step);
    for (int i = 0; i < count; ++i) {
        const double a = 2 * 3.14159265358979 * i / count;
        file.vertices.push_back({int(cx + rx * std::cos(a)), int(cy + ry * std::sin(a))});
    }
    file.vertexCounts.push_back(count);
    file.homePoint = layoutdata::PolylineFile::packHome({cx, cy + ry});
    return file;
}

class ProgramFolder {
public:
    explicit ProgramFolder(const std::string& extraOptions = "")
    {
        dir.write("VARDO.ini", "[DEBUG]\nMENU=1\n");
        dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nSURPRESS_MESSAGE=1\n"
                                "[LAYOUT]\nSURPRESS_MESSAGE=1\nTRAIN_TYPE=1\n"
                                "[USB]\nSURPRESS_MESSAGE=1\n" +
                                    extraOptions);
        std::filesystem::create_directories(dir.file("layout"));
        std::filesystem::create_directories(dir.file("sample/train"));
        layoutdata::writePolylineFile(dir.file("layout/layout.dat"),
                                      ellipseTrack(320, 240, 250, 170, 4));
        // The window shows the controller panel: the built skins come along.
        if (const char* data = std::getenv("VARDO_TEST_DATA"))
            for (int n = 1; n <= 4; ++n) {
                const std::string skin = "control" + std::to_string(n);
                std::error_code ec;
                std::filesystem::copy(std::string(data) + "/" + skin, dir.file(skin),
                                      std::filesystem::copy_options::recursive, ec);
            }
    }
    const std::string& path() const { return dir.path(); }
    vardo::testing::TempDir dir;
};

// A file source the test drives: push() hands a frame to the callback on
// the calling thread, as the streaming thread would.
class PushSource : public vardo::vision::FrameSource {
public:
    PushSource(int width, int height) : size_{width, height} {}
    void setCallback(vardo::vision::FrameCallback callback) override { callback_ = std::move(callback); }
    bool start(vardo::vision::VideoError&) override { return running_ = true; }
    bool stop() override
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        return true;
    }
    bool running() const override { return running_; }
    vardo::vision::FrameSize frameSize() const override { return size_; }
    bool ended() const override { return false; }
    vardo::vision::VideoError streamError() const override { return {}; }
    bool lastFrame(std::vector<uint8_t>&, vardo::vision::FrameSize&) const override { return false; }

    void push(const std::vector<uint8_t>& frame) { pushSized(frame, size_.width, size_.height); }
    // A frame of another size than the source reports.
    void pushSized(const std::vector<uint8_t>& frame, int width, int height)
    {
        std::lock_guard lock(mutex_);
        if (running_ && callback_)
            callback_(frame, width, height);
    }

private:
    vardo::vision::FrameSize size_;
    vardo::vision::FrameCallback callback_;
    std::atomic<bool> running_{false};
    std::mutex mutex_;
};

// A video framework without cameras whose every file opens as a source
// made by `make`. The last one opened is published in lastSource (shared,
// so the test keeps it after the backend moved into the session).
template <class Source> class FileOnlyBackend : public vardo::vision::VideoBackend {
public:
    explicit FileOnlyBackend(std::function<std::unique_ptr<Source>()> make)
        : make_(std::move(make))
    {
    }
    bool initialise(std::string&) override { return true; }
    std::vector<std::string> cameraNames() override { return {}; }
    std::vector<vardo::vision::CameraFormat> cameraFormats(int) override { return {}; }
    vardo::vision::OpenedSource openCamera(int, const vardo::vision::CameraRequest&,
                                           vardo::vision::VideoError& error) override
    {
        error = {"EnumMonike Bind", "no camera"};
        return {};
    }
    vardo::vision::OpenedSource openFile(const std::string&, const vardo::vision::FileOptions&,
                                         vardo::vision::VideoError&) override
    {
        std::unique_ptr<Source> source = make_();
        *lastSource = source.get();
        vardo::vision::OpenedSource opened;
        opened.source = std::move(source);
        return opened;
    }
    std::shared_ptr<Source*> lastSource = std::make_shared<Source*>(nullptr);

private:
    std::function<std::unique_ptr<Source>()> make_;
};

class FakeBackend : public FileOnlyBackend<PushSource> {
public:
    explicit FakeBackend(int width = 320, int height = 240)
        : FileOnlyBackend([width, height] { return std::make_unique<PushSource>(width, height); })
    {
    }
};

// A bottom-up blue-green-red frame of one colour with a dark square at
// (x, y) (top-down coordinates).
inline std::vector<uint8_t> frameWithSquare(int width, int height, int x, int y, int side)
{
    std::vector<uint8_t> f(size_t(width) * size_t(height) * 3, 200);
    for (int row = y; row < y + side && row < height; ++row)
        for (int col = x; col < x + side && col < width; ++col) {
            uint8_t* p = &f[(size_t(height - 1 - row) * size_t(width) + size_t(col)) * 3];
            p[0] = p[1] = p[2] = 10;
        }
    return f;
}

} // namespace ui_fixtures
