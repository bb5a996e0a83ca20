begin
  try
  except
    on E: Exception do ;
  end;
end.
// expect error: [Error] (4:5): Unknown identifier 'on'
