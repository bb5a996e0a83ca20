// Processor identification through the identification instruction, the clock measured with
// the time-stamp counter, and usage from /proc/stat.
#include "platform/Processor.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define VANTREL_HAS_CPUID 1
#endif

namespace platform {
namespace {

std::string readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\0')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\0' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Runs of spaces inside a brand string ("Intel(R) Xeon(R)    CPU") become one.
std::string squeeze(std::string_view s) {
    std::string out;
    for (char c : trim(s))
        if (c != ' ' || out.empty() || out.back() != ' ') out.push_back(c);
    return out;
}

uint32_t parseNumber(std::string_view s) {
    s = trim(s);
    uint32_t v = 0;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        std::from_chars(s.data() + 2, s.data() + s.size(), v, 16);
    else
        std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

struct VendorEntry {
    const char* signature;
    const char* name;
};
constexpr VendorEntry kVendors[] = {
    {"GenuineIntel", "Intel"},
    {"AuthenticAMD", "AMD"},
    {"AMDisbetter!", "AMD"},
    {"HygonGenuine", "Hygon"},
    {"CentaurHauls", "Centaur"},
    {"CyrixInstead", "Cyrix"},
    {"GenuineTMx86", "Transmeta"},
    {"TransmetaCPU", "Transmeta"},
    {"Geode by NSC", "National Semiconductor"},
    {"NexGenDriven", "NexGen"},
    {"RiseRiseRise", "Rise"},
    {"SiS SiS SiS ", "SiS"},
    {"UMC UMC UMC ", "UMC"},
    {"VIA VIA VIA ", "VIA"},
    {"Vortex86 SoC", "DM&P"},
    {"  Shanghai  ", "Zhaoxin"},
    {"ARM", "ARM"},
    {"0x41", "ARM"},
    {"0x42", "Broadcom"},
    {"0x43", "Cavium"},
    {"0x48", "HiSilicon"},
    {"0x4e", "NVIDIA"},
    {"0x51", "Qualcomm"},
    {"0x61", "Apple"},
};

#ifdef VANTREL_HAS_CPUID
struct Regs {
    unsigned a = 0, b = 0, c = 0, d = 0;
};
Regs cpuid(unsigned leaf, unsigned sub = 0) {
    Regs r;
    __cpuid_count(leaf, sub, r.a, r.b, r.c, r.d);
    return r;
}

struct FeatureBit {
    unsigned leaf;
    int reg;  // 0 b, 1 c, 2 d
    int bit;
    const char* name;
};
constexpr FeatureBit kFeatures[] = {
    {1, 2, 0, "FPU"},
    {1, 2, 4, "TSC"},
    {1, 2, 8, "CX8"},
    {1, 2, 15, "CMOV"},
    {1, 2, 23, "MMX"},
    {1, 2, 25, "SSE"},
    {1, 2, 26, "SSE2"},
    {1, 2, 28, "HTT"},
    {1, 1, 0, "SSE3"},
    {1, 1, 9, "SSSE3"},
    {1, 1, 12, "FMA"},
    {1, 1, 19, "SSE4.1"},
    {1, 1, 20, "SSE4.2"},
    {1, 1, 23, "POPCNT"},
    {1, 1, 25, "AES"},
    {1, 1, 28, "AVX"},
    {1, 1, 31, "HYPERVISOR"},
    {7, 0, 5, "AVX2"},
    {7, 0, 16, "AVX512F"},
    {7, 0, 29, "SHA"},
    {0x80000001, 2, 20, "NX"},
    {0x80000001, 2, 29, "LM"},
    {0x80000001, 2, 31, "3DNOW"},
};

ProcessorId identifyByInstruction() {
    ProcessorId p;
    const Regs leaf0 = cpuid(0);
    char vendor[13] = {};
    std::memcpy(vendor, &leaf0.b, 4);
    std::memcpy(vendor + 4, &leaf0.d, 4);
    std::memcpy(vendor + 8, &leaf0.c, 4);
    p.vendorSignature.assign(vendor, 12);
    p.vendorName = vendorNameOf(p.vendorSignature);

    const unsigned maxExt = cpuid(0x80000000).a;
    if (maxExt >= 0x80000004) {
        char brand[49] = {};
        for (unsigned i = 0; i < 3; ++i) {
            const Regs r = cpuid(0x80000002 + i);
            std::memcpy(brand + i * 16, &r, 16);
        }
        p.name = squeeze(brand);
    }
    if (leaf0.a >= 1) {
        const Regs r = cpuid(1);
        p.signature = r.a;
        const uint32_t baseFamily = (r.a >> 8) & 0xF, baseModel = (r.a >> 4) & 0xF;
        p.family = baseFamily == 0xF ? baseFamily + ((r.a >> 20) & 0xFF) : baseFamily;
        p.model = (baseFamily == 6 || baseFamily == 0xF) ? baseModel + (((r.a >> 16) & 0xF) << 4) : baseModel;
        p.stepping = r.a & 0xF;
    }
    for (const FeatureBit& f : kFeatures) {
        const unsigned top = f.leaf >= 0x80000000 ? maxExt : leaf0.a;
        if (top < f.leaf) continue;
        const Regs r = cpuid(f.leaf);
        const unsigned reg = f.reg == 0 ? r.b : f.reg == 1 ? r.c : r.d;
        if ((reg >> f.bit) & 1) p.features.emplace_back(f.name);
    }
    if (p.name.empty()) p.name = p.vendorName + " processor";
    return p;
}

// The counter ticks at one rate whatever the power state (and the hypervisor says so).
bool invariantCounter() {
    if (cpuid(0x80000000).a < 0x80000007) return false;
    return (cpuid(0x80000007).d >> 8) & 1;
}
#endif

int64_t nowNs() {
    struct timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// The kernel's figure: the highest frequency cpufreq allows, else what /proc/cpuinfo says now.
double kernelMHz() {
    const std::string maxKHz = readFile("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
    if (uint32_t khz = parseNumber(maxKHz)) return khz / 1000.0;
    const std::string info = readFile("/proc/cpuinfo");
    size_t at = info.find("cpu MHz");
    if (at == std::string::npos) return 0;
    size_t colon = info.find(':', at);
    size_t eol = info.find('\n', at);
    if (colon == std::string::npos || colon > eol) return 0;
    std::string_view v = trim(std::string_view(info).substr(colon + 1, eol - colon - 1));
    double mhz = 0;
    std::from_chars(v.data(), v.data() + v.size(), mhz);
    return mhz;
}

}  // namespace

std::string vendorNameOf(std::string_view signature) {
    for (const VendorEntry& v : kVendors)
        if (signature == v.signature) return v.name;
    return std::string(trim(signature));
}

ProcessorId parseCpuinfo(std::string_view text) {
    ProcessorId p;
    std::string implementer, part, variant, revision;
    while (!text.empty()) {
        size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (trim(line).empty()) {
            if (!p.vendorSignature.empty() || !p.name.empty() || !implementer.empty())
                break;  // first block only
            continue;
        }
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view key = trim(line.substr(0, colon)), value = trim(line.substr(colon + 1));
        if (key == "vendor_id")
            p.vendorSignature = value;
        else if (key == "model name" || key == "Processor" || key == "cpu model") {
            if (p.name.empty()) p.name = squeeze(value);
        } else if (key == "cpu family")
            p.family = parseNumber(value);
        else if (key == "model")
            p.model = parseNumber(value);
        else if (key == "stepping")
            p.stepping = parseNumber(value);
        else if (key == "CPU implementer")
            implementer = value;
        else if (key == "CPU variant")
            variant = value;
        else if (key == "CPU part")
            part = value;
        else if (key == "CPU revision")
            revision = value;
        else if (key == "flags" || key == "Features") {
            std::string_view rest = value;
            while (!rest.empty()) {
                size_t sp = rest.find(' ');
                std::string flag(rest.substr(0, sp));
                if (!flag.empty()) {
                    std::transform(flag.begin(), flag.end(), flag.begin(), [](unsigned char c) {
                        return c == '_' ? '.' : static_cast<char>(std::toupper(c));
                    });
                    p.features.push_back(flag);
                }
                rest = sp == std::string_view::npos ? std::string_view() : rest.substr(sp + 1);
            }
        }
    }
    if (p.vendorSignature.empty() && !implementer.empty()) {
        p.vendorSignature = implementer;
        p.model = parseNumber(part);
        p.stepping = parseNumber(revision);
        p.family = parseNumber(variant);
    }
    if (!p.vendorSignature.empty()) p.vendorName = vendorNameOf(p.vendorSignature);
    p.signature = (p.family & 0xF) << 8 | (p.model & 0xF) << 4 | (p.stepping & 0xF);
    if (p.name.empty() && !p.vendorName.empty()) p.name = p.vendorName + " processor";
    return p;
}

const ProcessorId& processorId() {
#ifdef VANTREL_HAS_CPUID
    static const ProcessorId id = identifyByInstruction();
#else
    static const ProcessorId id = parseCpuinfo(readFile("/proc/cpuinfo"));
#endif
    return id;
}

int processorCount() {
    long n = ::sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<int>(n) : 1;
}

double measureProcessorMHz(std::chrono::milliseconds window) {
#ifdef VANTREL_HAS_CPUID
    const bool hasCounter = std::find(processorId().features.begin(), processorId().features.end(), "TSC") !=
                            processorId().features.end();
    if (hasCounter && (invariantCounter() || kernelMHz() == 0)) {
        // Each stamp pairs a counter reading with the clock read around it; the tightest of
        // a few pairs keeps a preemption between the two reads out of the figure.
        auto stamp = [] {
            std::pair<uint64_t, int64_t> best{0, 0};
            int64_t spread = INT64_MAX;
            for (int i = 0; i < 5; ++i) {
                const int64_t t0 = nowNs();
                const uint64_t tsc = __rdtsc();
                const int64_t t1 = nowNs();
                if (t1 - t0 < spread) {
                    spread = t1 - t0;
                    best = {tsc, t0 + (t1 - t0) / 2};
                }
            }
            return best;
        };
        const auto a = stamp();
        std::this_thread::sleep_for(window);
        const auto b = stamp();
        if (b.second > a.second && b.first > a.first)
            return static_cast<double>(b.first - a.first) * 1000.0 / static_cast<double>(b.second - a.second);
    }
#else
    (void)window;
#endif
    return kernelMHz();
}

double processorMHz() {
    static const double mhz = measureProcessorMHz();
    return mhz;
}

std::vector<ProcessorTimes> parseProcStat(std::string_view text) {
    std::vector<ProcessorTimes> out;
    while (!text.empty()) {
        size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (line.size() < 4 || line.substr(0, 3) != "cpu" || line[3] < '0' || line[3] > '9') continue;
        std::array<uint64_t, 8> v{};  // user nice system idle iowait irq softirq steal
        size_t pos = line.find(' ');
        for (size_t i = 0; i < v.size() && pos != std::string_view::npos; ++i) {
            while (pos < line.size() && line[pos] == ' ') ++pos;
            auto [end, ec] = std::from_chars(line.data() + pos, line.data() + line.size(), v[i]);
            if (ec != std::errc()) break;
            pos = static_cast<size_t>(end - line.data());
        }
        ProcessorTimes t;
        for (uint64_t x : v) t.total += x;
        t.busy = t.total - v[3] - v[4];
        out.push_back(t);
    }
    return out;
}

void ProcessorUsage::update(const std::vector<ProcessorTimes>& now) {
    if (m_previous.size() != now.size()) {
        // First reading, or processors came or went: start over.
        m_percent.clear();
    } else {
        m_percent.resize(now.size());
        for (size_t i = 0; i < now.size(); ++i) {
            const uint64_t dt = now[i].total > m_previous[i].total ? now[i].total - m_previous[i].total : 0;
            const uint64_t db = now[i].busy > m_previous[i].busy ? now[i].busy - m_previous[i].busy : 0;
            if (dt) m_percent[i] = static_cast<int>(std::min<uint64_t>(100, (db * 100 + dt / 2) / dt));
        }
    }
    m_previous = now;
}

int ProcessorUsage::percent(size_t index) {
    auto read = [] { return parseProcStat(readFile("/proc/stat")); };
    auto now = std::chrono::steady_clock::now();
    if (!m_started) {
        m_started = true;
        update(read());
        std::this_thread::sleep_for(m_window);
        update(read());
        m_at = std::chrono::steady_clock::now();
    } else if (now - m_at >= m_window) {
        update(read());
        m_at = now;
    }
    return index < m_percent.size() ? m_percent[index] : -1;
}

}  // namespace platform
