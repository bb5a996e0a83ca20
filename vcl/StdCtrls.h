// TLabel: text drawn on its parent's surface with the system's text layout.
#pragma once

#include "vcl/Controls.h"

namespace vcl {

class TLabel : public TGraphicControl {
public:
    CLASSES_OBJECT(TLabel)
    explicit TLabel(classes::TComponent* owner);

    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool value);
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool value);
    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);
    TTextLayout layout() const { return m_layout; }
    void setLayout(TTextLayout value);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool value);
    TWinControl* focusControl() const { return m_focusControl; }
    void setFocusControl(TWinControl* control);
    bool showAccelChar() const { return m_showAccelChar; }
    void setShowAccelChar(bool value);

    void notification(classes::TComponent* component, classes::Operation operation) override;
    // Alt + the caption's accelerator focuses FocusControl.
    bool dialogChar(char c) override;
    void loaded() override;
    // Resizes to the text when AutoSize is on (kept separate so the loader can apply it
    // once every property has been read).
    void adjustBounds();

protected:
    void paint() override;
    void textChanged() override;
    void fontChanged() override;
    void parentFontChanged() override;

private:
    unsigned textFlags() const;

    bool m_autoSize = true;
    bool m_wordWrap = false;
    TAlignment m_alignment = taLeftJustify;
    TTextLayout m_layout = tlTop;
    bool m_transparent = false;
    TWinControl* m_focusControl = nullptr;
    bool m_showAccelChar = true;
};

}  // namespace vcl
