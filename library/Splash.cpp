// The splash screen and the picture show's loading routine.
#include "library/Splash.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "library/Expansion.h"
#include "platform/Paths.h"
#include "vcl/Desktop.h"
#include "vcl/Forms.h"
#include "vcl/Graphic.h"
#include "vcl/PicShow.h"
#include "vcl/Picture.h"
#include "vcl/WindowHandle.h"

namespace library {

namespace {

std::string native(const std::string& windowsPath) { return platform::resolvePath(windowsPath).string(); }

// The desktop under `area`, or nothing where the desktop keeps its pixels to itself (an
// all-black capture is what a refused grab gives).
bool captureDesktop(const vcl::TRect& area, vcl::TBitmap& into) {
    pictures::Image shot = vcl::desktop::grabScreen(area);
    if (shot.empty()) return false;
    bool any = false;
    for (uint32_t p : shot.pixels) any |= (p & 0xFFFFFFu) != 0;
    if (!any) return false;
    into.pixels() = std::move(shot);
    return true;
}

}  // namespace

std::pair<int, int> splashStyles(int style1, int style2) {
    return {style1 >= 0 && style1 <= 149 ? style1 : 61, style2 >= 0 && style2 <= 149 ? style2 : 62};
}

void splashScreen(const std::string& fileName, vcl::TPicture* picture, bool reverse, int style1, int style2,
                  int timeMs) {
    const std::string path = native(expanded(fileName));
    std::error_code ec;
    const bool exists = !path.empty() && std::filesystem::is_regular_file(path, ec);
    if (!exists && !picture) return;
    try {
        auto form = std::make_unique<vcl::TForm>(nullptr);
        form->setBorderStyle(vcl::bsNone);
        form->onCloseQuery =
            classes::TMethod(form.get(), nullptr, [](std::span<const classes::EventArg> args) {
                if (args.size() > 1)
                    if (bool* const* canClose = std::get_if<bool*>(&args[1])) **canClose = false;
            });
        auto* show = new vcl::TPicShow(form.get());
        show->setParent(form.get());
        show->setAlign(vcl::alClient);
        show->setBgMode(vcl::bmCentered);
        show->setCenter(true);
        show->setStep(6);
        show->setStyle(52);
        show->setThreaded(false);
        show->setThreadPriority(vcl::tpHighest);
        if (exists)
            show->picture()->loadFromFile(path);
        else
            show->picture()->assign(*picture);
        if (show->empty()) return;
        const int w = show->picture()->width(), h = show->picture()->height();
        const vcl::TRect screen = vcl::toolkit::screenRect();
        form->setBounds(screen.left + (screen.width() - w) / 2, screen.top + (screen.height() - h) / 2, w, h);
        const auto [first, second] = splashStyles(style1, style2);
        vcl::TBitmap desktop;
        if (captureDesktop(form->boundsRect(), desktop)) {
            show->bgPicture()->setGraphic(&desktop);
            form->setColor(vcl::argbToColor(desktop.pixels().pixel(0, 0)));
        }
        form->show();
        form->repaint();
        show->setStyle(first);
        show->execute();
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(0, timeMs)));
        if (reverse) {
            // The desktop becomes the picture, so the splash leaves with the second effect.
            vcl::TPicture swap;
            swap.assign(*show->picture());
            show->picture()->assign(*show->bgPicture());
            show->bgPicture()->assign(swap);
            show->setStyle(second);
            form->repaint();
            show->execute();
        }
        form->hide();
    } catch (...) {
        // The splash is decoration: whatever failed, the form is gone and the script goes on.
    }
}

void loadPicShowPicsAnim(vcl::TPicShow& show, const std::string& bgPicture, const std::string& picture,
                         int style) {
    show.picture()->loadFromFile(native(expanded(picture)));
    show.bgPicture()->loadFromFile(native(expanded(bgPicture)));
    show.setStyle(style);
}

}  // namespace library
