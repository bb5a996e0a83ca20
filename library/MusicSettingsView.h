// The controls of the sound-settings dialog, for the dialog itself and its tests.
#pragma once

#include <memory>

#include "library/MusicSettings.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Forms.h"
#include "vcl/GroupCtrls.h"
#include "vcl/ListCtrls.h"
#include "vcl/StdCtrls.h"

namespace library {

struct TBassOpt::View {
    std::unique_ptr<vcl::TForm> form;
    vcl::TComboBox* device = nullptr;
    vcl::TLabel* note = nullptr;
    vcl::TGroupBox* group = nullptr;
    vcl::TComboBox* netTimeout = nullptr;  // ComboBox2
    vcl::TComboBox* fileBuffer = nullptr;  // ComboBox4
    vcl::TComboBox* netBuffer = nullptr;   // ComboBox3
    vcl::TButton* ok = nullptr;
    vcl::TButton* cancel = nullptr;

    void deviceChanged();
};

}  // namespace library
