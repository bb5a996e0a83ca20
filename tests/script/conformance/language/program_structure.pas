program Structure;
{$APPTYPE CONSOLE} {$R+}
// Sections in any order and repeated, forward declarations, optional parentheses,
// the function name as result, a script routine shadowing a built-in, and text after "end.".
const
  Greeting = 'hi';
var
  first: Integer;
type
  TNum = Integer;
var
  second: TNum;
const
  Twice = 2 * 21;

procedure Later(N: Integer); forward;

function Answer: Integer;
begin
  Answer := Twice;
end;

procedure Later(N: Integer);
begin
  Writeln(Greeting + ' ' + IntToStr(N));
end;

function IntToStr(I: Integer): string;
begin
  Result := 'shadowed';
end;

procedure NoArgs;
begin
  Writeln('no args');
end;

begin
  first := Answer;
  second := Answer();
  Later(first + second);       // expect: hi 84
  NoArgs;                      // expect: no args
  NoArgs();                    // expect: no args
  Writeln(IntToStr(5));        // expect: shadowed
end.
This text is ignored, even if it is not Pascal: begin begin (*
