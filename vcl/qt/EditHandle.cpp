// Text entry widgets: QLineEdit for edits and hot-key boxes, QPlainTextEdit for memos.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QValidator>

#include "vcl/Edits.h"
#include "vcl/HotKey.h"
#include "vcl/NativeHandles.h"
#include "vcl/qt/QtHandle.h"
#include "vcl/qt/QtText.h"

namespace vcl {

namespace {

using qt::ColorUse;
using qt::InputBridge;
using qt::QtHandle;
using qt::SyncScope;
using qt::toQString;

template <class W>
W* makeWidget(TWinControl& control) {
    auto* w = new W(qt::parentContainer(control));
    return w;
}

// Shows a password character of the program's choosing instead of the style's.
class PasswordStyle final : public QProxyStyle {
public:
    explicit PasswordStyle(QChar c) : m_char(c) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return m_char.unicode();
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

private:
    QChar m_char;
};

// Upper- or lower-cases what is typed, as the system's edit styles do.
class CaseValidator final : public QValidator {
public:
    CaseValidator(qt::ControlLink* link, QObject* parent) : QValidator(parent), m_link(link) {}
    State validate(QString& input, int&) const override {
        if (auto* edit = static_cast<TCustomEdit*>(m_link->control()))
            input = toQString(edit->applyCharCase(qt::fromQString(input)));
        return Acceptable;
    }

private:
    qt::ControlLink* m_link;
};

class LineEditHandle final : public QtHandle, public TextHandle {
public:
    explicit LineEditHandle(TCustomEdit& edit)
        : QtHandle(edit, makeWidget<QLineEdit>(edit), Input::Bridged), m_edit(edit) {
        m_line = static_cast<QLineEdit*>(widget());
        auto* link = this->link();
        QObject::connect(m_line, &QLineEdit::textChanged, link, [link](const QString& text) {
            if (link->syncing) return;
            link->with([&](TWinControl& c) {
                static_cast<TCustomEdit&>(c).handleTextEdited(qt::fromQString(text));
            });
        });
    }

    void sync() override {
        SyncScope scope(*link());
        applyLook(ColorUse::Field);
        m_line->setReadOnly(m_edit.readOnly());
        // Setting the limit sets the text anew, which forgets the undo history and the
        // selection: only a changed limit may do that.
        const int maxLength = m_edit.maxLength() > 0 ? m_edit.maxLength() : 0x7FFFFFFE;
        if (m_line->maxLength() != maxLength) m_line->setMaxLength(maxLength);
        m_line->setFrame(m_edit.borderStyle() != bsNone);
        const char pw = m_edit.passwordChar();
        if (pw != m_password) {
            m_password = pw;
            delete m_style;
            m_style = nullptr;
            if (pw) {
                m_style = new PasswordStyle(toQString(std::string(1, pw)).at(0));
                m_style->setParent(m_line);
                m_line->setStyle(m_style);
            } else {
                m_line->setStyle(QApplication::style());
            }
            m_line->setEchoMode(pw ? QLineEdit::Password : QLineEdit::Normal);
        }
        if (m_edit.charCase() != ecNormal && !m_line->validator())
            m_line->setValidator(new CaseValidator(link(), m_line));
        if (m_edit.charCase() == ecNormal && m_line->validator()) m_line->setValidator(nullptr);
        const QString text = toQString(m_edit.text());
        if (text != m_line->text()) m_line->setText(text);
    }

    int selStart() const override {
        return m_line->hasSelectedText() ? m_line->selectionStart() : m_line->cursorPosition();
    }
    int selLength() const override { return static_cast<int>(m_line->selectedText().size()); }
    void setSelection(int start, int length) override {
        if (length > 0)
            m_line->setSelection(start, length);
        else
            m_line->setCursorPosition(start);
    }
    void replaceSelection(const std::string& text) override { m_line->insert(toQString(text)); }
    void clipboard(ClipboardAction action) override {
        switch (action) {
        case ClipboardAction::Cut: m_line->cut(); break;
        case ClipboardAction::Copy: m_line->copy(); break;
        case ClipboardAction::Paste: m_line->paste(); break;
        case ClipboardAction::Undo: m_line->undo(); break;
        case ClipboardAction::ClearUndo: {
            // The widget forgets its history when it is given its text anew.
            SyncScope scope(*link());
            const QString t = m_line->text();
            m_line->setText(t);
            break;
        }
        }
    }
    bool canUndo() const override { return m_line->isUndoAvailable(); }

private:
    TCustomEdit& m_edit;
    QLineEdit* m_line;
    PasswordStyle* m_style = nullptr;
    char m_password = '\0';
};

// Positions in the model's text (CR LF line breaks) and in the widget's (one character).
int toWidgetPos(const std::string& model, int pos) {
    int out = 0;
    for (int i = 0; i < pos && i < static_cast<int>(model.size()); ++i) {
        if (model[static_cast<size_t>(i)] == '\r' && i + 1 < static_cast<int>(model.size()) &&
            model[static_cast<size_t>(i) + 1] == '\n')
            continue;
        ++out;
    }
    return out;
}

int toModelPos(const QString& widgetText, int pos) {
    int breaks = 0;
    for (int i = 0; i < pos && i < widgetText.size(); ++i)
        if (widgetText.at(i) == QLatin1Char('\n')) ++breaks;
    return pos + breaks;
}

QString toWidgetText(const std::string& model) {
    QString text = toQString(model);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

std::string toModelText(QString text) {
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return qt::fromQString(text);
}

class MemoHandle final : public QtHandle, public TextHandle {
public:
    explicit MemoHandle(TCustomMemo& memo)
        : QtHandle(memo, makeWidget<QPlainTextEdit>(memo), Input::Bridged), m_memo(memo) {
        m_edit = static_cast<QPlainTextEdit*>(widget());
        m_edit->setFrameShape(QFrame::StyledPanel);
        // The mouse goes to the text area inside the frame.
        m_edit->viewport()->installEventFilter(link());
        auto* link = this->link();
        QPlainTextEdit* edit = m_edit;
        QObject::connect(m_edit, &QPlainTextEdit::textChanged, link, [link, edit] {
            if (link->syncing) return;
            link->with([&](TWinControl& c) {
                auto& edited = static_cast<TCustomMemo&>(c);
                if (edited.maxLength() > 0) limitTyping(*link, *edit, edited.maxLength());
                edited.handleTextEdited(toModelText(edit->toPlainText()));
            });
        });
    }

    void sync() override {
        SyncScope scope(*link());
        applyLook(ColorUse::Field);
        m_edit->setReadOnly(m_memo.readOnly());
        m_edit->setLineWrapMode(m_memo.wordWrap() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        const TScrollStyle bars = m_memo.scrollBars();
        m_edit->setVerticalScrollBarPolicy(bars == ssVertical || bars == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                                : Qt::ScrollBarAlwaysOff);
        m_edit->setHorizontalScrollBarPolicy(bars == ssHorizontal || bars == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                                    : Qt::ScrollBarAlwaysOff);
        m_edit->setFrameShape(m_memo.borderStyle() == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
        static constexpr Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
        QTextOption option = m_edit->document()->defaultTextOption();
        if (option.alignment() != kAlign[m_memo.alignment()]) {
            option.setAlignment(kAlign[m_memo.alignment()]);
            m_edit->document()->setDefaultTextOption(option);
        }
        const QString text = toWidgetText(m_memo.text());
        if (text != m_edit->toPlainText()) m_edit->setPlainText(text);
    }

    int selStart() const override {
        const QTextCursor c = m_edit->textCursor();
        return toModelPos(m_edit->toPlainText(), c.selectionStart());
    }
    int selLength() const override {
        const QTextCursor c = m_edit->textCursor();
        const QString text = m_edit->toPlainText();
        return toModelPos(text, c.selectionEnd()) - toModelPos(text, c.selectionStart());
    }
    void setSelection(int start, int length) override {
        const std::string& model = m_memo.text();
        QTextCursor c = m_edit->textCursor();
        c.setPosition(toWidgetPos(model, start));
        c.setPosition(toWidgetPos(model, start + length), QTextCursor::KeepAnchor);
        m_edit->setTextCursor(c);
    }
    void replaceSelection(const std::string& text) override { m_edit->insertPlainText(toWidgetText(text)); }
    void clipboard(ClipboardAction action) override {
        switch (action) {
        case ClipboardAction::Cut: m_edit->cut(); break;
        case ClipboardAction::Copy: m_edit->copy(); break;
        case ClipboardAction::Paste: m_edit->paste(); break;
        case ClipboardAction::Undo: m_edit->undo(); break;
        case ClipboardAction::ClearUndo: m_edit->document()->clearUndoRedoStacks(); break;
        }
    }
    bool canUndo() const override { return m_edit->document()->isUndoAvailable(); }

private:
    // The widget has no length limit: what typing or a paste brought in beyond MaxLength
    // (counted as the model counts, a line break as two) is taken back from before the cursor,
    // so the text keeps what was there and the start of what came in.
    static void limitTyping(qt::ControlLink& link, QPlainTextEdit& edit, int maxLength) {
        const QString text = edit.toPlainText();
        int excess = static_cast<int>(text.size() + text.count(QLatin1Char('\n'))) - maxLength;
        if (excess <= 0) return;
        qt::SyncScope scope(link);
        QTextCursor cursor = edit.textCursor();
        cursor.clearSelection();
        cursor.beginEditBlock();
        while (excess > 0 && cursor.position() > 0) {
            const QChar gone = text.at(cursor.position() - 1);
            cursor.deletePreviousChar();
            excess -= gone == QLatin1Char('\n') ? 2 : 1;
        }
        cursor.endEditBlock();
        edit.setTextCursor(cursor);
    }

    TCustomMemo& m_memo;
    QPlainTextEdit* m_edit;
};

// A read-only line showing the combination: keys go to the model, which sets the text.
class HotKeyHandle final : public QtHandle {
public:
    explicit HotKeyHandle(TCustomHotKey& hotKey)
        : QtHandle(hotKey, makeWidget<QLineEdit>(hotKey), Input::Bridged), m_hotKey(hotKey) {
        m_line = static_cast<QLineEdit*>(widget());
        m_line->setReadOnly(true);
        m_line->setContextMenuPolicy(Qt::NoContextMenu);
    }
    void sync() override {
        applyLook(ColorUse::Field);
        m_line->setText(toQString(m_hotKey.hotKeyText()));
    }

private:
    TCustomHotKey& m_hotKey;
    QLineEdit* m_line;
};

}  // namespace

std::unique_ptr<WindowHandle> createEditHandle(TCustomEdit& edit) {
    return std::make_unique<LineEditHandle>(edit);
}

std::unique_ptr<WindowHandle> createMemoHandle(TCustomMemo& memo) {
    return std::make_unique<MemoHandle>(memo);
}

std::unique_ptr<WindowHandle> createHotKeyHandle(TCustomHotKey& hotKey) {
    return std::make_unique<HotKeyHandle>(hotKey);
}

}  // namespace vcl
