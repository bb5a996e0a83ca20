begin
end
// expect error: [Error] (4:1): period ('.') expected
