#include "library/Messages.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "base/AnsiText.h"
#include "base/Json.h"
#include "classes/TStrings.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "runtime/InternalError.h"
#include "runtime/Placeholders.h"
#include "runtime/Termination.h"
#include "script/Api.h"
#include "vcl/Forms.h"
#include "vcl/Graphics.h"
#include "vcl/WindowHandle.h"

namespace library {
namespace {

constexpr int kExitInternalError = 30;

using runtime::RepConst;

std::string title() { return vcl::application().title(); }

bool isFolder(std::string_view windowsPath) {
    if (windowsPath.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_directory(platform::resolvePath(windowsPath), ec);
}

bool isFile(std::string_view windowsPath) {
    if (windowsPath.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(platform::resolvePath(windowsPath), ec);
}

// The folder browser: the chosen folder, or nothing when cancelled.
std::optional<std::string> browseFolder(std::string_view prompt, std::string_view initial) {
    platform::DialogRequest r;
    r.kind = platform::DialogKind::Folder;
    r.caption = title();
    r.text = prompt;
    r.initialText = initial;
    platform::DialogAnswer a = platform::dialogs().ask(r);
    if (!a.accepted) return std::nullopt;
    // A path longer than the system's 260 characters does not come back.
    if (a.text.size() >= 260) return std::nullopt;
    return a.text;
}

platform::DialogFont dialogFont(const vcl::TFont& f) {
    platform::DialogFont d;
    d.name = f.name();
    d.size = f.size();
    d.bold = f.style() & vcl::fontStyle(vcl::fsBold);
    d.italic = f.style() & vcl::fontStyle(vcl::fsItalic);
    d.underline = f.style() & vcl::fontStyle(vcl::fsUnderline);
    d.strikeOut = f.style() & vcl::fontStyle(vcl::fsStrikeOut);
    d.color = static_cast<uint32_t>(vcl::colorToRGB(f.color())) & 0xFFFFFF;
    return d;
}

void applyDialogFont(vcl::TFont& f, const platform::DialogFont& d) {
    f.setName(d.name);
    if (d.size > 0) f.setSize(d.size);
    vcl::TFontStyles style = 0;
    if (d.bold) style |= vcl::fontStyle(vcl::fsBold);
    if (d.italic) style |= vcl::fontStyle(vcl::fsItalic);
    if (d.underline) style |= vcl::fontStyle(vcl::fsUnderline);
    if (d.strikeOut) style |= vcl::fontStyle(vcl::fsStrikeOut);
    f.setStyle(style);
    f.setColor(static_cast<vcl::TColor>(d.color));
}

}  // namespace

void ShowMessage(std::string_view msg) {
    platform::dialogs().messageBox(RepConst(msg), title(), platform::MB_OK);
}

std::string Readln(std::string_view msg) {
    return platform::dialogs().inputBox(title(), RepConst(msg), "").value_or(std::string());
}

std::string InputBox(std::string_view caption, std::string_view prompt, std::string_view defaultText) {
    std::string def = RepConst(defaultText);
    return platform::dialogs().inputBox(RepConst(caption), RepConst(prompt), def).value_or(def);
}

bool InputQuery(std::string_view caption, std::string_view prompt, std::string& value) {
    auto answer = platform::dialogs().inputBox(caption, prompt, value);
    if (!answer) return false;
    value = *answer;
    return true;
}

int32_t MsgBox(std::string_view text, std::string_view caption, int32_t flags) {
    return platform::dialogs().messageBox(RepConst(text), RepConst(caption), static_cast<uint32_t>(flags));
}

std::string SelectDirectory(std::string_view prompt) {
    return browseFolder(RepConst(prompt), "").value_or(std::string());
}

bool SelectDirectoryEX(std::string_view prompt, std::string& dir) {
    if (!isFolder(dir)) dir.clear();
    auto chosen = browseFolder(prompt, dir);
    if (!chosen) return false;
    dir = *chosen;
    return true;
}

std::string fileNameDialog(FileDialogKind kind, std::string_view title, std::string_view fileName,
                           std::string_view initialDir, std::string_view filter, std::string_view defaultExt,
                           bool mustExist, bool overwritePrompt, bool& executed) {
    try {
        platform::DialogRequest r;
        r.kind =
            kind == FileDialogKind::Open ? platform::DialogKind::OpenFile : platform::DialogKind::SaveFile;
        r.caption = title;
        r.initialText = isFile(fileName) ? std::string(fileName) : RepConst(fileName);
        r.initialDir = RepConst(initialDir);
        r.filter = filter;
        r.defaultExt = defaultExt;
        r.mustExist = mustExist;
        r.overwritePrompt = overwritePrompt;
        platform::DialogAnswer a = platform::dialogs().ask(r);
        executed = a.accepted;
        return a.accepted ? a.text : r.initialText;
    } catch (const std::exception&) {
        return {};
    }
}

bool PromptForFileName(std::string& fileName, std::string_view filter, std::string_view defaultExt,
                       std::string_view title, std::string_view initialDir, bool saveDialog) {
    platform::DialogRequest r;
    r.kind = saveDialog ? platform::DialogKind::SaveFile : platform::DialogKind::OpenFile;
    r.caption = title;
    r.initialText = fileName;
    r.initialDir = initialDir;
    r.filter = filter.empty() ? std::string_view("All files (*.*)|*.*") : filter;
    r.defaultExt = defaultExt;
    r.overwritePrompt = saveDialog;
    platform::DialogAnswer a = platform::dialogs().ask(r);
    if (!a.accepted) return false;
    fileName = a.text;
    return true;
}

int32_t selectColor(int32_t defaultColor, ColorDialogForm form) {
    platform::DialogRequest r;
    r.kind = platform::DialogKind::Color;
    r.caption = title();
    r.color = static_cast<uint32_t>(vcl::colorToRGB(defaultColor)) & 0xFFFFFF;
    r.fullColorDialog = form == ColorDialogForm::Full;
    platform::DialogAnswer a = platform::dialogs().ask(r);
    if (!a.accepted) return defaultColor;
    char* end = nullptr;
    long long value = std::strtoll(a.text.c_str(), &end, 0);
    if (a.text.empty() || *end || value < 0 || value > 0xFFFFFF) return defaultColor;
    return static_cast<int32_t>(value);
}

vcl::TFont* SelectFont(vcl::TFont* defaultFont) {
    // The dialog's own font, as the dialog object kept it: one for the whole run, which a
    // script may not free.
    static vcl::TFont* const chosen = [] {
        auto* font = new vcl::TFont();
        script::markHostOwned(font);
        return font;
    }();
    platform::DialogRequest r;
    r.kind = platform::DialogKind::Font;
    r.caption = title();
    vcl::TFont fallback;
    r.font = dialogFont(defaultFont ? *defaultFont : fallback);
    r.fontEffects = true;
    platform::DialogAnswer a = platform::dialogs().ask(r);
    if (!a.accepted) return defaultFont;
    if (defaultFont) chosen->assign(*defaultFont);
    applyDialogFont(*chosen, platform::parseFontText(a.text, r.font));
    return chosen;
}

// The default names the item to select; an empty default becomes the first item. With no
// matching item the first is selected, yet Cancel still gives the default.
std::string SelectStringFromList(std::string_view caption, std::string_view prompt,
                                 std::string_view defaultItem, const classes::TStrings* list) {
    platform::DialogRequest r;
    r.kind = platform::DialogKind::Choice;
    r.caption = caption;
    r.text = prompt;
    if (list)
        for (int i = 0; i < list->count(); ++i) r.items.push_back(list->get(i));
    std::string def(defaultItem);
    if (def.empty() && !r.items.empty()) def = r.items.front();
    r.initialText = r.items.empty() ? std::string() : r.items.front();
    for (const std::string& item : r.items) {
        if (base::ansiSameText(item, def)) {
            r.initialText = item;
            break;
        }
    }
    platform::DialogAnswer a = platform::dialogs().ask(r);
    return a.accepted ? a.text : def;
}

bool PrinterSetupDialog() {
    try {
        platform::DialogRequest r;
        r.kind = platform::DialogKind::PrinterSetup;
        platform::dialogs().ask(r);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void AboutMe(std::string_view app, std::string_view otherStuff, int32_t) {
    // The shell's about box: "Title#First line" splits the two, otherwise both are the text.
    std::string text = RepConst(app);
    std::string caption = text;
    if (size_t hash = text.find('#'); hash != std::string::npos) {
        caption = text.substr(0, hash);
        text = text.substr(hash + 1);
    }
    platform::dialogs().about("About " + caption, text, RepConst(otherStuff));
}

void Beep() {
    platform::dialogs().logEvent(base::JsonObject().add("kind", "beep"));
    vcl::toolkit::beep();
}

std::string systemErrorText(int code) {
    std::string text = std::strerror(code);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) < '!' || text.back() == '.'))
        text.pop_back();
    return text;
}

std::string win32ErrorText(std::string_view functionName, int code) {
    return runtime::formatStrings(RepConst("%s failed; code %s.%n%s"),
                                  {RepConst(functionName), std::to_string(code), systemErrorText(code)});
}

void InternalError(std::string_view id) {
    runtime::showInternalError(id, platform::MB_ICONERROR);
    runtime::ExitProcess(kExitInternalError);
}

}  // namespace library
