// Builds the window from its table and dispatches clicks to the shared action routines.
#include "tools/ToolWindow.h"

#include "tools/Cp1251.h"
#include "tools/WrapButton.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace tools {
namespace {

QRect pixelRect(int left, int top, int width, int height) {
    return {pixelsFromTwips(left), pixelsFromTwips(top), pixelsFromTwips(width), pixelsFromTwips(height)};
}

// A small drawn picture for desktops whose icon theme lacks the standard names.
QIcon drawnIcon(Program program) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    switch (program) {
    case Program::Keyboard:
        painter.setBrush(Qt::lightGray);
        painter.drawRoundedRect(QRectF(2, 8, 28, 16), 2, 2);
        for (int x = 6; x < 28; x += 6) {
            painter.drawPoint(x, 13);
            painter.drawPoint(x, 19);
        }
        break;
    case Program::Desktop:
        painter.setBrush(QColor(0, 128, 128));
        painter.drawRect(QRectF(3, 4, 26, 18));
        painter.drawLine(16, 22, 16, 27);
        painter.drawLine(9, 28, 23, 28);
        break;
    case Program::Mouse:
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(8, 3, 16, 26), 8, 8);
        painter.drawLine(16, 3, 16, 13);
        painter.drawLine(8, 13, 24, 13);
        break;
    }
    return QIcon(pixmap);
}

}  // namespace

QFont defaultButtonFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    return font;
}

ToolWindow::ToolWindow(Program program, DesktopOps& ops, QWidget* parent) : QWidget(parent), m_ops(ops) {
    const FormSpec& layout = formSpec(program);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(fromCp1251(layout.caption));
    setWindowIcon(QIcon::fromTheme(QString::fromLatin1(layout.iconName), drawnIcon(program)));
    resize(pixelsFromTwips(layout.clientWidth), pixelsFromTwips(layout.clientHeight));

    QWidget* previous = nullptr;
    for (const ButtonSpec& button : layout.buttons) {
        auto* widget = new WrapButton(fromCp1251(button.caption), this);
        widget->setObjectName(QString::fromLatin1(button.name));
        widget->setFont(defaultButtonFont());
        widget->setGeometry(pixelRect(button.left, button.top, button.width, button.height));
        // Enter clicks the focused button, as it does on a focused command button.
        widget->setAutoDefault(true);
        const Action action = button.action;
        connect(widget, &QPushButton::clicked, this, [this, action] { run(action); });
        if (previous != nullptr) {
            setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

void ToolWindow::run(Action action) {
    switch (action) {
    case Action::ToggleNumLock: m_ops.toggleLock(LockKey::NumLock); break;
    case Action::ToggleCapsLock: m_ops.toggleLock(LockKey::CapsLock); break;
    case Action::ToggleScrollLock: m_ops.toggleLock(LockKey::ScrollLock); break;
    case Action::ShowIcons: m_ops.setDesktopShown(true); break;
    case Action::HideIcons: m_ops.setDesktopShown(false); break;
    case Action::HideTaskbar: m_ops.setPanelShown(false); break;
    case Action::ShowTaskbar: m_ops.setPanelShown(true); break;
    case Action::SwapButtons: m_ops.setButtonsSwapped(true); break;
    case Action::NormalButtons: m_ops.setButtonsSwapped(false); break;
    case Action::HideMouse: changeCursorCount(-1); break;
    case Action::ShowMouse: changeCursorCount(+1); break;
    }
}

// The blank cursor is set on the top-level window, so every button inside it inherits it
// and other programs' windows keep their pointer.
void ToolWindow::changeCursorCount(int delta) {
    m_cursorCount += delta;
    if (m_cursorCount < 0) {
        setCursor(Qt::BlankCursor);
    } else {
        unsetCursor();
    }
}

}  // namespace tools
