#include "qt_app.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "vardo/base/settings.h"
#include "vardo/ui/speech_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace vardo;

namespace {

class OpenInput : public SpeechInput {
public:
    bool start(const std::vector<std::string>&, SpeechEventQueue& q, std::string&) override
    {
        queue = &q;
        return true;
    }
    SpeechEventQueue* queue = nullptr;
};

} // namespace

TEST(SpeechDialogs, WindowShowsPhrasesAndEndsTheSession)
{
    ui_fixtures::qtApp();
    vardo::testing::TempDir dir;
    dir.write("VARDO.ini", "[SPEECH]\nWORD1=停止,前進,\n");
    dir.write("option.ini", "[SPEECH]\nCOMMAND0=stop\nCOMMAND1=go\n");
    Settings settings(dir.file("VARDO.ini"), dir.file("option.ini"));
    vardo::testing::RecordingFrontend frontend;
    SpeechSession session(settings, frontend);
    OpenInput input;
    session.setInput(&input);
    ui::SpeechDialog window(session, settings);
    session.setWindow(&window);
    ASSERT_TRUE(session.start());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("音声認識ダイアログ"));
    input.queue->push({SpeechEvent::Kind::Recognition, "hello", true, 0});
    session.handleEvents();
    EXPECT_EQ(window.findChild<QLineEdit*>()->text(), QStringLiteral("hello "));
    window.end();
    EXPECT_FALSE(session.active());
    EXPECT_FALSE(window.isVisible());

    ui::SpeechSettingsDialog dialog(settings, session.keywords());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("音声認識設定ダイアログ"));
    EXPECT_EQ(dialog.commands()->count(), 2);
    EXPECT_EQ(dialog.keywords()->text(), QStringLiteral("stop"));
    dialog.keywords()->setText(QStringLiteral("halt"));
    dialog.commands()->setCurrentIndex(1);
    EXPECT_EQ(dialog.keywords()->text(), QStringLiteral("go"));
    dialog.enable()->setChecked(true);
    dialog.accept();
    EXPECT_EQ(settings.getString(SettingId::SpeechCommand, 0), "halt");
    EXPECT_EQ(settings.getInt(SettingId::SpeechEnable), 1);
}
