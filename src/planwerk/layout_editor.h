#pragma once
// The one editing object of Planwerk: the pictures, the traced rows, the
// other data sets, the edit mode, the selection, a one-level undo snapshot
// and a modified flag per data set. The view forwards every mouse event and
// command here and asks it to paint; everything else goes through the
// EditorFrontend, so the editor runs without a window.
#include "planwerk/data_sets.h"
#include "planwerk/editor_frontend.h"
#include "planwerk/editor_settings.h"
#include "planwerk/picture/source_picture.h"
#include "planwerk/vertex_row.h"

#include <QImage>

#include <array>
#include <string>

class QPainter;

namespace planwerk {

enum class EditMode {
    None = -1,
    OuterLoop = 0,
    Sidings = 1,
    Mask = 2,
    Exception = 3,
    TrainPicture = 4,
    ControlPoints = 5,
    Crossings = 6,
    Sensors = 7,
};

const char* modeName(EditMode mode);

// What the undo snapshot holds: one buffer per kind of data set.
struct Snapshot {
    std::vector<VertexRecord> vertices;
    std::array<layoutdata::MaskRecord, kMaxRegions> regions{};
    std::array<layoutdata::ControlPointRecord, layoutdata::kMaxControlPoints> controlPoints{};
    std::array<layoutdata::CrossingRecord, layoutdata::kMaxCrossings> crossings{};
    std::array<layoutdata::SensorRecord, layoutdata::kMaxSensors> sensors{};
    std::array<Point, 3> trainHandles{};
    int count = -1; // -1: nothing to restore
};

class LayoutEditor {
public:
    LayoutEditor(EditorFrontend& frontend, std::string programFolder);

    // Start-up, on the first paint: settings, data sets, the working
    // folder's files. False (and a close request) when Planwerk.ini is
    // missing.
    bool initialise();

    // ---- modes, undo, enable rules
    void enterMode(EditMode mode);
    void takeSnapshot();
    void restoreSnapshot();
    bool isEnabled(Command command) const;
    // Runs a menu or pop-up command; false when it is disabled.
    bool run(Command command);

    // ---- mouse, in picture pixels
    void press(int x, int y);
    void move(int x, int y);
    void release(int x, int y);
    void menu(int x, int y);

    // ---- rail tracing commands
    void deleteVertex();
    void toggleCurve();
    void setPlatform();
    void createTurnout();
    void pointSettings();
    void toggleAppend() { appendSwitch_ = !appendSwitch_; }

    // ---- regions
    void addRegion(bool band);
    void deleteRegion();

    // ---- markers
    void addControlPoint();
    void addCrossing();
    void addSensor();
    void deleteMarker();
    void controlSettings();
    void crossingSettings();
    void sensorSettings();

    // ---- pictures
    // Opens a picture of the kind; with an empty path the working folder's
    // trimmed picture (after its question) or the open-file dialog. False
    // when nothing was opened.
    bool openPicture(SourceKind kind, const std::string& path = {});
    // The waiting picture becomes the 640 x 480 picture of its kind.
    void resize();
    void rotate();
    // The exported layout picture: photograph along the rails, collage elsewhere.
    void compose();

    // ---- folder commands
    void save();
    void exportLayout();
    void loadLayoutData();
    void newData();
    void askToSave();
    void exit();

    void paint(QPainter& painter) const;

    // ---- state
    const std::string& programFolder() const { return programFolder_; }
    std::string iniPath() const;
    std::string workingFolder() const;
    std::string layoutFolder() const;
    const EditorSettings& settings() const { return settings_; }
    // The values the settings dialog edits (sorting, point, line, band,
    // rail and train sizes) take effect at once; the other settings stay as
    // read at start-up. Values outside their ranges are brought into them.
    void setSettings(const EditorSettings& values);
    EditMode mode() const { return mode_; }
    int selection() const { return selection_; }
    int dragCounter() const { return dragCounter_; }
    int snapshotCount() const { return snapshot_.count; }
    const ModifiedFlags& modified() const { return modified_; }
    const VertexRow& row(int i) const { return rows_[size_t(i)]; }
    const RegionSet& masks() const { return masks_; }
    const RegionSet& exceptions() const { return exceptions_; }
    const ControlPointSet& controlPoints() const { return controls_; }
    const CrossingSet& crossings() const { return crossings_; }
    const SensorSet& sensors() const { return sensors_; }
    const TrainRect& trainRect() const { return trainRect_; }
    bool appendSwitch() const { return appendSwitch_; }
    Point lastPopup() const { return lastPopup_; }
    bool hasLayoutPicture() const { return !layoutPicture_.isNull(); }
    const QImage& layoutPicture() const { return layoutPicture_; }
    int pictureWidth() const { return pictureWidth_; }
    int pictureHeight() const { return pictureHeight_; }

    bool sourceWaiting() const { return waiting_.waiting(); }
    // 0 idle, 1 started, 2 dragging, 3 finished; 0 while nothing waits.
    int trimState() const { return waiting_.waiting() ? int(waiting_.trim().state()) : 0; }
    // The size the view shows: the waiting picture at its display scale,
    // else the picture size.
    int shownWidth() const { return waiting_.waiting() ? waiting_.display().width : pictureWidth_; }
    int shownHeight() const
    {
        return waiting_.waiting() ? waiting_.display().height : pictureHeight_;
    }
    const SourcePicture& waitingPicture() const { return waiting_; }
    // The waiting source or the composite picture, shown instead of the layout.
    const QImage& shownPicture() const { return sourcePicture_; }
    const QImage& collagePicture() const { return collagePicture_; }
    const QImage& trainEditPicture() const { return trainEditPicture_; }
    const QImage& trainPicture() const { return trainPicture_; }

    // A picture taken as the layout picture (as Resize leaves it).
    void setLayoutPicture(const QImage& picture);

private:
    VertexRow& currentRow() { return rows_[size_t(currentRow_)]; }
    const VertexRow& currentRow() const { return rows_[size_t(currentRow_)]; }
    bool railMode() const { return mode_ == EditMode::OuterLoop || mode_ == EditMode::Sidings; }
    bool onSidingLine() const { return mode_ == EditMode::Sidings; }
    bool regionMode() const { return mode_ == EditMode::Mask || mode_ == EditMode::Exception; }
    bool markerMode() const
    {
        return mode_ == EditMode::ControlPoints || mode_ == EditMode::Crossings ||
               mode_ == EditMode::Sensors;
    }
    RegionSet& currentRegions() { return mode_ == EditMode::Exception ? exceptions_ : masks_; }
    const RegionSet& currentRegions() const
    {
        return mode_ == EditMode::Exception ? exceptions_ : masks_;
    }
    Point clampToPicture(int x, int y) const;
    void dragMarker(Point p);
    // Regions.
    int hitRegionCorner(Point p) const;
    void pressRegion(Point p);
    void releaseRegion(Point p);
    void regionMenu(Point p);
    // Markers.
    int hitMarker(Point p) const;
    Point markerPosition(int selection) const;
    void pressMarker(Point p);
    void moveMarker(Point p);
    void releaseMarker(Point p);
    void markerMenu(Point p);
    Point placementForNewMarker() const;
    int settingsTarget(int count) const;
    void runAddMarker();
    void showTrim(const TrimRectangle::Redraw& redraw);
    void invertTrim(const PictureRect& shown);
    // The traced rails scaled into a collage's trim rectangle, as an opaque
    // shape on transparent; null when none are drawn there.
    QImage railOverlay(const PictureRect& shown) const;
    void pressTrainHandle(Point p);
    void releaseTrainHandle(Point p);
    // The ten coordinates into the bottom row before train_edit.bmp is written.
    void storeTrainRectInPicture();
    // The train picture from the train edit picture and the rectangle; kept
    // as it was when the rectangle has no length or no height.
    void buildTrainPictureNow();
    void paintTrainPreview(QPainter& painter) const;
    bool trimming() const { return mode_ == EditMode::None && waiting_.waiting(); }
    int hitVertex(int x, int y) const;
    void addVertex(Point p);
    void recomputeCurves();
    void resetEditState();
    bool askYesNo(const char* text, Answer defaultAnswer = Answer::Yes);
    void message(const std::string& text, common::Icon icon = common::Icon::Warning);

    // Working-folder files.
    void readVertexRows();
    void readMasks(RegionSet& set, const std::string& name);
    bool readControlPoints();
    bool readCrossings();
    bool readSensors();
    void exportStale(const char* name, const char* question);

    EditorFrontend& frontend_;
    std::string programFolder_;
    EditorSettings settings_;

    QImage layoutPicture_;
    QImage collagePicture_;
    QImage sourcePicture_;
    QImage trainEditPicture_;
    QImage trainPicture_;
    SourcePicture waiting_;
    int pictureWidth_ = layoutdata::kPictureWidth;
    int pictureHeight_ = layoutdata::kPictureHeight;
    int sourceKind_ = 0;
    int trimState_ = 0;

    EditMode mode_ = EditMode::None;
    int selection_ = -1;
    int dragCounter_ = -1;
    Point grab_{};
    Point marker_{};
    Point lastPopup_{320, 240};
    bool appendSwitch_ = false;

    std::array<VertexRow, 2> rows_;
    int currentRow_ = 0;
    RegionSet masks_;
    RegionSet exceptions_;
    ControlPointSet controls_;
    CrossingSet crossings_;
    SensorSet sensors_;
    TrainRect trainRect_{};

    Snapshot snapshot_;
    ModifiedFlags modified_;
};

} // namespace planwerk
