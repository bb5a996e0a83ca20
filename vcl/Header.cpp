// THeader: sections, their streamed form, painting and resizing by dragging.
#include "vcl/Header.h"

#include <algorithm>
#include <charconv>

#include "classes/ClassBuilder.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "vcl/ExtCtrls.h"
#include "vcl/KeptProperties.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

const classes::TypeInfo& sectionEvent() {
    static const auto t =
        classes::TypeInfo::method("TSectionEvent", "procedure (Sender: TObject; ASection, AWidth: Integer);");
    return t;
}

// "#0 width #0 caption": the width in decimal between two zero bytes; a plain string is a
// caption of the default width.
void readSection(THeaderSections& s, const std::string& entry) {
    if (entry.empty() || entry[0] != '\0') {
        s.add(entry);
        return;
    }
    const size_t end = entry.find('\0', 1);
    int width = THeaderSections::kDefaultWidth;
    if (end != std::string::npos) {
        const auto [ptr, ec] = std::from_chars(entry.data() + 1, entry.data() + end, width);
        if (ec != std::errc() || ptr != entry.data() + end) width = THeaderSections::kDefaultWidth;
    }
    const int index = s.add(end == std::string::npos ? std::string() : entry.substr(end + 1));
    s.setWidth(index, width);
}

}  // namespace

const classes::ClassInfo& THeaderSections::staticClass() {
    static const auto info =
        ClassBuilder<THeaderSections>("THeaderSections", classes::TStrings::staticClass())
            .factory({})
            .defined(
                "Sections",
                [](THeaderSections& s, classes::TReader& r) {
                    r.readListBegin();
                    s.beginUpdate();
                    s.clear();
                    while (!r.endOfList()) readSection(s, r.readString());
                    s.endUpdate();
                    r.readListEnd();
                },
                [](const THeaderSections& s, classes::TWriter& w) {
                    w.writeListBegin();
                    for (int i = 0; i < s.count(); ++i) {
                        std::string entry(1, '\0');
                        entry += std::to_string(s.width(i));
                        entry += '\0';
                        entry += s.get(i);
                        w.writeString(entry);
                    }
                    w.writeListEnd();
                },
                [](const THeaderSections& s) { return s.count() > 0; })
            .build();
    return *info;
}

const classes::ClassInfo& THeader::staticClass() {
    static const auto info = [] {
        ClassBuilder<THeader> b("THeader", TCustomControl::staticClass());
        b.property("Sections", THeaderSections::staticClass().typeInfo(), &THeader::sections,
                   [](THeader& h, THeaderSections* s) { h.setSections(s); })
            .property("AllowResize", ct::boolean(), &THeader::allowResize, &THeader::setAllowResize,
                      {.defaultValue = 1})
            .property("BorderStyle", types::borderStyle(), &THeader::borderStyle, &THeader::setBorderStyle,
                      {.defaultValue = bsSingle});
        b.event("OnSizing", sectionEvent(), &THeader::onSizing);
        b.event("OnSized", sectionEvent(), &THeader::onSized);
        b.publicProperty("property SectionWidth[X: Integer]: Integer;", &THeader::sectionWidth,
                         &THeader::setSectionWidth);
        return b.build();
    }();
    return *info;
}

// --- THeaderSections ---

void THeaderSections::check(int index, int limit) const {
    if (index < 0 || index >= limit) indexError(index);
}

void THeaderSections::changed() {
    if (m_header && updateCount() == 0) m_header->invalidate();
}

std::string THeaderSections::get(int index) const {
    check(index, count());
    return m_items[static_cast<size_t>(index)].text;
}

void THeaderSections::put(int index, std::string_view s) {
    check(index, count());
    m_items[static_cast<size_t>(index)].text = std::string(s);
    changed();
}

void THeaderSections::insert(int index, std::string_view s) {
    check(index, count() + 1);
    m_items.insert(m_items.begin() + index, Section{std::string(s), kDefaultWidth});
    changed();
}

void THeaderSections::remove(int index) {
    check(index, count());
    m_items.erase(m_items.begin() + index);
    changed();
}

void THeaderSections::clear() {
    m_items.clear();
    changed();
}

int THeaderSections::width(int index) const {
    check(index, count());
    return m_items[static_cast<size_t>(index)].width;
}

void THeaderSections::setWidth(int index, int w) {
    check(index, count());
    m_items[static_cast<size_t>(index)].width = std::max(0, w);
    changed();
}

// --- THeader ---

THeader::THeader(classes::TComponent* owner)
    : TCustomControl(owner), m_sections(std::make_unique<THeaderSections>(this)) {
    setBounds(0, 0, 250, 25);
    setColor(clBtnFace);
}

THeader::~THeader() = default;

void THeader::setSections(classes::TStrings* sections) {
    if (!sections) return;
    if (auto* other = dynamic_cast<THeaderSections*>(sections)) {
        m_sections->beginUpdate();
        m_sections->clear();
        for (int i = 0; i < other->count(); ++i) {
            m_sections->add(other->get(i));
            m_sections->setWidth(i, other->width(i));
        }
        m_sections->endUpdate();
        invalidate();
        return;
    }
    m_sections->assign(*sections);
    invalidate();
}

void THeader::setBorderStyle(TBorderStyle value) {
    m_borderStyle = value == bsNone ? bsNone : bsSingle;
    invalidate();
}

int THeader::dividerAt(int x) const {
    int right = m_borderStyle == bsSingle ? 1 : 0;
    for (int i = 0; i < m_sections->count(); ++i) {
        right += m_sections->width(i);
        if (std::abs(x - right) <= 2) return i;
    }
    return -1;
}

void THeader::mouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && m_allowResize) m_dragging = dividerAt(x);
    TCustomControl::mouseDown(button, shift, x, y);
}

void THeader::mouseMove(TShiftState shift, int x, int y) {
    if (m_dragging >= 0) {
        int left = m_borderStyle == bsSingle ? 1 : 0;
        for (int i = 0; i < m_dragging; ++i) left += m_sections->width(i);
        int64_t w = std::max(0, x - left);
        m_sections->setWidth(m_dragging, static_cast<int>(w));
        fireEvent(onSizing, {static_cast<classes::TObject*>(this), int64_t{m_dragging}, w});
    } else if (m_allowResize) {
        setCursor(dividerAt(x) >= 0 ? crHSplit : crDefault);
    }
    TCustomControl::mouseMove(shift, x, y);
}

void THeader::mouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && m_dragging >= 0) {
        const int section = m_dragging;
        m_dragging = -1;
        const auto alive = aliveToken();
        fireEvent(onSized, {static_cast<classes::TObject*>(this), int64_t{section},
                            int64_t{m_sections->width(section)}});
        if (alive.expired()) return;
    }
    TCustomControl::mouseUp(button, shift, x, y);
}

void THeader::paint() {
    TCanvas& c = canvas();
    TRect r = clientRect();
    if (m_borderStyle == bsSingle) {
        c.brush().setColor(clWindowFrame);
        c.frameRect(r);
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    c.setFont(*font());
    int x = r.left;
    for (int i = 0; i < m_sections->count() && x < r.right; ++i) {
        TRect s{x, r.top, std::min(r.right, x + m_sections->width(i)), r.bottom};
        x = s.right;
        if (s.isEmpty()) continue;
        TRect inner = s;
        frame3D(c, inner, clBtnHighlight, clBtnShadow, 1);
        c.brush().setStyle(bsSolid);
        c.brush().setColor(color());
        c.fillRect(inner);
        c.brush().setStyle(bsClear);
        TRect text{inner.left + 3, inner.top, inner.right - 1, inner.bottom};
        c.drawText(m_sections->get(i), text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }
}

}  // namespace vcl
