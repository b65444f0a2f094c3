#pragma once
// The editor's settings from Planwerk.ini, read once at start-up.
#include "common/message_sink.h"

#include <cstdint>
#include <string>

namespace planwerk {

struct EditorSettings {
    int sortPoint = 1;
    int maxPoint = 32;
    int pointPitch = 1;
    int pointSize = 4;
    int32_t lineColour = 0xFF0000; // colour values with red in the low byte
    int lineWidth = 2;
    int32_t pointColour = 0xFF0000;
    int32_t selectColour = 0x007700;
    int selectWidth = 2;
    int maxPoly = 2048;
    int32_t maskColour = 0x00FF00;
    int maskWidth = 4;
    int railWidth = 32;
    int trainSize = 20;
};

inline constexpr char kSectionEdit[] = "EDIT";
inline constexpr char kSectionOption[] = "OPTION";

// An integer key: the value, or its default when absent; a negative value
// is reported and gives -1.
int readSettingInt(common::MessageSink& sink, const std::string& iniPath, const char* section,
                   const char* key, int defaultValue);

// A colour key "#RRGGBB"; anything else is reported and gives -1.
int32_t readSettingColour(common::MessageSink& sink, const std::string& iniPath,
                          const char* section, const char* key, const char* defaultValue);

// Every key, in the order the keys are listed in the settings file.
EditorSettings readEditorSettings(common::MessageSink& sink, const std::string& iniPath);

} // namespace planwerk
