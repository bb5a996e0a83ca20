// Memory, processors, user and machine: plausible figures on this machine, and nothing for
// processors that do not exist.
var Name, Sig: string; i, t: Integer;
begin
  t := TotalPhysicalMemory;
  if (t > 64 * 1024 * 1024) and (AvailablePhysicalMemory > 0) and (AvailablePhysicalMemory <= t) then
    Log('physical');                                                    // expect: physical
  if (TotalPageMemory >= t) and (AvailablePageMemory > 0) then Log('page');  // expect: page
  if (TotalVirtualMemory > 0) and (AvailableVirtualMemory > 0) then Log('virtual');  // expect: virtual
  if (MemoryUsedPercentage >= 0) and (MemoryUsedPercentage <= 100) then Log('load');  // expect: load

  if ProcessorCount >= 1 then Log('processors');                       // expect: processors
  for i := 1 to ProcessorCount do
    if (ProcessorName(i) = '') or (Pos(' MHz', ProcessorSpeedMHZ(i)) = 0) or (ProcessorSpeed(i) = '')
       or (Pos('Family', ProcessorSignature(i)) = 0) or (Pos('%', ProcessorUsage(i)) = 0) then
      Log('processor ' + IntToStr(i) + ' incomplete');
  ProcessorVendor(1, Name, Sig);
  if (Name <> '') and (Sig <> '') then Log('vendor');                  // expect: vendor
  Name := 'kept';
  ProcessorVendor(0, Name, Sig);
  Log(Name + '|' + ProcessorName(0) + '|' + ProcessorUsage(ProcessorCount + 1) + '|');  // expect: kept|||

  if (GetUserNameString <> '') and (Length(GetComputerNameString) <= 15) then Log('names');  // expect: names
  if not ActiveDesktopEnabled then Log('no web desktop');             // expect: no web desktop
  if not Wow64IsRunning(0) then Log('64-bit player');                 // expect: 64-bit player
  // The test runs under LC_ALL=de_DE.UTF-8.
  Log(IntToHex(GetUILanguage, 4));                                     // expect: 0407
  Sleep(1);
  BuzzerSound(440, 1);
  Log('slept');                                                        // expect: slept
end.
