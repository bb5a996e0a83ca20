// Texts of the device layer's error numbers.
#include "media/mci/MciErrors.h"

namespace media::mci {

std::string errorText(int code) {
    switch (code) {
    case kMciOk: return "The command completed.";
    case kMciInvalidDeviceId: return "The device name or identifier is not that of an open device.";
    case kMciUnrecognizedKeyword: return "A word of the command is not known to this device.";
    case kMciUnrecognizedCommand: return "The command is not known.";
    case kMciHardware: return "The device failed; check that it is ready and connected.";
    case kMciInvalidDeviceName: return "No device of that name is open or installed.";
    case kMciOutOfMemory: return "There is not enough memory for the command.";
    case kMciDeviceOpen: return "That name already stands for an open device; use another alias.";
    case kMciCannotLoadDriver: return "The device's driver could not be started.";
    case kMciMissingCommandString: return "The command is empty.";
    case kMciMissingStringArgument: return "A word that needs a text after it has none.";
    case kMciBadInteger: return "A number in the command is not a valid number.";
    case kMciMissingParameter: return "The command needs a parameter it was not given.";
    case kMciUnsupportedFunction: return "The device cannot carry out this command.";
    case kMciFileNotFound: return "The file was not found.";
    case kMciDeviceNotReady: return "The device is not ready.";
    case kMciInternal: return "The device layer failed while carrying out the command.";
    case kMciCannotUseAll: return "This command cannot be sent to all devices.";
    case kMciExtensionNotFound: return "No device plays files of this kind; give the device type.";
    case kMciOutOfRange: return "A value of the command is outside the allowed range.";
    case kMciDeviceTypeRequired: return "The file's type is not known; give the device type.";
    case kMciDuplicateAlias: return "That alias is already in use.";
    case kMciBadConstant: return "A value of the command is not one the device knows.";
    case kMciMissingDeviceName: return "The command names no device.";
    case kMciBadTimeFormat: return "The device does not know that time format.";
    case kMciNoClosingQuote: return "A quoted text has no closing quote.";
    case kMciInvalidFile: return "The file cannot be played by this device.";
    case kMciNoElementAllowed: return "This device does not play files.";
    case kMciNonapplicableFunction: return "The command does not apply in the device's present state.";
    case kMciFilenameRequired: return "This device needs a file name.";
    case kMciExtraCharacters: return "A word of the command has unexpected characters after it.";
    case kMciDeviceNotInstalled: return "No such device is installed.";
    default: return "The device layer reported an unknown error.";
    }
}

}  // namespace media::mci
