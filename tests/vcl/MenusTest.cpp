// Menus: the shortcut routines, menu trees and their streams, and menus driven through the
// toolkit's menu bar and pop-up menus.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <memory>

#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "classes/TextForm.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Edits.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/Registration.h"
#include "vcl/qt/QtHandle.h"

using namespace vcl;
using vcltest::handler;

namespace {

class Menus : public testing::Test {
protected:
    static void SetUpTestSuite() { registerVclClasses(); }
};

QAction* actionTitled(const QList<QAction*>& actions, const QString& text) {
    for (QAction* a : actions)
        if (a->text() == text) return a;
    return nullptr;
}

void readText(classes::TComponent& root, const std::string& text) {
    classes::TMemoryStream in;
    in.setBytes(classes::textToBinary(text));
    classes::TReader reader(in);
    reader.readRootComponent(&root);
}

}  // namespace

TEST_F(Menus, ShortCutsAndTheirTextsGoBothWays) {
    EXPECT_EQ(shortCut('S', 1u << ssCtrl), scCtrl | 'S');
    EXPECT_EQ(shortCutToText(scCtrl | 'S'), "Ctrl+S");
    EXPECT_EQ(shortCutToText(scShift | scAlt | VK_F1 + 3), "Shift+Alt+F4");
    EXPECT_EQ(shortCutToText(VK_DELETE), "Del");
    EXPECT_EQ(shortCutToText(scCtrl | 0xBD), "Ctrl+-");
    EXPECT_EQ(shortCutToText(0), "");
    EXPECT_EQ(textToShortCut("ctrl+s"), scCtrl | 'S');
    EXPECT_EQ(textToShortCut("Shift+Ctrl+PgDn"), scShift | scCtrl | VK_NEXT);
    EXPECT_EQ(textToShortCut("Ctrl+-"), scCtrl | 0xBD);
    EXPECT_EQ(textToShortCut("Ctrl+"), 0) << "a modifier alone names no key";
    EXPECT_EQ(textToShortCut("Hyper+Q"), 0);
    uint16_t key = 0;
    TShiftState shift = 0;
    shortCutToKey(scAlt | scShift | VK_HOME, key, shift);
    EXPECT_EQ(key, VK_HOME);
    EXPECT_EQ(shift, (1u << ssAlt) | (1u << ssShift));
    EXPECT_EQ(shortCut(0x1FF, 0), 0) << "keys above a byte have no shortcut";
}

TEST_F(Menus, BuildingRoutinesMakeTreesTheMenuFrees) {
    TForm form(nullptr);
    int clicks = 0;
    TMainMenu* menu = newMenu(
        &form, "MainMenu1",
        {newSubMenu("&File", 0, "File1",
                    {newItem("&Open", scCtrl | 'O', false, true, handler([&] { ++clicks; }), 0, "Open1"),
                     newLine(), newItem("E&xit", 0, false, true, {}, 0, "Exit1")}),
         newItem("&Help", 0, true, false, {}, 0, "Help1")});
    ASSERT_EQ(menu->items()->count(), 2);
    TMenuItem* file = menu->items()->item(0);
    EXPECT_EQ(file->count(), 3);
    EXPECT_TRUE(file->item(1)->isLine());
    EXPECT_EQ(form.findComponent("Open1"), file->item(0)) << "the items come to the menu's owner";
    EXPECT_EQ(menu->items()->find("help"), menu->items()->item(1)) << "Find ignores the accelerator";
    EXPECT_TRUE(menu->items()->item(1)->checked());
    EXPECT_FALSE(menu->items()->item(1)->enabled());
    EXPECT_TRUE(menu->isShortCut('O', 1u << ssCtrl));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(menu->isShortCut('O', 0));
    EXPECT_THROW(file->add(menu->items()->item(1)), base::Error) << "an item lives in one place";

    // Radio items of a group exclude each other; auto-check items toggle when chosen.
    TPopupMenu* popup =
        newPopupMenu(&form, "PopupMenu1", paRight, true,
                     {newItem("One", 0, true, true, {}, 0, ""), newItem("Two", 0, false, true, {}, 0, "")});
    for (TMenuItem* i : popup->items()->items()) {
        i->setRadioItem(true);
        i->setAutoCheck(true);
    }
    popup->items()->item(1)->click();
    EXPECT_TRUE(popup->items()->item(1)->checked());
    EXPECT_FALSE(popup->items()->item(0)->checked());
    delete file;  // leaves its menu and frees its own items
    EXPECT_EQ(menu->items()->count(), 1);
    EXPECT_EQ(form.findComponent("Open1"), nullptr);
}

TEST_F(Menus, MenusReadFromStreamsWithShortCutTexts) {
    TForm form(nullptr);
    readText(form, R"(object MenuForm: TForm
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    Left = 8
    Top = 8
    object File1: TMenuItem
      Caption = '&File'
      object Save1: TMenuItem
        Caption = '&Save'
        ShortCutText = 'Ctrl+Shift+S'
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Quit1: TMenuItem
        Caption = '&Quit'
        ShortCut = 16465
      end
    end
  end
  object PopupMenu1: TPopupMenu
    AutoPopup = False
    Alignment = paCenter
    object Copy1: TMenuItem
      Caption = 'Copy'
      RadioItem = True
      GroupIndex = 2
    end
  end
end
)");
    auto* menu = dynamic_cast<TMainMenu*>(form.findComponent("MainMenu1"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(form.menu(), menu);
    EXPECT_TRUE(form.menuBarShown());
    ASSERT_EQ(menu->items()->count(), 1);
    TMenuItem* file = menu->items()->item(0);
    ASSERT_EQ(file->count(), 3);
    EXPECT_EQ(file->item(0)->shortCut(), scCtrl | scShift | 'S');
    EXPECT_EQ(file->item(2)->shortCut(), scCtrl | 'Q');
    auto* popup = dynamic_cast<TPopupMenu*>(form.findComponent("PopupMenu1"));
    ASSERT_NE(popup, nullptr);
    EXPECT_FALSE(popup->autoPopup());
    EXPECT_EQ(popup->alignment(), paCenter);
    EXPECT_EQ(popup->items()->item(0)->groupIndex(), 2);

    // Written back, the tree keeps its shape.
    classes::TMemoryStream out;
    {
        classes::TWriter writer(out);
        writer.writeRootComponent(form);
    }
    const std::string text = classes::binaryToText(out.bytes());
    EXPECT_NE(text.find("object Save1: TMenuItem"), std::string::npos) << text;
    EXPECT_NE(text.find("ShortCut = 24659"), std::string::npos) << text;
    TForm again(nullptr);
    readText(again, text);
    auto* menu2 = dynamic_cast<TMainMenu*>(again.findComponent("MainMenu1"));
    ASSERT_NE(menu2, nullptr);
    EXPECT_EQ(menu2->items()->item(0)->count(), 3);
}

TEST_F(Menus, AMenuBarSitsAboveTheClientAreaAndRunsItsItems) {
    TForm form(nullptr);
    form.setBorderStyle(bsSingle);
    form.setClientWidth(300);
    form.setClientHeight(200);
    form.setCaption("menu-bar-test");
    auto* edit = new TEdit(&form);
    edit->setParent(&form);
    edit->setBounds(10, 10, 100, 21);
    std::string log;
    TMainMenu* menu = newMenu(&form, "MainMenu1",
                              {newSubMenu("&File", 0, "File1",
                                          {newItem("&Save", scCtrl | 'S', false, true,
                                                   handler([&] { log += "save "; }), 0, "Save1")})});
    form.setMenu(menu);
    EXPECT_EQ(form.clientHeight(), 200) << "the bar is part of the frame";
    EXPECT_EQ(form.height(), 200 + 6 + 19 + kMenuBarHeight);
    form.show();
    QApplication::processEvents();
    QWidget* window = static_cast<qt::QtHandle&>(form.handle()).widget();
    auto* bar = window->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->height(), kMenuBarHeight);
    EXPECT_EQ(static_cast<qt::QtHandle&>(edit->handle()).widget()->y(), 10 + kMenuBarHeight);
    EXPECT_EQ(form.grab().height, 200) << "a picture of the form is its client area";

    QAction* fileAction = actionTitled(bar->actions(), QStringLiteral("&File"));
    ASSERT_NE(fileAction, nullptr);
    ASSERT_NE(fileAction->menu(), nullptr);
    QAction* save = actionTitled(fileAction->menu()->actions(), QStringLiteral("&Save\tCtrl+S"));
    ASSERT_NE(save, nullptr);
    save->trigger();
    EXPECT_EQ(log, "save ");

    // The shortcut reaches the menu from a focused edit, which never sees it.
    edit->setFocus();
    std::string typed;
    edit->onKeyPress = handler([&] { typed += "key "; });
    QTest::keyClick(static_cast<qt::QtHandle&>(edit->handle()).widget(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(log, "save save ");
    EXPECT_EQ(typed, "");

    // Changing the tree rebuilds the bar once the event is done.
    menu->items()->item(0)->item(0)->setCaption("Save &All");
    QApplication::processEvents();
    bar = window->findChild<QMenuBar*>();
    fileAction = actionTitled(bar->actions(), QStringLiteral("&File"));
    EXPECT_NE(actionTitled(fileAction->menu()->actions(), QStringLiteral("Save &All\tCtrl+S")), nullptr);
    form.setMenu(nullptr);
    EXPECT_EQ(form.clientHeight(), 200);
    EXPECT_FALSE(form.menuBarShown());
    form.hide();
}

TEST_F(Menus, PopupMenusShowOnRightClickAndCallTheirItems) {
    TForm form(nullptr);
    form.setBorderStyle(bsNone);
    form.setBounds(100, 100, 200, 100);
    auto* edit = new TEdit(&form);
    edit->setParent(&form);
    edit->setBounds(10, 10, 100, 21);
    std::string log;
    TPopupMenu* popup =
        newPopupMenu(&form, "PopupMenu1", paLeft, true,
                     {newItem("&Copy", 0, false, true, handler([&] { log += "copy "; }), 0, "Copy1")});
    popup->onPopup = handler([&] { log += "popup "; });
    form.setPopupMenu(popup);  // the edit has none: its parent's pops up
    form.show();
    QWidget* w = static_cast<qt::QtHandle&>(edit->handle()).widget();
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), w->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w, &e);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << "the edit's own menu gave way to the pop-up menu";
    EXPECT_EQ(popup->popupComponent(), edit);
    QAction* copy = actionTitled(menu->actions(), QStringLiteral("&Copy"));
    ASSERT_NE(copy, nullptr);
    copy->trigger();
    menu->close();
    EXPECT_EQ(log, "popup copy ");
    popup->setAutoPopup(false);
    QApplication::sendEvent(w, &e);
    EXPECT_EQ(qobject_cast<QMenu*>(QApplication::activePopupWidget()) == nullptr ||
                  actionTitled(qobject_cast<QMenu*>(QApplication::activePopupWidget())->actions(),
                               QStringLiteral("&Copy")) == nullptr,
              true)
        << "a menu that does not pop up by itself stays hidden";
    if (QWidget* p = QApplication::activePopupWidget()) p->close();
    form.hide();
}
