#include "planwerk/editor_settings.h"

#include "common/colour.h"
#include "common/profile.h"
#include "common/string_table.h"
#include "planwerk/editor_texts.h"

namespace planwerk {

namespace {

void reportBadKey(common::MessageSink& sink, const char* section, const char* key)
{
    sink.showMessage(common::formatText(text::kIniSettingError, {section, key}),
                     common::Icon::Warning);
}

} // namespace

int readSettingInt(common::MessageSink& sink, const std::string& iniPath, const char* section,
                   const char* key, int defaultValue)
{
    int value = common::Profile::getInt(iniPath, section, key, defaultValue);
    if (value >= 0)
        return value;
    reportBadKey(sink, section, key);
    return -1;
}

int32_t readSettingColour(common::MessageSink& sink, const std::string& iniPath,
                          const char* section, const char* key, const char* defaultValue)
{
    int32_t colour =
        common::parseColour(common::Profile::getString(iniPath, section, key, defaultValue));
    if (colour < 0)
        reportBadKey(sink, section, key);
    return colour;
}

EditorSettings readEditorSettings(common::MessageSink& sink, const std::string& iniPath)
{
    EditorSettings s;
    auto edit = [&](const char* key, int def) {
        return readSettingInt(sink, iniPath, kSectionEdit, key, def);
    };
    auto colour = [&](const char* key, const char* def) {
        return readSettingColour(sink, iniPath, kSectionEdit, key, def);
    };
    s.sortPoint = edit("SORT_POINT", 1);
    s.maxPoint = edit("MAX_POINT", 32);
    s.pointPitch = edit("POINT_PITCH", 1);
    s.pointSize = edit("POINT_SIZE", 4);
    s.lineColour = colour("LINE_COLOR", "#0000FF");
    s.lineWidth = edit("LINE_WIDTH", 2);
    s.pointColour = colour("POINT_COLOR", "#0000FF");
    s.selectColour = colour("SELECT_COLOR", "#007700");
    s.selectWidth = edit("SELECT_WIDTH", 2);
    s.maxPoly = edit("MAX_POLY", 2048);
    s.maskColour = colour("MASK_COLOR", "#00FF00");
    s.maskWidth = edit("MASK_WIDTH", 4);
    s.railWidth = readSettingInt(sink, iniPath, kSectionOption, "RAIL_WIDTH", 32);
    s.trainSize = readSettingInt(sink, iniPath, kSectionOption, "TRAIN_SIZE", 20);
    return s;
}

} // namespace planwerk
