// The standard controls driven through their toolkit widgets, as a user would: typing,
// clicking, picking and pressing keys, then checking the model's properties and the events
// it raised.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <memory>

#include "classes/Errors.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Edits.h"
#include "vcl/Forms.h"
#include "vcl/GroupCtrls.h"
#include "vcl/HotKey.h"
#include "vcl/ListCtrls.h"
#include "vcl/RangeCtrls.h"
#include "vcl/qt/QtHandle.h"

using namespace vcl;
using vcltest::handler;

namespace {

class StdControls : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->setBorderStyle(bsNone);
        form->setBounds(0, 0, 400, 300);
    }
    void TearDown() override {
        if (form) form->hide();
    }

    template <class T>
    T* add(int x, int y, int w, int h) {
        auto* c = new T(form.get());
        c->setParent(form.get());
        c->setBounds(x, y, w, h);
        return c;
    }

    static QWidget* widgetOf(TWinControl& c) { return static_cast<qt::QtHandle&>(c.handle()).widget(); }
    template <class W>
    static W* widgetAs(TWinControl& c) {
        auto* w = dynamic_cast<W*>(widgetOf(c));
        EXPECT_NE(w, nullptr);
        return w;
    }

    void showAndFocus(TWinControl& c) {
        form->show();
        c.setFocus();
        QApplication::processEvents();
    }

    std::unique_ptr<TForm> form;
};

}  // namespace

TEST_F(StdControls, TypingIntoAnEditChangesItsTextAndRaisesEvents) {
    auto* edit = add<TEdit>(10, 10, 120, 21);
    std::string log;
    edit->onChange = handler([&] { log += "change "; });
    edit->onKeyPress = handler([&](std::span<const classes::EventArg> a) {
        // The handler sees each character and may replace it.
        std::string* key = std::get<std::string*>(a[1]);
        log += "press:" + *key + " ";
        if (*key == "x") *key = "y";
    });
    showAndFocus(*edit);
    auto* line = widgetAs<QLineEdit>(*edit);
    ASSERT_NE(line, nullptr);
    QTest::keyClicks(line, "abx");
    EXPECT_EQ(edit->text(), "aby");
    EXPECT_TRUE(edit->modified());
    EXPECT_EQ(log, "press:a change press:b change press:x change ");
    EXPECT_EQ(edit->selStart(), 3);
    QTest::keyClick(line, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "") << "typing keeps the widget's undo history; undo takes back the run";

    // The program's own text raises OnChange as well, and shows in the widget.
    log.clear();
    edit->setText("hello");
    EXPECT_EQ(log, "change ");
    EXPECT_EQ(line->text(), QStringLiteral("hello"));
    edit->setSelStart(1);
    edit->setSelLength(3);
    EXPECT_EQ(edit->selText(), "ell");
    edit->setSelText("ipp");
    EXPECT_EQ(edit->text(), "hippo");

    edit->setMaxLength(6);
    QTest::keyClicks(line, "zzz");
    EXPECT_EQ(edit->text().size(), 6u) << "typing stops at MaxLength";
    edit->setReadOnly(true);
    QTest::keyClicks(line, "q");
    EXPECT_EQ(edit->text().find('q'), std::string::npos);
}

TEST_F(StdControls, PasswordCharAndCharCaseApplyToTyping) {
    auto* edit = add<TEdit>(10, 10, 120, 21);
    edit->setPasswordChar('*');
    edit->setCharCase(ecUpperCase);
    showAndFocus(*edit);
    auto* line = widgetAs<QLineEdit>(*edit);
    QTest::keyClicks(line, "secret");
    EXPECT_EQ(edit->text(), "SECRET");
    EXPECT_EQ(line->echoMode(), QLineEdit::Password);
    EXPECT_EQ(line->displayText(), QStringLiteral("******"));
}

TEST_F(StdControls, MemoLinesFollowTypingAndTheProgram) {
    auto* memo = add<TMemo>(10, 10, 200, 100);
    memo->lines()->add("first");
    memo->lines()->add("second");
    EXPECT_EQ(memo->text(), "first\r\nsecond");
    showAndFocus(*memo);
    auto* edit = widgetAs<QPlainTextEdit>(*memo);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("first\nsecond"));
    edit->moveCursor(QTextCursor::End);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "third");
    ASSERT_EQ(memo->lines()->count(), 3);
    EXPECT_EQ(memo->lines()->get(2), "third");
    EXPECT_EQ(memo->selStart(), static_cast<int>(memo->text().size())) << "positions count CR LF as two";
    memo->lines()->remove(0);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("second\nthird"));

    // MaxLength counts a line break as two, as the model does.
    memo->setMaxLength(16);
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, "12345");
    EXPECT_EQ(memo->text(), "second\r\nthird123");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(memo->text(), "second\r\nthird123") << "no room for a line break";
    memo->setMaxLength(20);
    edit->moveCursor(QTextCursor::Start);
    edit->insertPlainText(QStringLiteral("abcdef"));  // as a paste inserts
    EXPECT_EQ(memo->text(), "abcdsecond\r\nthird123") << "a paste keeps its start";
    EXPECT_EQ(memo->selStart(), 4);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("abcdsecond\nthird123"));
}

TEST_F(StdControls, CheckBoxesCycleTheirStatesAndClick) {
    auto* box = add<TCheckBox>(10, 10, 120, 17);
    box->setCaption("&Agree");
    int clicks = 0;
    box->onClick = handler([&] { ++clicks; });
    form->show();
    auto* check = widgetAs<QCheckBox>(*box);
    EXPECT_EQ(check->text(), QStringLiteral("&Agree"));
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_TRUE(box->checked());
    EXPECT_EQ(clicks, 1);
    box->setAllowGrayed(true);
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(box->state(), cbUnchecked);
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(box->state(), cbGrayed) << "unchecked, grayed, checked";
    EXPECT_EQ(check->checkState(), Qt::PartiallyChecked);
    // The program's changes click as well, as the system's check box does.
    box->setChecked(true);
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(check->checkState(), Qt::Checked);
}

TEST_F(StdControls, RadioButtonsOfOneParentExcludeEachOther) {
    auto* a = add<TRadioButton>(10, 10, 100, 17);
    auto* b = add<TRadioButton>(10, 30, 100, 17);
    auto* group = add<TGroupBox>(150, 10, 150, 80);
    auto* other = new TRadioButton(form.get());
    other->setParent(group);
    other->setBounds(10, 20, 100, 17);
    other->setChecked(true);
    a->setChecked(true);
    std::string log;
    b->onClick = handler([&] { log += "b "; });
    form->show();
    QTest::mouseClick(widgetAs<QRadioButton>(*b), Qt::LeftButton);
    EXPECT_TRUE(b->checked());
    EXPECT_FALSE(a->checked());
    EXPECT_TRUE(other->checked()) << "another parent is another group";
    EXPECT_FALSE(widgetAs<QRadioButton>(*a)->isChecked());
    EXPECT_EQ(log, "b ");
    b->setChecked(false);
    EXPECT_FALSE(widgetAs<QRadioButton>(*b)->isChecked()) << "the model may leave all unchecked";
}

TEST_F(StdControls, PickingAListItemSelectsItAndClicks) {
    auto* list = add<TListBox>(10, 10, 120, 100);
    for (const char* s : {"cherry", "apple", "banana"}) list->items()->add(s);
    int clicks = 0;
    list->onClick = handler([&] { ++clicks; });
    list->setItemIndex(2);
    EXPECT_EQ(clicks, 0) << "the program's choice raises nothing";
    form->show();
    auto* w = widgetAs<QListWidget>(*list);
    ASSERT_EQ(w->count(), 3);
    EXPECT_EQ(w->currentRow(), 2);
    const QRect second = w->visualItemRect(w->item(1));
    QTest::mouseClick(w->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    EXPECT_EQ(list->itemIndex(), 1);
    EXPECT_TRUE(list->selected(1));
    EXPECT_FALSE(list->selected(2));
    EXPECT_EQ(clicks, 1);

    list->setSorted(true);
    EXPECT_EQ(list->items()->get(0), "apple");
    EXPECT_EQ(w->item(2)->text(), QStringLiteral("cherry"));
    list->items()->add("avocado");
    EXPECT_EQ(list->items()->indexOf("avocado"), 1) << "a sorted list adds at its place";

    list->setMultiSelect(true);
    list->clearSelection();
    list->setSelected(0, true);
    list->setSelected(3, true);
    EXPECT_EQ(list->selCount(), 2);
    EXPECT_TRUE(w->item(3)->isSelected());
    list->items()->remove(0);
    EXPECT_EQ(list->selCount(), 1) << "the selection moves with the items";
    EXPECT_THROW(list->selected(9), classes::EListError);
}

TEST_F(StdControls, ComboBoxesTakePicksAndTyping) {
    auto* combo = add<TComboBox>(10, 10, 120, 21);
    for (const char* s : {"red", "green", "blue"}) combo->items()->add(s);
    std::string log;
    combo->onChange = handler([&] { log += "change "; });
    combo->onClick = handler([&] { log += "click "; });
    combo->setItemIndex(1);
    EXPECT_EQ(combo->text(), "green");
    EXPECT_EQ(log, "");
    showAndFocus(*combo);
    auto* w = widgetAs<QComboBox>(*combo);
    ASSERT_TRUE(w->isEditable());
    QTest::keyClicks(w->lineEdit(), "x");
    EXPECT_EQ(combo->itemIndex(), -1) << "typed text names no item";
    EXPECT_EQ(log, "change ");
    EXPECT_TRUE(w->lineEdit()->isUndoAvailable()) << "typing keeps the undo history";
    log.clear();
    emit w->activated(2);
    EXPECT_EQ(combo->itemIndex(), 2);
    EXPECT_EQ(combo->text(), "blue");
    EXPECT_EQ(log, "click change ");
    combo->setSelStart(1);
    combo->setSelLength(2);
    EXPECT_EQ(w->lineEdit()->selectedText(), QStringLiteral("lu"));
    combo->setSelText("r");
    EXPECT_EQ(combo->text(), "bre") << "the selection is replaced as typing would";
    EXPECT_EQ(combo->itemIndex(), -1);

    combo->setStyle(csDropDownList);
    EXPECT_FALSE(w->isEditable());
    combo->setText("RED");
    EXPECT_EQ(combo->itemIndex(), 0) << "a drop-down list takes only an item's text";
    combo->setText("purple");
    EXPECT_EQ(combo->itemIndex(), -1);
    EXPECT_EQ(combo->text(), "");
    combo->setDropDownCount(3);
    EXPECT_EQ(w->maxVisibleItems(), 3);
}

TEST_F(StdControls, TrackBarsScrollBarsAndProgressBarsKeepTheirRanges) {
    auto* track = add<TTrackBar>(10, 10, 150, 30);
    int changes = 0;
    track->onChange = handler([&] { ++changes; });
    track->setMax(20);
    track->setPosition(5);
    EXPECT_EQ(changes, 0);
    showAndFocus(*track);
    auto* slider = widgetAs<QSlider>(*track);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(track->position(), 6);
    EXPECT_EQ(changes, 1);
    QTest::keyClick(slider, Qt::Key_PageUp);
    EXPECT_EQ(track->position(), 8) << "PageSize is 2";
    track->setPosition(99);
    EXPECT_EQ(track->position(), 20);
    EXPECT_EQ(slider->value(), 20);

    auto* bar = add<TScrollBar>(10, 50, 150, 16);
    std::vector<int64_t> codes;
    bar->onScroll =
        handler([&](std::span<const classes::EventArg> a) { codes.push_back(std::get<int64_t>(a[1])); });
    bar->setPageSize(10);
    EXPECT_EQ(bar->maxPosition(), 91);
    auto* sb = widgetAs<QScrollBar>(*bar);
    sb->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->position(), 1);
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0], scLineDown);
    EXPECT_THROW(bar->setMin(500), base::Error);

    TProgressBar progress(nullptr);
    progress.setPosition(95);
    progress.stepIt();
    EXPECT_EQ(progress.position(), 5) << "past Max it starts over";
    progress.stepBy(-10);
    EXPECT_EQ(progress.position(), 95);
    progress.setPosition(-4);
    EXPECT_EQ(progress.position(), 0);
}

TEST_F(StdControls, EnterAndEscapePressTheDefaultAndCancelButtons) {
    auto* edit = add<TEdit>(10, 10, 120, 21);
    auto* ok = add<TButton>(10, 40, 75, 25);
    auto* cancel = add<TButton>(100, 40, 75, 25);
    auto* other = add<TButton>(200, 40, 75, 25);
    ok->setDefault(true);
    cancel->setCancel(true);
    std::string log;
    ok->onClick = handler([&] { log += "ok "; });
    cancel->onClick = handler([&] { log += "cancel "; });
    other->onClick = handler([&] { log += "other "; });
    edit->onKeyPress = handler([&] { log += "keypress "; });
    showAndFocus(*edit);
    QTest::keyClick(widgetOf(*edit), Qt::Key_Return);
    QTest::keyClick(widgetOf(*edit), Qt::Key_Escape);
    EXPECT_EQ(log, "ok cancel ") << "the edit never sees the dialog keys";
    other->setFocus();
    QApplication::processEvents();
    log.clear();
    QTest::keyClick(widgetOf(*other), Qt::Key_Return);
    EXPECT_EQ(log, "other ") << "Enter on a focused button presses that button";
    ok->setEnabled(false);
    edit->setFocus();
    log.clear();
    QTest::keyClick(widgetOf(*edit), Qt::Key_Return);
    EXPECT_EQ(log, "keypress ") << "a disabled default button takes no Enter";
}

TEST_F(StdControls, AMemoThatWantsReturnsKeepsEnter) {
    auto* memo = add<TMemo>(10, 10, 120, 60);
    auto* ok = add<TButton>(10, 80, 75, 25);
    ok->setDefault(true);
    int clicks = 0;
    ok->onClick = handler([&] { ++clicks; });
    showAndFocus(*memo);
    QTest::keyClick(widgetOf(*memo), Qt::Key_Return);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(memo->text(), "\r\n");
    memo->setWantReturns(false);
    QTest::keyClick(widgetOf(*memo), Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
}

TEST_F(StdControls, TabMovesThroughTheTabOrder) {
    auto* first = add<TEdit>(10, 10, 100, 21);
    auto* second = add<TButton>(10, 40, 75, 25);
    auto* third = add<TCheckBox>(10, 70, 75, 17);
    third->setTabOrder(0);
    showAndFocus(*third);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(first->focused());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(second->focused());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(first->focused());
}

TEST_F(StdControls, HotKeyBoxesShowTheCombinationPressed) {
    auto* hk = add<THotKey>(10, 10, 150, 19);
    int changes = 0;
    hk->onChange = handler([&] { ++changes; });
    EXPECT_EQ(hk->hotKeyText(), "Alt + A");
    showAndFocus(*hk);
    auto* line = widgetAs<QLineEdit>(*hk);
    QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(hk->hotKey(), scCtrl | scAlt | 'A');
    EXPECT_EQ(line->text(), QStringLiteral("Ctrl + Alt + A"));
    // A plain key is an invalid combination: the box adds its Modifiers.
    QTest::keyClick(line, Qt::Key_F5);
    EXPECT_EQ(hk->hotKeyText(), "Alt + F5");
    QTest::keyClick(line, Qt::Key_Backspace);
    EXPECT_EQ(hk->hotKeyText(), "None");
    EXPECT_EQ(changes, 3);
    hk->setInvalidKeys(0);
    EXPECT_EQ(hk->combination('Q', 0), 'Q');
}
