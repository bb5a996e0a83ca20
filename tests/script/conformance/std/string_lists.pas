// pscript: --std
// TStringList through its class metadata: default and indexed properties, sorting,
// duplicates, name=value pairs, objects and copying.
var L, M: TStringList; i: Integer;
begin
  L := TStringList.Create;
  L.Add('pear'); L.Add('apple'); L.Append('fig');
  Writeln(IntToStr(L.Count) + ' ' + L[0] + ' ' + L.Strings[2]);  // expect: 3 pear fig
  L.Sorted := True;
  Writeln(L.CommaText);                                        // expect: apple,fig,pear
  L.Duplicates := dupIgnore;
  L.Add('fig');
  Writeln(IntToStr(L.Count));                                  // expect: 3
  if L.Find('pear', i) then Writeln('pear at ' + IntToStr(i));  // expect: pear at 2
  Writeln(IntToStr(L.IndexOf('APPLE')));                       // expect: 0
  L.Sorted := False;
  L.Insert(0, 'kiwi');
  L.Exchange(0, 1);
  L.Delete(3);
  Writeln(L.CommaText);                                        // expect: apple,kiwi,fig
  L.Values['size'] := 'large';
  Writeln(L.Names[3] + '=' + L.Values['SIZE']);               // expect: size=large
  L.Objects[0] := L;
  if L.Objects[0] = L then Writeln('object kept');             // expect: object kept
  M := TStringList.Create;
  M.Assign(L);
  M.AddStrings(L);
  Writeln(IntToStr(M.Count) + ' ' + M[4]);                     // expect: 8 apple
  M.Text := 'one' + #13#10 + 'two';
  Writeln(IntToStr(M.Count) + M[1]);                           // expect: 2two
  M.Free;
  L.Free;
  try
    Writeln(L[0]);
  except
    Writeln(ExceptionToString(ExceptionType, ExceptionParam)); // expect: Null Pointer Exception
  end;
end.
