// The device layer's error numbers, as scripts compare them (they keep the values the
// system's own multimedia interface uses), and the texts we give for them.
#pragma once

#include <string>

namespace media::mci {

enum MciError : int {
    kMciOk = 0,
    kMciInvalidDeviceId = 257,
    kMciUnrecognizedKeyword = 259,
    kMciUnrecognizedCommand = 261,
    kMciHardware = 262,
    kMciInvalidDeviceName = 263,
    kMciOutOfMemory = 264,
    kMciDeviceOpen = 265,
    kMciCannotLoadDriver = 266,
    kMciMissingCommandString = 267,
    kMciMissingStringArgument = 269,
    kMciBadInteger = 270,
    kMciMissingParameter = 273,
    kMciUnsupportedFunction = 274,
    kMciFileNotFound = 275,
    kMciDeviceNotReady = 276,
    kMciInternal = 277,
    kMciCannotUseAll = 279,
    kMciExtensionNotFound = 281,
    kMciOutOfRange = 282,
    kMciDeviceTypeRequired = 287,
    kMciDuplicateAlias = 289,
    kMciBadConstant = 290,
    kMciMissingDeviceName = 292,
    kMciBadTimeFormat = 293,
    kMciNoClosingQuote = 294,
    kMciInvalidFile = 296,
    kMciNoElementAllowed = 301,
    kMciNonapplicableFunction = 302,
    kMciFilenameRequired = 304,
    kMciExtraCharacters = 305,
    kMciDeviceNotInstalled = 306,
};

// Our text for `code`; a general text for numbers we do not know.
std::string errorText(int code);

}  // namespace media::mci
