begin
  InternalError('X');
  ShowMessage('not reached');
end.
