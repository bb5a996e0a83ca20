// pscript: --std
// Memory and string streams: writing, seeking, reading, copying, and string lists saved to
// and loaded from a stream.
var S: TStringStream; M: TMemoryStream; L: TStringList; buf: string; n: Integer;
begin
  S := TStringStream.Create('hello');
  S.Seek(0, soFromEnd);
  S.WriteString(' world');
  Writeln(S.DataString + ' ' + IntToStr(S.Size));      // expect: hello world 11
  S.Position := 6;
  n := S.Read(buf, 3);
  Writeln(buf + ' ' + IntToStr(n) + ' ' + IntToStr(S.Position));  // expect: wor 3 9
  Writeln(S.ReadString(100));                          // expect: ld
  M := TMemoryStream.Create;
  S.Position := 0;
  Writeln(IntToStr(M.CopyFrom(S, 5)));                 // expect: 5
  M.Position := 0;
  M.ReadBuffer(buf, 5);
  Writeln(buf);                                        // expect: hello
  try
    M.ReadBuffer(buf, 1);
  except
    Writeln(ExceptionParam);                           // expect: Stream read error
  end;
  L := TStringList.Create;
  L.Add('a'); L.Add('b');
  M.Clear;
  L.SaveToStream(M);
  Writeln(IntToStr(M.Size));                           // expect: 6
  L.Clear;
  M.Position := 0;
  L.LoadFromStream(M);
  Writeln(L.CommaText);                                // expect: a,b
  L.Free; M.Free; S.Free;
end.
