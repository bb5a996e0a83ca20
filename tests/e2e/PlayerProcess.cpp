#include "PlayerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

extern char** environ;

namespace fs = std::filesystem;

namespace e2e {

fs::path builtPlayer() { return fs::path(VANTREL_BINARY_DIR) / "player" / "vantrel"; }

Sandbox::Sandbox() {
    static std::atomic<int> counter{0};
    m_dir = fs::temp_directory_path() /
            ("vantrel-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(m_dir);
    fs::create_directories(tmp());
}

Sandbox::~Sandbox() {
    std::error_code ec;
    fs::remove_all(m_dir, ec);
}

fs::path Sandbox::copyPlayer(const std::string& name) const {
    fs::path target = m_dir / name;
    fs::copy_file(builtPlayer(), target, fs::copy_options::overwrite_existing);
    return target;
}

std::vector<fs::path> Sandbox::appFolders() const {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(tmp(), ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.rfind("zep-", 0) == 0 && name.size() > 3 && name.substr(name.size() - 3) == "_al") {
            out.push_back(it->path());
        }
    }
    return out;
}

void Sandbox::write(const std::string& name, const std::string& data) const {
    std::ofstream(m_dir / name, std::ios::binary) << data;
}

PlayerProcess::PlayerProcess(const Sandbox& sandbox, const fs::path& exe, Options options) {
    static std::atomic<int> counter{0};
    std::string id = std::to_string(counter++);
    m_log = sandbox.dir() / ("log-" + id + ".jsonl");
    fs::path automation = sandbox.dir() / ("automation-" + id + ".txt");

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string var = *e;
        for (const char* drop :
             {"TMP=", "TEMP=", "TMPDIR=", "VANTREL_", "QT_QPA_PLATFORM=", "XDG_DATA_HOME="}) {
            if (var.rfind(drop, 0) == 0) var.clear();
        }
        if (!var.empty()) env.push_back(var);
    }
    env.push_back("TMP=" + sandbox.tmp().string());
    // The registry and the system drive live in the sandbox, never in the tester's own data.
    env.push_back("XDG_DATA_HOME=" + (sandbox.dir() / "data").string());
    env.push_back("QT_QPA_PLATFORM=offscreen");
    // Projects with music play into the silent device: no sound card needed, nothing heard.
    env.push_back("VANTREL_AUDIO=null");
    env.push_back("VANTREL_LOG=" + m_log.string());
    if (options.automated) {
        std::ofstream(automation) << options.automation;
        env.push_back("VANTREL_AUTOMATION=" + automation.string());
    }
    for (const std::string& entry : options.environment) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        std::erase_if(env, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
        env.push_back(entry);
    }

    std::vector<std::string> argv = {exe.string()};
    argv.insert(argv.end(), options.args.begin(), options.args.end());
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    std::vector<char*> cenv;
    for (auto& e : env) cenv.push_back(e.data());
    cenv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.output.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.output.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&m_pid, exe.c_str(), &actions, nullptr, cargv.data(), cenv.data()) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

PlayerProcess::~PlayerProcess() {
    if (m_pid > 0 && m_status < 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

int PlayerProcess::wait(std::chrono::milliseconds timeout) {
    if (m_pid <= 0) return -1;
    if (m_status >= 0) return m_status;
    int status = 0;
    bool ended = waitFor([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, timeout);
    if (!ended) return -1;
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return m_status;
}

void PlayerProcess::signal(int signo) const {
    if (m_pid > 0) ::kill(m_pid, signo);
}

std::vector<std::string> PlayerProcess::logLines() const {
    std::vector<std::string> lines;
    std::ifstream in(m_log);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

}  // namespace e2e
