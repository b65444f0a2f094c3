#include "planwerk/ui/toolbar_icons.h"

#include <QPainter>
#include <QPixmap>

namespace planwerk::ui {

namespace {

void page(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}}));
    p.drawLine(10, 1, 10, 4);
    p.drawLine(10, 4, 13, 4);
}

void folder(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 220, 90));
    p.drawPolygon(QPolygon({{1, 3}, {6, 3}, {7, 5}, {14, 5}, {14, 13}, {1, 13}}));
}

void disk(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(40, 60, 160));
    p.drawRect(1, 1, 13, 13);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 7, 5);
    p.setBrush(QColor(180, 180, 180));
    p.drawRect(4, 10, 7, 4);
}

void resize(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawRect(3, 3, 10, 8);
    p.setPen(QPen(QColor(0, 0, 180), 2));
    p.drawLine(1, 1, 5, 5);
    p.drawLine(14, 13, 10, 9);
}

void loop(QPainter& p)
{
    p.setPen(QPen(QColor(220, 0, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(2, 3, 12, 10, 4, 4);
}

void siding(QPainter& p)
{
    p.setPen(QPen(QColor(220, 0, 0), 2));
    p.drawLine(1, 12, 14, 12);
    p.drawLine(5, 12, 12, 4);
    p.drawLine(12, 4, 15, 4);
}

void mask(QPainter& p)
{
    p.setPen(QPen(QColor(0, 160, 0), 1));
    p.setBrush(QColor(0, 255, 0, 140));
    p.drawPolygon(QPolygon({{2, 4}, {12, 2}, {14, 12}, {4, 14}}));
}

void undo(QPainter& p)
{
    p.setPen(QPen(QColor(0, 0, 160), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(3, 4, 10, 9, 90 * 16, -200 * 16);
    p.setBrush(QColor(0, 0, 160));
    p.drawPolygon(QPolygon({{1, 4}, {7, 1}, {7, 8}}));
}

} // namespace

const std::array<std::optional<MenuId>, 12>& toolbarLayout()
{
    static const std::array<std::optional<MenuId>, 12> layout{
        MenuId::New,         std::nullopt,     MenuId::OpenPicture, MenuId::Save,
        std::nullopt,        MenuId::Resize,   std::nullopt,        MenuId::OuterLoopMode,
        MenuId::SidingsMode, MenuId::MaskMode, std::nullopt,        MenuId::Undo,
    };
    return layout;
}

const char* toolbarText(MenuId id)
{
    switch (id) {
    case MenuId::New:
        return "新規作成";
    case MenuId::OpenPicture:
        return "画像ファイルを開く";
    case MenuId::Save:
        return "保存";
    case MenuId::Resize:
        return "リサイズ";
    case MenuId::OuterLoopMode:
        return "外周の作成";
    case MenuId::SidingsMode:
        return "引込み線の作成";
    case MenuId::MaskMode:
        return "マスクの作成";
    case MenuId::Undo:
        return "元に戻す";
    default:
        return "";
    }
}

QIcon toolbarIcon(MenuId id)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (id) {
    case MenuId::New:
        page(p);
        break;
    case MenuId::OpenPicture:
        folder(p);
        break;
    case MenuId::Save:
        disk(p);
        break;
    case MenuId::Resize:
        resize(p);
        break;
    case MenuId::OuterLoopMode:
        loop(p);
        break;
    case MenuId::SidingsMode:
        siding(p);
        break;
    case MenuId::MaskMode:
        mask(p);
        break;
    case MenuId::Undo:
        undo(p);
        break;
    default:
        break;
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace planwerk::ui
