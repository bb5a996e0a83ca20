// The agent character control. No agent service exists here, so the control takes its "not
// available" path: every member is inert (False, empty text, nothing done) except
// AvailableAgents, which lists the character files of the Windows folder's
// "msagent\chars" folder.
#pragma once

#include <string>

#include "vcl/Controls.h"

namespace components {

class TMSAgent final : public vcl::TWinControl {
public:
    CLASSES_OBJECT(TMSAgent)
    explicit TMSAgent(classes::TComponent* owner);

    bool isLoaded() const { return false; }
    bool loadAgent(const std::string&) { return false; }
    std::string currentAgentName() const { return {}; }
    std::string currentAgentDescription() const { return {}; }
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int v) { m_borderWidth = v; }

    // Full paths of the "*.acs" files, one per line (CR LF between), sorted by name.
    static std::string availableAgents();

private:
    int m_borderWidth = 3;
};

}  // namespace components
