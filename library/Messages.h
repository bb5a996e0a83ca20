// The routines that talk to the user: message and input boxes, the folder, file, colour,
// font, choice and printer-setup dialogs, the about box and the beep. Everything goes
// through the dialog service, so automation answers them and the log records them. Texts
// are ANSI; paths are in the Windows form. Which arguments pass through RepConst is each
// routine's own rule (noted below). Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace classes {
class TStrings;
}
namespace vcl {
class TFont;
}

namespace library {

// Expands `msg`; a box captioned with the application title, one OK button.
void ShowMessage(std::string_view msg);
// Expands `msg`; the input box captioned with the application title, empty default; the
// entered text, or empty text when cancelled.
std::string Readln(std::string_view msg);
// Expands all three; the edit text on OK, the expanded default on Cancel.
std::string InputBox(std::string_view caption, std::string_view prompt, std::string_view defaultText);
// No expansion; on OK `value` takes the edit text and the result is true.
bool InputQuery(std::string_view caption, std::string_view prompt, std::string& value);
// Expands text and caption; the pressed button's ID constant.
int32_t MsgBox(std::string_view text, std::string_view caption, int32_t flags);
// Expands the prompt; the chosen folder, or empty text.
std::string SelectDirectory(std::string_view prompt);
// No expansion; `dir` is cleared first unless it names an existing folder (then selected).
bool SelectDirectoryEX(std::string_view prompt, std::string& dir);

enum class FileDialogKind { Open, Save };
// The file name is used as written when it names an existing file, else expanded; the
// initial folder is expanded. `executed` tells whether the user confirmed; the result is
// the chosen path, or the (expanded) file name on Cancel. Failures leave both as they were
// (the result then being empty).
std::string fileNameDialog(FileDialogKind kind, std::string_view title, std::string_view fileName,
                           std::string_view initialDir, std::string_view filter, std::string_view defaultExt,
                           bool mustExist, bool overwritePrompt, bool& executed);
// No expansion; an empty filter is "All files (*.*)|*.*"; the save dialog prompts before
// overwriting. On OK `fileName` takes the chosen path.
bool PromptForFileName(std::string& fileName, std::string_view filter, std::string_view defaultExt,
                       std::string_view title, std::string_view initialDir, bool saveDialog);

enum class ColorDialogForm { Short, Full };
// The chosen colour, or `defaultColor` on Cancel.
int32_t selectColor(int32_t defaultColor, ColorDialogForm form);
// The player's font object holding the choice on OK (it lives until the player ends; the
// script must not free it), `defaultFont` itself on Cancel.
vcl::TFont* SelectFont(vcl::TFont* defaultFont);
// The choice dialog; see the implementation for how the default and the selection relate.
std::string SelectStringFromList(std::string_view caption, std::string_view prompt,
                                 std::string_view defaultItem, const classes::TStrings* list);
// True whenever the dialog could be shown, also after Cancel.
bool PrinterSetupDialog();
// Expands both texts; the about box with `app` as its title and first text ("Title#Text"
// gives the title and the text separately) and `otherStuff` below.
void AboutMe(std::string_view app, std::string_view otherStuff, int32_t windowHandle);
void Beep();

// The message Win32ErrorMsg raises: "%s failed; code %s.%n%s" through RepConst, formatted
// with the expanded function name, the code and the system's text for it.
std::string win32ErrorText(std::string_view functionName, int code);
// The system's text for an error code, without trailing blanks and full stops.
std::string systemErrorText(int code);

// Shows "Internal error: <id>" with the error icon and ends the player with exit code 30.
[[noreturn]] void InternalError(std::string_view id);

}  // namespace library
