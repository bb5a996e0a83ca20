// TEdit, TMemo and TRichEdit: the text and its rules in the model, editing in the widget.
#include "vcl/Edits.h"

#include <algorithm>

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"
#include "vcl/KeptProperties.h"
#include "vcl/NativeHandles.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

const classes::TypeInfo& charCaseType() {
    static const auto t =
        classes::TypeInfo::enumeration("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
    return t;
}

// Line breaks are CR LF in the model; a lone CR or LF counts as one as well.
std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        lines.emplace_back(text.substr(pos, end - pos));
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        pos = end;
    }
    return lines;
}

}  // namespace

// The lines of a memo, read from and written to its text. While a BeginUpdate is open the
// lines are kept apart and written back once, at the end.
class TMemoStrings final : public classes::TStrings {
public:
    CLASSES_OBJECT(TMemoStrings)
    explicit TMemoStrings(TCustomMemo& memo) : m_memo(memo) {}

    int count() const override { return static_cast<int>(lines().size()); }
    std::string get(int index) const override {
        check(index, count());
        return lines()[static_cast<size_t>(index)];
    }
    void put(int index, std::string_view s) override {
        check(index, count());
        edit([&](std::vector<std::string>& l) { l[static_cast<size_t>(index)] = std::string(s); });
    }
    void insert(int index, std::string_view s) override {
        check(index, count() + 1);
        edit([&](std::vector<std::string>& l) { l.insert(l.begin() + index, std::string(s)); });
    }
    void remove(int index) override {
        check(index, count());
        edit([&](std::vector<std::string>& l) { l.erase(l.begin() + index); });
    }
    void clear() override {
        edit([](std::vector<std::string>& l) { l.clear(); });
    }
    // The memo's text changed on its own (typing, Text): the cache is stale.
    void textChanged() {
        if (!m_writing) m_cached = false;
    }

protected:
    void setUpdateState(bool updating) override {
        TStrings::setUpdateState(updating);
        if (!updating && m_dirty) writeBack();
    }

private:
    const std::vector<std::string>& lines() const {
        if (!m_cached) {
            m_lines = splitLines(m_memo.text());
            m_cached = true;
        }
        return m_lines;
    }
    void check(int index, int limit) const {
        if (index < 0 || index >= limit) indexError(index);
    }
    template <class F>
    void edit(F&& f) {
        lines();
        f(m_lines);
        m_dirty = true;
        if (updateCount() == 0) writeBack();
    }
    void writeBack() {
        m_dirty = false;
        std::string text;
        for (size_t i = 0; i < m_lines.size(); ++i) {
            if (i) text += "\r\n";
            text += m_lines[i];
        }
        m_writing = true;
        m_memo.setText(text);
        m_writing = false;
    }

    TCustomMemo& m_memo;
    mutable std::vector<std::string> m_lines;
    mutable bool m_cached = false;
    bool m_dirty = false;
    bool m_writing = false;
};

// --- metadata ---

const classes::ClassInfo& TMemoStrings::staticClass() {
    static const auto info =
        ClassBuilder<TMemoStrings>("TMemoStrings", classes::TStrings::staticClass()).factory({}).build();
    return *info;
}

const classes::ClassInfo& TCustomEdit::staticClass() {
    static const auto info = [] {
        ClassBuilder<TCustomEdit> b("TCustomEdit", TWinControl::staticClass());
        b.factory({})
            .property("MaxLength", ct::integer(), &TCustomEdit::maxLength, &TCustomEdit::setMaxLength,
                      {.defaultValue = 0})
            .property("ReadOnly", ct::boolean(), &TCustomEdit::readOnly, &TCustomEdit::setReadOnly,
                      {.defaultValue = 0})
            .property("CharCase", charCaseType(), &TCustomEdit::charCase, &TCustomEdit::setCharCase,
                      {.defaultValue = ecNormal})
            .property("AutoSelect", ct::boolean(), &TCustomEdit::autoSelect, &TCustomEdit::setAutoSelect,
                      {.defaultValue = 1})
            .property("HideSelection", ct::boolean(), &TCustomEdit::hideSelection,
                      &TCustomEdit::setHideSelection, {.defaultValue = 1})
            .property("BorderStyle", types::borderStyle(), &TCustomEdit::borderStyle,
                      &TCustomEdit::setBorderStyle, {.defaultValue = bsSingle})
            .property("Modified", ct::boolean(), &TCustomEdit::modified, &TCustomEdit::setModified,
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }})
            .property("SelStart", ct::integer(), &TCustomEdit::selStart, &TCustomEdit::setSelStart,
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }})
            .property("SelLength", ct::integer(), &TCustomEdit::selLength, &TCustomEdit::setSelLength,
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }})
            .property("SelText", ct::string(), &TCustomEdit::selText,
                      [](TCustomEdit& e, const std::string& v) { e.setSelText(v); },
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }});
        kept::bevels(b);
        kept::ime(b);
        keptProperty(b, "OEMConvert", ct::boolean(), 0);
        keptProperty(b, "AutoSize", ct::boolean(), 1);
        b.event("OnChange", ct::notifyEvent(), &TCustomEdit::onChange);
        b.publicMethod("procedure Clear;", &TCustomEdit::clear)
            .publicMethod("procedure ClearSelection;", &TCustomEdit::clearSelection)
            .publicMethod("procedure SelectAll;", &TCustomEdit::selectAll)
            .publicMethod("procedure CopyToClipboard;", &TCustomEdit::copyToClipboard)
            .publicMethod("procedure CutToClipboard;", &TCustomEdit::cutToClipboard)
            .publicMethod("procedure PasteFromClipboard;", &TCustomEdit::pasteFromClipboard)
            .publicMethod("procedure Undo;", &TCustomEdit::undo)
            .publicMethod("procedure ClearUndo;", &TCustomEdit::clearUndo);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TEdit::staticClass() {
    static const auto info = [] {
        ClassBuilder<TEdit> b("TEdit", TCustomEdit::staticClass());
        b.property("Text", ct::string(), &TCustomEdit::text,
                   [](TEdit& e, const std::string& v) { e.setText(v); })
            .property("PasswordChar", ct::character(), &TCustomEdit::passwordChar,
                      &TCustomEdit::setPasswordChar, {.defaultValue = 0});
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TCustomMemo::staticClass() {
    static const auto info = [] {
        ClassBuilder<TCustomMemo> b("TCustomMemo", TCustomEdit::staticClass());
        b.factory({})
            .property("Lines", classes::TStrings::staticClass().typeInfo(), &TCustomMemo::lines,
                      &TCustomMemo::setLines)
            .property("Text", ct::string(), &TCustomEdit::text,
                      [](TCustomMemo& m, const std::string& v) { m.setText(v); },
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }})
            .property("ScrollBars", types::scrollStyle(), &TCustomMemo::scrollBars,
                      &TCustomMemo::setScrollBars, {.defaultValue = ssNone})
            .property("WordWrap", ct::boolean(), &TCustomMemo::wordWrap, &TCustomMemo::setWordWrap,
                      {.defaultValue = 1})
            .property("WantReturns", ct::boolean(), &TCustomMemo::wantReturns, &TCustomMemo::setWantReturns,
                      {.defaultValue = 1})
            .property("WantTabs", ct::boolean(), &TCustomMemo::wantTabs, &TCustomMemo::setWantTabs,
                      {.defaultValue = 0})
            .property("Alignment", types::alignment(), &TCustomMemo::alignment, &TCustomMemo::setAlignment,
                      {.defaultValue = taLeftJustify});
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TMemo::staticClass() {
    static const auto info = ClassBuilder<TMemo>("TMemo", TCustomMemo::staticClass()).build();
    return *info;
}

const classes::ClassInfo& TRichEdit::staticClass() {
    static const auto info = [] {
        ClassBuilder<TRichEdit> b("TRichEdit", TCustomMemo::staticClass());
        b.property("PlainText", ct::boolean(), &TRichEdit::plainText, &TRichEdit::setPlainText,
                   {.defaultValue = 0});
        keptProperty(b, "HideScrollBars", ct::boolean(), 1);
        for (const char* name :
             {"OnProtectChange", "OnResizeRequest", "OnSaveClipboard", "OnSelectionChange"})
            keptEventProperty(b, name, ct::notifyEvent());
        return b.build();
    }();
    return *info;
}

// --- TCustomEdit ---

TCustomEdit::TCustomEdit(classes::TComponent* owner) : TWinControl(owner) {
    setBounds(0, 0, 121, 21);
    setTabStop(true);
    setColor(clWindow);
    setParentColor(false);
    setControlStyle(controlStyle() | csClickEvents);
}

std::unique_ptr<WindowHandle> TCustomEdit::createHandle() { return createEditHandle(*this); }

TextHandle* TCustomEdit::textHandle() const { return dynamic_cast<TextHandle*>(allocatedHandle()); }

void TCustomEdit::handleCreated() {
    TWinControl::handleCreated();
    syncHandle();
    if (auto* h = textHandle()) h->setSelection(m_selStart, m_selLength);
}

void TCustomEdit::setMaxLength(int value) {
    m_maxLength = std::max(0, value);
    syncHandle();
}

void TCustomEdit::setReadOnly(bool value) {
    m_readOnly = value;
    syncHandle();
}

void TCustomEdit::setPasswordChar(char value) {
    m_passwordChar = value;
    syncHandle();
}

void TCustomEdit::setCharCase(TEditCharCase value) {
    m_charCase = value;
    // The system converts what is there as well.
    if (value != ecNormal) setText(applyCharCase(text()));
    syncHandle();
}

void TCustomEdit::setBorderStyle(TBorderStyle value) {
    m_borderStyle = value == bsNone ? bsNone : bsSingle;
    syncHandle();
}

std::string TCustomEdit::applyCharCase(const std::string& s) const {
    if (m_charCase == ecUpperCase) return base::ansiUpper(s);
    if (m_charCase == ecLowerCase) return base::ansiLower(s);
    return s;
}

int TCustomEdit::selStart() const {
    if (auto* h = textHandle()) return h->selStart();
    return std::min<int>(m_selStart, static_cast<int>(text().size()));
}

int TCustomEdit::selLength() const {
    if (auto* h = textHandle()) return h->selLength();
    const int size = static_cast<int>(text().size());
    return std::clamp(m_selLength, 0, size - selStart());
}

void TCustomEdit::setSelStart(int value) {
    const int size = static_cast<int>(text().size());
    m_selStart = std::clamp(value, 0, size);
    m_selLength = 0;
    if (auto* h = textHandle()) h->setSelection(m_selStart, 0);
}

void TCustomEdit::setSelLength(int value) {
    const int start = selStart();
    m_selStart = start;
    m_selLength = std::clamp(value, 0, static_cast<int>(text().size()) - start);
    if (auto* h = textHandle()) h->setSelection(start, m_selLength);
}

std::string TCustomEdit::selText() const {
    const int start = selStart(), length = selLength();
    return text().substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

void TCustomEdit::setSelText(const std::string& value) {
    if (auto* h = textHandle()) {
        h->replaceSelection(value);
        return;
    }
    const int start = selStart(), length = selLength();
    std::string t = text();
    t.replace(static_cast<size_t>(start), static_cast<size_t>(length), value);
    setText(t);
    m_selStart = start + static_cast<int>(value.size());
    m_selLength = 0;
}

void TCustomEdit::selectAll() {
    m_selStart = 0;
    m_selLength = static_cast<int>(text().size());
    if (auto* h = textHandle()) h->setSelection(0, m_selLength);
}

void TCustomEdit::copyToClipboard() {
    if (auto* h = textHandle()) h->clipboard(ClipboardAction::Copy);
}
void TCustomEdit::cutToClipboard() {
    if (auto* h = textHandle()) h->clipboard(ClipboardAction::Cut);
}
void TCustomEdit::pasteFromClipboard() {
    if (auto* h = textHandle()) h->clipboard(ClipboardAction::Paste);
}
void TCustomEdit::undo() {
    if (auto* h = textHandle()) h->clipboard(ClipboardAction::Undo);
}
void TCustomEdit::clearUndo() {
    if (auto* h = textHandle()) h->clipboard(ClipboardAction::ClearUndo);
}
bool TCustomEdit::canUndo() const {
    auto* h = textHandle();
    return h && h->canUndo();
}

void TCustomEdit::handleTextEdited(const std::string& newText) {
    m_modified = true;
    setCaption(newText);
}

void TCustomEdit::textChanged() {
    TWinControl::textChanged();
    syncHandle();
    // The system reports every change of the text, the program's own included.
    if (!hasState(classes::ComponentState::Loading)) change();
}

void TCustomEdit::change() { fireEvent(onChange, {static_cast<classes::TObject*>(this)}); }

void TCustomEdit::fontChanged() {
    TWinControl::fontChanged();
    syncHandle();
}

void TCustomEdit::colorChanged() {
    TWinControl::colorChanged();
    syncHandle();
}

void TCustomEdit::doEnter() {
    // Tabbing into a one-line edit selects its text.
    if (m_autoSelect && !dynamic_cast<TCustomMemo*>(this)) selectAll();
    TWinControl::doEnter();
}

TEdit::TEdit(classes::TComponent* owner) : TCustomEdit(owner) {}

// --- TCustomMemo ---

TCustomMemo::TCustomMemo(classes::TComponent* owner)
    : TCustomEdit(owner), m_lines(std::make_unique<TMemoStrings>(*this)) {
    setBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo() = default;

classes::TStrings* TCustomMemo::lines() const { return m_lines.get(); }

void TCustomMemo::setLines(classes::TStrings* lines) {
    if (lines) m_lines->assign(*lines);
}

std::unique_ptr<WindowHandle> TCustomMemo::createHandle() { return createMemoHandle(*this); }

void TCustomMemo::textChanged() {
    m_lines->textChanged();
    TCustomEdit::textChanged();
}

void TCustomMemo::setScrollBars(TScrollStyle value) {
    m_scrollBars = value;
    syncHandle();
}

void TCustomMemo::setWordWrap(bool value) {
    m_wordWrap = value;
    syncHandle();
}

void TCustomMemo::setAlignment(TAlignment value) {
    m_alignment = value;
    syncHandle();
}

bool TCustomMemo::wantsKey(int key) const {
    return (key == VK_RETURN && m_wantReturns) || (key == VK_TAB && m_wantTabs);
}

TMemo::TMemo(classes::TComponent* owner) : TCustomMemo(owner) {}

TRichEdit::TRichEdit(classes::TComponent* owner) : TCustomMemo(owner) {}

}  // namespace vcl
