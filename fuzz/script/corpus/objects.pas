// Objects through handles: owners, frees, stale references, bits.
var R, A, B: TComponent; Bits: TBits; i: Integer;
begin
  R := TComponent.Create(nil);
  A := TComponent.Create(R);
  B := TComponent.Create(A);
  B.Name := 'B';
  if R.FindComponent('B') = nil then A.InsertComponent(B);
  A.Free;
  try B.Tag := 1; except end;
  R.DestroyComponents;
  Bits := TBits.Create;
  for i := 0 to 70 do Bits[i * 3] := i mod 2 = 0;
  i := Bits.OpenBit;
  Bits.Free;
  Bits.Free;
end.
