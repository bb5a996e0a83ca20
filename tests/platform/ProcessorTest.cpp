// Processor identification: the kernel's texts for Intel and ARM machines, this machine's
// identity and clock, and usage figures from counter readings.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "platform/Processor.h"

namespace {

TEST(Processor, CpuinfoTextsOfTwoArchitectures) {
    const char* intel =
        "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 142\n"
        "model name\t: Intel(R) Core(TM) i5-8250U CPU   @ 1.60GHz\nstepping\t: 10\n"
        "flags\t\t: fpu vme sse2 avx2\n\nprocessor\t: 1\nvendor_id\t: Other\n";
    platform::ProcessorId p = platform::parseCpuinfo(intel);
    EXPECT_EQ(p.vendorSignature, "GenuineIntel");
    EXPECT_EQ(p.vendorName, "Intel");
    EXPECT_EQ(p.name, "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz");
    EXPECT_EQ(p.family, 6u);
    EXPECT_EQ(p.model, 142u);
    EXPECT_EQ(p.stepping, 10u);
    EXPECT_EQ(p.features, (std::vector<std::string>{"FPU", "VME", "SSE2", "AVX2"}));

    const char* arm =
        "processor\t: 0\nBogoMIPS\t: 108.00\nFeatures\t: fp asimd\nCPU implementer\t: 0x41\n"
        "CPU variant\t: 0x0\nCPU part\t: 0xd08\nCPU revision\t: 3\n";
    p = platform::parseCpuinfo(arm);
    EXPECT_EQ(p.vendorName, "ARM");
    EXPECT_EQ(p.model, 0xd08u);
    EXPECT_EQ(p.stepping, 3u);
    EXPECT_EQ(p.name, "ARM processor");
    EXPECT_TRUE(platform::parseCpuinfo("").name.empty());

    EXPECT_EQ(platform::vendorNameOf("AuthenticAMD"), "AMD");
    EXPECT_EQ(platform::vendorNameOf("  Shanghai  "), "Zhaoxin");
    EXPECT_EQ(platform::vendorNameOf("NewMakerCPU!"), "NewMakerCPU!");
}

TEST(Processor, ThisMachineIdentifiesItselfAndRunsAtAPlausibleClock) {
    const platform::ProcessorId& p = platform::processorId();
    EXPECT_FALSE(p.vendorName.empty());
    EXPECT_FALSE(p.name.empty());
    EXPECT_EQ(p.name, p.name.substr(p.name.find_first_not_of(' '))) << "no leading spaces";
#if defined(__x86_64__)
    EXPECT_EQ(p.vendorSignature.size(), 12u);
    EXPECT_GE(p.family, 5u);
    EXPECT_NE(p.signature, 0u);
    for (const char* f : {"FPU", "TSC", "SSE2", "LM"})
        EXPECT_NE(std::find(p.features.begin(), p.features.end(), f), p.features.end())
            << f << " on every x86-64";
#endif
    EXPECT_GE(platform::processorCount(), 1);
    EXPECT_LE(platform::processorCount(), 4096);

    const double a = platform::measureProcessorMHz(), b = platform::measureProcessorMHz();
    EXPECT_GT(a, 200);
    EXPECT_LT(a, 10000);
    EXPECT_NEAR(a, b, a * 0.05) << "two measurements agree within 5%";
    EXPECT_DOUBLE_EQ(platform::processorMHz(), platform::processorMHz()) << "measured once per run";
}

TEST(ProcessorUsage, FiguresFromCounterReadings) {
    const char* stat =
        "cpu  100 0 100 800 0 0 0 0 0 0\n"
        "cpu0 10 5 5 70 10 0 0 0 0 0\n"
        "cpu1 50 0 50 0 0 0 0 0 0 0\n"
        "intr 12345\n";
    const auto t = platform::parseProcStat(stat);
    ASSERT_EQ(t.size(), 2u) << "the summary line is left out";
    EXPECT_EQ(t[0].total, 100u);
    EXPECT_EQ(t[0].busy, 20u) << "idle and waiting for input or output are not busy";
    EXPECT_EQ(t[1].busy, 100u);

    platform::ProcessorUsage usage;
    usage.update(t);
    EXPECT_TRUE(usage.figures().empty()) << "one reading tells nothing yet";
    usage.update({{60, 200}, {100, 100}});
    ASSERT_EQ(usage.figures().size(), 2u);
    EXPECT_EQ(usage.figures()[0], 40);  // 40 busy of 100
    EXPECT_EQ(usage.figures()[1], 0);
    usage.update({{60, 300}, {150, 150}});
    EXPECT_EQ(usage.figures()[0], 0);
    EXPECT_EQ(usage.figures()[1], 100);
    usage.update({{70, 400}, {150, 150}});
    EXPECT_EQ(usage.figures()[0], 10);
    EXPECT_EQ(usage.figures()[1], 100) << "no time passed on it: its last figure stays";
    usage.update({{1, 1}});  // a processor went away: start over
    EXPECT_TRUE(usage.figures().empty());
}

TEST(ProcessorUsage, ThisMachineGivesPercentagesForEachProcessor) {
    platform::ProcessorUsage usage(std::chrono::milliseconds(20));
    // Keep one processor busy while the first window is measured.
    std::atomic<bool> stop{false};
    std::thread spin([&] {
        while (!stop) {
        }
    });
    int total = 0;
    for (int i = 0; i < platform::processorCount(); ++i) {
        const int p = usage.percent(static_cast<size_t>(i));
        EXPECT_GE(p, 0);
        EXPECT_LE(p, 100);
        total += p;
    }
    stop = true;
    spin.join();
    EXPECT_GT(total, 0) << "a spinning thread shows somewhere";
    EXPECT_EQ(usage.percent(100000), -1);
}

}  // namespace
