// Runs every conformance script through pscript and compares its output with the
// expectations in its trailing comments (a first line "// pscript: ARGS" adds arguments to
// the run, such as --std for the standard import sets):
//   // expect: LINE                  a line of standard output
//   // expect error: LINE            a compile message on standard error (exit code 1)
//   // expect runtime error: TEXT    "RUNTIME ERROR: TEXT" as the last output line (exit code 1)
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Expectations {
    std::vector<std::string> out, err;
    bool failure = false;
    std::string args;
};

Expectations parse(const fs::path& file) {
    Expectations e;
    std::ifstream in(file);
    std::string line;
    const std::string kOut = "// expect: ", kErr = "// expect error: ", kRun = "// expect runtime error: ";
    const std::string kArgs = "// pscript: ";
    bool first = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (first && line.rfind(kArgs, 0) == 0) e.args = line.substr(kArgs.size()) + " ";
        first = false;
        size_t at;
        if ((at = line.find(kOut)) != std::string::npos) {
            e.out.push_back(line.substr(at + kOut.size()));
        } else if ((at = line.find(kErr)) != std::string::npos) {
            e.err.push_back(line.substr(at + kErr.size()));
            e.failure = true;
        } else if ((at = line.find(kRun)) != std::string::npos) {
            e.out.push_back("RUNTIME ERROR: " + line.substr(at + kRun.size()));
            e.failure = true;
        }
    }
    return e;
}

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> r;
    std::string l;
    while (std::getline(in, l)) r.push_back(l);
    return r;
}

class Conformance : public testing::TestWithParam<std::string> {};

TEST_P(Conformance, MatchesExpectedOutput) {
    fs::path file = fs::path(CONFORMANCE_DIR) / GetParam();
    Expectations want = parse(file);
    fs::path tmp = fs::temp_directory_path() / ("pscript-" + std::to_string(::getpid()));
    fs::create_directories(tmp);
    std::string out = (tmp / "out").string(), err = (tmp / "err").string();
    std::string cmd = std::string("'") + PSCRIPT_PATH + "' run " + want.args + "'" + file.string() + "' >'" +
                      out + "' 2>'" + err + "'";
    int status = std::system(cmd.c_str());
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    EXPECT_EQ(lines(out), want.out) << file;
    if (want.err.empty()) {
        EXPECT_TRUE(lines(err).empty()) << file;
    } else {
        auto got = lines(err);
        ASSERT_GE(got.size(), want.err.size()) << file;
        got.resize(want.err.size());
        EXPECT_EQ(got, want.err) << file;
    }
    EXPECT_EQ(code, want.failure ? 1 : 0) << file;
    fs::remove_all(tmp);
}

std::vector<std::string> scripts() {
    std::vector<std::string> r;
    for (auto& e : fs::recursive_directory_iterator(CONFORMANCE_DIR))
        if (e.path().extension() == ".pas") r.push_back(fs::relative(e.path(), CONFORMANCE_DIR).string());
    std::sort(r.begin(), r.end());
    return r;
}

std::string testName(const testing::TestParamInfo<std::string>& info) {
    std::string n = info.param;
    for (char& c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Scripts, Conformance, testing::ValuesIn(scripts()), testName);

}  // namespace
