var x: Integer;
begin
  x := Foo + 1;
end.
// expect error: [Error] (3:8): Unknown identifier 'Foo'
