// An index, a length or a set element that calls a routine runs before the element's address
// is taken, so a routine that resizes or frees the array cannot leave the address dangling;
// an element passed by reference keeps its array alive until the call returns.
type
  TR = record
    A: array[0..3] of Integer;
    S: string;
  end;
  TDigits = set of Byte;
var
  recs: array of TR;
  rows: array of array of Integer;
  words: array of string;
  sets: array of TDigits;
  r, t: TR;
  k: Integer;
  c: Char;

function Shrink: Integer;
begin
  SetLength(recs, 0);
  SetLength(rows, 0);
  SetLength(words, 0);
  SetLength(sets, 0);
  Result := 1;
end;

function Regrow: Integer;
begin
  SetLength(recs, 0);
  SetLength(recs, 50);
  recs[1].A[1] := 7;
  SetLength(words, 0);
  SetLength(words, 50);
  words[1] := 'new';
  Result := 1;
end;

procedure Fill;
begin
  SetLength(recs, 2);
  recs[1].A[1] := 5;
  recs[1].S := 'old';
  SetLength(rows, 2);
  SetLength(rows[1], 3);
  rows[1][1] := 9;
  SetLength(words, 2);
  words[1] := 'abc';
  SetLength(sets, 2);
end;

procedure SetAfterShrink(var X: Integer);
begin
  Shrink;
  X := 11;
end;

function Bumped: TR;
begin
  r.A[0] := r.A[0] + 1;
  Result := t;
end;

procedure CompareThenWrite(var X: Integer);
begin
  if r = Bumped then Writeln('equal') else Writeln('different');
  X := 12;
end;

begin
  Fill;
  k := recs[1].A[Regrow];
  Writeln(IntToStr(k));                          // expect: 7
  Fill;
  c := words[1][Regrow + 1];
  Writeln(c);                                    // expect: e
  Fill;
  SetAfterShrink(recs[1].A[2]);
  Writeln(IntToStr(Length(recs)));               // expect: 0
  Fill;
  with recs[1] do
  begin
    Shrink;
    A[3] := 1;
    S := S + '!';
  end;
  Writeln(IntToStr(Length(recs)));               // expect: 0
  t := r;
  CompareThenWrite(r.A[1]);                      // expect: equal
  Writeln(IntToStr(r.A[0]) + IntToStr(r.A[1]) + IntToStr(t.A[1])); // expect: 1120
  Fill;
  try
    Include(sets[1], Shrink);
  except
    Writeln(ExceptionParam);                     // expect: Array index out of bounds (1). Length is 0.
  end;
  Fill;
  try
    SetLength(words[1], Shrink);
  except
    Writeln(ExceptionParam);                     // expect: Array index out of bounds (1). Length is 0.
  end;
  Fill;
  k := rows[1][Shrink];
end.
// expect runtime error: Array index out of bounds (1). Length is 0. (104:12)
