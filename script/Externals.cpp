// External declarations by their tokens: "function|procedure Name ... external 'text'".
#include "script/Externals.h"

#include "base/Error.h"
#include "script/Lexer.h"

namespace script {

std::vector<ExternalDeclaration> externalDeclarations(std::string_view source) {
    std::vector<ExternalDeclaration> out;
    Lexer lexer(source);
    std::string routine;
    bool nameNext = false;
    try {
        for (Token t = lexer.next(); t.type != Tok::Eof; t = lexer.next()) {
            if (t.type == Tok::KwFunction || t.type == Tok::KwProcedure) {
                nameNext = true;
                continue;
            }
            if (nameNext && t.type == Tok::Ident) routine = t.text;
            nameNext = false;
            if (t.type != Tok::KwExternal) continue;
            Token text = lexer.next();
            if (text.type == Tok::StrLit && !routine.empty()) out.push_back({routine, text.text, t.row});
        }
    } catch (const base::Error&) {
        // What was read so far stands.
    }
    return out;
}

}  // namespace script
