// The one window of each utility program: its buttons from the form table, each click
// running its action once through the desktop operations.
#pragma once

#include "tools/DesktopOps.h"
#include "tools/FormSpec.h"

#include <QWidget>

namespace tools {

class ToolWindow : public QWidget {
public:
    // `ops` must outlive the window.
    ToolWindow(Program program, DesktopOps& ops, QWidget* parent = nullptr);

    // Runs one button's action, as a click does.
    void run(Action action);

    // The pointer's display count: the pointer is hidden over this window while it is
    // below zero. It belongs to the program and ends with it.
    int cursorCount() const { return m_cursorCount; }

private:
    void changeCursorCount(int delta);

    DesktopOps& m_ops;
    int m_cursorCount = 0;
};

// The default font of the original's buttons, 8 points at 96 dots per inch.
QFont defaultButtonFont();

}  // namespace tools
