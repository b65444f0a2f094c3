#pragma once
// Command ids of the main window's menus and toolbars. They travel through
// Frontend::postCommand and keep the numbers the menus have always had.
namespace vardo::cmd {

enum : int {
    NewProgram = 57600,
    OpenProgram = 57601,
    SaveProgram = 57603,
    Undo = 57643,
    Unlink = 57635,
    About = 57664,
    Exit = 57665,
    ToolBar = 59392,
    StatusBar = 59393,

    NoCamera = 32000, // 32001..32004: cameras 1..4
    FirstCamera = 32001,
    LastCamera = 32004,
    LiveImage = 32772,
    DifferenceImage = 32774,
    LayoutDisplay = 32780,
    PolygonImage = 32782,
    VectorImage = 32786,
    Centroid = 32787,
    CalibrationStart = 32799,
    CameraFormat = 32814,
    AngleCorrection = 32816,
    TrainFigure = 32818,
    EmergencyStopNotice = 32822,
    CalibrationSave = 32834,
    ShowProgram = 32836, // プログラム(&P)
    InsertAlarm = 32838,
    InsertTimer = 32839,
    InsertTrainControl = 32840,
    EditCommand = 32845,
    DeleteCommand = 32847,
    MoveNext = 32849,
    MovePrevious = 32851,
    Link = 32853,
    InsertPointControl = 32858,
    InsertPosition = 32859,
    CurrentTime = 32861,
    Simulation = 32869, // シミュレーション(&M)
    SampleProgram = 32891,
    OpenVideoFile = 32892,
    EmergencyStopToggle = 32894,
    Documentation = 32896,
    InsertEnd = 32897,
    InsertRepeat = 32899,
    InsertOptionOutput = 32900,
    InsertSound = 32901,
    SoundSettings = 32903,
    TrainDisplaySettings = 32907,
    ParameterSettings = 32909,
    ControlPointsToggle = 32912,
    Skin1 = 32913,
    Skin2 = 32914,
    OptionOutput = 32916,
    InsertTrainSpeed = 32919,
    Skin3 = 32925,
    InsertBarrierControl = 32926,
    FolderRun = 32928,
    FolderRunSettings = 32931,
    ProgramTitle = 32932,
    FocusAdjustment = 32934,
    SpeechRecognition = 32938,
    ExtendedInterfaceSettings = 32940,
    Skin4 = 32942,
    InsertTurntable = 32945,
    // Our own: the speech input has queued events for the UI thread.
    SpeechEvents = 32991,
    // Our own: the outside-program interface waits for work on the UI thread.
    SdkCalls = 32992,
};

} // namespace vardo::cmd
