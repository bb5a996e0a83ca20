program Demo;

{ The demo's script. The form holds only its frame; the script fills it when the form
  shows: a greeting, a button that asks for your name, a button that counts its clicks
  and one that closes the show. The name is kept in the registry, so the next show
  greets you by it. A short tune, embedded with the project, loops quietly while the
  form is open. }

const
  DemoKey = 'Software\Vantrel demo';

var
  Tune: Integer;
  Greeting: TLabel;
  CountButton: TButton;
  Clicks: Integer;

procedure AskName(Sender: TObject);
var
  Name: string;
begin
  Name := ReadFromRegistry(HKEY_CURRENT_USER, DemoKey, 'Visitor', 'visitor');
  Name := Trim(InputBox('Vantrel demo', 'What is your name?', Name));
  Greeting.Caption := 'Hello, ' + Name + '!';
  WriteToRegistry(HKEY_CURRENT_USER, DemoKey, 'Visitor', Name);
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
var
  Visitor: string;
begin
  if Greeting <> nil then Exit;
  Visitor := ReadFromRegistry(HKEY_CURRENT_USER, DemoKey, 'Visitor', '');
  Greeting := TLabel.Create(DemoForm);
  Greeting.Name := 'Greeting';
  Greeting.Parent := Info;
  Greeting.SetBounds(16, 24, 400, 20);
  Greeting.Font.Height := -16;
  if Visitor = '' then
    Greeting.Caption := 'Your autorun presentation plays here.'
  else
    Greeting.Caption := 'Welcome back, ' + Visitor + '!';
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
