// Named mutexes: lock-file names that cannot leave their folder, and mutexes seen across
// processes, existing exactly while a process holds them.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/NamedMutex.h"

namespace fs = std::filesystem;

namespace {

class NamedMutex : public ::testing::Test {
protected:
    void SetUp() override {
        runtime = fs::temp_directory_path() / ("vantrel-mutex-" + std::to_string(::getpid()));
        fs::remove_all(runtime);
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(runtime); }

    // A child process that creates `name`, tells the parent, and holds it until told to end.
    struct Holder {
        pid_t pid = -1;
        int toChild = -1;
        int fromChild = -1;
    };
    Holder startHolder(const std::string& name) {
        int down[2], up[2];
        EXPECT_EQ(::pipe(down), 0);
        EXPECT_EQ(::pipe(up), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(down[1]);
            ::close(up[0]);
            const char ok = platform::createMutex(name) ? 'y' : 'n';
            if (::write(up[1], &ok, 1) != 1) ::_exit(2);
            char c;
            (void)::read(down[0], &c, 1);  // until the parent says so
            ::_exit(0);
        }
        ::close(down[0]);
        ::close(up[1]);
        char ok = 0;
        EXPECT_EQ(::read(up[0], &ok, 1), 1);
        EXPECT_EQ(ok, 'y');
        return {pid, down[1], up[0]};
    }
    // Told by a byte rather than by closing the pipe: a later child holds a copy of its end.
    void endHolder(Holder& h) {
        EXPECT_EQ(::write(h.toChild, "x", 1), 1);
        ::close(h.toChild);
        int status = 0;
        ::waitpid(h.pid, &status, 0);
        ::close(h.fromChild);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    fs::path runtime;
};

TEST_F(NamedMutex, FileNamesStayInTheFolder) {
    EXPECT_EQ(platform::mutexFileName("Setup_Running-1"), "m-Setup_Running-1");
    EXPECT_EQ(platform::mutexFileName("../x"), "m-%2E%2E%2Fx");
    EXPECT_EQ(platform::mutexFileName("Global\\App"), "m-Global%5CApp");
    EXPECT_EQ(platform::mutexFileName(".."), "m-%2E%2E");
    EXPECT_EQ(platform::mutexFileName("a b\xE9"), "m-a%20b%E9");
    const std::string longName(1000, '/');
    const std::string file = platform::mutexFileName(longName);
    EXPECT_LE(file.size(), 255u);
    EXPECT_EQ(file.find('/'), std::string::npos);
    EXPECT_NE(file, platform::mutexFileName(longName + "/")) << "overlong names still differ by their hash";
    EXPECT_EQ(platform::mutexFolder(), runtime / "vantrel-mutexes");

    // However it is named, the lock file lands in the folder.
    ASSERT_TRUE(platform::createMutex("../../escape"));
    ASSERT_TRUE(platform::createMutex("/etc/passwd"));
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(runtime / "vantrel-mutexes")) files += e.is_regular_file();
    EXPECT_EQ(files, 2u);
    EXPECT_FALSE(fs::exists(runtime.parent_path() / "escape"));
}

TEST_F(NamedMutex, ExistsWhileAnotherProcessHoldsIt) {
    EXPECT_FALSE(platform::mutexExists("Shared.Name"));
    Holder h = startHolder("Shared.Name");
    EXPECT_TRUE(platform::mutexExists("Shared.Name"));
    EXPECT_FALSE(platform::mutexExists("shared.name")) << "names are case-sensitive";
    EXPECT_TRUE(platform::mutexExists("Local\\Shared.Name")) << "the session namespace is the default";
    // A second holder keeps it alive after the first ends.
    Holder h2 = startHolder("Shared.Name");
    endHolder(h);
    EXPECT_TRUE(platform::mutexExists("Shared.Name"));
    endHolder(h2);
    EXPECT_FALSE(platform::mutexExists("Shared.Name")) << "gone with its last holder";
}

TEST_F(NamedMutex, OwnMutexesExistAndEmptyNamesDoNot) {
    EXPECT_TRUE(platform::createMutex("Mine"));
    EXPECT_TRUE(platform::createMutex("Mine")) << "creating again opens it";
    EXPECT_TRUE(platform::mutexExists("Mine"));
    EXPECT_FALSE(platform::createMutex(""));
    EXPECT_FALSE(platform::mutexExists(""));
}

TEST_F(NamedMutex, AStartedProgramDoesNotKeepItAlive) {
    // The child creates the mutex and then becomes another program: from then on nobody
    // holds it, although the program still runs.
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!platform::createMutex("Handed.On")) ::_exit(3);
        ::execl("/bin/sleep", "sleep", "3", nullptr);
        ::_exit(127);
    }
    bool released = false;
    for (int i = 0; i < 200 && !released; ++i) {
        ::usleep(10000);
        released =
            fs::exists(runtime / "vantrel-mutexes" / "m-Handed%2EOn") && !platform::mutexExists("Handed.On");
    }
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "the program still runs";
    EXPECT_TRUE(released);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, &status, 0);
}

TEST_F(NamedMutex, APlantedFolderIsRefused) {
    fs::create_directories(runtime / "elsewhere");
    fs::create_directory_symlink(runtime / "elsewhere", runtime / "vantrel-mutexes");
    EXPECT_TRUE(platform::mutexFolder().empty());
    EXPECT_FALSE(platform::createMutex("X"));
    EXPECT_FALSE(platform::mutexExists("X"));
}

}  // namespace
