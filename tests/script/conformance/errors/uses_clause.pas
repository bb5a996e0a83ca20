uses Classes;
begin
end.
// expect error: [Error] (1:6): Unknown identifier 'Classes'
