// Errors unwind through routine calls; locals are released on the way.
function Divide(A, B: Integer): Integer;
var
  s: string;
begin
  s := 'local';
  Result := A div B;
end;

function Safe(A, B: Integer): Integer;
begin
  try
    Result := Divide(A, B);
  except
    Result := -1;
  end;
end;

procedure Level3;
begin
  RaiseException(erCustomError, 'deep');
end;

procedure Level2;
begin
  try
    Level3;
  finally
    Writeln('level2 finally');
  end;
end;

begin
  Writeln(IntToStr(Safe(10, 2)));    // expect: 5
  Writeln(IntToStr(Safe(10, 0)));    // expect: -1
  try
    Level2;
  except
    Writeln('main caught ' + ExceptionParam);
  end;
  // expect: level2 finally
  // expect: main caught deep
  Level2;
  // expect: level2 finally
  // expect runtime error: deep (21:3)
end.
