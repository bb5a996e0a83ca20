// Listings are sorted; recursive ones put the deepest folders first.
var L: TStringList;
begin
  ForceDirectories(TESTDIR + '\sub\deep');
  ForceDirectories(TESTDIR + '\hollow\x');
  SaveStringToFile(TESTDIR + '\a.txt', '12', False);
  SaveStringToFile(TESTDIR + '\B.TXT', '', False);
  SaveStringToFile(TESTDIR + '\noext', '', False);
  SaveStringToFile(TESTDIR + '\sub\c.txt', '', False);
  SaveStringToFile(TESTDIR + '\sub\deep\d.txt', '', False);

  L := nil;
  ListFiles(TESTDIR, '*.*', L, False);
  Log(L.CommaText);                                       // expect: a.txt,B.TXT,noext
  ListFiles(TESTDIR + '\', '*.txt', L, True);
  Log(IntToStr(L.Count) + ' ' + Rel(L[3]));               // expect: 5 <T>\a.txt
  L.Free;
  L := ListFolders(TESTDIR + '\', False);
  Log(L.CommaText);                                       // expect: .,..,a.txt,B.TXT,hollow,noext,sub
  L.Free;
  L := ListFolders(TESTDIR + '\nothing\', True);
  Log(IntToStr(L.Count));                                 // expect: 0
  L.Free;
  L := ListFilesRecursive(TESTDIR, '*.txt', False);
  Log(L.CommaText);                                       // expect: sub\deep\d.txt,sub\c.txt,a.txt,B.TXT
  L.Free;
  L := ListFilesRecursive(TESTDIR, 'sub\*.TXT', True);
  Log(Rel(L.CommaText));                                  // expect: <T>\sub\deep\d.txt,<T>\sub\c.txt
  L.Free;
  if DirIsEmpty(TESTDIR + '\hollow') and not DirIsEmpty(TESTDIR) then Log('empty folders');  // expect: empty folders
  Log(IntToStr(GetFileSize(TESTDIR + '\*.txt')) + ' ' + IntToStr(GetFileSize(TESTDIR + '\missing')));  // expect: 4 0
end.
