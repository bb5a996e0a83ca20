// fpc-compatible: tests/script/fpc_check.py checks this output against Free Pascal.
{$B+} // complete Boolean evaluation, the dialect's only mode
// 'and' and 'or' always evaluate both operands.
var
  calls: Integer;

function Touch(V: Boolean): Boolean;
begin
  calls := calls + 1;
  Result := V;
end;

begin
  calls := 0;
  if Touch(False) and Touch(True) then Writeln('yes');
  Writeln(IntToStr(calls));                  // expect: 2
  if Touch(True) or Touch(False) then Writeln('yes'); // expect: yes
  Writeln(IntToStr(calls));                  // expect: 4
  if Touch(True) xor Touch(True) then Writeln('xor') else Writeln('no xor'); // expect: no xor
end.
