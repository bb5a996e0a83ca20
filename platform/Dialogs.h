// The dialog service: every message box, input box, Abort/Ignore box and standard dialog
// the player shows goes through here. A backend answers each request: the Qt dialogs for
// a person, or the automation file (VANTREL_AUTOMATION) for tests and unattended runs.
// Every request and its answer is appended as one JSON line to VANTREL_LOG when set.
//
// Thread: the user-interface thread, except logEvent/logExit, which any thread may call.
// Texts are bytes in the ANSI code page; paths are in the Windows form scripts see.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace base {
class JsonObject;
}

namespace platform {

enum class DialogKind {
    Message,
    Input,
    OpenFile,
    SaveFile,
    Folder,
    Color,
    Choice,
    About,
    Font,
    PrinterSetup,
    Progress
};
const char* dialogKindName(DialogKind kind);

enum class DialogIcon { None, Information, Warning, Error, Question };

// Message box button identifiers, with their Windows values.
enum DialogButtonId : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
    IDYESTOALL = 12,  // the file operations' "Yes to All"; no message box flag shows it
    IDNOTOALL = 13    // the ZIP replace question's "No to All"
};
const char* buttonName(int id);
// The identifier for a name such as "ok" or "Ignore" (case-insensitive); 0 when unknown.
int buttonFromName(std::string_view name);

// Message box flags, with their Windows values.
enum : uint32_t {
    MB_OK = 0,
    MB_OKCANCEL = 1,
    MB_ABORTRETRYIGNORE = 2,
    MB_YESNOCANCEL = 3,
    MB_YESNO = 4,
    MB_RETRYCANCEL = 5,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};

// A font as the font dialog shows and returns it: the face name, the size in points, the
// styles and the colour (0x00BBGGRR).
struct DialogFont {
    std::string name;
    int size = 0;
    bool bold = false, italic = false, underline = false, strikeOut = false;
    uint32_t color = 0;
    bool operator==(const DialogFont&) const = default;
};
// "Name,Size,styles,colour", styles being the words bold, italic, underline and strikeout
// separated by spaces: the text a font dialog answers with (automation files, the log).
std::string fontText(const DialogFont& font);
// The inverse; fields left out or unreadable keep the values of `base`.
DialogFont parseFontText(std::string_view text, const DialogFont& base);

struct DialogRequest {
    DialogKind kind = DialogKind::Message;
    std::string caption;
    std::string text;  // message, prompt or the about box's first text
    DialogIcon icon = DialogIcon::None;
    std::vector<int> buttons;     // message boxes: button ids in display order
    int defaultButton = 0;        // index into buttons
    int escapeButton = IDCANCEL;  // the id that Escape, closing, or a missing answer gives
    std::string initialText;      // input default, file name, initial folder, selected item
    std::string initialDir;
    std::string filter;  // "description|patterns|description|patterns"
    std::string defaultExt;
    bool mustExist = false;
    bool overwritePrompt = false;
    bool readOnlyChecked = false;  // the open dialog's read-only box (no equivalent in Qt)
    uint32_t color = 0;            // colour dialog: initial 0x00BBGGRR
    bool fullColorDialog = false;
    std::vector<std::string> items;  // choice dialog
    std::string detailText;          // about box: the credits text
    DialogFont font;                 // font dialog: the initial font
    bool fontEffects = true;         // font dialog: colour, underline and strike-out offered
};

struct DialogAnswer {
    bool accepted = false;  // a person confirmed (any button of a message box counts)
    int button = 0;         // message boxes: the id pressed
    std::string text;       // input text, chosen path, chosen item, chosen font (fontText)
};

// The choice dialog's fixed layout (client coordinates): icon, word-wrapped prompt, drop-down
// list and the two buttons stacked below each other, so a long prompt makes it taller.
struct DialogPlace {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const DialogPlace&) const = default;
};
struct ChoiceLayout {
    int clientWidth = 0, clientHeight = 0;
    DialogPlace icon, prompt, list, ok, cancel;
};
// `promptHeight`: the wrapped prompt's height at its fixed width; `listHeight`: the closed
// drop-down list's height.
ChoiceLayout choiceLayout(int promptHeight, int listHeight);
// A modeless progress window for long work (file copies and deletes), closed when destroyed.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    // Shows `text` and how far the work is (0 to 1; negative when unknown) and lets pending
    // window messages run. False once the person asked to stop.
    virtual bool step(std::string_view text, double fraction) = 0;
};

class DialogBackend {
public:
    virtual ~DialogBackend() = default;
    virtual DialogAnswer ask(const DialogRequest& request) = 0;
    // The window for a DialogKind::Progress request; by default one nobody can stop.
    virtual std::unique_ptr<ProgressWindow> progress(const DialogRequest& request);
};

// The JSON-lines log of VANTREL_LOG; appends and flushes each line.
class DialogLog {
public:
    explicit DialogLog(std::string path) : m_path(std::move(path)) {}
    void write(const std::string& line);

private:
    std::mutex m_mutex;
    std::string m_path;
};

class DialogService {
public:
    DialogService(std::unique_ptr<DialogBackend> backend, std::unique_ptr<DialogLog> log);
    ~DialogService();

    // MessageBox: the id of the pressed button.
    int messageBox(std::string_view text, std::string_view caption, uint32_t flags);
    // Input box: the entered text, nullopt when cancelled.
    std::optional<std::string> inputBox(std::string_view caption, std::string_view prompt,
                                        std::string_view defaultText);
    // Open/save dialog: the chosen path, nullopt when cancelled.
    std::optional<std::string> fileDialog(DialogRequest request);
    // The about box; returns when it is closed.
    void about(std::string_view caption, std::string_view text, std::string_view credits);
    // A progress window titled `caption`; the request is logged when it opens.
    std::unique_ptr<ProgressWindow> progress(std::string_view caption, std::string_view text);

    // Any request; the answer is logged before it is returned.
    DialogAnswer ask(const DialogRequest& request);

    // Other events worth a log line (a project handed to the loader, a step taken).
    void logEvent(const base::JsonObject& event);
    // The last line of a run.
    void logExit(int exitCode);

private:
    std::unique_ptr<DialogBackend> m_backend;
    std::unique_ptr<DialogLog> m_log;
};

// The process-wide service. Until one is installed, requests get their Escape answer.
DialogService& dialogs();
void installDialogs(std::unique_ptr<DialogService> service);

// Builds the service the environment asks for: answers from the file named by
// VANTREL_AUTOMATION (else from `interactive`), a log when VANTREL_LOG is set.
std::unique_ptr<DialogService> dialogServiceFromEnvironment(std::unique_ptr<DialogBackend> interactive);

// Turns a rich text (the about box's credits) into HTML; nothing when it is not one.
using RichTextToHtml = std::function<std::optional<std::string>(std::string_view)>;

// The Qt dialogs (in the platform_qt library); needs a QApplication. Without `richText` the
// about box shows its credits as they are written.
std::unique_ptr<DialogBackend> makeQtDialogBackend(RichTextToHtml richText = {});

}  // namespace platform
