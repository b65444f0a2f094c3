#include "planwerk/cli/edit_script.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <vector>

namespace planwerk::cli {

namespace {

std::vector<std::string> words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

bool toInt(const std::string& text, int& value)
{
    try {
        size_t used = 0;
        long v = std::stol(text, &used);
        if (used != text.size() || v < INT32_MIN || v > INT32_MAX)
            return false;
        value = int(v);
        return true;
    } catch (...) {
        return false;
    }
}

// The integers after the verb; false unless there are exactly n.
bool numbers(const std::vector<std::string>& w, size_t first, size_t n, std::vector<int>& out)
{
    if (w.size() != first + n)
        return false;
    out.resize(n);
    for (size_t i = 0; i < n; ++i) {
        if (!toInt(w[first + i], out[i]))
            return false;
    }
    return true;
}

const std::map<std::string, EditMode>& modes()
{
    static const std::map<std::string, EditMode> m{{"outer", EditMode::OuterLoop},
                                                   {"sidings", EditMode::Sidings},
                                                   {"mask", EditMode::Mask},
                                                   {"exception", EditMode::Exception},
                                                   {"control", EditMode::ControlPoints},
                                                   {"crossing", EditMode::Crossings},
                                                   {"sensor", EditMode::Sensors},
                                                   {"train", EditMode::TrainPicture},
                                                   {"none", EditMode::None}};
    return m;
}

Command modeCommand(EditMode mode)
{
    switch (mode) {
    case EditMode::OuterLoop:
        return Command::OuterLoopMode;
    case EditMode::Sidings:
        return Command::SidingsMode;
    case EditMode::Mask:
        return Command::MaskMode;
    case EditMode::Exception:
        return Command::ExceptionMode;
    case EditMode::ControlPoints:
        return Command::ControlPointsMode;
    case EditMode::Crossings:
        return Command::CrossingsMode;
    case EditMode::Sensors:
        return Command::SensorsMode;
    case EditMode::TrainPicture:
    case EditMode::None:
        break;
    }
    return Command::TrainPictureMode;
}

const std::map<std::string, Command>& commands()
{
    static const std::map<std::string, Command> m{{"delete-vertex", Command::DeleteVertex},
                                                  {"toggle-curve", Command::ToggleCurve},
                                                  {"platform", Command::Platform},
                                                  {"create-turnout", Command::CreateTurnout},
                                                  {"point-settings", Command::PointSettings},
                                                  {"append", Command::AppendSwitch},
                                                  {"undo", Command::Undo},
                                                  {"new", Command::New},
                                                  {"save", Command::Save},
                                                  {"export", Command::Export},
                                                  {"load-layout", Command::LoadLayout},
                                                  {"exit", Command::Exit},
                                                  {"add-rect", Command::AddRect},
                                                  {"add-band", Command::AddBand},
                                                  {"delete-region", Command::DeleteRegion},
                                                  {"add-control", Command::AddControl},
                                                  {"add-crossing", Command::AddCrossing},
                                                  {"add-sensor", Command::AddSensor},
                                                  {"delete-marker", Command::DeleteMarker},
                                                  {"control-settings", Command::ControlSettings},
                                                  {"crossing-settings", Command::CrossingSettings},
                                                  {"sensor-settings", Command::SensorSettings},
                                                  {"resize", Command::Resize},
                                                  {"rotate", Command::Rotate},
                                                  {"compose", Command::Compose}};
    return m;
}

bool dialogValues(const std::vector<std::string>& w, size_t first, PointDialogValues& values)
{
    std::vector<int> v;
    if (!numbers(w, first, 3, v) || (v[0] != 0 && v[0] != 1) || (v[1] != 0 && v[1] != 1) ||
        (v[2] != 0 && v[2] != 1))
        return false;
    values = {v[0], v[1] != 0, v[2] != 0};
    return true;
}

bool oneOf(int v, std::initializer_list<int> allowed)
{
    return std::find(allowed.begin(), allowed.end(), v) != allowed.end();
}

// control-settings DIRECTION TRACK POINT OPTION SOUND [RELAY SOUND_NUMBER]
bool controlValues(const std::vector<std::string>& w, layoutdata::ControlPointRecord& r)
{
    std::vector<int> v;
    if (!numbers(w, 2, 5, v) && !numbers(w, 2, 7, v))
        return false;
    if (v.size() == 5)
        v.insert(v.end(), {0, 1});
    bool ok = v[0] >= 0 && v[0] <= 2 && oneOf(v[1], {0, 1, 2, 7, 8}) && v[2] >= 0 &&
              v[2] < kPointListSize && v[3] >= 0 && v[3] <= 2 && v[4] >= 0 && v[4] <= 3 &&
              v[5] >= 0 && v[5] < kRelayListSize && v[6] >= 1 && v[6] <= 255;
    if (!ok)
        return false;
    r.direction = int16_t(v[0]);
    r.trackAction = uint8_t(v[1]);
    r.point = uint8_t(v[2]);
    r.option = uint8_t(v[3]);
    r.sound = uint8_t(v[4]);
    r.relay = uint8_t(v[5]);
    r.soundNumber = uint8_t(v[6]);
    return true;
}

// crossing-settings BARRIER LIGHT DRIVE
bool crossingValues(const std::vector<std::string>& w, layoutdata::CrossingRecord& r)
{
    std::vector<int> v;
    if (!numbers(w, 2, 3, v) || !oneOf(v[0], {0, 1}) || !oneOf(v[1], {0, 1}) || v[0] + v[1] == 0 ||
        v[2] < 1 || v[2] > 10)
        return false;
    r.barrier = v[0];
    r.lights = v[1];
    r.drive = v[2];
    return true;
}

class Runner {
public:
    Runner(LayoutEditor& e, ConsoleFrontend& f, FILE* log) : editor_(e), frontend_(f), log_(log) {}

    // False with the reason when the line is not understood.
    bool line(const std::vector<std::string>& w, std::string& error)
    {
        const std::string& verb = w[0];
        std::vector<int> n;
        if (verb == "mode" && w.size() == 2 && modes().count(w[1]))
            return mode(modes().at(w[1]));
        if (verb == "press" && numbers(w, 1, 2, n))
            return editor_.press(n[0], n[1]), true;
        if (verb == "move" && numbers(w, 1, 2, n))
            return editor_.move(n[0], n[1]), true;
        if (verb == "release" && numbers(w, 1, 2, n))
            return editor_.release(n[0], n[1]), true;
        if (verb == "click" && numbers(w, 1, 2, n)) {
            editor_.press(n[0], n[1]);
            editor_.release(n[0], n[1]);
            return true;
        }
        if (verb == "drag" && numbers(w, 1, 4, n)) {
            editor_.press(n[0], n[1]);
            editor_.move((n[0] + n[2]) / 2, (n[1] + n[3]) / 2);
            editor_.move(n[2], n[3]);
            editor_.release(n[2], n[3]);
            return true;
        }
        if (verb == "menu" && numbers(w, 1, 2, n))
            return editor_.menu(n[0], n[1]), true;
        if (verb == "answer")
            return answer(w, error);
        if (verb == "open-picture")
            return openPicture(w, error);
        if (verb == "trim" && numbers(w, 1, 4, n)) {
            if (!editor_.sourceWaiting() || editor_.mode() != EditMode::None) {
                std::fprintf(log_, "disabled: trim\n");
                return true;
            }
            editor_.press(n[0], n[1]);
            editor_.move(n[2], n[3]);
            editor_.release(n[2], n[3]);
            return true;
        }
        if (commands().count(verb))
            return command(prepend("command", w), error);
        if (verb == "command" && w.size() >= 2)
            return command(w, error);
        error = "unknown line";
        return false;
    }

private:
    static std::vector<std::string> prepend(const std::string& first, std::vector<std::string> w)
    {
        w.insert(w.begin(), first);
        return w;
    }

    bool openPicture(const std::vector<std::string>& w, std::string& error)
    {
        static const std::map<std::string, SourceKind> kinds{{"layout", SourceKind::Layout},
                                                             {"collage", SourceKind::Collage},
                                                             {"train", SourceKind::TrainEdit}};
        if (w.size() < 2 || w.size() > 3 || (w.size() == 3 && !kinds.count(w[2]))) {
            error = "open-picture PATH [layout|collage|train]";
            return false;
        }
        SourceKind kind = w.size() == 3 ? kinds.at(w[2]) : SourceKind::Layout;
        if (!editor_.openPicture(kind, w[1]))
            std::fprintf(log_, "not opened: %s\n", w[1].c_str());
        return true;
    }

    bool mode(EditMode m)
    {
        if (m == EditMode::None)
            editor_.enterMode(m);
        else
            run(modeCommand(m), "mode");
        return true;
    }

    void run(Command c, const std::string& name)
    {
        if (!editor_.run(c))
            std::fprintf(log_, "disabled: %s\n", name.c_str());
    }

    bool answer(const std::vector<std::string>& w, std::string& error)
    {
        static const std::map<std::string, Answer> answers{{"yes", Answer::Yes},
                                                           {"no", Answer::No},
                                                           {"ok", Answer::Ok},
                                                           {"cancel", Answer::Cancel}};
        if (w.size() < 2 || !answers.count(w[1])) {
            error = "answer needs yes, no, ok or cancel";
            return false;
        }
        QueuedAnswer a;
        a.answer = answers.at(w[1]);
        if (w.size() == 3) {
            a.path = w[2];
        } else if (w.size() == 5) {
            PointDialogValues v;
            if (!dialogValues(w, 2, v)) {
                error = "dialog values are DIRECTION TERMINAL LINKED, each 0 or 1";
                return false;
            }
            a.values = v;
        } else if (w.size() != 2) {
            error = "answer takes a path or three dialog values";
            return false;
        }
        frontend_.queue(a);
        return true;
    }

    bool command(const std::vector<std::string>& w, std::string& error)
    {
        auto it = commands().find(w[1]);
        if (it == commands().end()) {
            error = "unknown command '" + w[1] + "'";
            return false;
        }
        Command c = it->second;
        if (c == Command::PointSettings) {
            PointDialogValues v;
            if (!dialogValues(w, 2, v)) {
                error = "point-settings DIRECTION TERMINAL LINKED, each 0 or 1";
                return false;
            }
            frontend_.presetDialogValues(v);
        } else if (c == Command::LoadLayout) {
            if (w.size() != 3) {
                error = "load-layout DIR";
                return false;
            }
            frontend_.presetPath(w[2]);
        } else if (c == Command::ControlSettings) {
            layoutdata::ControlPointRecord r;
            if (!controlValues(w, r)) {
                error = "control-settings DIRECTION(0-2) TRACK(0,1,2,7,8) POINT(0-3) OPTION(0-2) "
                        "SOUND(0-3) [RELAY(0-3) SOUND_NUMBER(1-)]";
                return false;
            }
            frontend_.presetControl(r);
        } else if (c == Command::CrossingSettings) {
            layoutdata::CrossingRecord r;
            if (!crossingValues(w, r)) {
                error = "crossing-settings BARRIER(0/1) LIGHT(0/1, not both 0) DRIVE(1-10)";
                return false;
            }
            frontend_.presetCrossing(r);
        } else if (c == Command::SensorSettings) {
            std::vector<int> v;
            if (!numbers(w, 2, 1, v)) {
                error = "sensor-settings SENSITIVITY";
                return false;
            }
            frontend_.presetSensor(v[0]);
        } else if (w.size() != 2) {
            error = "command " + w[1] + " takes no arguments";
            return false;
        }
        run(c, w[1]);
        frontend_.clearPresets();
        return true;
    }

    LayoutEditor& editor_;
    ConsoleFrontend& frontend_;
    FILE* log_;
};

} // namespace

ScriptError runEditScript(const std::string& script, LayoutEditor& editor,
                          ConsoleFrontend& frontend, FILE* log)
{
    Runner runner(editor, frontend, log);
    std::istringstream in(script);
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        auto w = words(text);
        if (w.empty() || w[0].starts_with("#"))
            continue;
        std::string error;
        if (!runner.line(w, error))
            return {number, error + ": " + text};
    }
    return {};
}

} // namespace planwerk::cli
