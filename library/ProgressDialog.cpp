#include "library/ProgressDialog.h"

#include <algorithm>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Forms.h"
#include "vcl/RangeCtrls.h"
#include "vcl/StdCtrls.h"

namespace library {

namespace {

ProgressDialog* s_current = nullptr;

struct VariantText {
    const char* caption;
    const char* status;  // nullptr: the template's own text
    const char* question;
};

const VariantText& textOf(ProgressVariant v) {
    static const VariantText kConversion{"Converting Audio To Wav...", nullptr,
                                         "Stop the audio conversion process?"};
    static const VariantText kUnzip{"Extracting files ...", "Please wait ...",
                                    "Cancel the unzip operation ?"};
    static const VariantText kDownload{"Downloading ...", "Starting download ...",
                                       "Do you want to cancel the download?"};
    switch (v) {
    case ProgressVariant::Conversion: return kConversion;
    case ProgressVariant::Unzip: return kUnzip;
    default: return kDownload;
    }
}

// The template's dialog units at the 8-point system font: 4 x-units and 8 y-units are
// 6 and 13 pixels.
int dluX(int x) { return x * 6 / 4; }
int dluY(int y) { return y * 13 / 8; }

}  // namespace

struct ProgressDialog::Parts {
    std::unique_ptr<vcl::TForm> form;
    vcl::TLabel* status = nullptr;
    vcl::TProgressBar* bar = nullptr;
    vcl::TButton* button = nullptr;
    bool open = false;
};

ProgressDialog::ProgressDialog(ProgressVariant variant)
    : m_variant(variant), m_parts(std::make_unique<Parts>()) {
    Parts& p = *m_parts;
    p.form = std::make_unique<vcl::TForm>(nullptr);
    vcl::TForm& f = *p.form;
    f.setBorderStyle(vcl::bsDialog);
    // No Close command: the dialog ends only through its button or its routine.
    f.setBorderIcons(0);
    f.font()->setName("MS Sans Serif");
    f.font()->setHeight(-11);
    f.setClientWidth(dluX(250));
    f.setClientHeight(dluY(73));
    f.setCaption(textOf(variant).caption);

    p.status = new vcl::TLabel(&f);
    p.status->setParent(&f);
    p.status->setAutoSize(false);
    p.status->setWordWrap(true);
    p.status->setAlignment(vcl::taCenter);
    p.status->setBounds(dluX(13), dluY(6), dluX(222), dluY(25));
    p.status->setCaption(textOf(variant).status ? textOf(variant).status : "*** Extracting %s ***");

    p.bar = new vcl::TProgressBar(&f);
    p.bar->setParent(&f);
    p.bar->setBounds(dluX(13), dluY(34), dluX(223), dluY(10));

    p.button = new vcl::TButton(&f);
    p.button->setParent(&f);
    p.button->setBounds(dluX(100), dluY(51), dluX(50), dluY(14));
    p.button->setCaption("&Cancel");
    // Enter asks the Cancel question too: the dialog never ends while the work goes on.
    p.button->setDefault(true);
    p.button->setCancel(true);
    static const char kCancelCode = 0;
    p.button->onClick = classes::TMethod(&kCancelCode, nullptr, [this](auto) { cancelPressed(); });

    const int left = std::max(0, (vcl::screen().width() - f.width()) / 2);
    const int top = std::max(0, (vcl::screen().height() - f.height()) / 2);
    f.setBounds(left, top, f.width(), f.height());
    setProgress(1, 5000);
    setProgress(0, 100);
    f.show();
    p.open = true;
}

std::unique_ptr<ProgressDialog> ProgressDialog::open(ProgressVariant variant) {
    if (s_current) s_current->close();
    std::unique_ptr<ProgressDialog> dialog(new ProgressDialog(variant));
    s_current = dialog.get();
    return dialog;
}

ProgressDialog* ProgressDialog::current() { return s_current; }

ProgressDialog::~ProgressDialog() {
    close();
    if (s_current == this) s_current = nullptr;
}

void ProgressDialog::setStatus(const std::string& text) { m_parts->status->setCaption(text); }

void ProgressDialog::setProgress(int position, int maximum) {
    if (maximum != m_maximum) {
        m_parts->bar->setMax(maximum);
        m_maximum = maximum;
    }
    m_parts->bar->setPosition(position);
}

void ProgressDialog::close() {
    if (!m_parts->open) return;
    m_parts->open = false;
    m_parts->form->hide();
    if (s_current == this) s_current = nullptr;
}

void ProgressDialog::cancelPressed() {
    if (!m_parts->open) return;
    const int answer = platform::dialogs().messageBox(textOf(m_variant).question, "Warning",
                                                      platform::MB_YESNO | platform::MB_ICONWARNING);
    m_cancelled = answer == platform::IDYES;
    if (!m_cancelled) return;
    if (m_variant == ProgressVariant::Download) {
        // The download ends at its next block; until then the dialog says so.
        m_parts->button->setCaption("&Aborting...");
        m_parts->button->setEnabled(true);
        platform::processMessages();
    } else {
        close();
    }
}

bool ProgressDialog::isOpen() const { return m_parts->open; }
std::string ProgressDialog::caption() const { return m_parts->form->caption(); }
std::string ProgressDialog::status() const { return m_parts->status->caption(); }
std::string ProgressDialog::buttonText() const { return m_parts->button->caption(); }
bool ProgressDialog::buttonEnabled() const { return m_parts->button->enabled(); }
int ProgressDialog::position() const { return m_parts->bar->position(); }
int ProgressDialog::maximum() const { return m_parts->bar->max(); }
void ProgressDialog::pressKey(int key) { m_parts->form->dialogKey(key, {}); }

struct FormsDisabled::Saved {
    std::vector<std::pair<vcl::TCustomForm*, bool>> forms;
};

FormsDisabled::FormsDisabled() : m_saved(std::make_unique<Saved>()) {
    for (vcl::TCustomForm* f : vcl::screen().forms()) {
        m_saved->forms.emplace_back(f, f->enabled());
        f->setEnabled(false);
    }
}

FormsDisabled::~FormsDisabled() {
    const auto& live = vcl::screen().forms();
    for (auto& [form, was] : m_saved->forms)
        if (std::find(live.begin(), live.end(), form) != live.end()) form->setEnabled(was);
}

}  // namespace library
