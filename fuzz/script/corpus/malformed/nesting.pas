begin
  Writeln(((((((((((1))))))))));
end.