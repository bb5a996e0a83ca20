var x: Integer
begin
end.
// expect error: [Error] (2:1): Semicolon (';') expected
