program Demo;

{ The demo's script. The form holds only its frame; the script fills it when the form
  shows: a greeting, a button that asks for your name, a button that counts its clicks
  and one that closes the show. The name is kept in the registry, so the next show
  greets you by it. Below them, three picture buttons start the keyboard, desktop and
  mouse programs that ship with the player, a label opens the project's read-me, and a
  button shows an oval window you can drag around. A short tune, embedded with the
  project, loops quietly while the form is open. }

const
  DemoKey = 'Software\Vantrel demo';

var
  Tune: Integer;
  Badge: TForm;
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

{ The picture buttons draw their own three faces: at rest, under the mouse, pressed. }
procedure DrawFace(Picture: TPicture; const Caption: string; Face, Ink: TColor);
var
  B: TBitmap;
  C: TCanvas;
begin
  B := TBitmap.Create;
  B.SetSize(128, 40);
  C := B.Canvas;
  C.Brush.Color := Face;
  C.Pen.Color := clNavy;
  C.RoundRect(0, 0, 128, 40, 12, 12);
  C.Font.Color := Ink;
  C.Font.Height := -14;
  C.Font.Style := [fsBold];
  C.TextOut((128 - C.TextWidth(Caption)) div 2, (40 - C.TextHeight(Caption)) div 2, Caption);
  Picture.Assign(B);
  B.Free;
end;

{ The utility programs sit beside the player when installed, or in the build's tools folder. }
procedure StartTool(const Name: string);
var
  Error: Integer;
begin
  if not ShellExec('%PLDIR%\' + Name + '.exe', '', '', 1, Error) then
    if not ShellExec('%PLDIR%\..\tools\' + Name + '.exe', '', '', 1, Error) then
      ShowMessage('The ' + Name + ' program could not be started (error ' + IntToStr(Error) + ').');
end;

procedure KeyboardClick(Sender: TObject);
begin
  StartTool('keyboard');
end;

procedure DesktopClick(Sender: TObject);
begin
  StartTool('desktop');
end;

procedure MouseClick(Sender: TObject);
begin
  StartTool('mouse');
end;

function NewToolButton(const AName, ACaption: string; ALeft: Integer; Handler: TNotifyEvent): TImgBtn;
var
  Face: TPicture;
begin
  Result := TImgBtn.Create(DemoForm);
  Result.Name := AName;
  Result.Parent := DemoForm;
  Result.SetBounds(ALeft, 252, 128, 40);
  Face := TPicture.Create;
  DrawFace(Face, ACaption, 15793151, clNavy);
  Result.Pic := Face;
  DrawFace(Face, ACaption, clTeal, clWhite);
  Result.PicUp := Face;
  DrawFace(Face, ACaption, clNavy, clWhite);
  Result.PicDown := Face;
  Face.Free;
  Result.OnClick := Handler;
end;

{ The oval window: its picture fills it, its shape comes from the mask packed with the
  project, and dragging the picture moves it. A double click closes it. }
procedure BadgeDblClick(Sender: TObject);
begin
  Badge.Close;
end;

procedure ShowBadge(Sender: TObject);
var
  Shape: TCoolForm;
  B: TBitmap;
  C: TCanvas;
begin
  if Badge = nil then
  begin
    Badge := TForm.Create(DemoForm);
    Badge.BorderStyle := bsNone;
    Badge.SetBounds(DemoForm.Left + 120, DemoForm.Top + 70, 240, 160);
    Shape := TCoolForm.Create(Badge);
    Shape.Parent := Badge;
    B := TBitmap.Create;
    B.SetSize(240, 160);
    C := B.Canvas;
    C.Brush.Color := clTeal;
    C.FillRect(Rect(0, 0, 240, 160));
    C.Font.Color := clWhite;
    C.Font.Height := -18;
    C.Font.Style := [fsBold];
    C.TextOut((240 - C.TextWidth('Vantrel')) div 2, 52, 'Vantrel');
    C.Font.Height := -12;
    C.Font.Style := [];
    C.TextOut((240 - C.TextWidth('Drag me; double-click to close')) div 2, 88,
      'Drag me; double-click to close');
    Shape.Picture.Assign(B);
    B.Free;
    Shape.OnDblClick := @BadgeDblClick;
    if not Shape.LoadMaskFromFile('%Embedded%\badge.msk') then
      ShowMessage('The oval mask could not be read; the window stays square.');
  end;
  Badge.Show;
end;

procedure BuildLinks;
var
  ReadMe: TInteractiveLabel;
begin
  NewToolButton('KeyboardButton', 'Keyboard', 24, @KeyboardClick);
  NewToolButton('DesktopButton', 'Desktop', 176, @DesktopClick);
  NewToolButton('MouseButton', 'Mouse', 328, @MouseClick);
  ReadMe := TInteractiveLabel.Create(DemoForm);
  ReadMe.Name := 'ReadMeLink';
  ReadMe.Parent := Info;
  ReadMe.SetBounds(160, 98, 200, 16);
  ReadMe.Caption := 'Open the read-me';
  ReadMe.ColorNormal := clBlue;
  ReadMe.ColorOnMouseOver := clTeal;
  ReadMe.ColorOnMouseClick := clNavy;
  ReadMe.RunFileOnClick := '%Embedded%\readme.txt';
end;

function NewButton(const AName, ACaption: string; ALeft: Integer; Handler: TNotifyEvent): TButton;
begin
  Result := TButton.Create(DemoForm);
  Result.Name := AName;
  Result.Parent := Info;
  Result.SetBounds(ALeft, 48, 128, 28);
  Result.Caption := ACaption;
  Result.OnClick := Handler;
end;

procedure BuildForm(Sender: TObject);
var
  Visitor: string;
  BadgeButton: TButton;
begin
  if Greeting <> nil then Exit;
  Visitor := ReadFromRegistry(HKEY_CURRENT_USER, DemoKey, 'Visitor', '');
  Greeting := TLabel.Create(DemoForm);
  Greeting.Name := 'Greeting';
  Greeting.Parent := Info;
  Greeting.SetBounds(16, 14, 400, 20);
  Greeting.Font.Height := -16;
  if Visitor = '' then
    Greeting.Caption := 'Your autorun presentation plays here.'
  else
    Greeting.Caption := 'Welcome back, ' + Visitor + '!';
  NewButton('HelloButton', 'Say hello', 16, @AskName);
  CountButton := NewButton('CountButton', 'Count my clicks', 152, @CountClick);
  NewButton('CloseButton', 'Close', 288, @CloseClick);
  BadgeButton := NewButton('BadgeButton', 'Oval window', 16, @ShowBadge);
  BadgeButton.Top := 92;
  BuildLinks;
end;

begin
  DemoForm.OnShow := @BuildForm;
  Tune := PlayMusicLoopEx('%Embedded%\tune.ogg', 40, 0);
  DemoForm.ShowModal;
  StopMusic(Tune);
end.
