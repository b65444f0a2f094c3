#pragma once
// "サウンドファイルの設定": the list of numbered sound files with add,
// delete, move, test play and stop. The list logic lives in SoundFileList;
// this is its window.
#include "vardo/base/frontend.h"
#include "vardo/base/settings.h"
#include "vardo/devices/sound_file_list.h"

#include <QDialog>
#include <functional>

class QListWidget;
class QPushButton;

namespace vardo::devices {
class SoundEngine;
}

namespace vardo::ui {

class SoundDialog : public QDialog {
    Q_OBJECT
public:
    // Asks for a file to add; empty when the user cancels.
    using FileChooser = std::function<std::string(QWidget* parent)>;

    // engine may be null (no audio): the list is still edited, nothing plays.
    SoundDialog(const Settings& settings, devices::SoundEngine* engine, Frontend& frontend,
                std::string programFolder, QWidget* parent = nullptr);

    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    const devices::SoundFileList& list() const { return list_; }
    // The number of the sound selected in the list (1..), 0 for none.
    int chosenNumber() const { return selection() + 1; }
    // The file dialog with the sound filters.
    static std::string chooseSoundFile(QWidget* parent);

    void accept() override;
    void reject() override;

private:
    QPushButton* addButton(int messageId, void (SoundDialog::*slot)());
    void fill(int selection);
    void updateButtons();
    int selection() const;
    void onAdd();
    void onDelete();
    void onUp();
    void onDown();
    void onPlay();
    void onStop();

    const Settings& settings_;
    devices::SoundEngine* engine_;
    Frontend& frontend_;
    std::string programFolder_;
    devices::SoundFileList list_;
    FileChooser chooser_ = &SoundDialog::chooseSoundFile;
    QListWidget* listBox_;
    QPushButton* add_;
    QPushButton* delete_;
    QPushButton* up_;
    QPushButton* down_;
    QPushButton* play_;
    QPushButton* stop_;
};

} // namespace vardo::ui
