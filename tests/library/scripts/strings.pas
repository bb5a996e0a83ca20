// The string helpers through the script vocabulary (regional settings pinned to "C").
var s: string;
begin
  Log(Format('%1 and %2', ['a', 5]));                  // expect: a and 5
  Log(Format('%10', ['x']));                           // expect: x0
  Log(Format('%1 %2 [%3]', [True, 1.5, '%2']));        // expect: True 1.5 [%2]
  Log(Format('%1', ['%2', 'b']));                      // expect: b
  Log(IntToHex(255, 4));                               // expect: 00FF
  Log(IntToHex(-1, 2));                                // expect: FFFFFFFF
  if StrToBool('tRUE') and StrToBool('2') and not StrToBool('x') then Log('bools');  // expect: bools
  Log(BoolToStr(False));                               // expect: False
  if SameText('Hello', 'hELLO') then Log('same');      // expect: same
  s := 'aXbxc';
  StringChange(s, 'x', '--');
  Log(s);                                              // expect: a--b--c
  s := 'abcdef';
  if AdjustLength(s, 3) then Log(s);                   // expect: abc
  Log(AddQuotes(' C:\Program Files '));                // expect: "C:\Program Files"
  Log(RemoveQuotes('""a""'));                          // expect: a
  s := 'a%41b';
  if ConvertPercentStr(s) then Log(s);                 // expect: aAb
  s := '100%';
  if not ConvertPercentStr(s) then Log('kept ' + s);   // expect: kept 100%
  s := '%41{x%zz}';
  if ConvertConstPercentStr(s) then Log(s);            // expect: A{x%zz}
  Log(IntToStr(ConstPos(',', 'a{b,c},d')));            // expect: 7
  Log(IntToStr(SkipPastConst('{app}\x', 1)));          // expect: 6
  if not IsMultiByteString('abc') then Log('single-byte');  // expect: single-byte
  Log(RemoveAccelChar('Save && &Quit'));               // expect: Save & Quit
  Log(AddPeriod('Done'));                              // expect: Done.
  if IsWildcard('*.txt') and WildcardMatch('readme.txt', '*.txt') and not WildcardMatch('a', 'b') then
    Log('wildcards');                                  // expect: wildcards
  Log(IntToStr(IntMax(-3, 2)));                        // expect: 2
  Log(Win32ErrorString(5));                            // expect: Access is denied
  Log('[' + Win32ErrorString(7) + ']');                // expect: []
  Log(StringToHTML('<a & b>'));                        // expect: &lt;a&nbsp;&amp;&nbsp;b&gt;
end.
