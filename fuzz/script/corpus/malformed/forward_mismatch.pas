procedure P(A: Integer); forward;
procedure P(A: string);
begin
end;
begin
end.
// expect error: [Error] (2:11): Forward Parameter Mismatch
