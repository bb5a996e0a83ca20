// Dialogs answered from an automation script ("answer Yes"), every request logged to a file
// the test reads back. Installed for the whole process; uninstall() before the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/Automation.h"
#include "platform/Dialogs.h"

class AnsweredDialogs {
public:
    explicit AnsweredDialogs(std::filesystem::path log) : m_log(std::move(log)) {}

    // Starts a fresh log and answers the coming requests from `script`.
    void answer(const std::string& script) const {
        std::filesystem::remove(m_log);
        platform::installDialogs(std::make_unique<platform::DialogService>(
            std::make_unique<platform::AutomationBackend>(platform::AutomationScript::parse(script)),
            std::make_unique<platform::DialogLog>(m_log.string())));
    }
    static void uninstall() { platform::installDialogs(nullptr); }

    // The logged lines holding `piece`.
    std::vector<std::string> lines(const std::string& piece) const {
        std::vector<std::string> out;
        std::ifstream in(m_log);
        for (std::string line; std::getline(in, line);)
            if (line.find(piece) != std::string::npos) out.push_back(line);
        return out;
    }
    size_t count(const std::string& piece) const { return lines(piece).size(); }

private:
    std::filesystem::path m_log;
};
