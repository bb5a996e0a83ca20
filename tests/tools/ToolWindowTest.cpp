// The three windows headless: captions, client size, button geometry and tab order from
// the original forms, wrapped captions, a screenshot, and which action each button runs.
#include "tools/ToolWindow.h"
#include "tools/WrapButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QSettings>

#include <map>

namespace tools {
namespace {

// Made once and never destroyed: Qt's own clean-up must not run after the statics it uses.
QApplication& application() {
    static int argc = 1;
    static char name[] = "tools_window_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class RecordingOps : public DesktopOps {
public:
    void toggleLock(LockKey key) override { calls.push_back("lock" + std::to_string(static_cast<int>(key))); }
    void setDesktopShown(bool shown) override { calls.push_back(shown ? "showDesktop" : "hideDesktop"); }
    void setPanelShown(bool shown) override { calls.push_back(shown ? "showPanel" : "hidePanel"); }
    void setButtonsSwapped(bool swapped) override { calls.push_back(swapped ? "swap" : "normal"); }
    std::vector<std::string> calls;
};

struct ExpectedButton {
    const char* name;
    const char* caption;  // UTF-8
    QRect pixels;
};

struct ExpectedForm {
    Program program;
    const char* caption;
    QSize client;
    std::vector<ExpectedButton> buttons;  // in tab order
};

std::string programName(Program program) {
    switch (program) {
    case Program::Keyboard: return "keyboard";
    case Program::Desktop: return "desktop";
    case Program::Mouse: return "mouse";
    }
    return "unknown";
}

void PrintTo(const ExpectedForm& form, std::ostream* out) { *out << programName(form.program); }

const std::vector<ExpectedForm>& expectedForms() {
    static const std::vector<ExpectedForm> forms = {
        {Program::Keyboard,
         "Клавиатура",
         {267, 48},
         {{"Command3", "Num вкл/изкл", {8, 8, 73, 33}},
          {"Command4", "Caps вкл/изкл", {96, 8, 73, 33}},
          {"Command5", "Scroll вкл/изкл", {184, 8, 73, 33}}}},
        {Program::Desktop,
         "Работен Плот",
         {169, 87},
         {{"Command11", "Покажи иконите", {88, 8, 73, 33}},
          {"Command12", "Скрий иконите", {8, 8, 73, 33}},
          {"Command14", "Скрий Таскбара", {8, 48, 73, 33}},
          {"Command15", "Покажи Таскбара", {88, 48, 73, 33}}}},
        {Program::Mouse,
         "Мишка",
         {168, 103},
         {{"Command6", "Обърнати бутони на мишката", {8, 8, 73, 41}},
          {"Command7", "Нормални бутони на мишката", {88, 8, 73, 41}},
          {"Command8", "Скрий Мишката", {8, 56, 73, 41}},
          {"Command9", "Покажи Мишката", {88, 56, 73, 41}}}},
    };
    return forms;
}

class ToolWindowTest : public ::testing::TestWithParam<ExpectedForm> {
protected:
    void SetUp() override { application(); }
    RecordingOps m_ops;
};

std::vector<WrapButton*> buttonsInTabOrder(QWidget& window) {
    std::vector<WrapButton*> order;
    for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
        if (auto* button = dynamic_cast<WrapButton*>(w)) {
            order.push_back(button);
        }
    }
    return order;
}

TEST_P(ToolWindowTest, MatchesTheOriginalForm) {
    const ExpectedForm& form = GetParam();
    ToolWindow window(form.program, m_ops);
    EXPECT_EQ(window.objectName(), "Form1");
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8(form.caption));
    EXPECT_EQ(window.size(), form.client);
    EXPECT_FALSE(window.windowIcon().isNull());

    const std::vector<WrapButton*> order = buttonsInTabOrder(window);
    ASSERT_EQ(order.size(), form.buttons.size());
    for (size_t i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(form.buttons[i].name);
        EXPECT_EQ(order[i]->objectName(), form.buttons[i].name) << "tab index " << i;
        EXPECT_EQ(order[i]->text(), QString::fromUtf8(form.buttons[i].caption));
        EXPECT_EQ(order[i]->geometry(), form.buttons[i].pixels);
        EXPECT_EQ(order[i]->focusPolicy(), Qt::StrongFocus);
    }
}

// The captions are laid out word-wrapped, and every one fits its button as on the original.
TEST_P(ToolWindowTest, CaptionsWrapInsideTheirButtons) {
    ToolWindow window(GetParam().program, m_ops);
    for (WrapButton* button : window.findChildren<WrapButton*>()) {
        SCOPED_TRACE(button->objectName().toStdString());
        const QRect area = button->captionRect();
        const QRect needed =
            button->fontMetrics().boundingRect(area, WrapButton::kCaptionFlags, button->text());
        EXPECT_TRUE(area.contains(needed)) << "needs " << needed.width() << "x" << needed.height() << " in "
                                           << area.width() << "x" << area.height();
        const int lines = needed.height() / button->fontMetrics().lineSpacing();
        if (button->text().size() > 20) {
            EXPECT_GE(lines, 2);
        }
    }
}

// Every button shows ink of its caption, and nothing is drawn outside the buttons.
TEST_P(ToolWindowTest, ScreenshotShowsEachCaptionInsideItsButton) {
    const ExpectedForm& form = GetParam();
    ToolWindow window(form.program, m_ops);
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), form.client * shot.devicePixelRatio());
    const QString folder = QStringLiteral(VANTREL_BINARY_DIR "/tests/tools/screenshots");
    QDir().mkpath(folder);
    shot.save(folder + "/" + QString::fromStdString(programName(form.program)) + ".png");

    const QRgb background = shot.pixel(0, 0);
    const QRgb text = window.palette().color(QPalette::ButtonText).rgb();
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            bool inButton = false;
            for (const ExpectedButton& button : form.buttons) {
                inButton = inButton || button.pixels.contains(x, y);
            }
            if (!inButton) {
                ASSERT_EQ(shot.pixel(x, y), background) << "at " << x << "," << y;
            }
        }
    }
    for (WrapButton* button : window.findChildren<WrapButton*>()) {
        const QRect area = button->captionRect().translated(button->pos());
        int ink = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                ink += qGray(shot.pixel(x, y)) < (qGray(text) + qGray(background)) / 2 ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 20) << button->objectName().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, ToolWindowTest, ::testing::ValuesIn(expectedForms()),
                         [](const auto& test) { return programName(test.param.program); });

TEST(ToolWindowActions, EachClickRunsItsActionOnce) {
    application();
    const std::map<std::string, std::string> expected = {
        {"Command3", "lock0"},        {"Command4", "lock1"},        {"Command5", "lock2"},
        {"Command11", "showDesktop"}, {"Command12", "hideDesktop"}, {"Command14", "hidePanel"},
        {"Command15", "showPanel"},   {"Command6", "swap"},         {"Command7", "normal"},
    };
    for (Program program : {Program::Keyboard, Program::Desktop, Program::Mouse}) {
        RecordingOps ops;
        ToolWindow window(program, ops);
        std::vector<std::string> wanted;
        for (const ButtonSpec& layout : formSpec(program).buttons) {
            auto* button = window.findChild<QPushButton*>(QString::fromLatin1(layout.name));
            ASSERT_NE(button, nullptr);
            button->click();
            button->click();
            const auto it = expected.find(std::string(layout.name));
            if (it != expected.end()) {
                wanted.insert(wanted.end(), 2, it->second);
            }
        }
        EXPECT_EQ(ops.calls, wanted);
    }
}

TEST(ToolWindowActions, FirstButtonHasFocusAndEnterClicksTheFocusedButton) {
    application();
    RecordingOps ops;
    ToolWindow window(Program::Desktop, ops);
    window.show();
    window.activateWindow();
    QCoreApplication::processEvents();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "Command11");

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &enter);
    EXPECT_EQ(ops.calls, std::vector<std::string>{"showDesktop"});
}

TEST(ToolWindowActions, PointerHidesBelowZeroAndNeedsAsManyShows) {
    application();
    RecordingOps ops;
    ToolWindow window(Program::Mouse, ops);
    auto* hide = window.findChild<QPushButton*>("Command8");
    auto* show = window.findChild<QPushButton*>("Command9");
    ASSERT_TRUE(hide && show);
    auto hidden = [&] {
        return window.testAttribute(Qt::WA_SetCursor) && window.cursor().shape() == Qt::BlankCursor;
    };

    for (int i = 0; i < 3; ++i) {
        hide->click();
    }
    EXPECT_EQ(window.cursorCount(), -3);
    EXPECT_TRUE(hidden());
    show->click();
    show->click();
    EXPECT_TRUE(hidden());
    show->click();
    EXPECT_FALSE(hidden());

    // A show beyond zero raises the count, so the next hide leaves the pointer visible.
    show->click();
    hide->click();
    EXPECT_EQ(window.cursorCount(), 0);
    EXPECT_FALSE(hidden());
    EXPECT_TRUE(ops.calls.empty());
}

// The version information travels in each program's desktop entry.
TEST(DesktopEntries, NameEachProgram) {
    for (const char* program : {"keyboard", "desktop", "mouse"}) {
        SCOPED_TRACE(program);
        const QString path = QStringLiteral(VANTREL_SOURCE_DIR "/tools/%1.desktop").arg(program);
        ASSERT_TRUE(QFile::exists(path));
        QSettings entry(path, QSettings::IniFormat);
        entry.beginGroup("Desktop Entry");
        QString title = QString::fromLatin1(program);
        title[0] = title[0].toUpper();
        EXPECT_EQ(entry.value("Name").toString(), title);
        EXPECT_EQ(entry.value("Comment").toString(), title);
        EXPECT_EQ(entry.value("Exec").toString(), program);
        EXPECT_EQ(entry.value("Type").toString(), "Application");
        EXPECT_EQ(entry.value("X-Vantrel-Version").toString(), "1.00");
    }
}

}  // namespace
}  // namespace tools
