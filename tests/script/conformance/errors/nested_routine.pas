procedure Outer;
  procedure Inner;
  begin
  end;
begin
end;
begin
end.
// expect error: [Error] (2:3): 'BEGIN' expected
