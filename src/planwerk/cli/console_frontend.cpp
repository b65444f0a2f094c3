#include "planwerk/cli/console_frontend.h"

#include <algorithm>
#include <array>

namespace planwerk::cli {

const char* answerName(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return "ok";
    case Answer::Cancel:
        return "cancel";
    case Answer::Yes:
        return "yes";
    case Answer::No:
        return "no";
    }
    return "?";
}

namespace {

bool positive(Answer a)
{
    return a == Answer::Ok || a == Answer::Yes;
}

// An answer given in the other pair of words means the same button.
Answer fit(Answer a, Buttons buttons)
{
    bool yesNo = buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel;
    if (yesNo && a == Answer::Ok)
        return Answer::Yes;
    if (yesNo && a == Answer::Cancel)
        return buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
    if (!yesNo && a == Answer::Yes)
        return Answer::Ok;
    if (!yesNo && a == Answer::No)
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    return a;
}

} // namespace

std::optional<QueuedAnswer> ConsoleFrontend::next()
{
    if (answers_.empty())
        return std::nullopt;
    QueuedAnswer a = answers_.front();
    answers_.pop_front();
    return a;
}

void ConsoleFrontend::showMessage(const std::string& text, common::Icon)
{
    std::fprintf(log_, "message: %s\n", text.c_str());
}

Answer ConsoleFrontend::ask(const std::string& text, Buttons buttons, common::Icon,
                            Answer defaultAnswer)
{
    Answer answer = defaultAnswer;
    if (auto queued = next())
        answer = queued->answer;
    else if (fallback_)
        answer = *fallback_;
    answer = fit(answer, buttons);
    std::fprintf(log_, "question: %s -> %s\n", text.c_str(), answerName(answer));
    return answer;
}

bool ConsoleFrontend::pointDialog(PointDialogValues& values)
{
    bool ok = true;
    PointDialogValues result = values;
    std::optional<PointDialogValues> entered = presetValues_;
    if (auto queued = next()) {
        ok = positive(queued->answer);
        if (queued->values)
            entered = queued->values;
    }
    if (entered) {
        result.direction = entered->direction;
        result.linked = entered->linked;
        if (entered->terminal != values.terminal)
            std::fprintf(log_, "note: the terminal box of the point dialog is fixed\n");
    }
    std::fprintf(log_, "dialog: ポイント設定ダイアログ direction=%d terminal=%d linked=%d -> %s\n",
                 result.direction, int(result.terminal), int(result.linked), ok ? "ok" : "cancel");
    if (ok)
        values = result;
    return ok;
}

std::optional<std::string> ConsoleFrontend::chosenPath()
{
    std::string path = presetPath_.value_or("");
    if (auto queued = next()) {
        if (!positive(queued->answer))
            return std::nullopt;
        if (!queued->path.empty())
            path = queued->path;
    }
    if (path.empty())
        return std::nullopt;
    return path;
}

std::optional<std::string> ConsoleFrontend::chooseFolder(const std::string& title,
                                                         const std::string&)
{
    auto path = chosenPath();
    std::fprintf(log_, "folder: %s -> %s\n", title.c_str(), path ? path->c_str() : "cancel");
    return path;
}

std::optional<std::string> ConsoleFrontend::chooseSaveFile(const std::string&, const std::string&)
{
    auto path = chosenPath();
    std::fprintf(log_, "save file: %s\n", path ? path->c_str() : "cancel");
    return path;
}

std::optional<std::string> ConsoleFrontend::chooseOpenFile(const std::string&, const std::string&)
{
    auto path = chosenPath();
    std::fprintf(log_, "open file: %s\n", path ? path->c_str() : "cancel");
    return path;
}

void ConsoleFrontend::popupMenu(const std::vector<MenuItem>& items, int x, int y)
{
    std::fprintf(log_, "menu at %d,%d:", x, y);
    for (const auto& item : items) {
        std::fprintf(log_, " [%s%s%s]", item.text.c_str(), item.enabled ? "" : " (disabled)",
                     item.checked ? " (checked)" : "");
    }
    std::fprintf(log_, "\n");
}

void ConsoleFrontend::invertCircle(int x, int y, int radius)
{
    toggleMarker({x, y, radius, -1});
}

void ConsoleFrontend::invertRectangle(int x, int y, int width, int height)
{
    toggleMarker({x, y, width, height});
}

void ConsoleFrontend::toggleMarker(const std::array<int, 4>& marker)
{
    auto it = std::find(markers_.begin(), markers_.end(), marker);
    if (it != markers_.end())
        markers_.erase(it);
    else
        markers_.push_back(marker);
}

bool ConsoleFrontend::dialogAnswer()
{
    auto queued = next();
    return !queued || positive(queued->answer);
}

bool ConsoleFrontend::controlDialog(ControlDialogState& state)
{
    bool ok = dialogAnswer();
    if (presetControl_)
        state = ControlDialogState::fromRecord(*presetControl_, state.sounds);
    layoutdata::ControlPointRecord shown{};
    state.store(shown);
    std::fprintf(log_,
                 "dialog: レイアウト制御設定 direction=%d track=%d point=%d option=%d relay=%d "
                 "sound=%d number=%d -> %s\n",
                 shown.direction, shown.trackAction, shown.point, shown.option, shown.relay,
                 shown.sound, shown.soundNumber, ok ? "ok" : "cancel");
    return ok;
}

bool ConsoleFrontend::crossingDialog(CrossingDialogState& state)
{
    bool ok = dialogAnswer();
    if (presetCrossing_)
        state = CrossingDialogState::fromRecord(*presetCrossing_);
    layoutdata::CrossingRecord shown;
    state.store(shown);
    std::fprintf(log_, "dialog: 踏切設定 barrier=%d light=%d drive=%d -> %s\n", shown.barrier,
                 shown.lights, shown.drive, ok ? "ok" : "cancel");
    return ok;
}

bool ConsoleFrontend::sensorDialog(SensorDialogState& state)
{
    bool ok = dialogAnswer();
    if (presetSensor_)
        state.sensitivity = *presetSensor_;
    if (ok && !state.valid()) {
        // The dialog would not close: its field takes only 0..99.
        std::fprintf(log_, "message: enter an integer between %d and %d\n", SensorDialogState::kMin,
                     SensorDialogState::kMax);
        ok = false;
    }
    std::fprintf(log_, "dialog: センサー設定ダイアログ sensitivity=%d -> %s\n", state.sensitivity,
                 ok ? "ok" : "cancel");
    return ok;
}

void ConsoleFrontend::closeWindow()
{
    closed_ = true;
    std::fprintf(log_, "close\n");
}

} // namespace planwerk::cli
