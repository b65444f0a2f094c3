#pragma once
// Every text that Vardo shows, in one table. Ids below 1000 are the
// message numbers the texts have always had (other parts of the system and
// users' notes refer to them); texts without a number take ids from 1000 on.
#include "common/message_sink.h"

#include <initializer_list>
#include <string>

namespace common {

namespace msg {
enum : int {
    FileNotFound = 129,             // ファイル[%1]が見つかりません
    CaptureInitFailed = 131,
    DirectXInitFailed = 132,
    DirectShowError = 133,
    NoCameraFound = 134,
    LayoutClassInitFailed = 135,
    ControlClassInitFailed = 136,
    UsbNoReply = 141,
    UsbInitFailed = 142,
    CalibrationSaveFailed = 143,
    CalibrationLoadFailed = 144,
    NotCalibrationFile = 145,
    TooManyCommands = 147,
    ProgramSaveFailed = 148,
    ProgramLoadFailed = 149,
    NotProgramFile = 150,
    ChooseLinkTarget = 151,         // status bar while a link target is chosen
    ProgramModifiedSave = 152,
    DeleteSelectedCommand = 153,
    DeleteChainHead = 154,
    DiscardProgram = 155,
    CameraResolutionFailed = 162,
    CalibrationSizeMismatch = 163,
    CameraSizeLarge = 164,
    LinkToChainHead = 168,
    LinkOnlyBackwards = 170,
    RepeatNeedsWait = 171,
    OperationNotCalibrated = 177,   // the automatic-operation button refuses
    ControlSetupFailed = 178,
    SoundClassInitFailed = 183,
    DirectXAudioError = 184,
    SoundFileMissing = 185,
    CameraSelected = 186,
    ApiClassInitFailed = 187,
    SharedMemoryFailed = 188,
    NotCalibratedForSdk = 190,
    CalibrationModified = 195,
    FolderHasNoPrograms = 210,
    FolderNotSet = 211,
    EndFolderRun = 212,
    SdkControlCaption = 213,        // caption while an outside program controls
    SdkProgramFailed = 216,
    SoundRestartNeeded = 217,
    SoundCapacityFull = 218,
    SoundNotDefined = 219,
    SpeechInitFailed = 220,
    ExtInitFailed = 221,
    ServoAngleRange = 222,
    ServoIdOneGroup = 223,
    ServoIdRange = 225,
    ServoIdChanged = 226,
    FactoryReset = 227,
    ServoIdConfirm = 228,
    FactoryResetConfirm = 229,
    SaveTurnPoint = 231,
    ServoIdMax = 232,
    AlreadyExtConnected = 235,
    AlreadyUsbConnected = 236,
    UsbBaudChanged = 237,
    TurnServoIdZero = 238,

    // The command definition dialogs and the command toolbar.
    EventToolbarCaption = 146,      // ｲﾍﾞﾝﾄ
    AlarmHourRange = 172,
    TimerAtLeastOneSecond = 173,
    LapCountRange = 174,
    LayoutRangeExceeded = 175,
    RepeatCountRange = 176,
    RelayNumberRange = 180,
    SoundNumberRange = 182,         // %1 = the number of sound files
    PointNotDefined = 197,
    SuppressDistanceWrong = 198,
    DistanceRange = 199,
    TrainSpeedRange = 202,
    FadeTimeRange = 204,
    SensorValueWrong = 239,

    // Texts without a number of their own.
    AppTitle = 1000,
    AppName,
    IniSettingError,
    DisclaimerTitle,
    DisclaimerText,
    DisclaimerWarning,
    DisclaimerAgree,
    DisclaimerDisagree,
    NoticeDoNotShowAgain,
    NoticeSetComPort,
    NoticeSidingLayout,
    HelpDisplayFailed,
    DocumentationMissing,
    DocumentationUrl,
    LayoutReadFailed,
    NotPolygonData,
    NotControlData,
    ControlVersionUnsupported,
    NotSensorData,
    NotCrossingData,
    NotPointData,
    TrainPictureMissing,
    TrainTooLargeForTurntable,
    ProgramFileFilter,
    CameraNone,         // the camera menu's "no camera" entry
    CameraMenu,         // the camera submenu
    VideoFileFilter,    // open-file dialog: .avi files
    VideoFileFilterAll, // open-file dialog: every video file the decoders take
    CalibrationProgressTitle,
    AbortButton,
    AngleCorrectionTitle,
    AngleCorrectionClick,
    AngleCorrectionConfirm,
    EmergencyStopTitle,
    EmergencyStopText,
    TrainDisplayTitle,
    TrainTypePhoto,
    TrainTypeGraphic,
    TrainCountGroup,
    TrainCount1,
    TrainCount2,
    TrainCount3,
    TrainConnect,
    TrainPictureButton,
    TrainColourButton,
    WhichCarPicture,
    WhichCarColour,
    Car1,
    Car2,
    Car3,
    BitmapFileFilter,
    CalibrationFileFilter,
    AboutTitle,
    AboutText,
    StatusReady,
    CameraFormatTitle,
    CameraFormatNone,
    // The sound settings dialog.
    SoundDialogTitle,
    SoundFileFilter,
    SoundAddButton,
    SoundDeleteButton,
    SoundUpButton,
    SoundDownButton,
    SoundTestPlayButton,
    SoundStopButton,
    CancelButton,
    SkinLoadFailed,
    PwmControlWarning,
    // Standard field validation of the dialogs.
    EnterIntegerBetween, // %1 and %2: the range
    EnterAtMostChars,    // %1: the limit
};
} // namespace msg

// The text of a message id; an empty string for an unknown id.
const char* messageText(int id);

// The icon a message is shown with when the caller does not choose one.
Icon messageIcon(int id);

// The text with %1, %2, ... replaced by the arguments.
std::string formatMessage(int id, std::initializer_list<std::string> args = {});
std::string formatText(const std::string& text, std::initializer_list<std::string> args);

} // namespace common
