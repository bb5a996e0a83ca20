var a: TFoo;
begin
end.
// expect error: [Error] (1:8): Unknown type 'TFoo'
