// Toolkit menus built from the model's menu trees: a form's menu bar and pop-up menus.
// A choice calls TMenuItem::click once the toolkit's menu has closed.
#pragma once

#include <QMenu>
#include <QMenuBar>

#include "vcl/Menus.h"

namespace vcl::qt {

// A bar with one entry per visible item below `items`; `parent` owns it.
QMenuBar* buildMenuBar(const TMenuItem& items, QWidget* parent);
// Adds the visible items below `items` to `menu`, sub-menus included.
void fillMenu(QMenu& menu, const TMenuItem& items);

}  // namespace vcl::qt
