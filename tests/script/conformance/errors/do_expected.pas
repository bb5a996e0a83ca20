var i: Integer;
begin
  for i := 1 to 2 Writeln('x');
end.
// expect error: [Error] (3:19): 'DO' expected
