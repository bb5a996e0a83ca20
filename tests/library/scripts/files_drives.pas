// Drives over the test's mount table: D: a CD-ROM (read-only), E: a USB stick labelled STICK.
var L: TStringList; I: Integer; Info: TDWDriveShellInfo; F, T: Int64;
begin
  L := AvailableDrives;
  for I := 0 to L.Count - 1 do Log(L[I]);
  // expect: C:\ Local Disk
  // expect: D:\ CD-ROM
  // expect: E:\ Removable
  // expect: Z:\ Local Disk
  L.Free;
  Log(IntToStr(DrivesCount));                                            // expect: 4
  L := HardDrives;
  Log(L.CommaText);                                                      // expect: C:\,Z:\
  L.Free;
  if DiskInDrive('e') and not DiskInDrive('Q') then Log('media');        // expect: media
  if not DiskWriteProtected('E') and DiskWriteProtected('d') then Log('write protection');  // expect: write protection
  try
    DiskWriteProtected('1');
  except
    Log(ExceptionParam);                                                 // expect: Invalid drive specification
  end;
  if ValidDriveLetter('a') and not ValidDriveLetter('[') then Log('letters');  // expect: letters
  Log(IntToStr(DriveLetterToIndex('?')) + DriveIndexToLetter(0) + IntToStr(DriveLetterToIndex('z')));  // expect: 3C26
  Info := GetDriveShellInfo('E');
  Log(Info.DisplayName + ' / ' + Info.TypeName + ' / ' + IntToStr(Info.Image));  // expect: STICK (E:) / Removable Disk / 7
  if GetTotalFreeSpace('e:\', F) and GetTotalSpace('E:\', T) then Log(IntToStr(F) + ' of ' + IntToStr(T));  // expect: 1500000 of 4000000
  if not GetTotalFreeSpace('Q:\', F) then Log(IntToStr(F));             // expect: -1
  if GetTotalFreeSpace('Z:\tmp', F) and (F > 0) then Log('a path on a drive');  // expect: a path on a drive
  Log(IntToKBStr(1) + ' ' + IntToKBStr(1024) + ' ' + IntToKBStr(1025) + ' ' + IntToMBStr(1048577));  // expect: 1 1 2 1.1
end.
