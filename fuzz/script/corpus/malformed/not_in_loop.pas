begin
  Break;
end.
// expect error: [Error] (2:3): Not in a loop
