// An external routine the host did not install fails when called, not when loaded.
function Beep(Freq, Duration: Integer): Boolean; external 'Beep@kernel32.dll stdcall';

begin
  Writeln('before');                      // expect: before
  try
    Beep(440, 100);
  except
    Writeln(ExceptionToString(ExceptionType, ''));  // expect: Could not call proc
  end;
  Beep(440, 100);                         // expect runtime error: Could not call proc (11:3)
end.
