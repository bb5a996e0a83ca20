// finally parts run on normal exit, on exceptions, on Exit and on Break/Continue.
var
  i: Integer;

procedure WithExit;
begin
  try
    Writeln('body');
    Exit;
    Writeln('not reached');
  finally
    Writeln('finally after exit');
  end;
  Writeln('not reached either');
end;

function Nested: Integer;
begin
  Result := 1;
  try
    try
      Result := 2;
      Exit;
    finally
      Writeln('inner finally');
    end;
  finally
    Writeln('outer finally');
  end;
  Result := 3;
end;

begin
  WithExit;
  // expect: body
  // expect: finally after exit
  Writeln(IntToStr(Nested));
  // expect: inner finally
  // expect: outer finally
  // expect: 2
  for i := 1 to 3 do
  begin
    try
      if i = 2 then Break;
      Writeln('loop ' + IntToStr(i));
    finally
      Writeln('cleanup ' + IntToStr(i));
    end;
  end;
  // expect: loop 1
  // expect: cleanup 1
  // expect: cleanup 2
  Writeln(IntToStr(i));                 // expect: 2
  for i := 1 to 2 do
    try
      Continue;
    finally
      Writeln('continue cleanup');
    end;
  // expect: continue cleanup
  // expect: continue cleanup
  try
    try
      RaiseException(erCustomError, 'x');
    finally
      Writeln('finally on error');      // expect: finally on error
    end;
  except
    Writeln('handled ' + ExceptionParam); // expect: handled x
  end;
  try
    Writeln('combined');                // expect: combined
    RaiseException(erCustomError, 'y');
  finally
    Writeln('combined finally');        // expect: combined finally
  except
    Writeln('combined except');         // expect: combined except
  end;
  try
    RaiseException(erCustomError, 'z');
  except
    Writeln('except part');             // expect: except part
  finally
    Writeln('finally part');            // expect: finally part
  end;
  i := 0;
  while True do
  begin
    try
      try
        i := i + 1;
        if i = 3 then Break;
      except
        Writeln('never');
      end;
    finally
      Writeln('round ' + IntToStr(i));
    end;
  end;
  // expect: round 1
  // expect: round 2
  // expect: round 3
end.
