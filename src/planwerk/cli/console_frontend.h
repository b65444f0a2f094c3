#pragma once
// The editor's frontend on the console: messages and questions go to a
// stream with the answer given, answers come from a queue filled by the
// script (an unanswered question takes its default button).
#include "planwerk/editor_frontend.h"

#include <array>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>

namespace planwerk::cli {

// One queued answer to the next question or dialog. Dialog values and a
// file or folder name may come with it.
struct QueuedAnswer {
    Answer answer = Answer::Ok;
    std::optional<PointDialogValues> values;
    std::string path;
};

class ConsoleFrontend : public EditorFrontend {
public:
    explicit ConsoleFrontend(FILE* log) : log_(log) {}

    void queue(QueuedAnswer answer) { answers_.push_back(std::move(answer)); }
    // The answer to questions once the queue is empty, instead of the default.
    void setFallback(Answer answer) { fallback_ = answer; }
    // What the user enters in the next dialog: point values, a folder or a
    // file. Cleared with clearPresets() once the command is done.
    void presetDialogValues(PointDialogValues values) { presetValues_ = values; }
    void presetPath(std::string path) { presetPath_ = std::move(path); }
    // What the user enters in the next marker settings dialog, as the
    // record would store it.
    void presetControl(layoutdata::ControlPointRecord record) { presetControl_ = record; }
    void presetCrossing(layoutdata::CrossingRecord record) { presetCrossing_ = record; }
    void presetSensor(int sensitivity) { presetSensor_ = sensitivity; }
    void clearPresets()
    {
        presetValues_.reset();
        presetPath_.reset();
        presetControl_.reset();
        presetCrossing_.reset();
        presetSensor_.reset();
    }

    void showMessage(const std::string& text, common::Icon icon) override;
    Answer ask(const std::string& text, Buttons buttons, common::Icon icon,
               Answer defaultAnswer) override;
    bool pointDialog(PointDialogValues& values) override;
    std::optional<std::string> chooseFolder(const std::string& title,
                                            const std::string& initialFolder) override;
    std::optional<std::string> chooseSaveFile(const std::string& defaultExtension,
                                              const std::string& filter) override;
    void popupMenu(const std::vector<MenuItem>& items, int x, int y) override;
    std::optional<std::string> chooseOpenFile(const std::string& defaultExtension,
                                              const std::string& filter) override;
    void invertCircle(int x, int y, int radius) override;
    void invertRectangle(int x, int y, int width, int height) override;
    bool controlDialog(ControlDialogState& state) override;
    bool crossingDialog(CrossingDialogState& state) override;
    bool sensorDialog(SensorDialogState& state) override;
    void repaint() override
    {
        ++repaints_;
        markers_.clear(); // a repaint draws over every marker
    }
    void closeWindow() override;

    bool closed() const { return closed_; }
    int repaints() const { return repaints_; }
    // Inverting circles and rectangles drawn an odd number of times: what
    // shows now.
    int visibleMarkers() const { return int(markers_.size()); }

private:
    std::optional<QueuedAnswer> next();
    // OK unless the next queued answer says otherwise.
    bool dialogAnswer();
    void toggleMarker(const std::array<int, 4>& marker);
    // The path a file or folder dialog returns; nothing on cancel.
    std::optional<std::string> chosenPath();

    FILE* log_;
    std::deque<QueuedAnswer> answers_;
    std::optional<Answer> fallback_;
    std::optional<PointDialogValues> presetValues_;
    std::optional<std::string> presetPath_;
    std::optional<layoutdata::ControlPointRecord> presetControl_;
    std::optional<layoutdata::CrossingRecord> presetCrossing_;
    std::optional<int> presetSensor_;
    std::vector<std::array<int, 4>> markers_;
    bool closed_ = false;
    int repaints_ = 0;
};

const char* answerName(Answer answer);

} // namespace planwerk::cli
