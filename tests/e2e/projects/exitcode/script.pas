begin
  ShowMessage('%Embedded%');
  exitprocess(7);
  ShowMessage('not reached');
end.
