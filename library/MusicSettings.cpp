#include "library/MusicSettings.h"

#include "library/Music.h"
#include "library/MusicApi.h"
#include "library/MusicSettingsView.h"
#include "runtime/Placeholders.h"
#include "vcl/Color.h"

namespace library {

namespace {

struct Row {
    uint32_t option;
    const char* hint;
    std::vector<std::pair<const char*, uint32_t>> choices;
};

const Row kNetTimeout{11,
                      "The time to wait for a server to respond to a connection request.",
                      {{"5 sec", 5000}, {"10 sec", 10000}, {"15 sec", 15000}}};
const Row kFileBuffer{0,
                      "The playback buffer length for channels.",
                      {{"0.5 sec", 500}, {"1 sec", 1000}, {"2 sec", 2000}, {"3 sec", 3000}}};
const Row kNetBuffer{12,
                     "The internet download buffer length.",
                     {{"5 sec", 5000}, {"10 sec", 10000}, {"15 sec", 15000}, {"20 sec", 20000}}};

vcl::TLabel* label(vcl::TWinControl* parent, int l, int t, int w, int h, const std::string& text) {
    auto* c = new vcl::TLabel(parent);
    c->setParent(parent);
    c->setBounds(l, t, w, h);
    c->setCaption(text);
    return c;
}

vcl::TComboBox* list(vcl::TWinControl* parent, int l, int t, int w, int h) {
    auto* c = new vcl::TComboBox(parent);
    c->setParent(parent);
    c->setStyle(vcl::csDropDownList);
    c->setBounds(l, t, w, h);
    return c;
}

void fillRow(vcl::TComboBox* box, vcl::TLabel* caption, const Row& row) {
    for (const auto& [text, value] : row.choices) box->items()->add(text);
    box->setHint(row.hint);
    box->setShowHint(true);
    caption->setHint(row.hint);
    caption->setShowHint(true);
    caption->setAlignment(vcl::taRightJustify);
    int index = 0;
    if (musicLoaded()) {
        const uint32_t current = music::api().BASS_GetConfig(row.option);
        for (size_t i = 0; i < row.choices.size(); ++i)
            if (row.choices[i].second == current) index = static_cast<int>(i);
    }
    box->setItemIndex(index);
}

void applyRow(vcl::TComboBox* box, const Row& row) {
    const int i = box->itemIndex();
    if (i >= 0 && static_cast<size_t>(i) < row.choices.size())
        music::api().BASS_SetConfig(row.option, row.choices[static_cast<size_t>(i)].second);
}

}  // namespace

TBassOpt::TBassOpt() : m_view(std::make_unique<View>()) {
    View& v = *m_view;
    v.form = std::make_unique<vcl::TForm>(nullptr);
    vcl::TForm& f = *v.form;
    f.setName("BassOpt");  // the name automation closes it by
    f.setCaption("Bass Options");
    f.setBorderStyle(vcl::bsDialog);
    f.setBorderIcons(1u << vcl::biSystemMenu);
    f.font()->setName("MS Sans Serif");
    f.font()->setHeight(-11);
    f.setClientWidth(266);
    f.setClientHeight(271);
    f.setPosition(vcl::poScreenCenter);

    label(&f, 16, 16, 77, 13, "Default Device :");
    v.device = list(&f, 8, 32, 250, 21);
    v.note = label(&f, 10, 56, 243, 80, "");
    v.note->setAutoSize(false);
    v.note->setWordWrap(true);
    v.group = new vcl::TGroupBox(&f);
    v.group->setParent(&f);
    v.group->setBounds(8, 136, 250, 97);
    v.group->setCaption("Buffers && TimeOut");
    vcl::TLabel* l3 = label(v.group, 16, 20, 77, 13, "NET TIMEOUT:");
    v.netTimeout = list(v.group, 104, 16, 121, 21);
    vcl::TLabel* l5 = label(v.group, 23, 44, 70, 13, "FILE BUFFER:");
    v.fileBuffer = list(v.group, 104, 40, 121, 21);
    vcl::TLabel* l4 = label(v.group, 23, 69, 70, 13, "NET BUFFER:");
    v.netBuffer = list(v.group, 104, 66, 121, 21);
    v.ok = new vcl::TButton(&f);
    v.ok->setParent(&f);
    v.ok->setBounds(102, 240, 75, 22);
    v.ok->setCaption("OK");
    v.ok->setModalResult(vcl::mrOk);
    v.cancel = new vcl::TButton(&f);
    v.cancel->setParent(&f);
    v.cancel->setBounds(182, 240, 75, 22);
    v.cancel->setCaption("Cancel");
    v.cancel->setModalResult(vcl::mrCancel);
    v.cancel->setDefault(true);
    v.cancel->setCancel(true);
    v.device->setTabOrder(0);
    v.ok->setTabOrder(1);
    v.cancel->setTabOrder(2);
    v.group->setTabOrder(3);
    v.netTimeout->setTabOrder(0);
    v.netBuffer->setTabOrder(1);
    v.fileBuffer->setTabOrder(2);

    fillRow(v.netTimeout, l3, kNetTimeout);
    fillRow(v.fileBuffer, l5, kFileBuffer);
    fillRow(v.netBuffer, l4, kNetBuffer);
    if (!musicLoaded()) {
        v.note->setCaption(runtime::RepConst(
            "No sound capabilities available via \"Bass.dll\" library.%nReason: File not found."));
        v.note->font()->setColor(vcl::clRed);
        for (vcl::TComboBox* c : {v.device, v.netTimeout, v.fileBuffer, v.netBuffer}) c->setEnabled(false);
        return;
    }
    v.note->setCaption(
        runtime::RepConst("Please note that currently playing streams are not affected by the change of the "
                          "device.%n%nTo use the "
                          "new device you have to stop and play the streams again."));
    const music::Api& a = music::api();
    for (uint32_t i = 0;; ++i) {
        const char* name = a.BASS_GetDeviceDescription(i);
        if (!name) break;
        v.device->items()->add(name);
    }
    v.device->setItemIndex(static_cast<int>(a.BASS_GetDevice()));
    static const char kChangeCode = 0;
    v.device->onChange = classes::TMethod(&kChangeCode, nullptr, [this](auto) { m_view->deviceChanged(); });
}

TBassOpt::~TBassOpt() = default;

TBassOpt::View& TBassOpt::view() { return *m_view; }

void TBassOpt::View::deviceChanged() {
    const int i = device->itemIndex();
    const bool current = musicLoaded() && i >= 0 && static_cast<uint32_t>(i) == music::api().BASS_GetDevice();
    note->font()->setColor(current ? vcl::clWindowText : vcl::clRed);
}

bool TBassOpt::execute() {
    if (m_view->form->showModal() != vcl::mrOk) return false;
    apply();
    return true;
}

void TBassOpt::apply() {
    if (!musicLoaded()) return;
    try {
        const music::Api& a = music::api();
        const int d = m_view->device->itemIndex();
        if (d >= 0) {
            // A device opened before is only selected again.
            a.BASS_Init(d, 44100, 0, nullptr, nullptr);
            a.BASS_SetDevice(static_cast<uint32_t>(d));
        }
        applyRow(m_view->netTimeout, kNetTimeout);
        applyRow(m_view->fileBuffer, kFileBuffer);
        applyRow(m_view->netBuffer, kNetBuffer);
    } catch (...) {
    }
}

bool bassSettingsDialog() {
    TBassOpt dialog;
    return dialog.execute();
}

}  // namespace library
