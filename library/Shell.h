// The shell family: starting programs and documents, the command line and environment,
// special folders, shortcuts as desktop entries and shared-file counts. Paths and texts
// are the script's (Windows form, ANSI code page). Thread: main (the waiting routines run
// the message pump, so script events may run inside them).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace library {

// Members in their declared order.
enum TDWSpecialFolder : uint8_t {
    dwspfAdminTools,
    dwspfAppData,
    dwspfRecycleBin,
    dwspfCommonAdminTools,
    dwspfCommonAppData,
    dwspfCommonDesktop,
    dwspfCommonDocuments,
    dwspfCommonFavorites,
    dwspfCommonMusic,
    dwspfCommonPictures,
    dwspfCommonProgramFiles,
    dwspfCommonPrograms,
    dwspfCommonStartmenu,
    dwspfCommonStartup,
    dwspfCommonTemplates,
    dwspfCommonVideo,
    dwspfControls,
    dwspfCookies,
    dwspfDesktop,
    dwspfDrives,
    dwspfFavorites,
    dwspfFonts,
    dwspfHistory,
    dwspfInternetCache,
    dwspfLocalAppData,
    dwspfMyMusic,
    dwspfMyPictures,
    dwspfMyVideo,
    dwspfNetHood,
    dwspfNetwork,
    dwspfPersonal,
    dwspfPrinters,
    dwspfPrintHood,
    dwspfProfile,
    dwspfProgramFiles,
    dwspfProgramFilesX86,
    dwspfPrograms,
    dwspfRecent,
    dwspfSendTo,
    dwspfStartMenu,
    dwspfStartUp,
    dwspfSystem,
    dwspfSystemX86,
    dwspfTemplates,
    dwspfWindows
};

// Programs and documents. The shell's answer: above 32 accepted, else an error number.
int32_t shellExecute(std::string_view fileName, std::string_view params, std::string_view workingDir);
bool shellExec(std::string_view fileName, std::string_view params, std::string workingDir, int32_t showCmd,
               int32_t& errorCode);
bool appExec(std::string_view cmdLine, std::string_view params, int32_t showCmd);
bool fileExec(std::string_view cmdLine, bool hide, bool wait);
bool fileExecEx(std::string_view cmdLine, bool hide, bool wait, int32_t& resultCode);
// Starts a command line in `workingDir` (a Windows path; empty: the player's own) and
// returns at once: the program's process id, or a start error (2, 3, 11, ...) and pid 0.
// The caller owns the child: platform::waitForExit, exitCodeIfEnded or reapLater.
struct StartedProgram {
    int pid = 0;
    int error = 0;
};
StartedProgram startCommand(std::string_view cmdLine, std::string_view workingDir);
void execAndWait(std::string_view fileName, std::string_view params, int32_t showCmd);
// Only web, file-transfer, file and mail addresses reach the opener; anything else is
// ignored rather than run as a command line.
void startNewBrowserWindow(std::string_view url);
std::string getAssociatedProgram(std::string_view ext);
// Starts the player again with its parameters, then ends this one through the clean-up.
void appRestart();

// The player's own forms stand for the desktop's top-level windows: another program's
// windows are out of reach. A form of that class (any letter case) answers at once, since
// the script runs on the thread that serves it; "TApplication" is always there.
bool appIsResponding(std::string_view className, uint32_t timeOut);
// Minimises every shown form of the player.
void minimizeAllWindows();
// The desktop shows once the player's forms are out of the way: as minimizeAllWindows.
void showDesktop();
// The module handle of the shared library (a Windows path or a bare name), 0 when it
// cannot be loaded; "name.dll" is first looked for as the native "name.so" beside it.
// The error mode has no meaning here.
int32_t safeLoadLibrary(std::string_view fileName, int32_t errorMode);

// Command line and environment.
std::string paramStr(int32_t index);
int32_t paramCount();
std::string getCmdTail();
std::string getEnv(std::string_view name);

// Folders: empty text for a folder with no meaning here; never created.
std::string getShellFolderPath(int32_t csidl);
std::string getSpecialFolder(TDWSpecialFolder folder);
uint16_t specialFolderToCSIDL(TDWSpecialFolder folder);
std::string getProgramFilesPath();
std::string getCommonFilesPath();

// Installation helpers.
// Writes a desktop entry; a ".lnk" name becomes ".desktop". Throws base::ScriptError.
bool createShellLink(std::string_view fileName, std::string_view description, std::string_view target,
                     std::string_view parameters, std::string_view workingDir, std::string_view iconFile,
                     int32_t iconIndex, int32_t showCmd, uint16_t hotKey);
// The Exec line of a desktop entry for a native program and its arguments (UTF-8).
std::string desktopExec(const std::string& program, const std::string& arguments);
void incrementSharedCount(std::string_view fileName, bool alreadyExisted);
bool decrementSharedCount(std::string_view fileName);
// Fonts for this process only (relative names from the player's folder).
bool fontAdd(std::string_view fontFile);
bool fontRemove(std::string_view fontFile);
// Forgets the installed font's entry (the "Fonts" section of win.ini for the NT family,
// the registry's font list for the older one), then removes the font file as fontRemove.
void unregisterFont(std::string_view fontName, std::string_view fontFile);
void delayDeleteFile(std::string_view fileName, int32_t tries);
// COM servers and type libraries cannot be loaded here: the registering routines throw
// base::ScriptError with the loader's failure, unregistering gives False.
void registerServer(std::string_view fileName, bool failCriticalErrors);
bool unregisterServer(std::string_view fileName, bool failCriticalErrors);
void registerTypeLibrary(std::string_view fileName);
// Queues the replacement (or, with an empty destination, the deletion) for the player's
// next start. Throws base::ScriptError.
void restartReplace(std::string_view tempFile, std::string_view destFile);
void restartComputer();

}  // namespace library
