// Commands to the interpreter as the tests send them: expecting success, or for the number.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "media/mci/Mci.h"
#include "media/mci/MciErrors.h"

namespace media::test {

// Sends `command` and expects success; returns the answer.
inline std::string ask(const std::string& command) {
    std::string result;
    const int code = mci::sendString(command, result);
    EXPECT_EQ(code, 0) << command << ": " << mci::errorText(code);
    return result;
}

// The error number `command` gives (0 for success).
inline int codeOf(const std::string& command) {
    std::string result;
    return mci::sendString(command, result);
}

}  // namespace media::test
