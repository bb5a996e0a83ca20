// Forms and the application: the main form's defaults, modal loops, closing, error text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QWidget>
#include <memory>

#include "tests/vcl/VclTestSupport.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/qt/QtHandle.h"

using namespace vcl;
using vcltest::handler;

TEST(Forms, AutorunFormHasItsBuiltInDescription) {
    TAutorunForm form(nullptr);
    EXPECT_EQ(form.width(), 490);
    EXPECT_EQ(form.height(), 380);
    EXPECT_EQ(form.clientWidth(), 482);
    EXPECT_EQ(form.clientHeight(), 353);
    EXPECT_EQ(form.color(), clBtnFace);
    EXPECT_EQ(form.font()->name(), "MS Sans Serif");
    EXPECT_EQ(form.font()->height(), -11);
    EXPECT_EQ(form.font()->color(), clWindowText);
    EXPECT_EQ(form.position(), poScreenCenter);
    EXPECT_FALSE(form.visible());
    form.show();
    const TRect screenArea = toolkit::screenRect();
    EXPECT_EQ(form.left(), (screenArea.width() - 490) / 2);
    EXPECT_EQ(form.top(), (screenArea.height() - 380) / 2);
    EXPECT_TRUE(form.active());
    form.hide();
}

TEST(Forms, ClientSizeFollowsTheBorderStyle) {
    TForm form(nullptr);
    form.setClientWidth(200);
    form.setClientHeight(100);
    form.setBorderStyle(bsNone);
    EXPECT_EQ(form.width(), 200);
    EXPECT_EQ(form.height(), 100);
    form.setBorderStyle(bsToolWindow);
    EXPECT_EQ(form.clientWidth(), 200);
    EXPECT_EQ(form.height(), 100 + 6 + 16);
}

TEST(Forms, ShowModalReturnsTheResultATimerSets) {
    TForm other(nullptr);
    other.show();
    TForm dialog(nullptr);
    std::string log;
    int queries = 0;
    dialog.onShow = handler([&] { log += "show "; });
    dialog.onCloseQuery = handler([&](std::span<const classes::EventArg> a) {
        // Refuse the first close: the loop goes on until the next result.
        *std::get<bool*>(a[1]) = ++queries > 1;
        log += "query ";
    });
    dialog.onClose = handler([&] { log += "close "; });
    TTimer timer(&dialog);
    timer.setInterval(20);
    int ticks = 0;
    timer.setOnTimer(handler([&] {
        EXPECT_FALSE(other.enabled()) << "other forms are disabled while a form is modal";
        dialog.setModalResult(++ticks == 1 ? mrCancel : mrYes);
    }));
    EXPECT_EQ(dialog.showModal(), mrYes);
    EXPECT_EQ(log, "show query query close ");
    EXPECT_FALSE(dialog.visible());
    EXPECT_TRUE(other.enabled());
    EXPECT_THROW(other.showModal(), base::Error) << "a visible form cannot become modal";
    other.hide();
}

TEST(Forms, CloseOfAModalFormCancelsAndTerminateEndsTheLoop) {
    TForm dialog(nullptr);
    TTimer timer(&dialog);
    timer.setInterval(10);
    timer.setOnTimer(handler([&] { dialog.close(); }));
    EXPECT_EQ(dialog.showModal(), mrCancel);

    TForm second(nullptr);
    TTimer t2(&second);
    t2.setInterval(10);
    t2.setOnTimer(handler([&] { application().terminate(); }));
    EXPECT_EQ(second.showModal(), mrCancel);
    EXPECT_TRUE(application().terminated());
    application().resetTerminated();
}

TEST(Forms, CloseAsksAndHidesOrEndsTheApplication) {
    TForm form(nullptr);
    form.show();
    bool allow = false;
    form.onCloseQuery =
        handler([&](std::span<const classes::EventArg> a) { *std::get<bool*>(a[1]) = allow; });
    form.close();
    EXPECT_TRUE(form.visible());
    allow = true;
    form.onClose = handler([&](std::span<const classes::EventArg> a) { *std::get<int64_t*>(a[1]) = caNone; });
    form.close();
    EXPECT_TRUE(form.visible());
    form.onClose = {};
    form.close();
    EXPECT_FALSE(form.visible());

    application().setMainForm(&form);
    form.show();
    form.close();
    EXPECT_TRUE(application().terminated());
    application().resetTerminated();
    application().setMainForm(nullptr);
}

TEST(Forms, ErrorBoxTextEndsWithAFullStop) {
    EXPECT_EQ(TApplication::exceptionMessage("Division by zero"), "Division by zero.");
    EXPECT_EQ(TApplication::exceptionMessage("Done."), "Done.");
    EXPECT_EQ(TApplication::exceptionMessage("Really!"), "Really!");
    EXPECT_EQ(TApplication::exceptionMessage("path/"), "path/.");
    EXPECT_EQ(TApplication::exceptionMessage(""), "");
    std::string caption, text;
    application().setTitle("Demo");
    application().showErrorBox = [&](const std::string& c, const std::string& t) { caption = c, text = t; };
    application().handleException(std::runtime_error("Bad thing"));
    EXPECT_EQ(caption, "Demo");
    EXPECT_EQ(text, "Bad thing.");
    application().showErrorBox = nullptr;
}

TEST(Forms, ScreenTracksFormsAndTheActiveOne) {
    const int before = screen().formCount();
    {
        TForm a(nullptr), b(nullptr);
        EXPECT_EQ(screen().formCount(), before + 2);
        a.show();
        EXPECT_EQ(screen().activeForm(), &a);
        b.show();
        EXPECT_EQ(screen().activeForm(), &b);
        EXPECT_FALSE(a.active());
        b.hide();
        a.hide();
    }
    EXPECT_EQ(screen().formCount(), before);
    EXPECT_GT(screen().width(), 0);
}

TEST(Forms, AModalFormFreedByAnEventEndsItsLoopCancelled) {
    auto* dialog = new TForm(nullptr);
    auto* timer = new TTimer(dialog);
    timer->setInterval(10);
    timer->setOnTimer(handler([&] { delete dialog; }));
    EXPECT_EQ(dialog->showModal(), mrCancel);
}

TEST(Forms, TheMainFormsWindowMenuAndCommands) {
    using Entries = std::vector<std::pair<std::string, unsigned>>;
    auto flat = [](const std::vector<TAutorunForm::MenuEntry>& e) {
        Entries out;
        for (const auto& m : e) out.emplace_back(m.text, m.command);
        return out;
    };
    EXPECT_EQ(flat(TAutorunForm::systemMenuEntries(true, false)),
              (Entries{{"", 0}, {"Sound Settings ...", 11022}, {"", 0}, {"&About ...", 11023}}));
    EXPECT_EQ(flat(TAutorunForm::systemMenuEntries(true, true)), (Entries{{"", 0}, {"&About ...", 11023}}));
    EXPECT_EQ(flat(TAutorunForm::systemMenuEntries(false, false)), (Entries{{"", 0}, {"&About ...", 11023}}));

    TAutorunForm form(nullptr);
    std::string log;
    form.onSoundSettings = [&] { log += "sound "; };
    form.onAbout = [&] {
        log += "about ";
        throw base::Error("no about box");
    };
    std::string box;
    application().showErrorBox = [&](const std::string&, const std::string& t) { box = t; };
    form.systemCommand(11022);
    form.systemCommand(11023);
    EXPECT_EQ(log, "sound about ");
    EXPECT_EQ(box, "no about box.") << "a failing about box ends there";
    application().showErrorBox = nullptr;

    TForm other(nullptr);
    form.setCaption("main-form");
    other.setCaption("other-form");
    form.show();
    other.show();
    form.systemCommand(0xF022);  // minimise, with the low bits the system may set
    int minimized = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == "main-form" || w->windowTitle() == "other-form")
            minimized += w->isMinimized();
    EXPECT_EQ(minimized, 2) << "the whole application minimises";
    form.systemCommand(0xF060);  // close
    EXPECT_FALSE(form.visible());
    other.hide();
}

namespace {

// The texts of the pop-up menu a right-click on `control` opened ("" when none opened);
// the menu is closed again.
std::string rightClick(TWinControl& control, const QString& trigger = {}) {
    QWidget* w = static_cast<qt::QtHandle&>(control.handle()).widget();
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), w->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w, &e);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return "";
    std::string texts;
    QAction* chosen = nullptr;
    for (QAction* a : menu->actions()) {
        if (!texts.empty()) texts += '|';
        texts += a->isSeparator() ? std::string("-") : a->text().toStdString();
        if (!trigger.isEmpty() && a->text() == trigger) chosen = a;
    }
    if (chosen) chosen->trigger();
    menu->close();
    return texts;
}

}  // namespace

TEST(Forms, TheMainFormsEntriesAreItsContextMenuUnlessTheProjectHasOne) {
    TAutorunForm form(nullptr);
    form.setBounds(50, 50, 300, 200);
    auto* panel = new TPanel(&form);
    panel->setParent(&form);
    panel->setBounds(10, 10, 100, 50);
    std::string log;
    form.onSoundSettings = [&] { log += "sound "; };
    form.onAbout = [&] { log += "about "; };
    form.show();
    EXPECT_EQ(rightClick(*panel), "") << "no menu before the player installs its entries";

    form.installWindowMenu(true, false);
    EXPECT_EQ(rightClick(*panel, "&About ..."), "Sound Settings ...|-|&About ...");
    EXPECT_EQ(rightClick(form, "Sound Settings ..."), "Sound Settings ...|-|&About ...");
    EXPECT_EQ(log, "about sound ");

    // The entries automation clicks by name.
    log.clear();
    auto* sound = dynamic_cast<TMenuItem*>(form.windowMenu()->findComponent("SoundSettingsItem"));
    auto* about = dynamic_cast<TMenuItem*>(form.windowMenu()->findComponent("AboutItem"));
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(about, nullptr);
    sound->click();
    about->click();
    EXPECT_EQ(log, "sound about ");

    form.installWindowMenu(true, true);
    EXPECT_EQ(rightClick(*panel), "&About ...") << "disabled in the INI file: the about entry alone";
    EXPECT_EQ(form.windowMenu()->findComponent("SoundSettingsItem"), nullptr);

    TPopupMenu* own =
        newPopupMenu(&form, "PopupMenu1", paLeft, true, {newItem("&Own", 0, false, true, {}, 0, "Own1")});
    panel->setPopupMenu(own);
    EXPECT_EQ(rightClick(*panel), "&Own") << "the project's own menu wins";
    EXPECT_EQ(rightClick(form), "&About ...") << "where the project has none, the entries stay";
    form.hide();
}

TEST(Forms, MinimisingTheMainFormMinimisesEveryWindow) {
    TAutorunForm form(nullptr);
    TForm other(nullptr);
    form.setCaption("main-minimised");
    other.setCaption("other-minimised");
    form.show();
    other.show();
    form.handleMinimized();  // as the window manager reports it
    EXPECT_EQ(form.windowState(), wsMinimized);
    int minimized = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == "main-minimised" || w->windowTitle() == "other-minimised")
            minimized += w->isMinimized();
    EXPECT_EQ(minimized, 2);
    form.hide();
    other.hide();
}
