// try..finally and try..except with RaiseException.
var
  i, caught, cleaned: Integer;

procedure MayFail(N: Integer);
begin
  if N mod 3 = 0 then
    RaiseException(erCustomError, 'failed');
end;

begin
  caught := 0;
  cleaned := 0;
  for i := 1 to 300000 do
  begin
    try
      try
        MayFail(i);
      finally
        cleaned := cleaned + 1;
      end;
    except
      caught := caught + 1;
    end;
  end;
  Writeln(IntToStr(caught) + ' ' + IntToStr(cleaned));
end.
