// Floating point: the Mandelbrot set.
var
  x, y, iter, inside: Integer;
  cr, ci, zr, zi, t: Double;
begin
  inside := 0;
  for y := 0 to 299 do
    for x := 0 to 299 do
    begin
      cr := x * 3.0 / 300 - 2.0;
      ci := y * 2.0 / 300 - 1.0;
      zr := 0;
      zi := 0;
      iter := 0;
      while (iter < 100) and (zr * zr + zi * zi < 4.0) do
      begin
        t := zr * zr - zi * zi + cr;
        zi := 2.0 * zr * zi + ci;
        zr := t;
        iter := iter + 1;
      end;
      if iter = 100 then inside := inside + 1;
    end;
  Writeln(IntToStr(inside));
end.
