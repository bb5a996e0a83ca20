#include "library/IFSI_Mci.h"

#include "library/Guarded.h"
#include "library/MciCommands.h"
#include "script/Imports.h"

namespace library {

const script::Imports& mciImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine(
            "function SendMCIString(command : string; var ResultMsg : string; var ResultCode: integer) : "
            "boolean;",
            guarded<&SendMCIString>);
        return m;
    }();
    return table;
}

}  // namespace library
