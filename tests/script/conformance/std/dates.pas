// pscript: --std
// The date routines: encoding and decoding, the day of the week, Unix times and the
// FormatDateTime format language.
var d, t: TDateTime; y, m, dd, h, n, s, ms: Word;
begin
  d := EncodeDate(2004, 2, 29);
  DecodeDate(d + 1, y, m, dd);
  Writeln(IntToStr(y) + '/' + IntToStr(m) + '/' + IntToStr(dd));   // expect: 2004/3/1
  Writeln(IntToStr(DayOfWeek(d)));                                  // expect: 1
  Writeln(FloatToStr(EncodeDate(1899, 12, 30)));                    // expect: 0
  t := EncodeTime(13, 5, 9, 250);
  DecodeTime(d + t, h, n, s, ms);
  Writeln(IntToStr(h) + ':' + IntToStr(n) + ':' + IntToStr(s) + '.' + IntToStr(ms));  // expect: 13:5:9.250
  Writeln(FormatDateTime('yyyy-mm-dd hh:nn:ss.zzz', d + t));         // expect: 2004-02-29 13:05:09.250
  Writeln(FormatDateTime('dddd d mmmm yy, h:nn am/pm', d + t));      // expect: Sunday 29 February 04, 1:05 pm
  Writeln(FormatDateTime('ddd mmm "at" hh''h''', d + t));            // expect: Sun Feb at 13h
  if not TryEncodeDate(2003, 2, 29, d) then Writeln('no 29 Feb 2003');  // expect: no 29 Feb 2003
  if TryEncodeTime(23, 59, 59, 999, t) then Writeln(FormatDateTime('hh:nn:ss', t));  // expect: 23:59:59
  Writeln(IntToStr(DateTimeToUnix(EncodeDate(2001, 9, 9) + EncodeTime(1, 46, 40, 0))));  // expect: 1000000000
  Writeln(FormatDateTime('yyyy-mm-dd', UnixToDateTime(0)));          // expect: 1970-01-01
  d := EncodeDate(2024, 12, 31);
  if StrToDate(DateToStr(d)) = d then Writeln('round trip');         // expect: round trip
  if Now - Date < 1 then Writeln('today');                           // expect: today
  try
    d := EncodeDate(2024, 13, 1);
  except
    Writeln(ExceptionToString(ExceptionType, ExceptionParam));     // expect: Exception: Invalid argument to date encode
  end;
  d := StrToDate('not a date');                                      // expect runtime error: Exception: 'not a date' is not a valid date (29:8)
end.
