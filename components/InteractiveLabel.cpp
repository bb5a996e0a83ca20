// TInteractiveLabel: colour states, sounds and the file opened on release.
#include "components/InteractiveLabel.h"

#include <filesystem>
#include <system_error>

#include "classes/ClassBuilder.h"
#include "platform/Paths.h"
#include "runtime/Placeholders.h"
#include "vcl/Controls.h"
#include "vcl/Graphics.h"

namespace components {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

bool alwaysStored(const classes::TObject&) { return true; }

LabelServices defaultServices() {
    LabelServices s;
    s.expand = [](const std::string& text) { return runtime::RepConst(text); };
    s.fileExists = [](const std::string& path) {
        std::error_code ec;
        return std::filesystem::is_regular_file(platform::resolvePath(path), ec);
    };
    return s;
}

}  // namespace

LabelServices& labelServices() {
    static LabelServices s = defaultServices();
    return s;
}

const classes::ClassInfo& TInteractiveLabel::staticClass() {
    static const auto info = [] {
        using L = TInteractiveLabel;
        const auto& color = ct::color();
        // The colours have no stored default: a writer always stores them.
        const classes::PropOptions always{.defaultValue = std::nullopt, .stored = alwaysStored};
        ClassBuilder<L> b("TInteractiveLabel", vcl::TLabel::staticClass());
        b.property("ColorNormal", color, &L::colorNormal, &L::setColorNormal, always)
            .property("ColorOnMouseOver", color, &L::colorOnMouseOver, &L::setColorOnMouseOver, always)
            .property("ColorOnMouseClick", color, &L::colorOnMouseClick, &L::setColorOnMouseClick, always)
            .property("PlayMusicOnMouseEnter", ct::string(), &L::playMusicOnMouseEnter,
                      [](L& l, const std::string& v) { l.setPlayMusicOnMouseEnter(v); })
            .property("PlayMusicOnClick", ct::string(), &L::playMusicOnClick,
                      [](L& l, const std::string& v) { l.setPlayMusicOnClick(v); })
            .property("RunFileOnClick", ct::string(), &L::runFileOnClick,
                      [](L& l, const std::string& v) { l.setRunFileOnClick(v); });
        return b.build();
    }();
    return *info;
}

TInteractiveLabel::TInteractiveLabel(classes::TComponent* owner) : vcl::TLabel(owner) {
    setTransparent(true);
    setCursor(vcl::crHandPoint);
    font()->setSize(10);
}

void TInteractiveLabel::showColor(vcl::TColor color) { font()->setColor(color); }

void TInteractiveLabel::setColorNormal(vcl::TColor value) {
    m_colorNormal = value;
    if (!m_hovered) showColor(value);
}

void TInteractiveLabel::playSound(const std::string& file) {
    if (file.empty()) return;
    const LabelServices& s = labelServices();
    const std::string path = s.expand ? s.expand(file) : file;
    if (s.fileExists && !s.fileExists(path)) return;
    if (s.playMusic) s.playMusic(path);
}

void TInteractiveLabel::mouseEnter() {
    m_hovered = true;
    showColor(m_pressed ? m_colorClick : m_colorOver);
    playSound(m_musicEnter);
    vcl::TLabel::mouseEnter();
}

void TInteractiveLabel::mouseLeave() {
    m_hovered = false;
    showColor(m_colorNormal);
    vcl::TLabel::mouseLeave();
}

void TInteractiveLabel::mouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) {
    const auto alive = aliveToken();
    vcl::TLabel::mouseDown(button, shift, x, y);
    if (alive.expired() || button != vcl::mbLeft) return;
    m_pressed = true;
    if (m_hovered) showColor(m_colorClick);
    playSound(m_musicClick);
}

void TInteractiveLabel::mouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) {
    const auto alive = aliveToken();
    // The standard release raises OnClick (over the label only), then OnMouseUp.
    vcl::TLabel::mouseUp(button, shift, x, y);
    if (alive.expired() || button != vcl::mbLeft) return;
    m_pressed = false;
    if (m_hovered) showColor(m_colorOver);
    if (m_runFile.empty()) return;
    const LabelServices& s = labelServices();
    if (s.open) s.open(s.expand ? s.expand(m_runFile) : m_runFile);
}

}  // namespace components
