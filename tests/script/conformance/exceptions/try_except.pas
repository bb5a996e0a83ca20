// try..except catches run-time errors and RaiseException; the Exception* routines
// describe the error being handled.
var
  i, z: Integer;
  s: string;
begin
  try
    z := 0;
    i := 10 div z;
    Writeln('not reached');
  except
    Writeln('caught ' + ExceptionToString(ExceptionType, ExceptionParam)); // expect: caught divide by Zero
  end;
  try
    RaiseException(erCustomError, 'custom text');
  except
    Writeln(ExceptionParam);                                   // expect: custom text
    if ExceptionType = erCustomError then Writeln('custom');   // expect: custom
  end;
  try
    RaiseException(erException, 'boom');
  except
    Writeln(ExceptionToString(ExceptionType, ExceptionParam)); // expect: Exception: boom
  end;
  try
    s := 'abc';
    s[10] := 'x';
  except
    Writeln(ExceptionToString(ExceptionType, ExceptionParam)); // expect: Out of string range
  end;
  Writeln(ExceptionToString(erTypeMismatch, ''));             // expect: Type Mismatch
  Writeln(ExceptionToString(erCouldNotCallProc, ''));         // expect: Could not call proc
  Writeln(ExceptionToString(erNullPointerException, ''));     // expect: Null Pointer Exception
  Writeln(ExceptionToString(erOutOfStackRange, ''));          // expect: Out Of Stack Range
  Writeln(ExceptionToString(erCannotImport, 'X'));            // expect: Cannot Import X
  Writeln(IntToStr(Ord(erCustomError)));                      // expect: 24
  try
    try
      RaiseException(erCustomError, 'inner');
    except
      Writeln('inner handler');                               // expect: inner handler
      RaiseLastException;
    end;
  except
    Writeln('outer ' + ExceptionParam);                       // expect: outer inner
  end;
  RaiseException(erCustomError, 'unhandled');                 // expect runtime error: unhandled (47:3)
end.
