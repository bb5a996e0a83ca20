// Components as text and back; an unknown class raises a script error.
var c, d: TComponent; s: string;
begin
  c := TComponent.Create(nil);
  c.Name := 'Holder';
  c.Tag := 7;
  s := ComponentToString(c);
  Log(Trim(s));
  // expect: object Holder: TComponent
  // expect:   Tag = 7
  // expect: end
  d := StringToComponent(s);
  Log(IntToStr(d.Tag));                                // expect: 7
  d.Free;
  c.Free;
  try
    d := StringToComponent('object X: TNoSuchClass'#13#10'end');
  except
    Log(ExceptionToString(ExceptionType, ExceptionParam));  // expect: Exception: Class TNoSuchClass not found
  end;
end.
