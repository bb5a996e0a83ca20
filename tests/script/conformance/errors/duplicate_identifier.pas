var Total: Integer;
    TOTAL: string;
begin
end.
// expect error: [Error] (2:5): Duplicate identifier 'TOTAL'
