#include "planwerk/ui/settings_dialog.h"

#include "common/profile.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace planwerk::ui {

namespace {

int& member(EditorSettings& s, int i)
{
    switch (i) {
    case 0:
        return s.pointSize;
    case 1:
        return s.lineWidth;
    case 2:
        return s.maskWidth;
    case 3:
        return s.railWidth;
    default:
        return s.trainSize;
    }
}

} // namespace

const std::array<SettingRange, 5>& settingRanges()
{
    static const std::array<SettingRange, 5> ranges{{
        {"座標点の大きさ(半径)", kSectionEdit, "POINT_SIZE", 1, 10},
        {"ラインの幅", kSectionEdit, "LINE_WIDTH", 1, 10},
        {"線形マスク幅", kSectionEdit, "MASK_WIDTH", 1, 20},
        {"線路の幅", kSectionOption, "RAIL_WIDTH", 1, 100},
        {"列車の幅", kSectionOption, "TRAIN_SIZE", 10, 100},
    }};
    return ranges;
}

bool writeEditorSettings(const std::string& iniPath, const EditorSettings& values)
{
    EditorSettings v = values;
    bool ok = common::Profile::writeInt(iniPath, kSectionEdit, "SORT_POINT", v.sortPoint);
    for (size_t i = 0; i < settingRanges().size(); ++i) {
        const SettingRange& r = settingRanges()[i];
        ok = common::Profile::writeInt(iniPath, r.section, r.key, member(v, int(i))) && ok;
    }
    return ok;
}

std::optional<int> parseInRange(const QString& text, int low, int high)
{
    bool ok = false;
    int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

SettingsDialog::SettingsDialog(const EditorSettings& current, QWidget* parent)
    : QDialog(parent), values_(current)
{
    setWindowTitle(QStringLiteral("エディタ設定"));
    auto* layout = new QVBoxLayout(this);
    sort_ = new QCheckBox(QStringLiteral("座標点並べ替え"), this);
    sort_->setChecked(current.sortPoint != 0);
    layout->addWidget(sort_);
    auto* form = new QFormLayout;
    for (size_t i = 0; i < fields_.size(); ++i) {
        const SettingRange& r = settingRanges()[i];
        fields_[i] = new QLineEdit(QString::number(member(values_, int(i))), this);
        fields_[i]->setObjectName(QString::fromLatin1(r.key));
        auto* row = new QHBoxLayout;
        row->addWidget(fields_[i]);
        row->addWidget(new QLabel(QStringLiteral("ﾋﾟｸｾﾙ"), this));
        form->addRow(QString::fromUtf8(r.label), row);
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::reject);
    layout->addWidget(buttons);
    warn = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Planwerk"), text);
    };
}

void SettingsDialog::accept()
{
    EditorSettings entered = values_;
    for (size_t i = 0; i < fields_.size(); ++i) {
        const SettingRange& r = settingRanges()[i];
        std::optional<int> value = parseInRange(fields_[i]->text(), r.low, r.high);
        if (!value) {
            // Refused like any bad field: say the range, stay open, go back to it.
            warn(
                QStringLiteral("%1 から %2 までの整数を入力してください。").arg(r.low).arg(r.high));
            fields_[i]->setFocus();
            fields_[i]->selectAll();
            return;
        }
        member(entered, int(i)) = *value;
    }
    entered.sortPoint = sort_->isChecked() ? 1 : 0;
    values_ = entered;
    QDialog::accept();
}

} // namespace planwerk::ui
