// Locals and Result start zeroed in every call.
type
  TRec = record
    A: Integer;
    S: string;
  end;

function Fresh(Touch: Boolean): Integer;
var
  x: Integer;
  s: string;
  r: TRec;
begin
  if x <> 0 then Writeln('x not zero');
  if s <> '' then Writeln('s not empty');
  if r.A <> 0 then Writeln('r not zero');
  Result := Result + 1;
  x := 5;
  s := 'dirty';
  r.A := 7;
  r.S := 'dirty';
end;

function Text: string;
begin
  Result := Result + 'a';
end;

begin
  Writeln(IntToStr(Fresh(True)));   // expect: 1
  Writeln(IntToStr(Fresh(False)));  // expect: 1
  Writeln(Text + Text);             // expect: aa
end.
