// The message table of our own and the script error built from the last system error.
#include "library/SystemMessages.h"

#include "base/Error.h"
#include "platform/LastError.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace library;

TEST(SystemMessages, CommonCodesHaveTheSystemTextWithoutTheFullStop) {
    EXPECT_EQ(Win32ErrorString(2), "The system cannot find the file specified");
    EXPECT_EQ(Win32ErrorString(3), "The system cannot find the path specified");
    EXPECT_EQ(Win32ErrorString(5), "Access is denied");
    EXPECT_EQ(Win32ErrorString(8), "Not enough storage is available to process this command");
    EXPECT_EQ(Win32ErrorString(32),
              "The process cannot access the file because it is being used by another process");
    EXPECT_EQ(Win32ErrorString(87), "The parameter is incorrect");
    EXPECT_EQ(Win32ErrorString(183), "Cannot create a file when that file already exists");
    EXPECT_EQ(Win32ErrorString(1223), "The operation was canceled by the user");
    EXPECT_EQ(Win32ErrorString(193), "%1 is not a valid Win32 application");  // inserts stay
    for (int32_t unknown : {-1, 7, 99999, INT32_MIN}) EXPECT_EQ(Win32ErrorString(unknown), "") << unknown;
    for (int32_t code = 0; code < 2000; ++code) {
        std::string text = Win32ErrorString(code);
        if (text.empty()) continue;
        EXPECT_GE(static_cast<unsigned char>(text.back()), '!') << code;
        EXPECT_NE(text.back(), '.') << code;
    }
}

TEST(SystemMessages, Win32ErrorMsgReportsTheThreadsLastError) {
    EXPECT_EQ(win32ErrorMessage("CopyFile", 5), "CopyFile failed; code 5.\r\nAccess is denied");
    EXPECT_EQ(win32ErrorMessage("X", 4242), "X failed; code 4242.\r\n");
    platform::setLastSystemErrorFromErrno(ENOENT);
    try {
        Win32ErrorMsg("OpenFile");
        FAIL();
    } catch (const base::ScriptError& e) {
        EXPECT_STREQ(e.what(), "OpenFile failed; code 2.\r\nThe system cannot find the file specified");
    }
    platform::setLastSystemError(0);
}
