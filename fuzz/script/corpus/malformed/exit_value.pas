function F: Integer;
begin
  Exit(1);
end;
begin
end.
// expect error: [Error] (3:7): Semicolon (';') expected
