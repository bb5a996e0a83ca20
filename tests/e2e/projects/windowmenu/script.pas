// The form has no pop-up menu of its own, so the player's entries are its context menu;
// the automation file chooses them by name while the form is modal.
begin
  Form1.ShowModal;
  ShowMessage('closed');
end.
