// Menu bars and pop-up menus from TMenuItem trees.
#include "vcl/qt/QtMenus.h"

#include <QActionGroup>
#include <QApplication>
#include <QScreen>
#include <map>

#include "vcl/Graphic.h"
#include "vcl/qt/QtHandle.h"
#include "vcl/qt/QtText.h"

namespace vcl::qt {

namespace {

QString itemText(const TMenuItem& item) {
    // The caption's "&" marks the accelerator as the toolkit's does; the shortcut's text
    // goes after a tab, where menus show it right-aligned without binding the key (the
    // model runs shortcuts itself).
    QString text = toQString(item.caption());
    const std::string sc = shortCutToText(item.shortCut());
    if (!sc.empty()) text += QLatin1Char('\t') + toQString(sc);
    return text;
}

void connectClick(QAction* action, const TMenuItem& item) {
    auto* target = const_cast<TMenuItem*>(&item);
    std::weak_ptr<const char> alive = item.aliveToken();
    QObject::connect(action, &QAction::triggered, action, [target, alive] {
        if (alive.expired()) return;
        EventScope scope;
        runGuarded([target] { target->click(); });
    });
}

template <class Menu>
void addItems(Menu& menu, const TMenuItem& items) {
    // Radio items of one group under one parent show as one exclusive group.
    std::map<int, QActionGroup*> groups;
    for (const TMenuItem* item : items.items()) {
        if (!item->visible()) continue;
        if (item->isLine()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = nullptr;
        if (item->count() > 0) {
            auto* sub = new QMenu(itemText(*item), &menu);
            fillMenu(*sub, *item);
            action = menu.addMenu(sub);
        } else {
            action = menu.addAction(itemText(*item));
            connectClick(action, *item);
        }
        action->setEnabled(item->enabled());
        if (!item->hint().empty()) action->setStatusTip(toQString(item->hint()));
        if (item->checked() || item->radioItem()) {
            action->setCheckable(true);
            action->setChecked(item->checked());
        }
        if (item->radioItem()) {
            QActionGroup*& group = groups[item->groupIndex()];
            if (!group) group = new QActionGroup(&menu);
            group->addAction(action);
        }
        if (item->isDefault()) {
            QFont f = action->font();
            f.setBold(true);
            action->setFont(f);
        }
        if (item->bitmap() && !item->bitmap()->empty()) {
            if (const pictures::Image* img = item->bitmap()->image())
                action->setIcon(QIcon(QPixmap::fromImage(wrap(*img).copy())));
        }
    }
}

}  // namespace

QMenuBar* buildMenuBar(const TMenuItem& items, QWidget* parent) {
    auto* bar = new QMenuBar(parent);
    bar->setNativeMenuBar(false);
    bar->setPalette(systemPalette());
    addItems(*bar, items);
    return bar;
}

void fillMenu(QMenu& menu, const TMenuItem& items) { addItems(menu, items); }

}  // namespace vcl::qt

namespace vcl::toolkit {

void popupMenu(const TMenuItem& items, TPoint at, TPopupAlignment alignment) {
    auto* menu = new QMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setPalette(qt::systemPalette());
    qt::fillMenu(*menu, items);
    if (menu->isEmpty()) {
        delete menu;
        return;
    }
    const int width = menu->sizeHint().width();
    int x = at.x;
    if (alignment == paRight) x -= width;
    if (alignment == paCenter) x -= width / 2;
    menu->popup(QPoint(x, at.y));
}

}  // namespace vcl::toolkit
