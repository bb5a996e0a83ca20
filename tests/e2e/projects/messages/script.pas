// Each routine that talks to the user, its answer reported by ShowMessage, so the log
// shows what the script received. The automation file answers in this order.
var
  S: string;
  B: Boolean;
  L: TStringList;
  F: TFont;

procedure Say(const What: string);
begin
  ShowMessage('[' + What + ']');
end;

begin
  ShowMessage('%TMPAPPDIR%');                      // expanded
  Writeln('writeln%nline');                        // the same routine, %n a line break
  Say(Readln('Readln cancelled'));                 // cancel: empty
  Say(Readln('Readln answered'));                  // answer
  Say(InputBox('%n', 'InputBox cancelled', '%TMPAPPDIR%'));  // cancel: the expanded default
  Say(InputBox('c', 'InputBox answered', 'def'));
  S := '%TMPAPPDIR%';
  B := InputQuery('%TMPAPPDIR%', 'InputQuery', S);           // never expanded
  if B then Say('query ' + S) else Say('no query ' + S);
  S := 'kept';
  if InputQuery('c', 'InputQuery cancelled', S) then Say('query ' + S) else Say('no query ' + S);
  Say(IntToStr(MsgBox('%TMPAPPDIR%', 'x', MB_OK)));
  Say(IntToStr(MessageBox('Yes or no?', '%n', MB_YESNO or MB_ICONQUESTION)));
  Say(IntToStr(MsgBox('Escape', 'c', MB_ABORTRETRYIGNORE)));
  Say(SelectDirectory('Pick %n'));
  S := 'Z:\no\such\folder';
  B := SelectDirectoryEX('%n', S);
  if B then Say('dir ' + S) else Say('no dir ' + S);
  S := 'Z:\tmp';
  if SelectDirectoryEX('answered', S) then Say('dir ' + S);
  L := TStringList.Create;
  L.Add('a');
  L.Add('b');
  Say(SelectStringFromList('T', 'P', '', L));      // cancel: the first item
  Say(SelectStringFromList('T', 'P', 'zz', L));    // cancel: the default
  Say(SelectStringFromList('T', 'P', 'B', L));     // OK: the pre-selected b
  Say(SelectStringFromList('T', 'P', '', nil));    // OK on an empty list
  L.Free;
  Say(IntToStr(SelectColor(clRed)));               // cancel
  Say(IntToStr(SelectColorEX(clRed)));             // answered
  F := SelectFont(Form1.Font);
  Say(F.Name + ' ' + IntToStr(F.Size));
  if SelectFont(Form1.Font) = Form1.Font then Say('font cancelled');
  if PrinterSetupDialog then Say('printer');
  S := GetOpenFileName('Open', 'none.txt', '%TMPAPPDIR%', 'All|*.*', 'txt', True, False, B);
  if B then Say('open ' + S) else Say('no open ' + S);
  S := GetSaveFileName('Save', 'out', '', '', 'txt', False, True, B);
  if B then Say('save ' + S) else Say('no save ' + S);
  S := '';
  if PromptForFileName(S, '', 'txt', 'Prompt', '', True) then Say('prompt ' + S);
  AboutMe('App#About text', '%TMPAPPDIR%', 0);
  Beep;
  try
    Win32ErrorMsg('%n');
  except
    Say(ExceptionParam);
  end;
  Say(IntToStr(ParamCount) + ' ' + ParamStr(2));
end.
