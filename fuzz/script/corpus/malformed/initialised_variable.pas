var X: Integer = 1;
begin
end.
// expect error: [Error] (1:16): Semicolon (';') expected
