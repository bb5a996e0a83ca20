// Screen, keyboard, fonts and the clipboard on the headless desktop.
var d: TDWDimension; f: TStrings; s: string; w: Integer;
begin
  d := ScreenResolution(0);
  if (d.Width = ScreenWidth) and (d.Height = ScreenHeight) then Log('primary screen');  // expect: primary screen
  Log(ScreenDeviceName(0) + ' ' + ScreenMonitorName(0));              // expect: \\.\DISPLAY1 \\.\DISPLAY1\Monitor0
  if (ScreenColorDepth(0) > 0) and (ScreenDeviceString(0) <> '') then Log('adapter');  // expect: adapter
  d := ScreenResolution(9);
  Log(ScreenDeviceName(9) + '|' + IntToStr(ScreenFrequency(9)) + '|' + IntToStr(d.Width));  // expect: |0|0
  if (MouseX >= 0) and (MouseY >= 0) then Log('mouse');               // expect: mouse
  if MouseIsPresent = (GetMouseButtons > 0) then Log('buttons');      // expect: buttons
  if not MouseButtonsSwaped then Log('not swapped');                  // expect: not swapped

  SetCapsLock(True);
  SetNumLock(False);
  SetScrollLock(True);
  if GetCapsLock and not GetNumLock and GetScrollLock then Log('locks set');  // expect: locks set
  SetCapsLock(False);
  SetScrollLock(False);
  if not (GetCapsLock or GetScrollLock) then Log('locks cleared');    // expect: locks cleared

  f := Fonts;
  if (f.Count > 0) and FontExists(f[0]) then Log('fonts');            // expect: fonts
  f.Free;
  if not FontExists('Vantrel Nonexistent Sans') then Log('no substitute');  // expect: no substitute
  if (GetPreferredUIFont = 'MS Sans Serif') or (GetPreferredUIFont = 'Microsoft Sans Serif') then Log('ui font');  // expect: ui font

  // Device-context handles: a form's canvas measures in its font; anything else is no canvas.
  w := GetTextWidth(Form1.Canvas.Handle, 'Wide', False);
  if (w > 0) and (GetTextWidth(Form1.Canvas.Handle, 'W&ide', True) = w) then Log('measured');  // expect: measured
  if GetTextWidth(Form1.Canvas.Handle, 'W&ide', False) > w then Log('ampersand kept');  // expect: ampersand kept
  Form1.Canvas.Font.Size := 30;
  if GetTextWidth(Form1.Canvas.Handle, 'Wide', False) > w then Log('font followed');  // expect: font followed
  Log(IntToStr(GetTextWidth(Form1.Handle, 'x', False)) + IntToStr(GetTextWidth(77777, 'x', False)));  // expect: 00

  CopyTextToClipboard('copied ' + #233);
  s := GetTextFromClipboard;
  Log(Copy(s, 1, 7) + IntToStr(Ord(s[8])) + IntToStr(Length(s)));       // expect: copied 2338
end.
