program Demo;

{ The demo's script. The form holds only its frame; the script fills it when the form
  shows: a greeting, a button that asks for your name, a button that counts its clicks
  and one that closes the show. A short tune, embedded with the project, loops quietly
  while the form is open. }

var
  Tune: Integer;
  Greeting: TLabel;
  CountButton: TButton;
  Clicks: Integer;

procedure AskName(Sender: TObject);
var
  Name: string;
begin
  Name := InputBox('Vantrel demo', 'What is your name?', 'visitor');
  Greeting.Caption := 'Hello, ' + Name + '!';
end;

procedure CountClick(Sender: TObject);
begin
  Clicks := Clicks + 1;
  CountButton.Caption := 'Clicked ' + IntToStr(Clicks) + ' time(s)';
  if Clicks = 3 then
    ShowMessage('Three clicks. The script keeps count;%nthe player runs it.');
end;

procedure CloseClick(Sender: TObject);
begin
  if MsgBox('Leave the demo?', 'Vantrel demo', MB_YESNO or MB_ICONQUESTION) = IDYES then
    DemoForm.Close;
end;

function NewButton(const AName, ACaption: string; ALeft: Integer; Handler: TNotifyEvent): TButton;
begin
  Result := TButton.Create(DemoForm);
  Result.Name := AName;
  Result.Parent := Info;
  Result.SetBounds(ALeft, 72, 128, 28);
  Result.Caption := ACaption;
  Result.OnClick := Handler;
end;

procedure BuildForm(Sender: TObject);
begin
  if Greeting <> nil then Exit;
  Greeting := TLabel.Create(DemoForm);
  Greeting.Name := 'Greeting';
  Greeting.Parent := Info;
  Greeting.SetBounds(16, 24, 400, 20);
  Greeting.Font.Height := -16;
  Greeting.Caption := 'Your autorun presentation plays here.';
  NewButton('HelloButton', 'Say hello', 16, @AskName);
  CountButton := NewButton('CountButton', 'Count my clicks', 152, @CountClick);
  NewButton('CloseButton', 'Close', 288, @CloseClick);
end;

begin
  DemoForm.OnShow := @BuildForm;
  Tune := PlayMusicLoopEx('%Embedded%\tune.ogg', 40, 0);
  DemoForm.ShowModal;
  StopMusic(Tune);
end.
