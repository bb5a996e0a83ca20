// Long work on the user-interface thread (archive restores, downloads, waits for started
// programs) lets pending window messages run now and then, so the windows stay alive and
// script event procedures may run nested. The user interface installs the pump; without
// one, processMessages() does nothing.
#pragma once

#include <functional>

namespace platform {

void setMessagePump(std::function<void()> pump);
void processMessages();

}  // namespace platform
