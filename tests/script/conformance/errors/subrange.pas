type TSmall = 1..10;
begin
end.
// expect error: [Error] (1:15): Identifier expected
