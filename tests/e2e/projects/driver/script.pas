// Every driver step: typing into an edit, Enter pressing the default button, a key on the
// form, a click on a panel and on a menu item, a screenshot and closing the form.
procedure OkButtonClick(Sender: TObject);
begin
  ShowMessage('typed ' + Edit1.Text);
end;

procedure Form1KeyDown(Sender: TObject; var Key: Word; Shift: TShiftState);
begin
  if Key = VK_F5 then Label1.Caption := 'F5 pressed';
end;

procedure Panel1Click(Sender: TObject);
begin
  ShowMessage('panel ' + Label1.Caption);
end;

procedure About1Click(Sender: TObject);
begin
  ShowMessage('about');
end;

begin
  Form1.KeyPreview := True;
  Form1.OnKeyDown := @Form1KeyDown;
  OkButton.OnClick := @OkButtonClick;
  Panel1.OnClick := @Panel1Click;
  About1.OnClick := @About1Click;
  Form1.ShowModal;
  ShowMessage('closed');
end.
