label L;
begin
  goto L;
end.
// expect error: [Error] (1:7): Label 'L' not set
