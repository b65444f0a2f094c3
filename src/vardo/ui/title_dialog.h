#pragma once
// The program's display title.
#include "vardo/ui/form_widgets.h"

#include <QDialog>

class QLineEdit;

namespace vardo::ui {

class TitleDialog : public QDialog {
    Q_OBJECT
public:
    TitleDialog(const QString& title, QWidget* parent = nullptr);

    void setRefusalSink(RefusalSink sink) { refuse_ = std::move(sink); }
    QString title() const;
    QLineEdit* field() const { return edit_; }
    void accept() override;

private:
    RefusalSink refuse_;
    QLineEdit* edit_;
};

} // namespace vardo::ui
