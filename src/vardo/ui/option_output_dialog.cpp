#include "vardo/ui/option_output_dialog.h"

#include "vardo/operation/controller_action.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace vardo::ui {

namespace {

constexpr int kFirstRelay = 7;
const char* const kLabels[4] = {"オプション出力１（リレー７）", "オプション出力２（リレー８）",
                                "オプション出力３（リレー９）", "オプション出力４（リレー１０）"};

} // namespace

QPointer<OptionOutputDialog> OptionOutputDialog::current_;

OptionOutputDialog::OptionOutputDialog(Controller& controller, RelayTick tick, QWidget* parent)
    : QDialog(parent), controller_(controller), tick_(std::move(tick))
{
    setWindowTitle("オプション出力チェックダイアログ");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* column = new QVBoxLayout(this);
    const int bits = controller_.optionRelayBits();
    for (int n = 0; n < 4; ++n) {
        auto* b = new QPushButton(kLabels[n]);
        b->setObjectName(QString("option%1").arg(n + 1));
        b->setCheckable(true);
        b->setChecked(bits & (1 << n)); // the word lasts the whole run
        connect(b, &QPushButton::clicked, this, [this, n] { flip(n); });
        column->addWidget(b);
        toggles_[size_t(n)] = b;
    }
    auto* close = new QPushButton("閉じる");
    close->setObjectName("close");
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    column->addWidget(close);
}

OptionOutputDialog* OptionOutputDialog::open(Controller& controller, RelayTick tick,
                                             QWidget* parent)
{
    if (current_)
        current_->close(); // deleted on close
    // A window of its own rather than a child of parent: a command dialog
    // modal to the main window then leaves the toggles usable. It still
    // goes when parent does.
    auto* dialog = new OptionOutputDialog(controller, std::move(tick), nullptr);
    if (parent) {
        connect(parent, &QObject::destroyed, dialog, [dialog] { delete dialog; });
        dialog->move(parent->mapToGlobal(QPoint(40, 40)));
    }
    current_ = dialog;
    dialog->show();
    return dialog;
}

void OptionOutputDialog::flip(int n)
{
    const bool on = !(controller_.optionRelayBits() & (1 << n));
    // The controller drives the crossings of the relay and, outside
    // simulation, the relay itself.
    controller_.setRelay(kFirstRelay + n, on);
    toggles_[size_t(n)]->setChecked(on);
    if (tick_)
        tick_(kFirstRelay + n, on);
}

} // namespace vardo::ui
