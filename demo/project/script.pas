program Demo;

{ The demo's script: the player shows the form, the script drives it. }
begin
  DemoForm.ShowModal;
end.
