// The main block shows the form modally; the handler it attached changes the label and
// closes the form, after which the main block reports what the label says.
procedure Button1Click(Sender: TObject);
begin
  Label1.Caption := 'clicked';
  Form1.Close;
end;

begin
  Button1.OnClick := @Button1Click;
  Form1.ShowModal;
  ShowMessage('Label1: ' + Label1.Caption);
end.
