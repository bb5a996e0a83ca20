// TInteractiveLabel: a label that works as a link without any script. Its text colour
// follows the mouse, it can play a sound on enter and on press, and it opens a file when a
// press that began on it is released. File names may hold path placeholders, expanded at
// every use. Main thread only.
#pragma once

#include <functional>
#include <string>

#include "vcl/StdCtrls.h"

namespace components {

// What the label reaches outside the component model; the host fills it with the music
// library and the shell's opener, tests with stand-ins. Unset members do nothing.
struct LabelServices {
    std::function<std::string(const std::string&)> expand;  // placeholders → path (default RepConst)
    std::function<bool(const std::string&)> fileExists;     // on the expanded path
    std::function<void(const std::string&)> playMusic;      // an existing sound file
    std::function<void(const std::string&)> open;           // the file type's default action
};
LabelServices& labelServices();

class TInteractiveLabel : public vcl::TLabel {
public:
    CLASSES_OBJECT(TInteractiveLabel)
    explicit TInteractiveLabel(classes::TComponent* owner);

    vcl::TColor colorNormal() const { return m_colorNormal; }
    // Shown at once unless the mouse is over the label.
    void setColorNormal(vcl::TColor value);
    vcl::TColor colorOnMouseOver() const { return m_colorOver; }
    void setColorOnMouseOver(vcl::TColor value) { m_colorOver = value; }
    vcl::TColor colorOnMouseClick() const { return m_colorClick; }
    void setColorOnMouseClick(vcl::TColor value) { m_colorClick = value; }
    const std::string& playMusicOnMouseEnter() const { return m_musicEnter; }
    void setPlayMusicOnMouseEnter(const std::string& value) { m_musicEnter = value; }
    const std::string& playMusicOnClick() const { return m_musicClick; }
    void setPlayMusicOnClick(const std::string& value) { m_musicClick = value; }
    const std::string& runFileOnClick() const { return m_runFile; }
    void setRunFileOnClick(const std::string& value) { m_runFile = value; }

    bool hovered() const { return m_hovered; }
    bool pressed() const { return m_pressed; }

protected:
    void mouseEnter() override;
    void mouseLeave() override;
    void mouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void mouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;

private:
    void showColor(vcl::TColor color);
    void playSound(const std::string& file);

    vcl::TColor m_colorNormal = 0, m_colorOver = 0, m_colorClick = 0;
    std::string m_musicEnter, m_musicClick, m_runFile;
    bool m_hovered = false, m_pressed = false;
};

}  // namespace components
