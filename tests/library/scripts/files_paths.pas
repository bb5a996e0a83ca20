// Existence tests, path strings and attributes.
var F: string;
begin
  ForceDirectories(TESTDIR + '\Dir');
  SaveStringToFile(TESTDIR + '\Dir\File.txt', 'x', False);
  if FileExists('%TMPAPPDIR%\dir\FILE.TXT') then Log('placeholders and any case');  // expect: placeholders and any case
  if not FileExists(TESTDIR + '\Dir') and DirExists('%tmpappdir%\DIR\') then Log('a folder');  // expect: a folder
  if NewFileExists(TESTDIR + '\Dir\File.txt\') and FileOrDirExists(TESTDIR + '\Dir') then Log('probes');  // expect: probes
  if not FileOrDirExists('%TMPAPPDIR%\nothing') then Log('nothing');  // expect: nothing
  // A name that exists as written is used as written.
  SaveStringToFile(TESTDIR + '\%n.txt', 'x', False);
  if FileExists(TESTDIR + '\%n.txt') then Log('literal name');  // expect: literal name

  Log(ExtractFileDir('C:\a\b.txt') + '|' + ExtractFileDir('C:\b.txt'));                 // expect: C:\a|C:\
  Log(ExtractFileDrive('\\server\share\x') + '|' + ExtractFileDrive('D:\x'));          // expect: \\server\share|D:
  Log(ExtractFileExt('a.b\c') + '|' + ExtractFileExt('c.tar.gz'));                       // expect: |.gz
  Log(ExtractFileName('C:\a\b.txt') + '|' + ChangeFileExt('a.txt', '.bak'));             // expect: b.txt|a.bak
  Log(AddBackslash('C:') + '|' + RemoveBackslash('C:\') + '|' + RemoveBackslashUnlessRoot('C:\'));  // expect: C:\|C:|C:\
  Log(ExtractDriveFromPath('C:\x') + ExtractDriveLetter('D:\x') + IntToStr(Ord(ExtractDriveLetter('x'))));  // expect: CD0
  Log(ExtractPureFilename('C:\a.b\file.txt') + '|' + ExtractPureFilename('README'));     // expect: C:\a.b\file|README
  Log('[' + ExtractFileExtension('README') + ']' + ExtractFileExtension('x.tar.gz'));    // expect: []gz
  Log(GetShortName('C:\Program Files') + '|' + GetWinDir + '|' + GetSystemDir);          // expect: C:\Program Files|C:\WINDOWS|C:\WINDOWS\system32
  F := GetTempDir;
  if Copy(F, Length(F), 1) = '\' then Log('temp folder with its backslash');            // expect: temp folder with its backslash

  if FileAttrib(TESTDIR + '\Dir\File.txt', False, False, True, False) and HasAttr(TESTDIR + '\Dir\File.txt', 1) then
    Log('read-only');                                                                    // expect: read-only
  if HasAttr(TESTDIR + '\Dir', 16) and HasAttr(TESTDIR + '\missing', 0) and not HasAttr(TESTDIR + '\missing', 1) then
    Log('attributes');                                                                   // expect: attributes
  if not FileAttrib('Z:\proc\self\comm', False, True, False, False) then Log('procfs keeps no hidden bit');  // expect: procfs keeps no hidden bit
end.
