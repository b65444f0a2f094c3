#include "vardo/vision/camera_gst_caps.h"

#include <array>
#include <cstring>

namespace vardo::vision {

namespace {

constexpr std::array<FrameSize, 9> kCommonSizes{{{160, 120},
                                                {320, 240},
                                                {352, 288},
                                                {640, 480},
                                                {800, 600},
                                                {1024, 768},
                                                {1280, 720},
                                                {1280, 960},
                                                {1920, 1080}}};

bool offersSize(const GstStructure* s, FrameSize size)
{
    GstStructure* probe = gst_structure_new(gst_structure_get_name(s), "width", G_TYPE_INT,
                                            size.width, "height", G_TYPE_INT, size.height, nullptr);
    bool ok = gst_structure_can_intersect(s, probe);
    gst_structure_free(probe);
    return ok;
}

std::vector<FrameSize> sizesOf(const GstStructure* s)
{
    int width = 0, height = 0;
    if (gst_structure_get_int(s, "width", &width) && gst_structure_get_int(s, "height", &height))
        return {{width, height}};
    std::vector<FrameSize> sizes;
    if (!gst_structure_has_field(s, "width") || !gst_structure_has_field(s, "height"))
        return sizes;
    for (FrameSize size : kCommonSizes)
        if (offersSize(s, size))
            sizes.push_back(size);
    return sizes;
}

// A field's string values: one, a list of them, or none.
std::vector<std::string> stringsOf(const GstStructure* s, const char* field)
{
    const GValue* value = gst_structure_get_value(s, field);
    if (value == nullptr)
        return {""};
    if (G_VALUE_HOLDS_STRING(value))
        return {g_value_get_string(value)};
    std::vector<std::string> out;
    if (GST_VALUE_HOLDS_LIST(value))
        for (guint i = 0; i < gst_value_list_get_size(value); ++i) {
            const GValue* item = gst_value_list_get_value(value, i);
            if (G_VALUE_HOLDS_STRING(item))
                out.push_back(g_value_get_string(item));
        }
    if (out.empty())
        out.push_back("");
    return out;
}

using Rate = std::pair<int, int>;

std::vector<Rate> ratesOf(const GstStructure* s)
{
    const GValue* value = gst_structure_get_value(s, "framerate");
    if (value == nullptr)
        return {{0, 1}};
    if (GST_VALUE_HOLDS_FRACTION(value))
        return {{gst_value_get_fraction_numerator(value), gst_value_get_fraction_denominator(value)}};
    std::vector<Rate> out;
    if (GST_VALUE_HOLDS_LIST(value)) {
        for (guint i = 0; i < gst_value_list_get_size(value); ++i) {
            const GValue* item = gst_value_list_get_value(value, i);
            if (GST_VALUE_HOLDS_FRACTION(item))
                out.push_back({gst_value_get_fraction_numerator(item),
                               gst_value_get_fraction_denominator(item)});
        }
    } else if (GST_VALUE_HOLDS_FRACTION_RANGE(value)) {
        const GValue* max = gst_value_get_fraction_range_max(value);
        out.push_back({gst_value_get_fraction_numerator(max), gst_value_get_fraction_denominator(max)});
    }
    if (out.empty())
        out.push_back({0, 1});
    return out;
}

bool isRaw(const GstStructure* s)
{
    return std::strcmp(gst_structure_get_name(s), "video/x-raw") == 0;
}

// The structure asked for: media type, the pixel format when one was
// chosen, and the size when the camera has it.
GstStructure* requestStructure(const GstStructure* offered, const CameraRequest& request,
                               bool withSize)
{
    // A pixel format is asked only of entries that name one (a missing
    // field would match anything).
    if (!request.format.empty() && !gst_structure_has_field(offered, "format"))
        return nullptr;
    GstStructure* wanted = gst_structure_new_empty(gst_structure_get_name(offered));
    if (!request.format.empty())
        gst_structure_set(wanted, "format", G_TYPE_STRING, request.format.c_str(), nullptr);
    if (withSize)
        gst_structure_set(wanted, "width", G_TYPE_INT, request.size.width, "height", G_TYPE_INT,
                          request.size.height, nullptr);
    if (!gst_structure_can_intersect(offered, wanted)) {
        gst_structure_free(wanted);
        return nullptr;
    }
    return wanted;
}

bool typeMatches(const GstStructure* s, const CameraRequest& request)
{
    return request.mediaType.empty() || request.mediaType == gst_structure_get_name(s);
}

// The first offered structure (raw ones first) that takes the request.
GstStructure* findRequest(const GstCaps* offered, const CameraRequest& request, bool withSize)
{
    for (int pass = 0; pass < 2; ++pass)
        for (guint i = 0; i < gst_caps_get_size(offered); ++i) {
            const GstStructure* s = gst_caps_get_structure(offered, i);
            if (isRaw(s) != (pass == 0) || !typeMatches(s, request))
                continue;
            if (GstStructure* wanted = requestStructure(s, request, withSize))
                return wanted;
        }
    return nullptr;
}

} // namespace

std::vector<CameraFormat> formatsFromCaps(const GstCaps* offered)
{
    std::vector<CameraFormat> formats;
    if (offered == nullptr || gst_caps_is_any(offered))
        return formats;
    for (guint i = 0; i < gst_caps_get_size(offered); ++i) {
        const GstStructure* s = gst_caps_get_structure(offered, i);
        const char* name = gst_structure_get_name(s);
        if (std::strncmp(name, "video/", 6) != 0 && std::strncmp(name, "image/", 6) != 0)
            continue;
        for (const std::string& format : stringsOf(s, "format"))
            for (FrameSize size : sizesOf(s))
                for (Rate rate : ratesOf(s))
                    formats.push_back({name, format, size.width, size.height, rate.first, rate.second});
    }
    sortFormats(formats);
    return formats;
}

GstCaps* capsForRequest(const GstCaps* offered, const CameraRequest& request, bool& sizeApplied)
{
    sizeApplied = true;
    if (offered == nullptr || gst_caps_is_any(offered)) {
        GstCaps* caps = gst_caps_new_empty();
        for (const char* type : {"video/x-raw", "image/jpeg"}) {
            if (!request.mediaType.empty() && request.mediaType != type)
                continue;
            GstStructure* s = gst_structure_new(type, "width", G_TYPE_INT, request.size.width,
                                                "height", G_TYPE_INT, request.size.height, nullptr);
            if (!request.format.empty())
                gst_structure_set(s, "format", G_TYPE_STRING, request.format.c_str(), nullptr);
            gst_caps_append_structure(caps, s);
        }
        if (gst_caps_is_empty(caps)) {
            gst_caps_unref(caps);
            return gst_caps_new_simple(request.mediaType.c_str(), "width", G_TYPE_INT,
                                       request.size.width, "height", G_TYPE_INT,
                                       request.size.height, nullptr);
        }
        return caps;
    }
    if (GstStructure* wanted = findRequest(offered, request, true))
        return gst_caps_new_full(wanted, nullptr);
    sizeApplied = false;
    if (GstStructure* wanted = findRequest(offered, request, false))
        return gst_caps_new_full(wanted, nullptr);
    return nullptr;
}

} // namespace vardo::vision
