#include "vardo/vision/video_gst_pipeline.h"

#include <cstring>

namespace vardo::vision {

namespace {

GstElement* makeElement(const char* factory, const char* step, VideoError& error)
{
    GstElement* element = gst_element_factory_make(factory, nullptr);
    if (element == nullptr)
        error = {step, std::string("no element \"") + factory + "\""};
    return element;
}

bool isVideoPad(GstPad* pad)
{
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (caps == nullptr)
        caps = gst_pad_query_caps(pad, nullptr);
    bool video = false;
    if (caps != nullptr && gst_caps_get_size(caps) > 0)
        video = std::strncmp(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "video/", 6) == 0;
    if (caps != nullptr)
        gst_caps_unref(caps);
    return video;
}

// Streams other than the first video stream are decoded into nothing, so
// that a file with sound plays like one without.
void discardPad(GstElement* decoder, GstPad* pad)
{
    GstElement* bin = GST_ELEMENT(gst_element_get_parent(decoder));
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (bin != nullptr && sink != nullptr) {
        g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
        gst_bin_add(GST_BIN(bin), sink);
        gst_element_sync_state_with_parent(sink);
        GstPad* sinkPad = gst_element_get_static_pad(sink, "sink");
        gst_pad_link(pad, sinkPad);
        gst_object_unref(sinkPad);
    } else if (sink != nullptr) {
        gst_object_unref(sink);
    }
    if (bin != nullptr)
        gst_object_unref(bin);
}

void onPadAdded(GstElement* decoder, GstPad* pad, void* converter)
{
    GstPad* sinkPad = gst_element_get_static_pad(GST_ELEMENT(converter), "sink");
    if (isVideoPad(pad) && !gst_pad_is_linked(sinkPad))
        gst_pad_link(pad, sinkPad);
    else
        discardPad(decoder, pad);
    gst_object_unref(sinkPad);
}

void onNoMorePads(GstElement* decoder, void* converter)
{
    GstPad* sinkPad = gst_element_get_static_pad(GST_ELEMENT(converter), "sink");
    bool linked = gst_pad_is_linked(sinkPad);
    gst_object_unref(sinkPad);
    if (linked)
        return;
    GError* gerror = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE,
                                         "The stream holds no video.");
    gst_element_post_message(decoder, gst_message_new_error(GST_OBJECT(decoder), gerror, nullptr));
    g_error_free(gerror);
}

// decodebin ! videoconvert ! videoscale ! appsink, added to `pipeline` and
// linked after `upstream`.
bool addDecodingTail(GstElement* pipeline, GstElement* upstream, BuiltPipeline& out,
                     VideoError& error)
{
    GstElement* decoder = makeElement("decodebin", "Add Video Decoder", error);
    GstElement* converter = decoder ? makeElement("videoconvert", "Add Video Converter", error) : nullptr;
    GstElement* scaler = converter ? makeElement("videoscale", "Add Video Scaler", error) : nullptr;
    GstElement* sink = scaler ? makeElement("appsink", "Add Video SampleGrabber", error) : nullptr;
    if (sink == nullptr) {
        for (GstElement* e : {decoder, converter, scaler})
            if (e != nullptr)
                gst_object_unref(gst_object_ref_sink(e));
        return false;
    }
    gst_bin_add_many(GST_BIN(pipeline), decoder, converter, scaler, sink, nullptr);
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGR");
    g_object_set(sink, "caps", caps, nullptr);
    gst_caps_unref(caps);
    if (!gst_element_link(upstream, decoder)) {
        error = {"Connect Capture Video Out to Grabber Video In", "the source cannot feed the decoder"};
        return false;
    }
    if (!gst_element_link_many(converter, scaler, sink, nullptr)) {
        error = {"Connect Grabber Video Out to Null Render In", "the converter cannot feed the sink"};
        return false;
    }
    g_signal_connect(decoder, "pad-added", G_CALLBACK(onPadAdded), converter);
    g_signal_connect(decoder, "no-more-pads", G_CALLBACK(onNoMorePads), converter);
    out.sink = sink;
    return true;
}

GstElement* newPipeline(VideoError& error)
{
    GstElement* pipeline = gst_pipeline_new("vardo-video");
    if (pipeline == nullptr)
        error = {"Create Pipeline", "the pipeline could not be created"};
    return pipeline;
}

} // namespace

bool buildFilePipeline(const std::string& path, BuiltPipeline& out, VideoError& error)
{
    GstElement* pipeline = newPipeline(error);
    if (pipeline == nullptr)
        return false;
    GstElement* source = makeElement("filesrc", "Add Source File", error);
    if (source == nullptr) {
        gst_object_unref(gst_object_ref_sink(pipeline));
        return false;
    }
    g_object_set(source, "location", path.c_str(), nullptr);
    gst_bin_add(GST_BIN(pipeline), source);
    if (!addDecodingTail(pipeline, source, out, error)) {
        gst_object_unref(gst_object_ref_sink(pipeline));
        return false;
    }
    out.pipeline = pipeline;
    return true;
}

bool buildCameraPipeline(GstElement* source, const GstCaps* filter, BuiltPipeline& out,
                         VideoError& error)
{
    GstElement* pipeline = newPipeline(error);
    GstElement* capsFilter = pipeline ? makeElement("capsfilter", "Set Video MediaType", error) : nullptr;
    if (capsFilter == nullptr) {
        gst_object_unref(gst_object_ref_sink(source));
        if (pipeline != nullptr)
            gst_object_unref(gst_object_ref_sink(pipeline));
        return false;
    }
    if (filter != nullptr)
        g_object_set(capsFilter, "caps", filter, nullptr);
    gst_bin_add_many(GST_BIN(pipeline), source, capsFilter, nullptr);
    if (!gst_element_link(source, capsFilter)) {
        error = {"Add Capture Device", "the camera offers no format that was asked for"};
        gst_object_unref(gst_object_ref_sink(pipeline));
        return false;
    }
    if (!addDecodingTail(pipeline, capsFilter, out, error)) {
        gst_object_unref(gst_object_ref_sink(pipeline));
        return false;
    }
    out.pipeline = pipeline;
    return true;
}

} // namespace vardo::vision
