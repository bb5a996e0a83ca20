#include "components/MSAgent.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"

namespace components {

namespace fs = std::filesystem;
namespace ct = classes::types;

TMSAgent::TMSAgent(classes::TComponent* owner) : vcl::TWinControl(owner) { setBounds(left(), top(), 32, 32); }

std::string TMSAgent::availableAgents() {
    const fs::path folder = platform::windowsFolder() / "msagent" / "chars";
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && base::ansiSameText(name.substr(name.size() - 4), ".acs") &&
            it->is_regular_file(ec))
            files.push_back(platform::windowsPath(it->path()));
    }
    std::sort(files.begin(), files.end());
    std::string text;
    for (const std::string& f : files) text += (text.empty() ? "" : "\r\n") + f;
    return text;
}

const classes::ClassInfo& TMSAgent::staticClass() {
    static const auto info = [] {
        classes::ClassBuilder<TMSAgent> b("TMSAgent", vcl::TWinControl::staticClass());
        b.property("BorderWidth", ct::integer(), &TMSAgent::borderWidth, &TMSAgent::setBorderWidth,
                   {.defaultValue = 3});
        b.publicMethod("Function IsLoaded : boolean", &TMSAgent::isLoaded)
            .publicMethod("Function LoadAgent( FilePath : string) : boolean",
                          [](TMSAgent& a, const std::string& path) { return a.loadAgent(path); })
            .publicMethod("Procedure Speak( Text : string)", [](TMSAgent&, const std::string&) {})
            .publicMethod("Procedure MoveTo( x, y : integer)", [](TMSAgent&, int32_t, int32_t) {})
            .publicMethod("Procedure Hide", [](TMSAgent&) {})
            .publicMethod("Procedure Show", [](TMSAgent&) {})
            .publicMethod("Procedure Stop", [](TMSAgent&) {})
            .publicMethod("Procedure Play( AnimationName : string)", [](TMSAgent&, const std::string&) {})
            .publicMethod("Function GetCurrentAgentName : string", &TMSAgent::currentAgentName)
            .publicMethod("Function GetCurrentAgentDescription : string", &TMSAgent::currentAgentDescription)
            .publicMethod("Procedure PropertySheet", [](TMSAgent&) {})
            .publicProperty("property AvailableAgents : string;",
                            [](TMSAgent&) { return availableAgents(); });
        return b.build();
    }();
    return *info;
}

}  // namespace components
