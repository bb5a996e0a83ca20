// Desktop services over the toolkit: screens, pointing devices, the font database, the
// clipboard, the style's standard icons and screen grabs.
#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFontDatabase>
#include <QIcon>
#include <QInputDevice>
#include <QPainter>
#include <QPixmap>
#include <QPointingDevice>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <map>

#include "base/AnsiText.h"
#include "vcl/Desktop.h"
#include "vcl/Forms.h"
#include "vcl/qt/QtText.h"

#if QT_CONFIG(xcb)
#include <X11/Xlib.h>
#endif

namespace vcl::desktop {
namespace {

pictures::Image toImage(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    pictures::Image out(img.width(), img.height(), 0);
    if (out.empty()) return {};
    for (int y = 0; y < out.height; ++y)
        std::copy_n(reinterpret_cast<const uint32_t*>(img.constScanLine(y)), out.width, out.row(y));
    return out;
}

// A family name without the foundry the database adds when two foundries share it.
QString plainFamily(const QString& family) {
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    return bracket > 0 && family.endsWith(QLatin1Char(']')) ? family.left(bracket) : family;
}

// Buttons as Windows counts them: X numbers the wheel's directions as buttons 4 to 7 and
// extra side buttons after them.
int physicalButtons(int logical) {
    if (logical <= 3) return logical;
    if (logical < 7) return 3;
    return std::min(5, 3 + (logical - 7));
}

bool buttonsSwapped() {
#if QT_CONFIG(xcb)
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) return false;
    unsigned char map[256];
    const int n = XGetPointerMapping(x11->display(), map, sizeof map);
    return n >= 3 && map[0] == 3 && map[2] == 1;
#else
    return false;
#endif
}

}  // namespace

std::vector<DisplayDevice> displayDevices() {
    std::vector<DisplayDevice> out;
    if (!qApp) return out;
    int n = 0;
    for (QScreen* s : QGuiApplication::screens()) {
        DisplayDevice d;
        d.name = "\\\\.\\DISPLAY" + std::to_string(++n);
        d.description = s->name().isEmpty() ? "Display adapter" : qt::fromQString(s->name());
        d.monitorName = d.name + "\\Monitor0";
        const QString model = (s->manufacturer() + QLatin1Char(' ') + s->model()).trimmed();
        d.monitorDescription = model.isEmpty() ? "Default Monitor" : qt::fromQString(model);
        d.depth = s->depth();
        d.refreshRate = qRound(s->refreshRate());
        const QSize size = s->geometry().size() * s->devicePixelRatio();
        d.width = size.width();
        d.height = size.height();
        out.push_back(std::move(d));
    }
    return out;
}

TPoint cursorPos() {
    if (!qApp) return {};
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

MouseInfo mouseInfo() {
    MouseInfo m;
    if (!qApp) return m;
    for (const QInputDevice* dev : QInputDevice::devices()) {
        if (dev->type() != QInputDevice::DeviceType::Mouse &&
            dev->type() != QInputDevice::DeviceType::TouchPad)
            continue;
        const auto* pointer = qobject_cast<const QPointingDevice*>(dev);
        m.present = true;
        if (pointer) m.buttons = std::max(m.buttons, physicalButtons(pointer->buttonCount()));
        m.wheel |=
            dev->hasCapability(QInputDevice::Capability::Scroll) || (pointer && pointer->buttonCount() >= 5);
    }
    if (m.present) {
        if (m.buttons == 0) m.buttons = 3;
        m.swapped = buttonsSwapped();
    }
    return m;
}

std::vector<std::string> fontFamilies() {
    std::vector<std::string> out;
    if (!qApp) return out;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family)) continue;
        out.push_back(qt::fromQString(plainFamily(family)));
    }
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        return base::ansiLower(a) < base::ansiLower(b);
    });
    out.erase(
        std::unique(out.begin(), out.end(),
                    [](const std::string& a, const std::string& b) { return base::ansiSameText(a, b); }),
        out.end());
    return out;
}

bool fontFamilyExists(std::string_view family) {
    if (!qApp || family.empty()) return false;
    const QString wanted = qt::toQString(family);
    for (const QString& f : QFontDatabase::families())
        if (plainFamily(f).compare(wanted, Qt::CaseInsensitive) == 0) return true;
    return false;
}

namespace {
// The application-font ids of the files added, by path.
std::map<std::string, int>& addedFonts() {
    static std::map<std::string, int> ids;
    return ids;
}
}  // namespace

bool addFontFile(const std::string& file) {
    if (!qApp || file.empty()) return false;
    if (addedFonts().count(file)) return true;
    const int id = QFontDatabase::addApplicationFont(QString::fromStdString(file));
    if (id < 0) return false;
    if (QFontDatabase::applicationFontFamilies(id).isEmpty()) {
        QFontDatabase::removeApplicationFont(id);
        return false;
    }
    addedFonts()[file] = id;
    return true;
}

bool removeFontFile(const std::string& file) {
    auto it = addedFonts().find(file);
    if (it == addedFonts().end()) return false;
    const bool removed = QFontDatabase::removeApplicationFont(it->second);
    addedFonts().erase(it);
    return removed;
}

void setClipboardText(std::string_view text) {
    if (qApp) QGuiApplication::clipboard()->setText(qt::toQString(text));
}

std::string clipboardText() {
    return qApp ? qt::fromQString(QGuiApplication::clipboard()->text()) : std::string();
}

pictures::Image standardIcon(StandardIcon icon) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) return {};
    QIcon qicon;
    switch (icon) {
    case StandardIcon::Application:
        if (const TIcon* own = application().icon(); own && own->image()) return *own->image();
        qicon = QApplication::windowIcon();
        if (qicon.isNull()) qicon = QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton);
        break;
    case StandardIcon::Information:
        qicon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
        break;
    case StandardIcon::Warning:
        qicon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        break;
    case StandardIcon::Error:
        qicon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
        break;
    case StandardIcon::Question:
        qicon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxQuestion);
        break;
    case StandardIcon::WinLogo: qicon = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon); break;
    }
    // The icon drawn on a 32 by 32 canvas, whatever sizes the style has.
    QImage canvas(32, 32, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    qicon.paint(&painter, QRect(0, 0, 32, 32));
    painter.end();
    return toImage(canvas);
}

pictures::Image grabScreen(const TRect& rect) {
    pictures::Image out(rect.width(), rect.height(), 0xFF000000u);
    if (out.empty() || !qApp) return out;
    QImage canvas(rect.width(), rect.height(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    const QRect wanted(rect.left, rect.top, rect.width(), rect.height());
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect part = wanted.intersected(s->geometry());
        if (part.isEmpty()) continue;
        const QPoint local = part.topLeft() - s->geometry().topLeft();
        const QPixmap shot = s->grabWindow(0, local.x(), local.y(), part.width(), part.height());
        painter.drawPixmap(part.topLeft() - wanted.topLeft(), shot);
    }
    painter.end();
    return toImage(canvas);
}

}  // namespace vcl::desktop
