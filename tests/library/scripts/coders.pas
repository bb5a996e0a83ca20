// The seven coders behind EncodeStr and DecodeStr.
const Sample = 'Hello, World! <caf'#233'> & 100% "x=y"';
var t: Integer;
begin
  Log(EncodeStr(ctBase64, 'foobar'));                  // expect: Zm9vYmFy
  Log(DecodeStr(ctBase64, 'Zm9vYg'));                  // expect: foob
  Log(DecodeStr(ctBase64, 'QQBB'));                    // expect: A
  Log(EncodeStr(ctXX, 'a'));                           // expect: ME~~
  Log(EncodeStr(ctUUE, 'Cat'));                        // expect: 0V%T
  Log(EncodeStr(ctPrintable, 'a b=c'));                // expect: a=20b=3Dc
  Log(DecodeStr(ctLatin, 'x&amp;y &unknown; &#65;'));  // expect: x&y &unknown; A
  Log(EncodeStr(ctLatin, 'it''s <b>'));                // expect: it&#39;s &lt;b&gt;
  Log(DecodeStr(ctLatin, '&#300;&#-1;'));              // expect: ??
  Log(IntToStr(Length(EncodeStr(ctHex, StringOfChar('A', 17)))));  // expect: 38
  Log(DecodeStr(ctHex, '4142'#13#10'43'));             // expect: ABC
  Log(EncodeStr(7, 'abc'));                            // expect: abc
  for t := ctDefault to ctXX do
    if DecodeStr(t, EncodeStr(t, Sample)) <> Sample then Log('round trip failed for ' + IntToStr(t));
  Log('round trips');                                  // expect: round trips
end.
