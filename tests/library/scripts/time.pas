// Time texts and versions (regional settings pinned to "C"); StrToTime raises a script error.
var t: TDateTime;
begin
  Log(SecondsToString(59));                            // expect: 00:59
  Log(SecondsToString(3600));                          // expect: 01:00:00
  Log(IntToStr(DayOfYear(36526 + 365)));               // expect: 366
  Log(TimeToStr(0.75));                                // expect: 18:00:00
  t := StrToTime('6:15 PM');
  Log(TimeToStr(t));                                   // expect: 18:15:00
  if ISVersionOlder('1.2', '1.10') and not ISVersionOlder('2.0', '2.0.0.0') then Log('versions');  // expect: versions
  try
    t := StrToTime('25:00');
  except
    Log(ExceptionToString(ExceptionType, ExceptionParam));  // expect: Exception: '25:00' is not a valid time
  end;
end.
