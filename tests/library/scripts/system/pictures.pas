// Pictures on generated files and on the test's form: loading, saving, clearing, window
// copies, form images and system icons.
var folder: string;
begin
  folder := TestFolder;
  LoadImage(Image1, folder + '\photo.tga');
  Log(IntToStr(Image1.Picture.Width) + 'x' + IntToStr(Image1.Picture.Height));  // expect: 12x8
  SaveImage(Image1, folder + '\copy.tga');
  if FileSize(folder + '\copy.tga') = FileSize(folder + '\photo.tga') then Log('saved');  // expect: saved
  try
    LoadImage(Image1, folder + '\nothing.png');
  except
    Log('missing file raises');                                        // expect: missing file raises
  end;
  Log(IntToStr(Image1.Picture.Width));                                 // expect: 12
  if ClearImage(Image1) then Log(IntToStr(Image1.Picture.Width));      // expect: 0

  CopyWindowTo(Image1.Picture, Form1.Handle, 2, 2, 10, 6);
  Log(IntToStr(Image1.Picture.Width) + 'x' + IntToStr(Image1.Picture.Height));  // expect: 10x6
  CopyWindowTo(Image1.Picture, 77777, 0, 0, 3, 3);
  Log(IntToStr(Image1.Picture.Width));                                 // expect: 10
  GetFormImage(Form1, Image1.Picture);
  Log(IntToStr(Image1.Picture.Width) + 'x' + IntToStr(Image1.Picture.Height));  // expect: 64x48
  FreeGraphic(Image1.Picture);
  Log(IntToStr(Image1.Picture.Width));                                 // expect: 0
  LoadWinIco(1, Image1.Picture);
  Log(IntToStr(Image1.Picture.Width));                                 // expect: 32
  LoadWinIco(9, Image1.Picture);
  Log(IntToStr(Image1.Picture.Height));                                // expect: 32
end.
