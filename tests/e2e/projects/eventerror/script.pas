// Errors in event procedures end only that event; the one in the main block ends the run.
var Zero: Integer;

procedure Button1Click(Sender: TObject);
begin
  RaiseException(erCustomError, 'Something went wrong');
  ShowMessage('not reached');
end;

procedure Button2Click(Sender: TObject);
begin
  ShowMessage(IntToStr(10 div Zero));
end;

procedure Button3Click(Sender: TObject);
begin
  ShowMessage('still running');
  Form1.Close;
end;

begin
  Application.Title := 'Errors';
  Button1.OnClick := @Button1Click;
  Button2.OnClick := @Button2Click;
  Button3.OnClick := @Button3Click;
  Form1.ShowModal;
  ShowMessage(IntToStr(1 div Zero));
  ShowMessage('not reached either');
end.
