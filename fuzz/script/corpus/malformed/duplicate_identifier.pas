var a: Integer;
    A: string;
begin
end.
// expect error: [Error] (2:5): Duplicate identifier 'A'
