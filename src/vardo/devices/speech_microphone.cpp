#include "vardo/devices/speech_microphone.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

namespace vardo {

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
    // A missing or busy device shows as a failed change to PLAYING.
    if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE ||
        gst_element_get_state(pipeline_, nullptr, nullptr, 3 * GST_SECOND) ==
            GST_STATE_CHANGE_FAILURE) {
        error = "audio input could not be opened";
        stop();
        return false;
    }
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline_), "sink");
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
