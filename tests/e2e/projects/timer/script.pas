// The timer's event runs while the main block waits in ShowModal.
var Ticks: Integer;

procedure Timer1Timer(Sender: TObject);
begin
  Ticks := Ticks + 1;
  Label1.Caption := IntToStr(Ticks);
  if Ticks = 3 then
  begin
    Timer1.Enabled := False;
    Form1.Close;
  end;
end;

begin
  Timer1.OnTimer := @Timer1Timer;
  Timer1.Enabled := True;
  Form1.ShowModal;
  ShowMessage('ticks ' + Label1.Caption);
end.
