type TFoo = class
end;
begin
end.
// expect error: [Error] (1:13): Identifier expected
