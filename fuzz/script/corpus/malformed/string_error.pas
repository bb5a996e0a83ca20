begin
  Writeln('abc);
end.
// expect error: [Error] (2:11): String error
