uses Classes;

begin
  ShowMessage('not reached');
end.
