// Talks to its debugger all through the run: a debugger that goes away must not end it.
var Ticks: Integer;

procedure Timer1Timer(Sender: TObject);
begin
  Ticks := Ticks + 1;
  SendCommandToDebugger(DC_HINT, 'tick ' + IntToStr(Ticks));
  if Ticks = 40 then
  begin
    Timer1.Enabled := False;
    Form1.Close;
  end;
end;

begin
  SendCommandToDebugger(DC_WARNING, 'starting');
  Timer1.OnTimer := @Timer1Timer;
  Timer1.Enabled := True;
  Form1.ShowModal;
  if IsDebuggerAttached then
    ShowMessage('ticks ' + IntToStr(Ticks) + ' attached')
  else
    ShowMessage('ticks ' + IntToStr(Ticks) + ' alone');
end.
