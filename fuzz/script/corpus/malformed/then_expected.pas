begin
  if True Writeln('x');
end.
// expect error: [Error] (2:11): 'THEN' expected
