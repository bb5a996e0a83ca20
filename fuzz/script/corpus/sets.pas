// Sets of enumerations, chars and bytes.
type
  TDay = (Mon, Tue, Wed, Thu, Fri, Sat, Sun);
  TDays = set of TDay;
var
  work, weekend, all: TDays;
  letters: set of Char;
  nums: set of Byte;
  d: TDay;
begin
  work := [Mon..Fri];
  weekend := [Sat, Sun];
  all := work + weekend;
  if Sat in all then Writeln('sat in all');           // expect: sat in all
  if not (Sat in work) then Writeln('sat not in work'); // expect: sat not in work
  all := all - [Mon];
  if Mon in all then Writeln('mon') else Writeln('no mon'); // expect: no mon
  if work * weekend = [] then Writeln('disjoint');    // expect: disjoint
  Include(weekend, Fri);
  Exclude(weekend, Sun);
  for d := Mon to Sun do
    if d in weekend then Write(IntToStr(Ord(d)));
  Writeln('');                                        // expect: 45
  if [Tue] <= work then Writeln('subset');            // expect: subset
  letters := ['a'..'f', 'x'];
  if 'c' in letters then Writeln('c');                // expect: c
  if not ('g' in letters) then Writeln('no g');       // expect: no g
  nums := [1, 3, 200];
  if 200 in nums then Writeln('200');                 // expect: 200
end.
