// Reading, writing, patching, check sums, times, compression, unique names and versions.
var S, Name: string; St, Back: TFileDateTimeStamp; M: TMemoryStream; SS: TStringStream;
begin
  SaveStringToFile(TESTDIR + '\r.txt', 'one', False);
  SaveStringToFile(TESTDIR + '\r.txt', 'two', True);
  S := ReadStringFromFile(TESTDIR + '\r.txt');
  Log(IntToStr(Length(S)) + ' ' + Copy(S, 1, 3) + ' ' + Copy(S, 6, 3));   // expect: 10 one two
  PatchFile(TESTDIR + '\r.txt', [79, 78], 0, 2);
  Log(Copy(ReadStringFromFile(TESTDIR + '\r.txt'), 1, 3));               // expect: ONe
  PatchFile(TESTDIR + '\r.txt', [79, 78, 69], 0, 10);  // only the three bytes there are
  S := ReadStringFromFile(TESTDIR + '\r.txt');
  Log(Copy(S, 1, 3) + '|' + Copy(S, 6, 3));                              // expect: ONE|two
  try
    PatchFile(TESTDIR + '\r.txt', [1], -1, 1);
  except
    Log(ExceptionParam);                 // expect: PatchFile: the offset and the count must not be negative
  end;
  PatchFile(TESTDIR + '\missing.txt', [1], 0, 1);
  if not FileExists(TESTDIR + '\missing.txt') then Log('missing file left alone');  // expect: missing file left alone
  try
    SaveStringToFile(TESTDIR + '\none\x.txt', 'x', False);
  except
    Log(Rel(ExceptionParam));            // expect: Cannot create file "<T>\none\x.txt". No such file or directory
  end;

  M := TMemoryStream.Create;
  SaveStreamToTempFile(M, TESTDIR + '\empty.bin');
  Log(GetFileCRC32Hex(TESTDIR + '\empty.bin') + ' ' + IntToStr(GetFileCRC32Int(TESTDIR + '\empty.bin')));  // expect: 000000 0
  try
    SaveStreamToTempFile(M, TESTDIR + '\none\x.bin');
  except
    Log(Copy(ExceptionParam, 1, 51));    // expect: Unable to create a temporary file. Running aborted.
    Log(Copy(ExceptionParam, 56, 99));   // expect: Error 3: The system cannot find the path specified
  end;
  M.Free;
  SS := TStringStream.Create('123456789');
  SaveStreamToTempFile(SS, TESTDIR + '\check.bin');
  SS.Free;
  Log(GetFileCRC32Hex(TESTDIR + '\check.bin'));                           // expect: CBF43926
  if not FileIsOpen(TESTDIR + '\check.bin') and not FileIsOpen(TESTDIR + '\missing') then Log('not in use');  // expect: not in use

  St.Creation := 0;
  St.LastAccess := EncodeDate(2001, 2, 3);
  St.LastWrite := EncodeDate(2002, 3, 4) + EncodeTime(5, 6, 7, 0);
  if SetFileDateTimeStamp(TESTDIR + '\r.txt', St) and GetFileDateTimeStamp(TESTDIR + '\r.txt', Back) then
    Log(FormatDateTime('yyyy-mm-dd hh:nn:ss', Back.LastWrite) + ' ' + FormatDateTime('yyyy-mm-dd', Back.LastAccess));  // expect: 2002-03-04 05:06:07 2001-02-03
  if not GetFileDateTimeStamp(TESTDIR + '\missing', Back) and (Back.LastWrite = 0) then Log('cleared');  // expect: cleared

  if NTFSCompressFile(TESTDIR + '\r.txt', False) and NTFSUncompressFile(TESTDIR + '\r.txt') then Log('compression');  // expect: compression
  Name := GenerateUniqueName(TESTDIR, '.tmp');
  Log(Rel(Copy(Name, 1, Length(TESTDIR) + 5)) + ' ' + IntToStr(Length(Name) - Length(TESTDIR)));  // expect: <T>\zep- 14
  Log(ReadFileVersion(FIXTURES + '\app.exe') + ' ' + ReadFileVersion(TESTDIR + '\r.txt'));        // expect: 1.2.3.4 0.0.0.0
  if GetExeVersionString <> '' then Log('own version');                  // expect: own version
end.
