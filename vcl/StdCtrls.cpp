// TLabel: painting and auto-sizing as the system's label does.
#include "vcl/StdCtrls.h"

#include "base/CodePage.h"
#include "classes/ClassBuilder.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

const classes::ClassInfo& TLabel::staticClass() {
    static const auto info =
        ClassBuilder<TLabel>("TLabel", TGraphicControl::staticClass())
            .property("Caption", ct::string(), &TControl::caption,
                      [](TLabel& l, const std::string& v) { l.setCaption(v); })
            .property("AutoSize", ct::boolean(), &TLabel::autoSize, &TLabel::setAutoSize, {.defaultValue = 1})
            .property("WordWrap", ct::boolean(), &TLabel::wordWrap, &TLabel::setWordWrap, {.defaultValue = 0})
            .property("Alignment", types::alignment(), &TLabel::alignment, &TLabel::setAlignment,
                      {.defaultValue = taLeftJustify})
            .property("Layout", types::textLayout(), &TLabel::layout, &TLabel::setLayout,
                      {.defaultValue = tlTop})
            .property("Transparent", ct::boolean(), &TLabel::transparent, &TLabel::setTransparent,
                      {.defaultValue = 0})
            .property("FocusControl", TWinControl::staticClass().typeInfo(), &TLabel::focusControl,
                      &TLabel::setFocusControl)
            .property("ShowAccelChar", ct::boolean(), &TLabel::showAccelChar, &TLabel::setShowAccelChar,
                      {.defaultValue = 1})
            .build();
    return *info;
}

TLabel::TLabel(classes::TComponent* owner) : TGraphicControl(owner) {
    setBounds(0, 0, 65, 17);
    setParentColor(true);
}

void TLabel::setAutoSize(bool v) {
    m_autoSize = v;
    adjustBounds();
}
void TLabel::setWordWrap(bool v) {
    if (v == m_wordWrap) return;
    m_wordWrap = v;
    adjustBounds();
    invalidate();
}
void TLabel::setAlignment(TAlignment v) {
    m_alignment = v;
    invalidate();
}
void TLabel::setLayout(TTextLayout v) {
    m_layout = v;
    invalidate();
}
void TLabel::setTransparent(bool v) {
    m_transparent = v;
    invalidate();
}
void TLabel::setShowAccelChar(bool v) {
    m_showAccelChar = v;
    adjustBounds();
    invalidate();
}

void TLabel::setFocusControl(TWinControl* control) {
    if (m_focusControl) m_focusControl->removeFreeNotification(this);
    m_focusControl = control;
    if (control) control->freeNotification(this);
}

void TLabel::notification(classes::TComponent* component, classes::Operation operation) {
    TGraphicControl::notification(component, operation);
    if (operation == classes::Operation::Remove && component == m_focusControl) m_focusControl = nullptr;
}

namespace {
// True when `c` is the character after a single "&" in `caption` (case-insensitive).
bool isAccel(char c, const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return base::CodePage::active().upper(static_cast<unsigned char>(caption[i + 1])) ==
               base::CodePage::active().upper(static_cast<unsigned char>(c));
    }
    return false;
}
}  // namespace

bool TLabel::dialogChar(char c) {
    if (!m_focusControl || !enabled() || !m_showAccelChar || !isAccel(c, caption())) return false;
    if (m_focusControl->canFocus()) m_focusControl->setFocus();
    return true;
}

void TLabel::loaded() {
    TGraphicControl::loaded();
    adjustBounds();
}

void TLabel::textChanged() {
    adjustBounds();
    invalidate();
}

void TLabel::fontChanged() {
    TGraphicControl::fontChanged();
    adjustBounds();
}

void TLabel::parentFontChanged() {
    TGraphicControl::parentFontChanged();
    adjustBounds();
}

unsigned TLabel::textFlags() const {
    unsigned flags = DT_EXPANDTABS;
    if (m_wordWrap) flags |= DT_WORDBREAK;
    if (m_alignment == taCenter) flags |= DT_CENTER;
    if (m_alignment == taRightJustify) flags |= DT_RIGHT;
    if (!m_showAccelChar) flags |= DT_NOPREFIX;
    return flags;
}

void TLabel::adjustBounds() {
    if (!m_autoSize || hasState(classes::ComponentState::Loading)) return;
    TCanvas measure;
    measure.setFont(*font());
    TRect r{0, 0, m_wordWrap ? width() : 0, 0};
    // An empty caption is measured as one space, so the label keeps one line's height.
    measure.drawText(caption().empty() ? std::string(" ") : caption(), r, textFlags() | DT_CALCRECT);
    int x = left();
    if (m_alignment == taRightJustify) x = left() + width() - r.width();
    setBounds(x, top(), r.width(), r.height());
}

void TLabel::paint() {
    TCanvas& c = canvas();
    const TRect client = clientRect();
    if (!m_transparent) {
        c.brush().setColor(color());
        c.brush().setStyle(bsSolid);
        c.fillRect(client);
    }
    c.brush().setStyle(bsClear);
    TRect r = client;
    if (m_layout != tlTop) {
        TRect calc = client;
        c.drawText(caption(), calc, textFlags() | DT_CALCRECT);
        const int offset =
            m_layout == tlBottom ? client.height() - calc.height() : (client.height() - calc.height()) / 2;
        r.top += offset;
        r.bottom += offset;
    }
    if (!enabled()) {
        // The system's disabled text: a highlight copy one pixel down-right, then the shadow.
        TRect shifted = r.offset(1, 1);
        c.font().setColor(clBtnHighlight);
        c.drawText(caption(), shifted, textFlags());
        c.font().setColor(clBtnShadow);
    }
    c.drawText(caption(), r, textFlags());
}

}  // namespace vcl
