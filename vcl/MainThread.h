// Handing work to the user-interface thread from any thread (a worker's notices). The
// function runs there once the current event is done; without a running toolkit it is
// dropped.
#pragma once

#include <functional>

namespace vcl::toolkit {

void postFromAnyThread(std::function<void()> fn);

}  // namespace vcl::toolkit
