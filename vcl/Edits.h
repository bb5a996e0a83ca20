// Text entry: TEdit (one line), TMemo (many lines, Lines as a string list) and TRichEdit
// (a memo as far as streams and scripts go). The model keeps the text; the toolkit's
// text widget edits it, and the selection and the clipboard are the widget's.
#pragma once

#include <memory>
#include <string>

#include "classes/TStrings.h"
#include "vcl/Controls.h"

namespace vcl {

class TextHandle;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomEdit : public TWinControl {
public:
    CLASSES_OBJECT(TCustomEdit)
    explicit TCustomEdit(classes::TComponent* owner);

    const std::string& text() const { return caption(); }
    void setText(const std::string& text) { setCaption(text); }
    // 0: no limit. Limits typing and pasting, not text the program sets.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int value);
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool value);
    // Not #0: every character shows as this one.
    char passwordChar() const { return m_passwordChar; }
    void setPasswordChar(char value);
    TEditCharCase charCase() const { return m_charCase; }
    void setCharCase(TEditCharCase value);
    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool value) { m_autoSelect = value; }
    bool hideSelection() const { return m_hideSelection; }
    void setHideSelection(bool value) { m_hideSelection = value; }
    TBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    // True once the user changed the text.
    bool modified() const { return m_modified; }
    void setModified(bool value) { m_modified = value; }

    int selStart() const;
    void setSelStart(int value);
    int selLength() const;
    void setSelLength(int value);
    std::string selText() const;
    // Replaces the selection (the text where nothing is selected at the caret).
    void setSelText(const std::string& value);
    void selectAll();
    void clearSelection() { setSelText({}); }
    void clear() { setText({}); }
    void copyToClipboard();
    void cutToClipboard();
    void pasteFromClipboard();
    void undo();
    void clearUndo();
    bool canUndo() const;

    classes::TMethod onChange;

    // The user changed the text in the toolkit's widget.
    void handleTextEdited(const std::string& text);
    // Applies CharCase as typing does.
    std::string applyCharCase(const std::string& text) const;

protected:
    std::unique_ptr<WindowHandle> createHandle() override;
    void handleCreated() override;
    void textChanged() override;
    void fontChanged() override;
    void colorChanged() override;
    void doEnter() override;
    virtual void change();
    TextHandle* textHandle() const;

private:
    int m_maxLength = 0;
    bool m_readOnly = false;
    char m_passwordChar = '\0';
    TEditCharCase m_charCase = ecNormal;
    bool m_autoSelect = true, m_hideSelection = true, m_modified = false;
    TBorderStyle m_borderStyle = bsSingle;
    // The selection while there is no widget to hold it.
    int m_selStart = 0, m_selLength = 0;
};

class TEdit : public TCustomEdit {
public:
    CLASSES_OBJECT(TEdit)
    explicit TEdit(classes::TComponent* owner);
};

class TMemoStrings;

class TCustomMemo : public TCustomEdit {
public:
    CLASSES_OBJECT(TCustomMemo)
    explicit TCustomMemo(classes::TComponent* owner);
    ~TCustomMemo() override;

    // The text as lines; a line break at the very end adds no empty line.
    classes::TStrings* lines() const;
    void setLines(classes::TStrings* lines);
    TScrollStyle scrollBars() const { return m_scrollBars; }
    void setScrollBars(TScrollStyle value);
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool value);
    bool wantReturns() const { return m_wantReturns; }
    void setWantReturns(bool value) { m_wantReturns = value; }
    bool wantTabs() const { return m_wantTabs; }
    void setWantTabs(bool value) { m_wantTabs = value; }
    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);

    bool wantsKey(int key) const override;

protected:
    std::unique_ptr<WindowHandle> createHandle() override;
    void textChanged() override;

private:
    std::unique_ptr<TMemoStrings> m_lines;
    TScrollStyle m_scrollBars = ssNone;
    bool m_wordWrap = true, m_wantReturns = true, m_wantTabs = false;
    TAlignment m_alignment = taLeftJustify;
};

class TMemo : public TCustomMemo {
public:
    CLASSES_OBJECT(TMemo)
    explicit TMemo(classes::TComponent* owner);
};

// A rich-edit control as streams and scripts know it: its Lines are its text. (Rich text
// itself is shown by the rich-text viewer.)
class TRichEdit : public TCustomMemo {
public:
    CLASSES_OBJECT(TRichEdit)
    explicit TRichEdit(classes::TComponent* owner);
    bool plainText() const { return m_plainText; }
    void setPlainText(bool value) { m_plainText = value; }

private:
    bool m_plainText = false;
};

}  // namespace vcl
