// A small program the variables and registry tests run as separate processes, each with
// the user's store ($XDG_DATA_HOME/vantrel/registry.db) as the player would open it.
//   registry_probe set GLOBAL NAME NUMBER    SetVariable(GLOBAL = 1, NAME, NUMBER)
//   registry_probe get GLOBAL NAME           prints GetVariable(GLOBAL = 1, NAME, -1)
//   registry_probe write PREFIX COUNT        COUNT DWORD values, one call each; exits 1
//                                            when any write failed
#include <cstdio>
#include <cstdlib>
#include <string>

#include "classes/PropValue.h"
#include "library/Registry.h"
#include "library/Variables.h"

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string command = argv[1];
    if (command == "set" && argc == 5) {
        library::setVariable(std::string(argv[2]) == "1", argv[3],
                             classes::Variant::integer(std::atoi(argv[4])));
        return 0;
    }
    if (command == "get") {
        classes::Variant v =
            library::getVariable(std::string(argv[2]) == "1", argv[3], classes::Variant::integer(-1));
        std::printf("%lld\n", static_cast<long long>(v.asInt64()));
        return 0;
    }
    if (command == "write") {
        const int count = std::atoi(argv[3]);
        bool ok = true;
        for (int i = 0; i < count; ++i) {
            ok = library::regWriteDWordValue(static_cast<int32_t>(0x80000001u), "Software\\Tamberlo\\Probe",
                                             std::string(argv[2]) + std::to_string(i), uint32_t(i)) &&
                 ok;
        }
        return ok ? 0 : 1;
    }
    return 2;
}
