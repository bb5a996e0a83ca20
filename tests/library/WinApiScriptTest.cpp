// Scripts declaring the Windows system libraries' routines the way such scripts write them
// (stdcall, PChar buffers prepared with SetLength, var records, DWORD results), served by
// the player's own table; each result is checked against the same operation done through
// the library routines, and buffers that are too small are never written past their length.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "library/Files.h"
#include "library/IniFiles.h"
#include "library/MciCommands.h"
#include "library/Registry.h"
#include "library/Shell.h"
#include "library/System.h"
#include "library/WinApi.h"
#include "media/mci/Mci.h"
#include "platform/Automation.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "runtime/ProcessState.h"
#include "tests/script/ScriptSession.h"
#include "tests/support/PeImage.h"
#include "vcl/Forms.h"
#include "vcl/KeyState.h"

namespace fs = std::filesystem;

namespace {

std::string replaced(std::string s, const std::string& what, const std::string& with) {
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
    return s;
}

class WinApiScripts : public ::testing::Test {
protected:
    void SetUp() override {
        // The executor serves the system libraries as the player's does.
        s.prepare = library::bindSystemLibraries;
        m_dir = fs::temp_directory_path() / ("vantrel-winapi-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_win = platform::windowsPath(m_dir);
        m_cwd = fs::current_path();
        m_exe = runtime::state().executable();
        runtime::state().setExecutable("/opt/shows/player");
    }
    void TearDown() override {
        fs::current_path(m_cwd);
        runtime::state().setExecutable(m_exe);
        library::closeSystemHandles();
        fs::remove_all(m_dir);
    }
    // The script with @DIR@ standing for the test folder's Windows path.
    bool run(const std::string& source) {
        s.log.clear();
        return s.run(replaced(source, "@DIR@", m_win));
    }

    fs::path m_dir, m_cwd, m_exe;
    std::string m_win;
    ScriptSession s;
};

TEST_F(WinApiScripts, Kernel32FoldersAndFilesMatchTheFileRoutines) {
    std::ofstream(m_dir / "a.txt") << "hello";
    ASSERT_TRUE(run(R"(
function GetWindowsDirectory(lpBuffer: PChar; uSize: Cardinal): Cardinal; external 'GetWindowsDirectoryA@kernel32.dll stdcall';
function GetSystemDirectoryA(lpBuffer: PChar; uSize: DWORD): DWORD; external 'GetSystemDirectoryA@KERNEL32 stdcall';
function GetTempPath(nBufferLength: DWORD; lpBuffer: PChar): DWORD; external 'GetTempPathA@kernel32.dll stdcall';
function CreateDirectory(lpPathName: PChar; lpSecurityAttributes: Integer): LongBool; external 'CreateDirectoryA@kernel32.dll stdcall';
function RemoveDirectory(lpPathName: PChar): LongBool; external 'RemoveDirectoryA@kernel32.dll stdcall';
function CopyFile(lpExistingFileName, lpNewFileName: PChar; bFailIfExists: LongBool): LongBool; external 'CopyFileA@kernel32.dll stdcall';
function MoveFile(lpExistingFileName, lpNewFileName: PChar): LongBool; external 'MoveFileA@kernel32.dll stdcall';
function DeleteFile(lpFileName: PChar): LongBool; external 'DeleteFileA@kernel32.dll stdcall';
function GetFileAttributes(lpFileName: PChar): DWORD; external 'GetFileAttributesA@kernel32.dll stdcall';
function GetLastError: DWORD; external 'GetLastError@kernel32.dll stdcall';
function GetDriveType(lpRootPathName: PChar): Cardinal; external 'getdrivetypea@Kernel32.DLL stdcall';
function GetLogicalDrives: DWORD; external 'GetLogicalDrives@kernel32.dll stdcall';
function GetDiskFreeSpaceEx(lpDirectoryName: PChar; var lpFreeBytesAvailable, lpTotalNumberOfBytes, lpTotalNumberOfFreeBytes: Int64): LongBool; external 'GetDiskFreeSpaceExA@kernel32.dll stdcall';
function SetCurrentDirectory(lpPathName: PChar): LongBool; external 'SetCurrentDirectoryA@kernel32.dll stdcall';
function GetCurrentDirectory(nBufferLength: DWORD; lpBuffer: PChar): DWORD; external 'GetCurrentDirectoryA@kernel32.dll stdcall';
var buf: string; n: Cardinal; free, total, totalFree: Int64;
begin
  SetLength(buf, 260);
  n := GetWindowsDirectory(buf, 260);
  Log(Copy(buf, 1, n));
  SetLength(buf, 260);
  n := GetSystemDirectoryA(buf, 260);
  Log(Copy(buf, 1, n));
  SetLength(buf, 260);
  n := GetTempPath(260, buf);
  Log(Copy(buf, 1, n));
  buf := StringOfChar('A', 8);
  n := GetWindowsDirectory(buf, 260);
  Log(IntToStr(n) + ' ' + buf);
  if CreateDirectory('@DIR@\sub', 0) and not CreateDirectory('@DIR@\sub', 0) then Log('made ' + IntToStr(GetLastError));
  Log(IntToStr(GetFileAttributes('@DIR@\sub')) + ' ' + IntToStr(GetFileAttributes('@DIR@\none')));
  if CopyFile('@DIR@\A.TXT', '@DIR@\sub\b.txt', True) and not CopyFile('@DIR@\a.txt', '@DIR@\sub\b.txt', True) then
    Log('copied ' + IntToStr(GetLastError));
  if MoveFile('@DIR@\sub\b.txt', '@DIR@\c.txt') then Log('moved');
  if not RemoveDirectory('@DIR@\nothere') and RemoveDirectory('@DIR@\sub') then Log('removed');
  if DeleteFile('@DIR@\c.txt') and not DeleteFile('@DIR@\c.txt') then Log('deleted ' + IntToStr(GetLastError));
  Log(IntToStr(GetDriveType('C:\')) + ' ' + IntToStr(GetDriveType('Q:\')) + ' ' + IntToStr((GetLogicalDrives shr 2) and 1));
  if GetDiskFreeSpaceEx('@DIR@', free, total, totalFree) and (total > 0) and (free <= total) then Log('space');
  if SetCurrentDirectory('@DIR@') then begin
    SetLength(buf, 300);
    n := GetCurrentDirectory(300, buf);
    Log(Copy(buf, 1, n));
  end;
end.)")) << s.error;
    const std::string win = library::getWinDir();
    EXPECT_EQ(s.log, win + "\n" + library::getSystemDir() + "\n" + library::getTempDir() + "\n" +
                         std::to_string(win.size() + 1) +
                         " AAAAAAAA\nmade 183\n16 4294967295\ncopied 80\nmoved\n" +
                         "removed\ndeleted 2\n3 1 1\nspace\n" + m_win + "\n");
    EXPECT_TRUE(library::fileExists(m_win + "\\a.txt"));
    EXPECT_FALSE(library::dirExists(m_win + "\\sub"));
    EXPECT_FALSE(library::fileExists(m_win + "\\c.txt"));
}

TEST_F(WinApiScripts, BuffersAreFilledWithinTheirLengthWhateverSizeTheScriptClaims) {
    std::ofstream(m_dir / "t.ini") << "[Show]\nTitle=Autumn colours\n[Other]\nA=1\n";
    ASSERT_TRUE(run(R"(
function GetPrivateProfileString(lpAppName, lpKeyName, lpDefault: PChar; lpReturnedString: PChar; nSize: DWORD; lpFileName: PChar): DWORD; external 'GetPrivateProfileStringA@kernel32.dll stdcall';
function GetSectionNames(lpAppName, lpKeyName: Integer; lpDefault: PChar; lpReturnedString: PChar; nSize: DWORD; lpFileName: PChar): DWORD; external 'GetPrivateProfileStringA@kernel32.dll stdcall';
function GetTempPath(nBufferLength: DWORD; lpBuffer: PChar): DWORD; external 'GetTempPathA@kernel32.dll stdcall';
function GetEnvironmentVariable(lpName: PChar; var lpBuffer: string; nSize: DWORD): DWORD; external 'GetEnvironmentVariableA@kernel32.dll stdcall';
function GetModuleFileName(hModule: Integer; lpFilename: PChar; nSize: DWORD): DWORD; external 'GetModuleFileNameA@kernel32.dll stdcall';
type TInfo = record dwOSVersionInfoSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformId: DWORD; szCSDVersion: array[0..5] of Char; end;
function GetVersionEx(var lpVersionInformation: TInfo): LongBool; external 'GetVersionExA@kernel32.dll stdcall';
var buf, env: string; n: Cardinal; info: TInfo; i: Integer; csd: string;
// A buffer of its own: a string assigned from a literal is the literal, which is never written.
function Letters(Count: Integer): string;
var k: Integer;
begin
  SetLength(Result, Count);
  for k := 1 to Count do Result[k] := Chr(64 + k);
end;
begin
  buf := Letters(8);
  n := GetPrivateProfileString('Show', 'Title', '', buf, 4, '@DIR@\t.ini');
  Log(IntToStr(n) + ' ' + IntToStr(Length(buf)) + ' ' + Copy(buf, 1, 3) + ' ' + IntToStr(Ord(buf[4])) + ' ' + Copy(buf, 5, 4));
  buf := Letters(4);
  n := GetPrivateProfileString('Show', 'Title', '', buf, 1000, '@DIR@\t.ini');
  Log(IntToStr(n) + ' ' + IntToStr(Length(buf)) + ' ' + Copy(buf, 1, 3) + ' ' + IntToStr(Ord(buf[4])));
  buf := StringOfChar('-', 20);
  n := GetSectionNames(0, 0, '', buf, 20, '@DIR@\t.ini');
  for i := 1 to Length(buf) do if buf[i] = #0 then buf[i] := '|';
  Log(IntToStr(n) + ' ' + buf);
  env := StringOfChar('*', 6);
  n := GetEnvironmentVariable('VANTREL_WINAPI_TEST', env, 6);
  Log(IntToStr(n) + ' ' + env);
  env := StringOfChar('*', 40);
  n := GetEnvironmentVariable('VANTREL_WINAPI_TEST', env, 40);
  Log(IntToStr(n) + ' ' + env);
  buf := Letters(8);
  n := GetModuleFileName(0, buf, 5);
  Log(IntToStr(n) + ' ' + Copy(buf, 6, 3));
  n := GetTempPath(260, 'abcdef');
  Log(IntToStr(Ord(n > 6)) + ' ' + 'abcdef');
  if GetVersionEx(info) then begin
    csd := '';
    for i := 0 to 5 do csd := csd + IntToStr(Ord(info.szCSDVersion[i])) + ',';
    Log(IntToStr(info.dwMajorVersion) + '.' + IntToStr(info.dwMinorVersion) + '.' + IntToStr(info.dwBuildNumber) + ' ' + IntToStr(info.dwPlatformId) + ' ' + csd);
  end;
end.)")) << s.error;
    const std::string exe = library::paramStr(0);
    library::TOSVersionInfoEx v;
    library::getWindowsVersionEx(v);
    std::string csd;
    for (int i = 0; i < 6; ++i) csd += std::to_string(uint8_t(v.szCSDVersion[size_t(i)])) + ",";
    // A string constant is never a buffer: GetTempPath asks for more room instead.
    EXPECT_EQ(s.log, "3 8 Aut 0 EFGH\n3 4 Aut 0\n11 Show|Other||--------\n0 ******\n0 " +
                         std::string(40, '*') + "\n5 FGH\n1 abcdef\n" + std::to_string(v.dwMajorVersion) +
                         "." + std::to_string(v.dwMinorVersion) + "." + std::to_string(v.dwBuildNumber) +
                         " " + std::to_string(v.dwPlatformId) + " " + csd + "\n");
    ::setenv("VANTREL_WINAPI_TEST", "grey-blue", 1);
    ASSERT_TRUE(run(R"(
function GetEnvironmentVariable(lpName: PChar; var lpBuffer: string; nSize: DWORD): DWORD; external 'GetEnvironmentVariableA@kernel32.dll stdcall';
function SetEnvironmentVariable(lpName, lpValue: PChar): LongBool; external 'SetEnvironmentVariableA@kernel32.dll stdcall';
var env: string; n: Cardinal;
begin
  env := StringOfChar('*', 6);
  n := GetEnvironmentVariable('VANTREL_WINAPI_TEST', env, 6);
  Log(IntToStr(n) + ' ' + env);
  env := StringOfChar('*', 40);
  n := GetEnvironmentVariable('VANTREL_WINAPI_TEST', env, 40);
  Log(IntToStr(n) + ' ' + env);
  SetEnvironmentVariable('VANTREL_WINAPI_TEST', 'green');
end.)")) << s.error;
    // The var string comes back cut at its zero; a too-small one is left alone.
    EXPECT_EQ(s.log, "10 ******\n9 grey-blue\n");
    EXPECT_EQ(library::getEnv("VANTREL_WINAPI_TEST"), "green");
    ::unsetenv("VANTREL_WINAPI_TEST");
}

TEST_F(WinApiScripts, TimeIdentityAndIniMatchTheLibrary) {
    ASSERT_TRUE(run(R"(
type TSystemTime = record wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds: Word; end;
procedure GetLocalTime(var lpSystemTime: TSystemTime); external 'GetLocalTime@kernel32.dll stdcall';
function GetTickCount: DWORD; external 'GetTickCount@kernel32.dll stdcall';
procedure Sleep(dwMilliseconds: DWORD); external 'Sleep@kernel32.dll stdcall';
function GetComputerName(lpBuffer: PChar; var nSize: DWORD): LongBool; external 'GetComputerNameA@kernel32.dll stdcall';
function GetUserName(lpBuffer: PChar; var nSize: DWORD): LongBool; external 'GetUserNameA@advapi32.dll stdcall';
function WritePrivateProfileString(lpAppName, lpKeyName, lpString, lpFileName: PChar): LongBool; external 'WritePrivateProfileStringA@kernel32.dll stdcall';
function DeletePrivateProfileKey(lpAppName, lpKeyName: PChar; lpString: Integer; lpFileName: PChar): LongBool; external 'WritePrivateProfileStringA@kernel32.dll stdcall';
function GetPrivateProfileInt(lpAppName, lpKeyName: PChar; nDefault: Integer; lpFileName: PChar): Cardinal; external 'GetPrivateProfileIntA@kernel32.dll stdcall';
var st: TSystemTime; t0, t1: Cardinal; buf: string; size: DWORD;
begin
  GetLocalTime(st);
  Log(IntToStr(st.wYear) + ' ' + IntToStr(st.wMonth) + ' ' + IntToStr(st.wDay));
  t0 := GetTickCount;
  Sleep(30);
  t1 := GetTickCount;
  if t1 - t0 >= 30 then Log('ticks');
  SetLength(buf, 64);
  size := 64;
  if GetComputerName(buf, size) then Log(Copy(buf, 1, size));
  SetLength(buf, 2);
  size := 2;
  if not GetComputerName(buf, size) then Log('needs ' + IntToStr(size));
  SetLength(buf, 300);
  size := 300;
  if GetUserName(buf, size) then Log(Copy(buf, 1, size - 1));
  WritePrivateProfileString('Show', 'Count', '12', '@DIR@\w.ini');
  WritePrivateProfileString('Show', 'Name', 'Winter', '@DIR@\w.ini');
  DeletePrivateProfileKey('Show', 'Name', 0, '@DIR@\w.ini');
  Log(IntToStr(GetPrivateProfileInt('show', 'COUNT', 5, '@DIR@\w.ini')) + ' ' + IntToStr(GetPrivateProfileInt('Show', 'None', 5, '@DIR@\w.ini')));
end.)")) << s.error;
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    const std::string computer = library::getComputerNameString();
    EXPECT_EQ(s.log, std::to_string(tm.tm_year + 1900) + " " + std::to_string(tm.tm_mon + 1) + " " +
                         std::to_string(tm.tm_mday) + "\nticks\n" + computer + "\nneeds " +
                         std::to_string(computer.size() + 1) + "\n" + library::getUserNameString() +
                         "\n12 5\n");
    const std::string ini = m_win + "\\w.ini";
    EXPECT_EQ(library::getIniString("Show", "Count", "", ini), "12");
    EXPECT_FALSE(library::iniKeyExists("Show", "Name", ini));
}

class WinApiRegistry : public WinApiScripts {
protected:
    void SetUp() override {
        WinApiScripts::SetUp();
        platform::setRegistry(platform::RegistryStore::openInMemory());
    }
    void TearDown() override {
        platform::setRegistry(nullptr);
        WinApiScripts::TearDown();
    }
};

TEST_F(WinApiRegistry, Advapi32KeysAndValuesAreTheRegistryRoutines) {
    ASSERT_TRUE(library::regWriteStringValue(int32_t(0x80000001), "Software\\Demo", "Greeting", "Good day"));
    ASSERT_TRUE(run(R"(
type HKEY = Cardinal;
const HKEY_CURRENT_USER = $80000001; KEY_ALL_ACCESS = $F003F; REG_SZ = 1; REG_DWORD = 4;
function RegOpenKeyEx(hKey: HKEY; lpSubKey: PChar; ulOptions, samDesired: DWORD; var phkResult: HKEY): Longint; external 'RegOpenKeyExA@advapi32.dll stdcall';
function RegCreateKeyEx(hKey: HKEY; lpSubKey: PChar; Reserved: DWORD; lpClass: PChar; dwOptions, samDesired: DWORD; lpSecurityAttributes: Integer; var phkResult: HKEY; var lpdwDisposition: DWORD): Longint; external 'RegCreateKeyExA@advapi32.dll stdcall';
function RegQueryValueEx(hKey: HKEY; lpValueName: PChar; lpReserved: Integer; var lpType: DWORD; lpData: PChar; var lpcbData: DWORD): Longint; external 'RegQueryValueExA@advapi32.dll stdcall';
function RegQueryDWord(hKey: HKEY; lpValueName: PChar; lpReserved: Integer; var lpType: DWORD; var lpData: DWORD; var lpcbData: DWORD): Longint; external 'RegQueryValueExA@advapi32.dll stdcall';
function RegSetValueEx(hKey: HKEY; lpValueName: PChar; Reserved, dwType: DWORD; lpData: PChar; cbData: DWORD): Longint; external 'RegSetValueExA@advapi32.dll stdcall';
function RegSetDWord(hKey: HKEY; lpValueName: PChar; Reserved, dwType: DWORD; var lpData: DWORD; cbData: DWORD): Longint; external 'RegSetValueEx@advapi32 stdcall';
function RegDeleteValue(hKey: HKEY; lpValueName: PChar): Longint; external 'RegDeleteValueA@advapi32.dll stdcall';
function RegDeleteKey(hKey: HKEY; lpSubKey: PChar): Longint; external 'RegDeleteKeyA@advapi32.dll stdcall';
function RegCloseKey(hKey: HKEY): Longint; external 'RegCloseKey@advapi32.dll stdcall';
var key, sub: HKEY; disp, typ, size, d: DWORD; buf: string;
begin
  Log(IntToStr(RegOpenKeyEx(HKEY_CURRENT_USER, 'Software\Missing', 0, KEY_ALL_ACCESS, key)));
  if RegOpenKeyEx(HKEY_CURRENT_USER, 'software\demo', 0, KEY_ALL_ACCESS, key) = 0 then begin
    buf := 'ABCD';
    size := 4;
    Log(IntToStr(RegQueryValueEx(key, 'Greeting', 0, typ, buf, size)) + ' ' + IntToStr(size) + ' ' + buf);
    SetLength(buf, 64);
    size := 64;
    Log(IntToStr(RegQueryValueEx(key, 'greeting', 0, typ, buf, size)) + ' ' + IntToStr(typ) + ' ' + Copy(buf, 1, size - 1));
    Log(IntToStr(RegCreateKeyEx(key, 'Child', 0, '', 0, KEY_ALL_ACCESS, 0, sub, disp)) + ' ' + IntToStr(disp));
    RegSetValueEx(sub, 'Colour', 0, REG_SZ, 'Amber', 6);
    d := 4711;
    RegSetDWord(sub, 'Count', 0, REG_DWORD, d, 4);
    d := 0;
    Log(IntToStr(RegQueryDWord(sub, 'Count', 0, typ, d, size)) + ' ' + IntToStr(typ) + ' ' + IntToStr(d) + ' ' + IntToStr(size));
    Log(IntToStr(RegDeleteKey(key, 'Child')) + ' ' + IntToStr(RegCloseKey(sub)) + ' ' + IntToStr(RegCloseKey(sub)));
    Log(IntToStr(RegDeleteValue(key, 'Greeting')) + ' ' + IntToStr(RegDeleteValue(key, 'Greeting')));
    RegCloseKey(key);
  end;
end.)")) << s.error;
    EXPECT_EQ(s.log, "2\n234 9 ABCD\n0 1 Good day\n0 1\n0 4 4711 4\n0 0 6\n0 2\n");
    EXPECT_FALSE(library::regValueExists(int32_t(0x80000001), "Software\\Demo\\Child", ""));
    EXPECT_FALSE(library::regValueExists(int32_t(0x80000001), "Software\\Demo", "Greeting"));
}

TEST_F(WinApiScripts, ProcessesStartWaitAndReportTheirExitCodeThroughHandles) {
    ASSERT_TRUE(run(R"(
type TStartupInfo = record cb: DWORD; lpReserved, lpDesktop, lpTitle: Integer; end;
     TProcessInformation = record hProcess, hThread: Cardinal; dwProcessId, dwThreadId: DWORD; end;
function CreateProcess(lpApplicationName: PChar; lpCommandLine: PChar; lpProcessAttributes, lpThreadAttributes: Integer; bInheritHandles: LongBool; dwCreationFlags: DWORD; lpEnvironment: Integer; lpCurrentDirectory: PChar; var lpStartupInfo: TStartupInfo; var lpProcessInformation: TProcessInformation): LongBool; external 'CreateProcessA@kernel32.dll stdcall';
function WaitForSingleObject(hHandle: Cardinal; dwMilliseconds: DWORD): DWORD; external 'WaitForSingleObject@kernel32.dll stdcall';
function GetExitCodeProcess(hProcess: Cardinal; var lpExitCode: DWORD): LongBool; external 'GetExitCodeProcess@kernel32.dll stdcall';
function CloseHandle(hObject: Cardinal): LongBool; external 'CloseHandle@kernel32.dll stdcall';
function GetLastError: DWORD; external 'GetLastError@kernel32.dll stdcall';
function WinExec(lpCmdLine: PChar; uCmdShow: Cardinal): Cardinal; external 'WinExec@kernel32.dll stdcall';
function ShellExecute(hWnd: Integer; Operation, FileName, Parameters, Directory: PChar; ShowCmd: Integer): Integer; external 'ShellExecuteA@shell32.dll stdcall';
var si: TStartupInfo; pi: TProcessInformation; code: DWORD;
begin
  if CreateProcess('', 'Z:\bin\sh -c "sleep 0.3; exit 7"', 0, 0, False, 0, 0, '@DIR@', si, pi) then begin
    Log(IntToStr(WaitForSingleObject(pi.hProcess, 0)));
    GetExitCodeProcess(pi.hProcess, code);
    Log(IntToStr(code));
    Log(IntToStr(WaitForSingleObject(pi.hProcess, $FFFFFFFF)));
    GetExitCodeProcess(pi.hProcess, code);
    Log(IntToStr(code) + ' ' + IntToStr(Ord(pi.dwProcessId > 0)));
    if CloseHandle(pi.hThread) and CloseHandle(pi.hProcess) and not CloseHandle(pi.hProcess) then
      Log('closed ' + IntToStr(GetLastError));
    Log(IntToStr(WaitForSingleObject(pi.hProcess, 0)) + ' ' + IntToStr(WaitForSingleObject(12345, 0)));
  end;
  if not CreateProcess('', '@DIR@\missing.exe', 0, 0, False, 0, 0, '', si, pi) then Log('failed ' + IntToStr(GetLastError));
  Log(IntToStr(Ord(WinExec('Z:\bin\true', 1) > 31)) + ' ' + IntToStr(WinExec('@DIR@\missing.exe', 1)));
  Log(IntToStr(Ord(ShellExecute(0, 'open', 'Z:\bin\true', '', '@DIR@', 1) > 32)) + ' ' +
      IntToStr(ShellExecute(0, 'print', 'Z:\bin\true', '', '', 1)) + ' ' + IntToStr(ShellExecute(0, '', '@DIR@\missing.exe', '', '', 1)));
end.)")) << s.error;
    int32_t direct = 0;
    ASSERT_TRUE(library::fileExecEx("Z:\\bin\\sh -c \"sleep 0.3; exit 7\"", false, true, direct));
    EXPECT_EQ(s.log, "258\n259\n0\n" + std::to_string(direct) +
                         " 1\nclosed 6\n4294967295 4294967295\nfailed 2\n1 2\n1 31 " +
                         std::to_string(library::shellExecute(m_win + "\\missing.exe", "", "")) + "\n");
}

TEST_F(WinApiScripts, MessageBoxGoesThroughTheDialogServiceAndUser32SeesThePlayersForms) {
    const fs::path logFile = m_dir / "dialogs.log";
    platform::installDialogs(std::make_unique<platform::DialogService>(
        std::make_unique<platform::AutomationBackend>(platform::AutomationScript::parse("answer No\n")),
        std::make_unique<platform::DialogLog>(logFile.string())));
    vcl::TForm form(nullptr);
    form.setCaption("Show window");
    form.setBounds(10, 10, 200, 100);
    vcl::setKeyState(vcl::kVkCapital, 0);
    ASSERT_TRUE(run(R"(
type HWND = Integer; TPoint = record X, Y: Longint; end;
function MessageBox(hWnd: HWND; lpText, lpCaption: PChar; uType: Cardinal): Integer; external 'MessageBoxA@user32.dll stdcall';
function FindWindow(lpClassName, lpWindowName: PChar): HWND; external 'FindWindowA@user32.dll stdcall';
function SetWindowPos(hWnd, hWndInsertAfter: HWND; X, Y, cx, cy: Integer; uFlags: Cardinal): LongBool; external 'SetWindowPos@user32.dll stdcall';
function GetSystemMetrics(nIndex: Integer): Integer; external 'GetSystemMetrics@user32.dll stdcall';
function GetCursorPos(var lpPoint: TPoint): LongBool; external 'GetCursorPos@user32.dll stdcall';
function GetKeyState(nVirtKey: Integer): SmallInt; external 'GetKeyState@user32.dll stdcall';
procedure keybd_event(bVk, bScan: Byte; dwFlags, dwExtraInfo: DWORD); external 'keybd_event@user32.dll stdcall';
function GetDC(hWnd: HWND): Cardinal; external 'GetDC@user32.dll stdcall';
function GetDeviceCaps(DC: Cardinal; Index: Integer): Integer; external 'GetDeviceCaps@gdi32.dll stdcall';
function mciSendString(lpstrCommand, lpstrReturnString: PChar; uReturnLength: Cardinal; hWndCallback: HWND): Cardinal; external 'mciSendStringA@winmm.dll stdcall';
var h: HWND; p: TPoint; ret: string;
begin
  Log(IntToStr(MessageBox(0, 'Play %SRCDIR% again?', 'Question', 4 + 32)));
  h := FindWindow('TForm', 'Show window');
  if (h <> 0) and (FindWindow('', 'No such') = 0) and SetWindowPos(h, 0, 30, 40, 0, 0, 1) then Log('moved');
  Log(IntToStr(Ord(GetSystemMetrics(0) = GetDeviceCaps(GetDC(0), 8))) + ' ' + IntToStr(GetDeviceCaps(12345, 8)));
  if GetCursorPos(p) then Log('cursor');
  keybd_event($14, 0, 0, 0);
  keybd_event($14, 0, 2, 0);
  Log(IntToStr(GetKeyState($14)));
  ret := StringOfChar('X', 4);
  Log(IntToStr(mciSendString('open cdaudio', ret, 4, 0)) + ' ' + IntToStr(Ord(ret[1])) + ret[2]);
end.)")) << s.error;
    // The CD device answers as it does to the player's own routine: no drive here, and the
    // error leaves the four-byte buffer holding an empty answer.
    std::string answer;
    int32_t code = 0;
    library::SendMCIString("open cdaudio", answer, code);
    media::mci::closeAll();
    ASSERT_NE(code, 0) << "a CD drive answered";
    EXPECT_EQ(s.log, "7\nmoved\n1 0\ncursor\n1\n" + std::to_string(code) + " 0X\n");
    EXPECT_EQ(form.left(), 30);
    EXPECT_EQ(form.top(), 40);
    EXPECT_EQ(form.width(), 200);
    std::ifstream in(logFile);
    std::string line;
    std::getline(in, line);
    // The text as given: the system's box knows nothing of placeholders.
    EXPECT_NE(line.find("\"caption\":\"Question\",\"text\":\"Play %SRCDIR% again?\""), std::string::npos)
        << line;
    platform::installDialogs(nullptr);

    library::setMciSender([](std::string_view command, std::string& result) {
        result = "stopped after " + std::string(command);
        return 0u;
    });
    ASSERT_TRUE(run(R"(
function mciSendString(lpstrCommand, lpstrReturnString: PChar; uReturnLength: Cardinal; hWndCallback: Integer): Cardinal; external 'mciSendStringA@winmm.dll stdcall';
var ret: string;
begin
  ret := StringOfChar('.', 12);
  Log(IntToStr(mciSendString('status cd mode', ret, 100, 0)) + ' ' + Copy(ret, 1, 11) + ' ' + IntToStr(Ord(ret[12])));
end.)")) << s.error;
    library::setMciSender({});
    EXPECT_EQ(s.log, "0 stopped aft 0\n");
}

TEST_F(WinApiScripts, VersionRoutinesReadTheFileVersionTheLibraryReads) {
    testdata::PeVersionFields fields;
    fields.major = 5;
    fields.minor = 1;
    fields.release = 2600;
    fields.build = 7;
    std::ofstream(m_dir / "tool.exe", std::ios::binary) << testdata::peImage(fields);
    ASSERT_TRUE(run(R"(
type TVSFixedFileInfo = record dwSignature, dwStrucVersion, dwFileVersionMS, dwFileVersionLS, dwProductVersionMS, dwProductVersionLS, dwFileFlagsMask, dwFileFlags, dwFileOS, dwFileType, dwFileSubtype, dwFileDateMS, dwFileDateLS: DWORD; end;
function GetFileVersionInfoSize(lptstrFilename: PChar; var lpdwHandle: DWORD): DWORD; external 'GetFileVersionInfoSizeA@version.dll stdcall';
function GetFileVersionInfo(lptstrFilename: PChar; dwHandle, dwLen: DWORD; lpData: PChar): LongBool; external 'GetFileVersionInfoA@version.dll stdcall';
function VerQueryValue(pBlock: PChar; lpSubBlock: PChar; var lplpBuffer: TVSFixedFileInfo; var puLen: Cardinal): LongBool; external 'VerQueryValueA@version.dll stdcall';
var h, size: DWORD; block: string; info: TVSFixedFileInfo; len: Cardinal;
begin
  Log(IntToStr(GetFileVersionInfoSize('@DIR@\missing.exe', h)));
  size := GetFileVersionInfoSize('@DIR@\TOOL.EXE', h);
  SetLength(block, size);
  if GetFileVersionInfo('@DIR@\tool.exe', h, size, block) and VerQueryValue(block, '\', info, len) then
    Log(IntToStr(info.dwFileVersionMS shr 16) + '.' + IntToStr(info.dwFileVersionMS and $FFFF) + '.' +
        IntToStr(info.dwFileVersionLS shr 16) + '.' + IntToStr(info.dwFileVersionLS and $FFFF) + ' ' + IntToStr(len));
end.)")) << s.error;
    EXPECT_EQ(s.log, "0\n" + library::readFileVersion(m_win + "\\tool.exe") + " 52\n");
    EXPECT_EQ(library::readFileVersion(m_win + "\\tool.exe"), "5.1.2600.7");
}

TEST_F(WinApiScripts, AnExportOutsideTheTableOrWithAnotherParameterCountFailsToLoad) {
    EXPECT_FALSE(
        run("function GetWindowText(hWnd: Integer; lpString: PChar; nMaxCount: Integer): Integer; "
            "external 'GetWindowTextA@user32.dll stdcall';\n"
            "var s: string; begin Log('never'); GetWindowText(0, s, 0); end."));
    EXPECT_EQ(s.error, "Cannot Import GETWINDOWTEXT");
    EXPECT_EQ(s.log, "");
    EXPECT_FALSE(
        run("function GetTickCount(X: Integer): Cardinal; external 'GetTickCount@kernel32.dll stdcall';\n"
            "begin GetTickCount(1); end."));
    EXPECT_EQ(s.error, "Cannot Import GETTICKCOUNT");
    // The wide variants are not served; the plain and "A" names are, in any case.
    EXPECT_FALSE(
        run("function MessageBoxW(h: Integer; t, c: PChar; f: Cardinal): Integer; "
            "external 'MessageBoxW@user32.dll stdcall';\nbegin MessageBoxW(0, '', '', 0); end."));
    EXPECT_EQ(s.error, "Cannot Import MESSAGEBOXW");
    EXPECT_TRUE(
        run("function Ticks: Cardinal; external 'GETTICKCOUNT@KERNEL32.DLL';\n"
            "function Beep(dwFreq, dwDuration: DWORD): LongBool; external 'Beep@kernel32 stdcall';\n"
            "begin if (Ticks > 0) and Beep(440, 0) then Log('ok'); end."))
        << s.error;
    EXPECT_EQ(s.log, "ok\n");
}

}  // namespace
