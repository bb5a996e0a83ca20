// The one entry point of the keyboard, desktop and mouse programs; the build chooses which
// window it shows. The programs take no command line and keep no settings.
#include "tools/DesktopOps.h"
#include "tools/ToolWindow.h"

#include <QApplication>
#include <QScreen>

#ifndef VANTREL_TOOL_PROGRAM
#error "VANTREL_TOOL_PROGRAM must name the program: Keyboard, Desktop or Mouse"
#endif
#ifndef VANTREL_TOOL_NAME
#error "VANTREL_TOOL_NAME must give the program's internal name"
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral(VANTREL_TOOL_NAME));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QGuiApplication::setDesktopFileName(QStringLiteral(VANTREL_TOOL_NAME).toLower());

    // The desktop is changed only where this program's own windows live: on an X display.
    std::unique_ptr<tools::DesktopOps> ops;
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        ops = tools::makeDesktopOps(qEnvironmentVariable("DISPLAY").toStdString());
    } else {
        ops = std::make_unique<tools::NullDesktopOps>();
    }

    tools::ToolWindow window(tools::Program::VANTREL_TOOL_PROGRAM, *ops);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return QApplication::exec();
}
