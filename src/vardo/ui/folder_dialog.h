#pragma once
// "連続実行設定": the folder whose programs the folder run plays, the order
// (by name or at random) and whether the run starts over at the end. The
// form holds the choices and does the work, so it runs without a window;
// the dialog only shows it.
#include "vardo/operation/folder_run.h"
#include "vardo/operation/program_dialogs.h"

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace vardo::ui {

class FolderSettingsForm {
public:
    FolderSettingsForm(std::string optionIni, FolderChooser& chooser);

    // The dialog opens with the stored keys.
    const FolderRunSettings& settings() const { return settings_; }
    void setFolder(const std::string& folder) { settings_.folder = folder; }
    void setRandomOrder(bool random) { settings_.randomOrder = random; }
    void setLoop(bool loop) { settings_.loop = loop; }
    // 参照: the folder browser starts at the present folder; a choice
    // replaces it, Cancel keeps it. Whether the folder changed.
    bool browse();
    // OK: the three keys into option.ini. False when it cannot be written.
    bool accept() const;

private:
    std::string optionIni_;
    FolderChooser& chooser_;
    FolderRunSettings settings_;
};

// The folder browser of the desktop.
class QtFolderChooser : public FolderChooser {
public:
    explicit QtFolderChooser(QWidget* parent) : parent_(parent) {}
    bool chooseFolder(const std::string& startFolder, std::string& chosen) override;

private:
    QWidget* parent_;
};

class FolderDialog : public QDialog {
    Q_OBJECT
public:
    FolderDialog(FolderSettingsForm& form, QWidget* parent);

    QLineEdit* folderEdit() const { return folder_; }
    QRadioButton* nameOrderButton() const { return byName_; }
    QRadioButton* randomOrderButton() const { return random_; }
    QCheckBox* loopBox() const { return loop_; }
    QPushButton* browseButton() const { return browse_; }

    void accept() override;

private:
    void takeWidgets();

    FolderSettingsForm& form_;
    QLineEdit* folder_ = nullptr;
    QRadioButton* byName_ = nullptr;
    QRadioButton* random_ = nullptr;
    QCheckBox* loop_ = nullptr;
    QPushButton* browse_ = nullptr;
};

// The menu command: shows the dialog over `parent` with `exec` (a test
// passes its own) and writes the keys on OK. Whether they were written.
bool runFolderSettings(const std::string& optionIni, FolderChooser& chooser, QWidget* parent,
                       const std::function<int(QDialog&)>& exec = {});

} // namespace vardo::ui
