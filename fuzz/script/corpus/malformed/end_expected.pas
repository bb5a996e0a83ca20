begin
  Writeln('a')
  Writeln('b');
end.
// expect error: [Error] (3:3): 'END' expected
