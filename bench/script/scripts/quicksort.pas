// Quicksort on a dynamic array with var parameters.
type
  TIntArray = array of Integer;
var
  data: TIntArray;
  i, round, seed: Integer;
  check: Int64;

procedure Swap(var A, B: Integer);
var
  t: Integer;
begin
  t := A;
  A := B;
  B := t;
end;

procedure Sort(var A: TIntArray; Lo, Hi: Integer);
var
  i, j, pivot: Integer;
begin
  i := Lo;
  j := Hi;
  pivot := A[(Lo + Hi) div 2];
  repeat
    while A[i] < pivot do i := i + 1;
    while A[j] > pivot do j := j - 1;
    if i <= j then
    begin
      Swap(A[i], A[j]);
      i := i + 1;
      j := j - 1;
    end;
  until i > j;
  if Lo < j then Sort(A, Lo, j);
  if i < Hi then Sort(A, i, Hi);
end;

begin
  check := 0;
  seed := 12345;
  SetLength(data, 100000);
  for round := 1 to 5 do
  begin
    for i := 0 to High(data) do
    begin
      seed := (seed * 1103515245 + 12345) and $7FFFFFFF;
      data[i] := seed mod 1000000;
    end;
    Sort(data, 0, High(data));
    check := check + data[0] + data[50000] + data[High(data)];
  end;
  Writeln(IntToStr(check));
end.
