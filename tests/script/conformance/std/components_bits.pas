// pscript: --std
// Components with owners, found by name and freed with their owner; bits that grow.
var Root, A, B: TComponent; Bits: TBits; i: Integer;
begin
  Root := TComponent.Create(nil);
  Root.Name := 'Root';
  A := TComponent.Create(Root);
  A.Name := 'First';
  B := TComponent.Create(Root);
  B.Name := 'Second';
  B.Tag := 7;
  Writeln(IntToStr(Root.ComponentCount) + ' ' + Root.Components[1].Name);  // expect: 2 Second
  Writeln(IntToStr(Root.FindComponent('second').Tag));                   // expect: 7
  if Root.FindComponent('third') = nil then Writeln('none');             // expect: none
  Writeln(A.Owner.Name + ' ' + IntToStr(B.ComponentIndex));             // expect: Root 1
  A.Free;
  Writeln(IntToStr(Root.ComponentCount));                                // expect: 1
  Root.Free;
  try
    B.Tag := 1;
  except
    Writeln('freed with its owner: ' + ExceptionToString(ExceptionType, ''));  // expect: freed with its owner: Null Pointer Exception
  end;
  Bits := TBits.Create;
  Bits[3] := True;
  Bits[0] := True;
  Writeln(IntToStr(Bits.Size) + ' ' + IntToStr(Bits.OpenBit));          // expect: 4 1
  for i := 0 to Bits.Size - 1 do
    if Bits[i] then Write('1') else Write('0');
  Writeln('');                                                           // expect: 1001
  try
    if Bits[10] then Writeln('?');
  except
    Writeln(ExceptionParam);                                             // expect: Bits index out of range
  end;
  Bits.Free;
  Bits.Free;                                                             // expect runtime error: Null Pointer Exception (37:8)
end.
