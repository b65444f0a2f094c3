#include "vardo/vision/video_gst_source.h"

#include "vardo/vision/video_frame_copy.h"

#include "common/tsan_handoff.h"

#include <gst/video/video.h>

#include <chrono>

namespace vardo::vision {

namespace {

// The source whose callback the current thread is running, if any: stop()
// from inside a callback cannot wait for that callback to end.
thread_local const GstFrameSource* deliveringSource = nullptr;

struct DeliveringScope {
    explicit DeliveringScope(const GstFrameSource* source) { deliveringSource = source; }
    ~DeliveringScope() { deliveringSource = nullptr; }
};

} // namespace

std::unique_ptr<GstFrameSource> GstFrameSource::create(GstElement* pipeline, GstElement* appsink,
                                                       const GstSourceOptions& options,
                                                       VideoError& error)
{
    std::unique_ptr<GstFrameSource> source(new GstFrameSource(pipeline, appsink, options));
    if (!source->prepare(error))
        return nullptr;
    return source;
}

GstFrameSource::GstFrameSource(GstElement* pipeline, GstElement* appsink,
                               const GstSourceOptions& options)
    : pipeline_(GST_ELEMENT(gst_object_ref_sink(pipeline))),
      sink_(GST_ELEMENT(gst_object_ref(appsink))), options_(options)
{
    installCallbacks();
    watcher_ = std::thread([this] { watch(); });
}

GstFrameSource::~GstFrameSource()
{
    stop();
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    busEvent_.notify_all();
    watcher_.join();
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(sink_);
    gst_object_unref(pipeline_);
}

void GstFrameSource::installCallbacks()
{
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &GstFrameSource::onNewSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink_), &callbacks, this, nullptr);
    // Only the callback takes frames; nothing queues up inside the sink.
    gst_app_sink_set_max_buffers(GST_APP_SINK(sink_), 1);
    gst_app_sink_set_drop(GST_APP_SINK(sink_), options_.live);
    g_object_set(sink_, "sync", options_.realTime && !options_.live ? TRUE : FALSE, nullptr);

    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, &GstFrameSource::onBusMessage, this, nullptr);
    gst_object_unref(bus);
}

GstStateChangeReturn GstFrameSource::changeState(GstState state)
{
    // The threads a state change starts or wakes see everything this
    // thread set up before; GStreamer orders that under locks of its own.
    common::handOffRelease(&pipeline_);
    return gst_element_set_state(pipeline_, state);
}

bool GstFrameSource::prepare(VideoError& error)
{
    if (options_.live) {
        // Opens the device; the format is agreed when frames start.
        if (changeState(GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
            error = {"Add Capture Device", errorText("the device could not be opened")};
            changeState(GST_STATE_NULL);
            return false;
        }
        return true;
    }
    bool ok = preroll(error);
    // Built means stopped: a file starts from its beginning when run.
    changeState(GST_STATE_NULL);
    return ok;
}

bool GstFrameSource::preroll(VideoError& error)
{
    if (changeState(GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        error = {"Get Status", errorText("the pipeline could not be paused")};
        return false;
    }
    if (!waitForPreroll(error))
        return false;
    GstPad* pad = gst_element_get_static_pad(sink_, "sink");
    GstCaps* caps = gst_pad_get_current_caps(pad);
    gst_object_unref(pad);
    GstVideoInfo info;
    bool known = caps != nullptr && gst_video_info_from_caps(&info, caps);
    if (caps != nullptr)
        gst_caps_unref(caps);
    if (!known || GST_VIDEO_INFO_WIDTH(&info) <= 0 || GST_VIDEO_INFO_HEIGHT(&info) <= 0) {
        error = {"Get Status", "the file holds no video frame"};
        return false;
    }
    lockSize({GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info)});
    return true;
}

bool GstFrameSource::waitForPreroll(VideoError& error)
{
    std::unique_lock lock(mutex_);
    bool settled = busEvent_.wait_for(lock, std::chrono::milliseconds(options_.prerollTimeoutMs),
                                      [this] { return prerolled_ || !errorText_.empty(); });
    if (!errorText_.empty()) {
        error = {"Get Status", errorText_};
        return false;
    }
    if (!settled) {
        error = {"Get Status", "no frame came within the time allowed"};
        return false;
    }
    return true;
}

void GstFrameSource::lockSize(FrameSize size)
{
    {
        std::lock_guard lock(mutex_);
        size_ = size;
    }
    // From now on the scaler keeps every frame at this size, should the
    // stream change its own.
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", "width",
                                        G_TYPE_INT, size.width, "height", G_TYPE_INT, size.height,
                                        nullptr);
    gst_app_sink_set_caps(GST_APP_SINK(sink_), caps);
    gst_caps_unref(caps);
}

void GstFrameSource::setCallback(FrameCallback callback)
{
    std::lock_guard lock(mutex_);
    callback_ = std::move(callback);
}

bool GstFrameSource::start(VideoError& error)
{
    if (deliveringSource == this)
        return false;
    std::lock_guard state(stateMutex_);
    if (running_.load())
        return true;
    clearError();
    ended_.store(false);
    {
        std::lock_guard lock(mutex_);
        accepting_ = true;
    }
    if (changeState(GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        {
            std::lock_guard lock(mutex_);
            accepting_ = false;
        }
        error = {"MediaControl Run", errorText("the pipeline could not be started")};
        changeState(GST_STATE_NULL);
        return false;
    }
    running_.store(true);
    return true;
}

bool GstFrameSource::stop()
{
    if (deliveringSource == this)
        return false;
    {
        std::unique_lock lock(mutex_);
        accepting_ = false;
        idle_.wait(lock, [this] { return active_ == 0; });
    }
    // No callback runs now and none will start; taking the pipeline down
    // also ends its streaming threads.
    std::lock_guard state(stateMutex_);
    changeState(GST_STATE_NULL);
    running_.store(false);
    return true;
}

FrameSize GstFrameSource::frameSize() const
{
    std::lock_guard lock(mutex_);
    return size_;
}

VideoError GstFrameSource::streamError() const
{
    std::lock_guard lock(mutex_);
    if (!streamFailed_)
        return {};
    return {errorStep_, errorText_};
}

bool GstFrameSource::lastFrame(std::vector<uint8_t>& frame, FrameSize& size) const
{
    std::lock_guard lock(frameMutex_);
    if (frameSize_.empty())
        return false;
    frame = frame_;
    size = frameSize_;
    return true;
}

GstFlowReturn GstFrameSource::onNewSample(GstAppSink* sink, void* self)
{
    auto* source = static_cast<GstFrameSource*>(self);
    // Set up by our thread before the pipeline ran, and written by the
    // callback before this one, which a seek may have run on another
    // streaming thread.
    common::handOffAcquire(&source->pipeline_);
    common::handOffAcquire(&source->frame_);
    const GstFlowReturn flow = source->takeSample(sink);
    common::handOffRelease(&source->frame_);
    return flow;
}

GstFlowReturn GstFrameSource::takeSample(GstAppSink* sink)
{
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (sample == nullptr)
        return GST_FLOW_FLUSHING;
    {
        std::lock_guard lock(mutex_);
        if (!accepting_) {
            gst_sample_unref(sample);
            return GST_FLOW_OK;
        }
        ++active_;
    }
    deliver(sample);
    gst_sample_unref(sample);
    {
        std::lock_guard lock(mutex_);
        if (--active_ == 0)
            idle_.notify_all();
    }
    return GST_FLOW_OK;
}

void GstFrameSource::deliver(GstSample* sample)
{
    GstVideoInfo info;
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (caps == nullptr || buffer == nullptr || !gst_video_info_from_caps(&info, caps) ||
        GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGR)
        return;
    FrameSize size{GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info)};
    FrameCallback callback;
    {
        std::lock_guard lock(mutex_);
        if (size_.empty())
            size_ = size; // a camera: its first frame fixes the size
        if (!(size == size_))
            return; // the detector's buffers are made for one size
        callback = callback_;
    }
    GstVideoFrame video;
    if (!gst_video_frame_map(&video, &info, buffer, GST_MAP_READ))
        return;
    const auto* rows = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&video, 0));
    size_t stride = size_t(GST_VIDEO_FRAME_PLANE_STRIDE(&video, 0));
    size_t length = stride * size_t(size.height);
    bool packed;
    {
        std::lock_guard lock(frameMutex_);
        frame_.resize(size_t(size.width) * size_t(size.height) * 3);
        packed = packBottomUp(rows, length, stride, size.width, size.height, frame_.data(),
                              frame_.size());
        frameSize_ = packed ? size : FrameSize{};
    }
    gst_video_frame_unmap(&video);
    if (!packed)
        return;
    delivered_.fetch_add(1);
    if (callback) {
        DeliveringScope scope(this);
        callback(std::span<const uint8_t>(frame_), size.width, size.height);
    }
}

GstBusSyncReply GstFrameSource::onBusMessage(GstBus*, GstMessage* message, void* self)
{
    auto* source = static_cast<GstFrameSource*>(self);
    common::handOffAcquire(&source->pipeline_);
    source->handleBusMessage(message);
    return GST_BUS_DROP;
}

void GstFrameSource::handleBusMessage(GstMessage* message)
{
    // Runs on whichever thread posted: record and wake, never block. The
    // wake-up is made under the lock too: once the destructor holds it, a
    // handler that ran before no longer touches this object.
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
        GError* gerror = nullptr;
        gst_message_parse_error(message, &gerror, nullptr);
        std::lock_guard lock(mutex_);
        // The first error names the cause; the ones after it only follow from it.
        if (errorText_.empty()) {
            errorText_ = gerror != nullptr && gerror->message != nullptr ? gerror->message : "error";
            errorStep_ = "Streaming";
            streamFailed_ = running_.load();
        }
        busEvent_.notify_all();
        if (gerror != nullptr)
            g_error_free(gerror);
        break;
    }
    case GST_MESSAGE_ASYNC_DONE:
        if (GST_MESSAGE_SRC(message) != GST_OBJECT(pipeline_))
            return;
        {
            std::lock_guard lock(mutex_);
            prerolled_ = true;
            busEvent_.notify_all();
        }
        break;
    case GST_MESSAGE_EOS: {
        std::lock_guard lock(mutex_);
        endPending_ = true;
        busEvent_.notify_all();
        break;
    }
    default:
        break;
    }
}

void GstFrameSource::watch()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        busEvent_.wait(lock, [this] { return quit_ || endPending_ || streamFailed_; });
        if (quit_)
            return;
        if (streamFailed_) {
            // Frames stop; what is shown last stays.
            ended_.store(true);
            busEvent_.wait(lock, [this] { return quit_ || !streamFailed_; });
            continue;
        }
        endPending_ = false;
        lock.unlock();
        restartFromBeginning();
        lock.lock();
    }
}

void GstFrameSource::restartFromBeginning()
{
    std::lock_guard state(stateMutex_);
    if (!running_.load())
        return;
    if (!options_.loop) {
        ended_.store(true);
        return;
    }
    common::handOffRelease(&pipeline_);
    if (!gst_element_seek_simple(pipeline_, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, 0)) {
        std::lock_guard lock(mutex_);
        errorText_ = "the stream cannot be played again from the start";
        errorStep_ = "MediaSeeking SetPositions";
        streamFailed_ = true;
        busEvent_.notify_all();
    }
}

std::string GstFrameSource::errorText(const char* fallback) const
{
    std::lock_guard lock(mutex_);
    return errorText_.empty() ? std::string(fallback) : errorText_;
}

void GstFrameSource::clearError()
{
    std::lock_guard lock(mutex_);
    errorText_.clear();
    streamFailed_ = false;
    prerolled_ = false;
    endPending_ = false;
}

} // namespace vardo::vision
