#pragma once
// A GStreamer pipeline ending in an appsink, as a FrameSource. The appsink
// calls back on the pipeline's streaming thread; a small watcher thread of
// our own replays a looping file from the start when it ends.
#include "vardo/vision/frame_source.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vardo::vision {

struct GstSourceOptions {
    bool loop = false; // seek to the start at end-of-stream
    bool live = false; // a camera: no preroll, the size comes with the first frame
    bool realTime = true; // a file at its own frame rate; false: as fast as it decodes
    // How long building may wait for the first frame of a file.
    int prerollTimeoutMs = 10000;
};

class GstFrameSource : public FrameSource {
public:
    // Takes over `pipeline` (a floating or owned reference) whose frames end
    // in `appsink`, which must be inside it and accept BGR. Brings it to the
    // point where it can run: a file is decoded up to its first frame (so
    // its size is known and a broken file fails here), a camera is opened.
    static std::unique_ptr<GstFrameSource> create(GstElement* pipeline, GstElement* appsink,
                                                  const GstSourceOptions& options,
                                                  VideoError& error);
    ~GstFrameSource() override;
    GstFrameSource(const GstFrameSource&) = delete;
    GstFrameSource& operator=(const GstFrameSource&) = delete;

    void setCallback(FrameCallback callback) override;
    bool start(VideoError& error) override;
    bool stop() override;
    bool running() const override { return running_.load(); }
    FrameSize frameSize() const override;
    bool ended() const override { return ended_.load(); }
    VideoError streamError() const override;
    bool lastFrame(std::vector<uint8_t>& frame, FrameSize& size) const override;

    // Frames handed to the callback so far.
    uint64_t deliveredFrames() const { return delivered_.load(); }

private:
    GstFrameSource(GstElement* pipeline, GstElement* appsink, const GstSourceOptions& options);
    bool prepare(VideoError& error);
    bool preroll(VideoError& error);
    bool waitForPreroll(VideoError& error);
    void lockSize(FrameSize size);
    void installCallbacks();

    GstStateChangeReturn changeState(GstState state);
    static GstFlowReturn onNewSample(GstAppSink* sink, void* self);
    GstFlowReturn takeSample(GstAppSink* sink);
    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, void* self);
    void handleBusMessage(GstMessage* message);
    void deliver(GstSample* sample);
    void watch();
    void restartFromBeginning();
    std::string errorText(const char* fallback) const;
    void clearError();

    GstElement* pipeline_ = nullptr;
    GstElement* sink_ = nullptr;
    GstSourceOptions options_;
    FrameCallback callback_;

    // Hand-over between the streaming thread and stop(): a callback runs
    // only while accepting_, and stop() waits until none is active.
    mutable std::mutex mutex_;
    std::condition_variable idle_;
    bool accepting_ = false;
    int active_ = 0;
    FrameSize size_;          // locked on the first frame or at preroll
    std::string errorText_;   // last error the pipeline posted
    std::string errorStep_;   // and where it came from
    bool streamFailed_ = false; // that error came while frames flowed
    bool prerolled_ = false;  // the first frame (or the end) reached the sink
    bool endPending_ = false; // for the watcher
    bool quit_ = false;
    std::condition_variable busEvent_;

    // State changes and seeks, one at a time.
    std::mutex stateMutex_;
    std::atomic<bool> running_{false};
    std::atomic<bool> ended_{false};
    std::atomic<uint64_t> delivered_{0};

    mutable std::mutex frameMutex_;
    std::vector<uint8_t> frame_; // written by the streaming thread only
    FrameSize frameSize_;        // of frame_

    std::thread watcher_;
};

} // namespace vardo::vision
