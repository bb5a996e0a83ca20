begin
  raise Exception.Create('x');
end.
// expect error: [Error] (2:3): Unknown identifier 'raise'
