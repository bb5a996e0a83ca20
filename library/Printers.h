// The printing routines of the script library over a print backend of our own: the
// printers the system knows (CUPS, through Qt Print Support for page metrics), or a fake
// that records jobs for tests. The current printer is the one named by "device" in the
// section "windows" of the virtual win.ini, seeded from the CUPS default at first use.
// With no print server every call fails quickly: no printers, no default, jobs refused.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace library {

struct PrinterEntry {
    std::string name;
    std::string port;  // where it prints (the device URI for CUPS)
};

struct PrinterMetrics {
    int dpiX = 0, dpiY = 0;
    int offsetX = 0, offsetY = 0;  // the unprintable left and top margins, in printer pixels
    int paperBin = -1;             // the default paper source as a Windows bin number, -1 none
};

class PrintBackend {
public:
    virtual ~PrintBackend() = default;
    virtual std::vector<PrinterEntry> printers() = 0;
    // The system's default printer; empty when there is none.
    virtual std::string defaultPrinter() = 0;
    virtual std::optional<PrinterMetrics> metrics(const std::string& printer) = 0;
    // One raw document of `data`, passed to the printer unchanged; false when refused.
    virtual bool sendRaw(const std::string& printer, const std::string& jobName, std::string_view data) = 0;
};

// The process-wide backend (CUPS unless replaced); nullptr restores CUPS.
PrintBackend& printBackend();
void setPrintBackend(std::unique_ptr<PrintBackend> backend);
// The profile holding "device" and "Devices": the virtual win.ini unless replaced (tests);
// an empty path restores it.
void setSystemProfile(std::filesystem::path file);
std::filesystem::path systemProfile();
// CUPS for the printer list, default, paper source and raw jobs; Qt Print Support for
// resolutions and margins (qt/QtPrinters.cpp).
std::unique_ptr<PrintBackend> makeCupsPrintBackend();

// A paper source as CUPS names it (PPD InputSlot or IPP media-source keyword) to its
// Windows bin number: upper 1, lower 2, middle 3, manual 4, envelope 5, envelope manual 6,
// auto 7, tractor 8, small format 9, large format 10, large capacity 11, cassette 14, form
// source 15; another name is a driver's own bin (256).
int windowsPaperBin(std::string_view source);

// The round-trip of dots per inch, millimetres and the unprintable offset.
int millimetresToPixels(int dpi, int offset, int millimetres);

// The script routines. Those that need the current printer raise a script exception when
// there is none; SetDefaultPrinter and SendASCII never raise.
int32_t GetDefaultPaperBin();
std::string GetPrinterStrFromIndex(int32_t index);
void SetDefaultPrinter(const std::string& newDefPrinter);
int32_t PRN_MMToPixelX(int32_t millimetres);
int32_t PRN_MMToPixelY(int32_t millimetres);
void SendASCII(const std::string& str, const std::string& jobName);

}  // namespace library
