// The sound-settings dialog: the output device and the three buffer and time-out options,
// shown from scripts (BassSettingsDialog) and from the main form's window menu. Choices
// take effect on OK for channels opened afterwards; the stored settings follow at exit.
#pragma once

#include <memory>
#include <string>

namespace library {

class TBassOpt {
public:
    TBassOpt();
    ~TBassOpt();

    // Modal; true when closed with OK (the choices are then applied).
    bool execute();
    // What OK does.
    void apply();

    // For tests: the lists' items and selections, the note and its colour.
    struct View;
    View& view();

private:
    std::unique_ptr<View> m_view;
};

}  // namespace library
