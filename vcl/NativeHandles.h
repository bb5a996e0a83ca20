// The toolkit's own widgets behind the standard controls, one kind per family: text
// entry, buttons, lists, group boxes and ranges. The model keeps every property; a widget
// takes them over on WindowHandle::sync() and reports what the user does through the
// control's handle...() methods. What lives only in the widget (the selection, the
// clipboard, the scroll position) is asked through the interfaces below. Implemented in
// vcl/qt/.
#pragma once

#include <memory>
#include <string>

#include "vcl/WindowHandle.h"

namespace vcl {

class TCustomEdit;
class TCustomMemo;
class TButtonControl;
class TCustomListBox;
class TCustomComboBox;
class TCustomGroupBox;
class TScrollBar;
class TProgressBar;
class TTrackBar;
class TCustomHotKey;

enum class ClipboardAction { Cut, Copy, Paste, Undo, ClearUndo };

// Text the user edits. Positions count characters of the model's text (a line break is
// the two characters CR LF). A second face of the widget's WindowHandle.
class TextHandle {
public:
    virtual ~TextHandle() = default;
    virtual int selStart() const = 0;
    virtual int selLength() const = 0;
    virtual void setSelection(int start, int length) = 0;
    // Replaces the selection as typing would, so the change is reported back like typing.
    virtual void replaceSelection(const std::string& ansiText) = 0;
    virtual void clipboard(ClipboardAction action) = 0;
    virtual bool canUndo() const = 0;
};

// A list of strings shown item by item (list boxes, combo boxes); a second face of the
// widget's WindowHandle.
class ItemsHandle {
public:
    virtual ~ItemsHandle() = default;
    virtual void itemInserted(int index) = 0;
    virtual void itemRemoved(int index) = 0;
    virtual void itemChanged(int index) = 0;
    virtual void itemsReset() = 0;
    // The first item shown and the item at a client point (-1: none).
    virtual int topIndex() const = 0;
    virtual void setTopIndex(int index) = 0;
    virtual int itemAt(TPoint p) const = 0;
};

enum class ButtonKind { Push, Check, Radio };

std::unique_ptr<WindowHandle> createEditHandle(TCustomEdit& edit);
std::unique_ptr<WindowHandle> createMemoHandle(TCustomMemo& memo);
std::unique_ptr<WindowHandle> createButtonHandle(TButtonControl& button, ButtonKind kind);
std::unique_ptr<WindowHandle> createListBoxHandle(TCustomListBox& list);
std::unique_ptr<WindowHandle> createComboBoxHandle(TCustomComboBox& combo);
std::unique_ptr<WindowHandle> createGroupBoxHandle(TCustomGroupBox& box);
std::unique_ptr<WindowHandle> createScrollBarHandle(TScrollBar& bar);
std::unique_ptr<WindowHandle> createProgressBarHandle(TProgressBar& bar);
std::unique_ptr<WindowHandle> createTrackBarHandle(TTrackBar& bar);
std::unique_ptr<WindowHandle> createHotKeyHandle(TCustomHotKey& hotKey);

}  // namespace vcl
