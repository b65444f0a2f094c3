#include "vardo/devices/speech_microphone.h"

#include "common/tsan_handoff.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

namespace vardo {

namespace {

// Runs on the streaming thread just before the sink queues what comes:
// the buffer is complete, and the sink's queue hands it to our thread
// under GStreamer's own lock.
GstPadProbeReturn beforeSinkQueue(GstPad*, GstPadProbeInfo*, void* key)
{
    common::handOffRelease(key);
    return GST_PAD_PROBE_OK;
}

void markHandOver(GstElement* sink, const void* key)
{
    GstPad* pad = gst_element_get_static_pad(sink, "sink");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_DATA_DOWNSTREAM, &beforeSinkQueue,
                      const_cast<void*>(key), nullptr);
    gst_object_unref(pad);
}

} // namespace

MicrophoneSpeechInput::MicrophoneSpeechInput(std::string pipelineSource)
    : source_(std::move(pipelineSource))
{
}

MicrophoneSpeechInput::~MicrophoneSpeechInput()
{
    stop();
}

void MicrophoneSpeechInput::stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (pipeline_) {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
        pipeline_ = nullptr;
    }
}

bool MicrophoneSpeechInput::start(const std::vector<std::string>& keywords, SpeechEventQueue& queue,
                                  std::string& error)
{
    if (thread_.joinable())
        return true;
    if (!openRecognizer(recognizer_, keywords, error))
        return false;
    gst_init(nullptr, nullptr);
    const std::string description =
        source_ + " ! audioconvert ! audioresample ! "
                  "audio/x-raw,format=S16LE,rate=16000,channels=1 ! appsink name=sink sync=false";
    GError* gerror = nullptr;
    pipeline_ = gst_parse_launch(description.c_str(), &gerror);
    if (!pipeline_ || gerror) {
        error = "audio input: " + std::string(gerror ? gerror->message : "no pipeline");
        if (gerror)
            g_error_free(gerror);
        stop();
        return false;
    }
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline_), "sink");
    markHandOver(sink, &recognizer_);
    // A missing or busy device shows as a failed change to PLAYING.
    if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE ||
        gst_element_get_state(pipeline_, nullptr, nullptr, 3 * GST_SECOND) ==
            GST_STATE_CHANGE_FAILURE) {
        error = "audio input could not be opened";
        gst_object_unref(sink);
        stop();
        return false;
    }
    stop_ = false;
    thread_ = std::thread([this, sink, &queue] {
        const SpeechEventSink push = [&queue](const SpeechEvent& e) { queue.push(e); };
        while (!stop_) {
            GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 100 * GST_MSECOND);
            if (!sample) {
                if (gst_app_sink_is_eos(GST_APP_SINK(sink)))
                    break;
                continue;
            }
            common::handOffAcquire(&recognizer_);
            GstMapInfo map;
            GstBuffer* buffer = gst_sample_get_buffer(sample);
            if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                recognizer_.feed(reinterpret_cast<const int16_t*>(map.data), map.size / 2, push);
                gst_buffer_unmap(buffer, &map);
            }
            gst_sample_unref(sample);
        }
        recognizer_.finish(push);
        gst_object_unref(sink);
    });
    return true;
}

} // namespace vardo
