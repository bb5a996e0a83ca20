// The global tray icon and the task-bar button.
var Pop: TPopupMenu;
begin
  ShowTrayIcon(True);
  if GetTrayIconHint = '' then Log('no hint of its own');             // expect: no hint of its own
  SetTrayIconHint('Presentation running');
  Log(GetTrayIconHint);                                               // expect: Presentation running
  Pop := nil;
  GetSetTrayIconPopupMenu(False, Pop);
  if Pop = nil then Log('no menu');                                   // expect: no menu
  HideTaskBarButton(True);
  HideTaskBarButton(False);
  ShowTrayIcon(False);
  Log('tray done');                                                   // expect: tray done
end.
