#include "vardo/ui/program_view.h"

#include "vardo/ui/dialog_command_editor.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

namespace vardo::ui {

PositionPickWindow::PositionPickWindow(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("列車位置定義");
    auto* box = new QVBoxLayout(this);
    box->addWidget(new QLabel("定義する列車位置を左ボタンでクリックしてください。\n"
                              "(ダブルクリックすると位置が決定されます。)",
                              this));
    box->addWidget(new QLabel(
        "位置(赤い十字)を変更する場合はOKボタンを押す前にクリックし直してください。", this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

ProgramView::ProgramView(ProgramEditor& editor, QWidget* parent) : QWidget(parent), editor_(editor)
{
    setFixedSize(kProgramViewWidth, kProgramViewHeight);
    runMenu_ = [this](QMenu& menu, QPoint at) { menu.exec(mapToGlobal(at)); };
}

int ProgramView::hitTest(QPoint at) const
{
    const Program& p = editor_.program();
    for (int i = 0; i < p.count; ++i) {
        if (!p.isCommand(i))
            continue;
        const ProgramCommand& c = p.commands[size_t(i)];
        if (QRect(c.boxX, c.boxY, kBoxSize, kBoxSize).contains(at))
            return i;
    }
    return -1;
}

QImage ProgramView::shownPicture() const
{
    if (picking()) {
        QImage image = layoutPicture_.isNull()
                           ? QImage(kProgramViewWidth, kProgramViewHeight, QImage::Format_RGB888)
                           : layoutPicture_.convertToFormat(QImage::Format_RGB888);
        if (layoutPicture_.isNull())
            image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(QPen(Qt::red, 1));
        p.drawLine(pickPoint_.x() - 8, pickPoint_.y(), pickPoint_.x() + 8, pickPoint_.y());
        p.drawLine(pickPoint_.x(), pickPoint_.y() - 8, pickPoint_.x(), pickPoint_.y() + 8);
        return image;
    }
    const Program& program = editor_.program();
    QImage image = picture_.draw(program);
    const int framed = operating() && executing_ ? executing_() : program.selected;
    picture_.drawSelection(image, program, framed);
    return image;
}

void ProgramView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, shownPicture());
}

void ProgramView::selectAt(QPoint at)
{
    editor_.program().selected = hitTest(at);
    update();
}

void ProgramView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton || picking())
        return;
    const QPoint at = event->position().toPoint();
    selectAt(at);
    QMenu menu(this);
    fillContextMenu(menu);
    if (!menu.isEmpty())
        runMenu_(menu, at);
}

void ProgramView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (picking()) {
        pickPoint_ = at;
        update();
        return;
    }
    selectAt(at);
    if (editor_.program().linkSource >= 0 && editor_.program().selected >= 0)
        editor_.pickLinkTarget(editor_.program().selected);
    update();
}

void ProgramView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (picking()) {
        pickPoint_ = at;
        finishPositionPick(true);
        return;
    }
    selectAt(at);
    editSelected();
}

void ProgramView::editSelected()
{
    const int index = editor_.program().selected;
    if (editor_.editCommand(index) && dialogs_ && dialogs_->takePickRequest())
        beginPositionPick(index);
    update();
}

void ProgramView::fillContextMenu(QMenu& menu)
{
    const EditOffer offer = contextMenuOffer(editor_.program(), operating());
    if (offer.edit)
        connect(menu.addAction("編集"), &QAction::triggered, this, &ProgramView::editSelected);
    if (offer.remove)
        connect(menu.addAction("削除"), &QAction::triggered, this, [this] {
            editor_.deleteCommand();
            update();
        });
    if (offer.moveNext)
        connect(menu.addAction("次に移動"), &QAction::triggered, this, [this] {
            editor_.moveCommand(1);
            update();
        });
    if (offer.movePrevious)
        connect(menu.addAction("前に移動"), &QAction::triggered, this, [this] {
            editor_.moveCommand(-1);
            update();
        });
    if (offer.link)
        connect(menu.addAction(offer.linkIsChange ? "リンク先変更" : "リンク先指定"),
                &QAction::triggered, this, [this] { editor_.beginLink(); });
    if (offer.removeLink)
        connect(menu.addAction("リンク削除"), &QAction::triggered, this, [this] {
            editor_.removeLink();
            update();
        });
}

void ProgramView::beginPositionPick(int index)
{
    const Program& p = editor_.program();
    if (!p.isCommand(index) || !p.commands[size_t(index)].is(CommandKind::PositionWait))
        return;
    pickIndex_ = index;
    pickPoint_ = QPoint(p.commands[size_t(index)].value1, p.commands[size_t(index)].value2);
    pickWindow_ = new PositionPickWindow(this);
    connect(pickWindow_, &QDialog::finished, this,
            [this](int result) { finishPositionPick(result == QDialog::Accepted); });
    pickWindow_->show();
    emit pickModeChanged(true);
    update();
}

void ProgramView::finishPositionPick(bool store)
{
    if (!picking())
        return;
    const int index = pickIndex_;
    pickIndex_ = -1;
    if (store) {
        ProgramCommand edited = editor_.program().commands[size_t(index)];
        edited.option = 3; // user-defined
        edited.value1 = int16_t(std::clamp(pickPoint_.x(), 0, kProgramViewWidth));
        edited.value2 = int16_t(std::clamp(pickPoint_.y(), 0, kProgramViewHeight));
        Program& program = editor_.program();
        program.takeUndoCopy();
        program.setCommandValues(index, edited);
        program.modified = true;
    }
    if (pickWindow_) {
        PositionPickWindow* window = pickWindow_;
        pickWindow_ = nullptr;
        window->disconnect(this);
        window->close();
        window->deleteLater();
    }
    emit pickModeChanged(false);
    update();
}

} // namespace vardo::ui
