type PInt = ^Integer;
begin
end.
// expect error: [Error] (1:13): Identifier expected
