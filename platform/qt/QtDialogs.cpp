// The dialog backend a person answers: Qt's message box, input, file, folder and colour
// dialogs, plus the player's small about and choice dialogs.
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include <chrono>

#include "base/CodePage.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"

namespace platform {
namespace {

QString qs(std::string_view ansi) { return QString::fromStdString(base::CodePage::active().toUtf8(ansi)); }

std::string ansi(const QString& s) { return base::CodePage::active().fromUtf8(s.toStdString()); }

QString nativeDir(const std::string& windowsPath) {
    if (windowsPath.empty()) return {};
    return QString::fromStdString(resolvePath(windowsPath).string());
}

// "Text files|*.txt;*.doc|All|*.*" → "Text files (*.txt *.doc);;All (*)"
QString qtFilter(std::string_view filter) {
    QStringList parts = qs(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == "*.*") p = "*";
        }
        out << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return out.join(";;");
}

QMessageBox::Icon qtIcon(DialogIcon icon) {
    switch (icon) {
    case DialogIcon::Information: return QMessageBox::Information;
    case DialogIcon::Warning: return QMessageBox::Warning;
    case DialogIcon::Error: return QMessageBox::Critical;
    case DialogIcon::Question: return QMessageBox::Question;
    case DialogIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

DialogAnswer askMessage(const DialogRequest& r) {
    QMessageBox box(qtIcon(r.icon), qs(r.caption), qs(r.text));
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (size_t i = 0; i < r.buttons.size(); ++i) {
        int id = r.buttons[i];
        QPushButton* b = box.addButton(QString::fromLatin1(buttonName(id)), QMessageBox::ActionRole);
        buttons.emplace_back(b, id);
        if (static_cast<int>(i) == r.defaultButton) box.setDefaultButton(b);
        if (id == r.escapeButton) box.setEscapeButton(b);
    }
    box.exec();
    DialogAnswer a;
    a.button = r.escapeButton;
    for (auto& [b, id] : buttons) {
        if (box.clickedButton() == b) a.button = id;
    }
    a.accepted = a.button != IDCANCEL;
    return a;
}

// The choice dialog in its fixed layout: the application's icon, the wrapped prompt, a
// drop-down list of 16 visible rows, OK and Cancel below.
DialogAnswer askChoice(const DialogRequest& r) {
    QDialog dialog;
    dialog.setWindowTitle(qs(r.caption));
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    auto* icon = new QLabel(&dialog);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    auto* prompt = new QLabel(qs(r.text), &dialog);
    prompt->setWordWrap(true);
    prompt->setFixedWidth(260);
    auto* list = new QComboBox(&dialog);
    list->setMaxVisibleItems(16);
    for (const auto& item : r.items) list->addItem(qs(item));
    list->setCurrentIndex(std::max(0, list->findText(qs(r.initialText), Qt::MatchFixedString)));
    const ChoiceLayout l = choiceLayout(prompt->heightForWidth(260), list->sizeHint().height());
    auto place = [](QWidget* w, const DialogPlace& p) { w->setGeometry(p.left, p.top, p.width, p.height); };
    place(icon, l.icon);
    place(prompt, l.prompt);
    place(list, l.list);
    auto* ok = new QPushButton(QDialogButtonBox::tr("OK"), &dialog);
    auto* cancel = new QPushButton(QDialogButtonBox::tr("Cancel"), &dialog);
    place(ok, l.ok);
    place(cancel, l.cancel);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    dialog.setFixedSize(l.clientWidth, l.clientHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    DialogAnswer a;
    a.accepted = dialog.exec() == QDialog::Accepted;
    a.text = ansi(list->currentText());
    return a;
}

DialogAnswer askFont(const DialogRequest& r) {
    QFont initial(qs(r.font.name));
    if (r.font.size > 0) initial.setPointSize(r.font.size);
    initial.setBold(r.font.bold);
    initial.setItalic(r.font.italic);
    initial.setUnderline(r.font.underline);
    initial.setStrikeOut(r.font.strikeOut);
    QFontDialog dialog(initial);
    dialog.setWindowTitle(qs(r.caption));
    DialogAnswer a;
    a.accepted = dialog.exec() == QDialog::Accepted;
    if (a.accepted) {
        const QFont f = dialog.selectedFont();
        DialogFont chosen = r.font;  // Qt's dialog has no colour: the initial one stays
        chosen.name = ansi(f.family());
        chosen.size = f.pointSize() > 0 ? f.pointSize() : r.font.size;
        chosen.bold = f.bold();
        chosen.italic = f.italic();
        chosen.underline = f.underline();
        chosen.strikeOut = f.strikeOut();
        a.text = fontText(chosen);
    }
    return a;
}

DialogAnswer askPrinterSetup(const DialogRequest& r) {
    QPrinter printer;
    QPrintDialog dialog(&printer);
    if (!r.caption.empty()) dialog.setWindowTitle(qs(r.caption));
    DialogAnswer a;
    a.accepted = dialog.exec() == QDialog::Accepted;
    return a;
}

// The about box: the text on top, the credits below a toggle that grows the box from a
// client height of 172 to 275.
class T_About : public QDialog {
public:
    T_About(const DialogRequest& r, const RichTextToHtml& richText);
};

T_About::T_About(const DialogRequest& r, const RichTextToHtml& richText) {
    QDialog& dialog = *this;
    dialog.setWindowTitle(qs(r.caption));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(qs(r.text));
    label->setWordWrap(true);
    auto* credits = new QTextBrowser;
    const std::optional<std::string> html = richText ? richText(r.detailText) : std::nullopt;
    if (html)
        credits->setHtml(QString::fromStdString(*html));
    else
        credits->setPlainText(qs(r.detailText));
    // The credits start at their first line of text.
    if (QTextDocument* doc = credits->document();
        doc->blockCount() > 1 && doc->firstBlock().text().isEmpty()) {
        QTextCursor cursor(doc->firstBlock());
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    credits->setReadOnly(true);
    credits->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    credits->setVisible(false);
    auto* toggle = new QPushButton(QStringLiteral("Credits >>"));
    toggle->setCheckable(true);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(toggle, &QPushButton::toggled, &dialog, [this, credits](bool down) {
        credits->setVisible(down);
        setFixedHeight(down ? 275 : 172);
    });
    auto* row = new QHBoxLayout;
    row->addWidget(toggle);
    row->addStretch();
    row->addWidget(ok);
    layout->addWidget(label);
    layout->addWidget(credits);
    layout->addLayout(row);
    dialog.setFixedHeight(172);
}

DialogAnswer askAbout(const DialogRequest& r, const RichTextToHtml& richText) {
    T_About about(r, richText);
    about.exec();
    DialogAnswer a;
    a.accepted = true;
    return a;
}

// Opens only when the work lasts (as the shell's copy window does) and lets the event loop
// run at most every 50 ms, so a copy of many small files does not spend its time repainting.
class QtProgressWindow final : public ProgressWindow {
public:
    explicit QtProgressWindow(const DialogRequest& r)
        : m_dialog(qs(r.text), QStringLiteral("Cancel"), 0, 1000) {
        m_dialog.setWindowTitle(qs(r.caption));
        m_dialog.setWindowModality(Qt::ApplicationModal);
        m_dialog.setMinimumDuration(700);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setValue(0);
    }
    bool step(std::string_view text, double fraction) override {
        auto now = std::chrono::steady_clock::now();
        if (now - m_last < std::chrono::milliseconds(50)) return !m_dialog.wasCanceled();
        m_last = now;
        if (!text.empty()) m_dialog.setLabelText(qs(text));
        if (fraction < 0) {
            m_dialog.setMaximum(0);
        } else {
            m_dialog.setMaximum(1000);
            m_dialog.setValue(static_cast<int>(fraction * 1000));
        }
        QCoreApplication::processEvents();
        return !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
    std::chrono::steady_clock::time_point m_last{};
};

class QtDialogBackend final : public DialogBackend {
public:
    explicit QtDialogBackend(RichTextToHtml richText) : m_richText(std::move(richText)) {}
    std::unique_ptr<ProgressWindow> progress(const DialogRequest& r) override {
        return std::make_unique<QtProgressWindow>(r);
    }
    DialogAnswer ask(const DialogRequest& r) override {
        DialogAnswer a;
        switch (r.kind) {
        case DialogKind::Message: return askMessage(r);
        case DialogKind::Choice: return askChoice(r);
        case DialogKind::About: return askAbout(r, m_richText);
        case DialogKind::Font: return askFont(r);
        case DialogKind::PrinterSetup: return askPrinterSetup(r);
        case DialogKind::Progress: return a;
        case DialogKind::Input: {
            bool ok = false;
            QString text = QInputDialog::getText(nullptr, qs(r.caption), qs(r.text), QLineEdit::Normal,
                                                 qs(r.initialText), &ok);
            a.accepted = ok;
            a.text = ansi(text);
            return a;
        }
        case DialogKind::OpenFile:
        case DialogKind::SaveFile: {
            QFileDialog dialog(nullptr, qs(r.caption), nativeDir(r.initialDir), qtFilter(r.filter));
            bool save = r.kind == DialogKind::SaveFile;
            dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            dialog.setFileMode(save || !r.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
            if (!r.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
            if (!r.defaultExt.empty()) dialog.setDefaultSuffix(qs(r.defaultExt));
            if (!r.initialText.empty()) dialog.selectFile(nativeDir(r.initialText));
            if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
                a.accepted = true;
                a.text = drives().toWindows(dialog.selectedFiles().first().toStdString());
            }
            return a;
        }
        case DialogKind::Folder: {
            QString dir = QFileDialog::getExistingDirectory(nullptr, qs(r.text), nativeDir(r.initialText));
            a.accepted = !dir.isEmpty();
            if (a.accepted) a.text = drives().toWindows(dir.toStdString());
            return a;
        }
        case DialogKind::Color: {
            QColor initial(static_cast<int>(r.color & 0xFF), static_cast<int>((r.color >> 8) & 0xFF),
                           static_cast<int>((r.color >> 16) & 0xFF));
            // Qt's colour dialog always shows its custom colours: the full form either way.
            QColor c = QColorDialog::getColor(initial, nullptr, qs(r.caption));
            a.accepted = c.isValid();
            if (a.accepted) {
                uint32_t bgr = static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
                               (static_cast<uint32_t>(c.blue()) << 16);
                a.text = std::to_string(bgr);
            }
            return a;
        }
        }
        return a;
    }

private:
    RichTextToHtml m_richText;
};

}  // namespace

std::unique_ptr<DialogBackend> makeQtDialogBackend(RichTextToHtml richText) {
    return std::make_unique<QtDialogBackend>(std::move(richText));
}

}  // namespace platform
