begin
  { never closed
end.
// expect error: [Error] (2:3): Comment error
