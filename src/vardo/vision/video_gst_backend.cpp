#include "vardo/vision/video_gst_backend.h"

#include "vardo/vision/camera_gst_caps.h"
#include "vardo/vision/video_gst_pipeline.h"
#include "vardo/vision/video_gst_source.h"

#include <algorithm>
#include <mutex>

namespace vardo::vision {

namespace {

std::shared_ptr<GstCaps> shareCaps(GstCaps* caps)
{
    if (caps == nullptr)
        return nullptr;
    return std::shared_ptr<GstCaps>(caps, [](GstCaps* c) { gst_caps_unref(c); });
}

CameraDevice describe(GstDevice* device)
{
    CameraDevice camera;
    gchar* name = gst_device_get_display_name(device);
    camera.name = name != nullptr ? name : "";
    g_free(name);
    camera.caps = shareCaps(gst_device_get_caps(device));
    std::shared_ptr<GstDevice> held(GST_DEVICE(gst_object_ref(device)),
                                    [](GstDevice* d) { gst_object_unref(d); });
    camera.makeElement = [held] { return gst_device_create_element(held.get(), nullptr); };
    return camera;
}

bool ready(VideoError& error)
{
    std::string text;
    if (initialiseGStreamer(text))
        return true;
    error = {"gst_init", text};
    return false;
}

} // namespace

bool initialiseGStreamer(std::string& errorText)
{
    static std::once_flag once;
    static bool ok = false;
    static std::string text;
    std::call_once(once, [] {
        GError* gerror = nullptr;
        ok = gst_init_check(nullptr, nullptr, &gerror);
        if (gerror != nullptr) {
            text = gerror->message != nullptr ? gerror->message : "";
            g_error_free(gerror);
        }
    });
    errorText = text;
    return ok;
}

std::vector<CameraDevice> monitoredCameras()
{
    std::vector<CameraDevice> cameras;
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
    // Providers that cannot start (no device nodes at all) simply add nothing.
    bool started = gst_device_monitor_start(monitor);
    GList* devices = gst_device_monitor_get_devices(monitor);
    for (GList* item = devices; item != nullptr; item = item->next)
        cameras.push_back(describe(GST_DEVICE(item->data)));
    g_list_free_full(devices, gst_object_unref);
    if (started)
        gst_device_monitor_stop(monitor);
    gst_object_unref(monitor);
    // The monitor's order may vary between providers; the menu must not.
    std::stable_sort(cameras.begin(), cameras.end(),
                     [](const CameraDevice& a, const CameraDevice& b) { return a.name < b.name; });
    return cameras;
}

GstVideoBackend::GstVideoBackend(CameraLister lister) : lister_(std::move(lister)) {}

bool GstVideoBackend::initialise(std::string& errorText)
{
    return initialiseGStreamer(errorText);
}

std::vector<std::string> GstVideoBackend::cameraNames()
{
    std::vector<std::string> names;
    VideoError error;
    if (!ready(error))
        return names;
    for (const CameraDevice& camera : lister_())
        names.push_back(camera.name);
    return names;
}

std::vector<CameraFormat> GstVideoBackend::cameraFormats(int index)
{
    VideoError error;
    if (!ready(error))
        return {};
    std::vector<CameraDevice> cameras = lister_();
    if (index < 0 || size_t(index) >= cameras.size())
        return {};
    return formatsFromCaps(cameras[size_t(index)].caps.get());
}

OpenedSource GstVideoBackend::openCamera(int index, const CameraRequest& request, VideoError& error)
{
    OpenedSource opened;
    if (!ready(error))
        return opened;
    std::vector<CameraDevice> cameras = lister_();
    if (index < 0 || size_t(index) >= cameras.size()) {
        error = {"EnumMonike Next", "there is no video input device " + std::to_string(index + 1)};
        return opened;
    }
    const CameraDevice& camera = cameras[size_t(index)];
    GstElement* element = camera.makeElement ? camera.makeElement() : nullptr;
    if (element == nullptr) {
        error = {"EnumMonike Bind", "the source element of \"" + camera.name + "\" could not be made"};
        return opened;
    }
    GstCaps* caps = capsForRequest(camera.caps.get(), request, opened.sizeApplied);
    BuiltPipeline built;
    bool ok = buildCameraPipeline(element, caps, built, error);
    if (caps != nullptr)
        gst_caps_unref(caps);
    if (!ok)
        return opened;
    GstSourceOptions options;
    options.live = true;
    opened.source = GstFrameSource::create(built.pipeline, built.sink, options, error);
    return opened;
}

OpenedSource GstVideoBackend::openFile(const std::string& path, const FileOptions& options,
                                       VideoError& error)
{
    OpenedSource opened;
    BuiltPipeline built;
    if (!ready(error) || !buildFilePipeline(path, built, error))
        return opened;
    GstSourceOptions sourceOptions;
    sourceOptions.loop = options.loop;
    sourceOptions.realTime = options.realTime;
    opened.source = GstFrameSource::create(built.pipeline, built.sink, sourceOptions, error);
    return opened;
}

} // namespace vardo::vision
