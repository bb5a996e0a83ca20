label L;
begin
  try
    L: Writeln('x');
  finally
  end;
  goto L;
end.
// expect error: [Error] (7:8): Invalid jump
