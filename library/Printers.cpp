#include "library/Printers.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/AnsiText.h"
#include "base/Error.h"
#include "library/IniFiles.h"
#include "platform/Profile.h"

namespace library {
namespace {

constexpr size_t kPrinterStrMax = 256;

std::unique_ptr<PrintBackend>& backendSlot() {
    static std::unique_ptr<PrintBackend> backend;
    return backend;
}

std::filesystem::path& profileSlot() {
    static std::filesystem::path file;
    return file;
}

std::string beforeComma(std::string_view text) { return std::string(text.substr(0, text.find(','))); }

// The printer's line in the section "Devices" ("winspool,port"), made up from the backend
// when the profile has none.
std::string devicesEntry(const PrinterEntry& printer) {
    const auto listed = platform::ProfileFile::load(systemProfile()).value("Devices", printer.name);
    if (listed && !listed->empty()) return *listed;
    return "winspool," + (printer.port.empty() ? std::string("CUPS:") : printer.port);
}

// "device" of the section "windows"; the system's default printer is written there the
// first time it is missing, so the profile and the print server agree from then on.
std::string deviceSetting() {
    const auto path = systemProfile();
    if (auto device = platform::ProfileFile::load(path).value("windows", "device")) return *device;
    PrintBackend& backend = printBackend();
    const std::string name = backend.defaultPrinter();
    if (name.empty()) return ",,,";
    std::string port;
    for (const PrinterEntry& p : backend.printers())
        if (p.name == name) port = devicesEntry(p);
    const std::string device = name + "," + (port.empty() ? std::string("winspool,CUPS:") : port);
    platform::writeProfileString(path, "windows", "device", device);
    return device;
}

// The printer the conversions and the paper bin ask about: the profile's device when the
// system knows it, else the system's default, else the first printer.
std::string currentPrinter() {
    PrintBackend& backend = printBackend();
    const std::vector<PrinterEntry> list = backend.printers();
    const auto known = [&](const std::string& name) {
        return !name.empty() && std::any_of(list.begin(), list.end(), [&](const PrinterEntry& p) {
            return base::asciiSameText(p.name, name);
        });
    };
    if (const std::string device = beforeComma(deviceSetting()); known(device)) return device;
    if (const std::string def = backend.defaultPrinter(); known(def)) return def;
    if (!list.empty()) return list.front().name;
    throw base::ScriptError("There is no default printer currently selected");
}

PrinterMetrics currentMetrics() {
    const std::string name = currentPrinter();
    if (auto m = printBackend().metrics(name)) return *m;
    throw base::ScriptError("Printer selected is not valid");
}

}  // namespace

PrintBackend& printBackend() {
    if (!backendSlot()) backendSlot() = makeCupsPrintBackend();
    return *backendSlot();
}

void setPrintBackend(std::unique_ptr<PrintBackend> backend) { backendSlot() = std::move(backend); }

void setSystemProfile(std::filesystem::path file) { profileSlot() = std::move(file); }

std::filesystem::path systemProfile() { return profileSlot().empty() ? iniFilePath("") : profileSlot(); }

int windowsPaperBin(std::string_view source) {
    struct Bin {
        const char* name;
        int bin;
    };
    // PPD InputSlot names first, then the IPP media-source keywords.
    static constexpr Bin kBins[] = {
        {"Upper", 1},           {"Top", 1},          {"OnlyOne", 1},
        {"Tray1", 1},           {"tray-1", 1},       {"top", 1},
        {"Lower", 2},           {"Bottom", 2},       {"Tray2", 2},
        {"tray-2", 2},          {"bottom", 2},       {"Middle", 3},
        {"Tray3", 3},           {"tray-3", 3},       {"middle", 3},
        {"Manual", 4},          {"ManualFeed", 4},   {"manual", 4},
        {"Envelope", 5},        {"envelope", 5},     {"EnvManual", 6},
        {"EnvelopeManual", 6},  {"Auto", 7},         {"AutoSelect", 7},
        {"Default", 7},         {"auto", 7},         {"Tractor", 8},
        {"SmallFormat", 9},     {"LargeFormat", 10}, {"LargeCapacity", 11},
        {"large-capacity", 11}, {"Cassette", 14},    {"FormSource", 15},
    };
    if (source.empty()) return -1;
    for (const Bin& b : kBins)
        if (base::asciiSameText(source, b.name)) return b.bin;
    return 256;
}

int millimetresToPixels(int dpi, int offset, int millimetres) {
    const double v = std::fabs(std::nearbyint(dpi / 25.4 * millimetres - offset));
    return v >= std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                    : static_cast<int>(v);
}

int32_t GetDefaultPaperBin() { return currentMetrics().paperBin; }

std::string GetPrinterStrFromIndex(int32_t index) {
    const std::vector<PrinterEntry> list = printBackend().printers();
    if (index < 0 || static_cast<size_t>(index) >= list.size())
        throw base::ScriptError("Printer index out of range");
    const PrinterEntry& p = list[static_cast<size_t>(index)];
    return (p.name + "," + devicesEntry(p)).substr(0, kPrinterStrMax);
}

// The settings-change broadcast has no listener here: the profile is where the default lives.
void SetDefaultPrinter(const std::string& newDefPrinter) {
    try {
        platform::writeProfileString(systemProfile(), "windows", "device", newDefPrinter);
    } catch (const std::exception&) {
    }
}

int32_t PRN_MMToPixelX(int32_t millimetres) {
    const PrinterMetrics m = currentMetrics();
    return millimetresToPixels(m.dpiX, m.offsetX, millimetres);
}

int32_t PRN_MMToPixelY(int32_t millimetres) {
    const PrinterMetrics m = currentMetrics();
    return millimetresToPixels(m.dpiY, m.offsetY, millimetres);
}

void SendASCII(const std::string& str, const std::string& jobName) {
    try {
        const std::string printer = beforeComma(deviceSetting());
        if (!printer.empty()) printBackend().sendRaw(printer, jobName, str);
    } catch (const std::exception&) {
    }
}

}  // namespace library
