// Appending to a string in place must keep every observable result of s := s + ...
var
  g: string;
  i: Integer;

procedure AddTo(var S: string; N: Integer);
begin
  S := S + IntToStr(N) + ',';
end;

function Touch: string;
begin
  g := 'changed';
  Result := '!';
end;

function Local: string;
var
  s: string;
  k: Integer;
begin
  s := '';
  for k := 1 to 5 do
    s := s + Chr(Ord('a') + k - 1);
  s := s + s;
  Result := s;
end;

begin
  g := '';
  for i := 1 to 3 do AddTo(g, i);
  Writeln(g);                  // expect: 1,2,3,
  Writeln(Local);              // expect: abcdeabcde
  g := 'x';
  g := g + 'y' + g + 'z';
  Writeln(g);                  // expect: xyxz
  g := 'start';
  g := g + Touch;
  Writeln(g);                  // expect: start!
  g := 'keep';
  i := 0;
  try
    g := g + IntToStr(10 div i);
  except
    Writeln(g);                // expect: keep
  end;
end.
