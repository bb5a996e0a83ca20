// A failed variant conversion is the catchable exception "Invalid variant type cast", and the
// script goes on with its variables intact (the failed operation leaves nothing behind).
var
  v, w: Variant;
  n: Integer;
begin
  v := 'abc';
  w := 2;
  try
    v := v * w;
  except
    Writeln('mul ' + ExceptionToString(ExceptionType, ExceptionParam)); // expect: mul Exception: Invalid variant type cast
  end;
  Writeln(v);                                                          // expect: abc
  try
    v := -v;
  except
    Writeln('neg ' + ExceptionToString(ExceptionType, ExceptionParam)); // expect: neg Exception: Invalid variant type cast
  end;
  try
    if v > w then Writeln('not reached');
  except
    Writeln('cmp ' + ExceptionToString(ExceptionType, ExceptionParam)); // expect: cmp Exception: Invalid variant type cast
  end;
  w := 0;
  v := 7;
  try
    v := v div w;
  except
    Writeln('div ' + ExceptionToString(ExceptionType, ExceptionParam)); // expect: div divide by Zero
  end;
  for n := 1 to 1000 do
    try
      v := 'x' + IntToStr(n);
      v := v - 1;
    except
    end;
  Writeln(v);                                                          // expect: x1000
end.
