const C: Integer = 1;
begin
end.
// expect error: [Error] (1:8): is ('=') expected
