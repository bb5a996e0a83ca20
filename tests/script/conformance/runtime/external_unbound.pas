// A delay-loaded external routine whose library is missing fails when called, not when loaded.
function Beep(Freq, Duration: Integer): Boolean; external 'Beep@kernel32.dll stdcall delayload';

begin
  Writeln('before');                      // expect: before
  try
    Beep(440, 100);
  except
    Writeln(ExceptionToString(ExceptionType, ''));  // expect: Could not call proc
  end;
  Beep(440, 100);                         // expect runtime error: Could not call proc (11:3)
end.
