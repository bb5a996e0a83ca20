// A called external routine whose library is missing stops the script from loading; one
// that is declared but never called does not.
function Beep(Freq, Duration: Integer): Boolean; external 'Beep@kernel32.dll stdcall';
function Unused(X: Integer): Integer; external 'Unused@nosuchlibrary.dll';

begin
  Writeln('never');
  Beep(440, 100);
end.
// expect runtime error: Cannot Import BEEP (0:0)
