var x: Integer;
if x = 1 then;
// expect error: [Error] (2:1): 'BEGIN' expected
