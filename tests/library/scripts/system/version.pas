// The version family on injected snapshots: every row of the classification table, the
// suite and product classes, the record and the Is* routines.
procedure Row(Major, Minor, PlatformId, Suite, Product: Integer);
begin
  SetVersion(Major, Minor, 1234, PlatformId, Suite, Product, '');
  Log(IntToStr(Ord(GetOS)) + ' ' + GetOSName);
end;

var v: TOSVersionInfoEx;
begin
  Row(4, 0, 1, 0, 1);      // expect: 0 Microsoft Windows 95
  Row(4, 10, 1, 0, 1);     // expect: 1 Microsoft Windows 98
  Row(4, 90, 1, 0, 1);     // expect: 2 Microsoft Windows Millenium Edition
  Row(3, 51, 2, 0, 1);     // expect: 3 Microsoft Windows NT 3.51
  Row(4, 0, 2, 0, 2);      // expect: 4 Microsoft Windows NT 4.0 Domain Controller
  Row(4, 0, 2, 0, 3);      // expect: 5 Microsoft Windows NT 4.0 Server
  Row(4, 0, 2, 0, 1);      // expect: 6 Microsoft Windows NT 4.0 Workstation
  Row(5, 0, 2, 0, 3);      // expect: 7 Microsoft Windows 2000
  Row(5, 0, 2, 2, 3);      // expect: 8 Microsoft Windows 2000 Advanced Server
  Row(5, 0, 2, 128, 3);    // expect: 9 Microsoft Windows 2000 DataCenter Server
  Row(5, 1, 2, 512, 1);    // expect: 10 Microsoft Windows XP Home Edition
  Row(5, 1, 2, 256, 1);    // expect: 11 Microsoft Windows XP Professional
  Row(5, 1, 2, 768, 1);    // expect: 11 Microsoft Windows XP Professional
  Row(5, 1, 2, 2, 3);      // expect: 12 Microsoft Windows XP .NET Server
  Row(5, 2, 2, 16, 3);     // expect: 13 Microsoft Windows Server 2003
  Row(6, 1, 2, 256, 1);    // expect: 14 MS OS unknown

  SetVersion(5, 1, 2600, 2, VER_SUITE_PERSONAL, 1, 'Service Pack 2');
  if GetOS = OS_WINXP_HOME then Log('home');                           // expect: home
  if GetSuiteType = OSST_PERSONAL then Log('personal');                // expect: personal
  if GetProductType = OSPT_WORKSTATION then Log('workstation');        // expect: workstation
  if IsWinXP and IsNTMachine and UsingWinNT and IsNTWorkstation then Log('nt xp');  // expect: nt xp
  if not (IsWin95 or IsWin98 or IsWinME or IsNT351 or IsNT4 or IsWin2K or IsWin2003) then Log('only xp');  // expect: only xp
  Log(GetNTServicePackName);                                           // expect: Service Pack 2
  Log(IntToStr(WinMajorVersion) + '.' + IntToStr(WinMinorVersion) + '.' + IntToStr(WinBuildNumber));  // expect: 5.1.2600
  GetWindowsVersionEx(v);
  Log(IntToStr(v.dwOSVersionInfoSize) + ' ' + IntToStr(v.dwPlatformId) + ' ' + IntToStr(v.wSuiteMask));  // expect: 156 2 512
  Log(v.szCSDVersion[0] + v.szCSDVersion[8]);                         // expect: SP

  SetVersion(4, 10, 67766446, 1, 0, 0, ' A ');
  if IsWin98 and not IsNTMachine and IsAdminLoggedOn and IsPowerUserLoggedOn then Log('9x');  // expect: 9x
  Log(IntToStr(WinBuildNumber));                                       // expect: 2222
  if GetProductType = OSPT_UNKNOWN then Log('no product');             // expect: no product
  if GetSuiteType = OSST_UNKNOWN then Log('no suite');                 // expect: no suite
  if not IsDomainController and not IsNTServer then Log('no server');  // expect: no server
end.
