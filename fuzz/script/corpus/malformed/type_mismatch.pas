var x: Integer;
begin
  x := 'abc';
end.
// expect error: [Error] (3:5): Type mismatch
