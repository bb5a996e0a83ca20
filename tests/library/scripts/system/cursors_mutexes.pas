// The cursor table and named mutexes.
var a, b: Integer;
begin
  a := AddCursor(TestFolder + '\arrow.cur');
  b := AddCursor(TestFolder + '\busy.ani');
  if b = a + 1 then Log('numbered in load order');                    // expect: numbered in load order
  if AddCursor(TestFolder + '\ARROW.CUR') = a then Log('loaded once'); // expect: loaded once
  if AddCursor(TestFolder + '\missing.cur') = b + 1 then Log('missing takes a number');  // expect: missing takes a number
  SetDefaultCursor(a);
  SetDefaultCursor(b);
  SetDefaultCursor(0);
  Log('cursors shown');                                                // expect: cursors shown

  if not CheckForMutexes('VantrelScriptTest') then Log('not yet');    // expect: not yet
  CreateMutex('VantrelScriptTest');
  if CheckForMutexes('other, VantrelScriptTest ') then Log('found');  // expect: found
  if not CheckForMutexes('') then Log('empty list');                  // expect: empty list
end.
