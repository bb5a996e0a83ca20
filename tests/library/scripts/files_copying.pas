// Copy and delete. The dialogs get these answers, in order:
// answer: Yes
// answer: No
// answer: Cancel
// answer: OK
// answer: Yes
// answer: OK
var Cancelled: Boolean;
begin
  ForceDirectories(TESTDIR + '\src\sub');
  SaveStringToFile(TESTDIR + '\src\a.txt', 'new a', False);
  SaveStringToFile(TESTDIR + '\src\b.txt', 'new b', False);
  SaveStringToFile(TESTDIR + '\src\sub\c.txt', 'new c', False);
  // Two sources with placeholders, copied without questions into a folder that is made.
  Log(IntToStr(CopyFilesAndOrDirs('%TMPAPPDIR%\src\a.txt;%TMPAPPDIR%\src\b.txt', '%TMPAPPDIR%\dst', '', 0, True)));  // expect: 0
  if FileExists(TESTDIR + '\dst\b.txt') then Log('both copied');        // expect: both copied
  SaveStringToFile(TESTDIR + '\dst\a.txt', 'old', False);
  SaveStringToFile(TESTDIR + '\dst\b.txt', 'old', False);
  // Yes for a.txt, No for b.txt.
  Log(IntToStr(CopyFilesAndOrDirs(TESTDIR + '\src\*.txt', TESTDIR + '\dst', 'Copying', 0, False)));  // expect: 0
  Log(Trim(ReadStringFromFile(TESTDIR + '\dst\a.txt')) + '/' + Trim(ReadStringFromFile(TESTDIR + '\dst\b.txt')));  // expect: new a/old
  // Cancel at the first question.
  Log(IntToStr(CopyFilesAndOrDirs(TESTDIR + '\src\b.txt', TESTDIR + '\dst', '', 0, False)));  // expect: -1
  // An error box (OK).
  Log(IntToStr(CopyFilesAndOrDirs(TESTDIR + '\missing.txt', TESTDIR + '\dst', '', 0, True)));  // expect: 1
  if CopyDirectory(TESTDIR + '\src', TESTDIR + '\copy', True, False, False, False, False, Cancelled) and not Cancelled then
    Log('folder copied as the target');                                 // expect: folder copied as the target
  if FileExists(TESTDIR + '\copy\sub\c.txt') then Log('with its tree');  // expect: with its tree
  // Yes to the delete question.
  Log(IntToStr(DeleteFilesAndOrDirs(TESTDIR + '\copy', '', '', 0, False)));  // expect: 0
  if not DirExists(TESTDIR + '\copy') then Log('deleted');             // expect: deleted
  // Before a project is loaded "%Embedded%" is empty: this names the whole drive. Refused (OK).
  Log(IntToStr(DeleteFilesAndOrDirs('%Embedded%\*.*', '', '', 0, True)));  // expect: 1
  if ForceDirectories(TESTDIR + '\x\y') and RemoveDir(TESTDIR + '\x\y') and not RemoveDir(TESTDIR + '\none') then
    Log('folders');                                                     // expect: folders
  if not ForceDirectories('') then Log('no name, no folder');           // expect: no name, no folder
end.
