// The printing routines over a fake backend that records raw jobs, with the profile in a
// test folder: the default printer seeded and changed, printer strings, millimetre
// conversions, paper bins; the routines from a script; and the system backend failing
// quickly when no print server answers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>

#include "base/Error.h"
#include "library/IFSI_Conventions.h"
#include "library/IFSI_Network.h"
#include "library/Printers.h"
#include "platform/Profile.h"
#include "tests/script/ScriptSession.h"
#include "tests/support/TempTree.h"

using namespace library;

namespace {

struct Job {
    std::string printer, name, data;
};

class FakePrintBackend final : public PrintBackend {
public:
    std::vector<PrinterEntry> list;
    std::string systemDefault;
    std::map<std::string, PrinterMetrics> metricsOf;
    std::vector<Job>* jobs = nullptr;
    bool refuse = false;

    std::vector<PrinterEntry> printers() override { return list; }
    std::string defaultPrinter() override { return systemDefault; }
    std::optional<PrinterMetrics> metrics(const std::string& printer) override {
        auto it = metricsOf.find(printer);
        return it == metricsOf.end() ? std::nullopt : std::optional<PrinterMetrics>(it->second);
    }
    bool sendRaw(const std::string& printer, const std::string& jobName, std::string_view data) override {
        if (refuse) return false;
        jobs->push_back({printer, jobName, std::string(data)});
        return true;
    }
};

class PrintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto fake = std::make_unique<FakePrintBackend>();
        fake->list = {{"Laser", "ipp://127.0.0.1/printers/Laser"}, {"Label", ""}};
        fake->systemDefault = "Laser";
        fake->metricsOf["Laser"] = {600, 1200, 100, 50, 7};
        fake->metricsOf["Label"] = {203, 203, 0, 0, 4};
        fake->jobs = &jobs;
        backend = fake.get();
        setPrintBackend(std::move(fake));
        setSystemProfile(profile);
    }
    void TearDown() override {
        setPrintBackend(nullptr);
        setSystemProfile({});
    }
    std::string device() const {
        return platform::ProfileFile::load(profile).value("windows", "device").value_or("<none>");
    }

    TempTree t{"printing"};
    std::filesystem::path profile = t.native("win.ini");
    std::vector<Job> jobs;
    FakePrintBackend* backend = nullptr;
};

TEST_F(PrintingTest, DefaultPrinterIsSeededFromTheSystemAndChangedInTheProfile) {
    SendASCII("hello\x0c", "Job 1");
    EXPECT_EQ(device(), "Laser,winspool,ipp://127.0.0.1/printers/Laser");
    SetDefaultPrinter(GetPrinterStrFromIndex(1));
    EXPECT_EQ(device(), "Label,winspool,CUPS:");
    SendASCII(std::string("\x1b@raw\0bytes", 11), "Job 2");
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].printer, "Laser");
    EXPECT_EQ(jobs[0].name, "Job 1");
    EXPECT_EQ(jobs[0].data, "hello\x0c");
    EXPECT_EQ(jobs[1].printer, "Label");
    EXPECT_EQ(jobs[1].data, std::string("\x1b@raw\0bytes", 11));
    // The current printer follows the profile.
    EXPECT_EQ(GetDefaultPaperBin(), 4);
    EXPECT_EQ(PRN_MMToPixelX(25), 200);

    // A refused job and a profile naming no printer are silently ignored.
    backend->refuse = true;
    SendASCII("x", "refused");
    SetDefaultPrinter(",,,");
    backend->refuse = false;
    SendASCII("x", "nowhere");
    EXPECT_EQ(jobs.size(), 2u);
}

TEST_F(PrintingTest, PrinterStringsComeFromTheDevicesSection) {
    platform::writeProfileString(profile, "Devices", "Label", "winspool,Ne01:");
    EXPECT_EQ(GetPrinterStrFromIndex(0), "Laser,winspool,ipp://127.0.0.1/printers/Laser");
    EXPECT_EQ(GetPrinterStrFromIndex(1), "Label,winspool,Ne01:");
    EXPECT_THROW(GetPrinterStrFromIndex(2), base::ScriptError);
    EXPECT_THROW(GetPrinterStrFromIndex(-1), base::ScriptError);
    backend->list[0].name = std::string(300, 'P');
    EXPECT_EQ(GetPrinterStrFromIndex(0).size(), 256u);
}

TEST_F(PrintingTest, MillimetresConvertWithTheOffsets) {
    // 600 dpi, left offset 100: 0 mm gives the offset itself, as a positive number.
    EXPECT_EQ(PRN_MMToPixelX(0), 100);
    EXPECT_EQ(PRN_MMToPixelX(10), 136);  // 236.22 - 100
    EXPECT_EQ(PRN_MMToPixelY(10), 422);  // 472.44 - 50
    EXPECT_EQ(PRN_MMToPixelX(-10), 336);
    EXPECT_EQ(GetDefaultPaperBin(), 7);
    EXPECT_EQ(millimetresToPixels(600, 0, 2000000000), 2147483647);
    EXPECT_EQ(millimetresToPixels(254, 0, 1), 10);

    backend->list.clear();
    backend->systemDefault.clear();
    EXPECT_THROW(PRN_MMToPixelX(1), base::ScriptError);
    EXPECT_THROW(GetDefaultPaperBin(), base::ScriptError);
}

TEST_F(PrintingTest, PaperSourcesMapToWindowsBins) {
    EXPECT_EQ(windowsPaperBin("Upper"), 1);
    EXPECT_EQ(windowsPaperBin("tray-2"), 2);
    EXPECT_EQ(windowsPaperBin("Manual"), 4);
    EXPECT_EQ(windowsPaperBin("auto"), 7);
    EXPECT_EQ(windowsPaperBin("LargeCapacity"), 11);
    EXPECT_EQ(windowsPaperBin("Cassette"), 14);
    EXPECT_EQ(windowsPaperBin("PhotoTray"), 256);
    EXPECT_EQ(windowsPaperBin(""), -1);
}

TEST_F(PrintingTest, ScriptsPrintAndCatchAMissingPrinter) {
    ScriptSession session;
    session.tables.push_back(&conventionImports());
    session.tables.push_back(&networkImports());
    const std::string source =
        "begin\n"
        "  SendASCII('line'#13#10, 'From script');\n"
        "  Log(IntToStr(PRN_PXLPERMM_X(0)) + ' ' + IntToStr(PRN_MMToPixelY(0)));\n"
        "  Log(GetPrinterStrFromIndex(1));\n"
        "  try\n"
        "    Log(GetPrinterStrFromIndex(5));\n"
        "  except\n"
        "    Log('raised');\n"
        "  end;\n"
        "end.";
    ASSERT_TRUE(session.run(source)) << session.error;
    EXPECT_EQ(session.log, "100 50\nLabel,winspool,CUPS:\nraised\n");
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].data, "line\r\n");
    EXPECT_EQ(jobs[0].name, "From script");
}

// No print server: the system backend answers at once with nothing, and the routines
// fail as they do without printers.
TEST_F(PrintingTest, SystemBackendFailsQuicklyWithoutAServer) {
    setenv("CUPS_SERVER", ("127.0.0.1:" + std::to_string(1)).c_str(), 1);
    setPrintBackend(makeCupsPrintBackend());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(printBackend().printers().empty());
    EXPECT_EQ(printBackend().defaultPrinter(), "");
    EXPECT_FALSE(printBackend().sendRaw("Nowhere", "job", "data"));
    EXPECT_EQ(printBackend().metrics("Nowhere"), std::nullopt);
    SendASCII("x", "job");
    EXPECT_EQ(device(), "<none>");
    EXPECT_THROW(PRN_MMToPixelX(1), base::ScriptError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    unsetenv("CUPS_SERVER");
}

}  // namespace
