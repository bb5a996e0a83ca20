// The shaped form takes the mask the test wrote; the test reads the window's shape from the
// X server and ends the player.
begin
  if not Heart.LoadMaskFromFile(GetEnv('VANTREL_TEST_MASK')) then
    ShowMessage('the mask was refused');
  Form1.ShowModal;
end.
