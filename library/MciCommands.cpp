#include "library/MciCommands.h"

#include "media/mci/Mci.h"
#include "media/mci/MciErrors.h"
#include "platform/Paths.h"
#include "runtime/Placeholders.h"

namespace library {

bool SendMCIString(const std::string& command, std::string& resultMsg, int32_t& resultCode) {
    std::string answer;
    resultCode = media::mci::sendString(runtime::RepConst(command), answer, [](std::string_view name) {
        return platform::resolvePath(name).string();
    });
    // A status answer is what the script asked for; the bare success text says nothing more.
    resultMsg = resultCode == 0 && !answer.empty() ? answer : media::mci::errorText(resultCode);
    return resultCode == 0;
}

}  // namespace library
