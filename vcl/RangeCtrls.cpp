// TScrollBar, TProgressBar and TTrackBar: ranges, positions and their events.
#include "vcl/RangeCtrls.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "vcl/KeptProperties.h"
#include "vcl/NativeHandles.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

const classes::TypeInfo& scrollBarKindType() {
    static const auto t = classes::TypeInfo::enumeration("TScrollBarKind", {"sbHorizontal", "sbVertical"});
    return t;
}
const classes::TypeInfo& scrollEvent() {
    static const auto t = classes::TypeInfo::method(
        "TScrollEvent", "procedure (Sender: TObject; ScrollCode: TScrollCode; var ScrollPos: Integer);");
    return t;
}
const classes::TypeInfo& progressOrientationType() {
    static const auto t =
        classes::TypeInfo::enumeration("TProgressBarOrientation", {"pbHorizontal", "pbVertical"});
    return t;
}
const classes::TypeInfo& progressRangeType() {
    static const auto t = classes::TypeInfo::integer("TProgressRange");
    return t;
}
const classes::TypeInfo& trackOrientationType() {
    static const auto t =
        classes::TypeInfo::enumeration("TTrackBarOrientation", {"trHorizontal", "trVertical"});
    return t;
}
const classes::TypeInfo& tickMarkType() {
    static const auto t =
        classes::TypeInfo::enumeration("TTickMark", {"tmBottomRight", "tmTopLeft", "tmBoth"});
    return t;
}
const classes::TypeInfo& tickStyleType() {
    static const auto t = classes::TypeInfo::enumeration("TTickStyle", {"tsNone", "tsAuto", "tsManual"});
    return t;
}

[[noreturn]] void outOfRange(const char* className) {
    throw base::Error(std::string(className) + " property out of range");
}

}  // namespace

const classes::ClassInfo& TScrollBar::staticClass() {
    static const auto info = [] {
        ClassBuilder<TScrollBar> b("TScrollBar", TWinControl::staticClass());
        b.property("Kind", scrollBarKindType(), &TScrollBar::kind, &TScrollBar::setKind,
                   {.defaultValue = sbHorizontal})
            .property("Max", ct::integer(), &TScrollBar::max, &TScrollBar::setMax, {.defaultValue = 100})
            .property("Min", ct::integer(), &TScrollBar::min, &TScrollBar::setMin, {.defaultValue = 0})
            .property("PageSize", ct::integer(), &TScrollBar::pageSize, &TScrollBar::setPageSize,
                      {.defaultValue = 0})
            .property("Position", ct::integer(), &TScrollBar::position, &TScrollBar::setPosition,
                      {.defaultValue = 0})
            .property("SmallChange", ct::smallint(), &TScrollBar::smallChange, &TScrollBar::setSmallChange,
                      {.defaultValue = 1})
            .property("LargeChange", ct::smallint(), &TScrollBar::largeChange, &TScrollBar::setLargeChange,
                      {.defaultValue = 1});
        b.event("OnChange", ct::notifyEvent(), &TScrollBar::onChange);
        b.event("OnScroll", scrollEvent(), &TScrollBar::onScroll);
        b.publicMethod("procedure SetParams(APosition, AMin, AMax: Integer);", &TScrollBar::setParams);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TProgressBar::staticClass() {
    static const auto info = [] {
        ClassBuilder<TProgressBar> b("TProgressBar", TWinControl::staticClass());
        b.property("Min", progressRangeType(), &TProgressBar::min, &TProgressBar::setMin, {.defaultValue = 0})
            .property("Max", progressRangeType(), &TProgressBar::max, &TProgressBar::setMax,
                      {.defaultValue = 100})
            .property("Orientation", progressOrientationType(), &TProgressBar::orientation,
                      &TProgressBar::setOrientation, {.defaultValue = pbHorizontal})
            .property("Position", ct::integer(), &TProgressBar::position, &TProgressBar::setPosition,
                      {.defaultValue = 0})
            .property("Smooth", ct::boolean(), &TProgressBar::smooth, &TProgressBar::setSmooth,
                      {.defaultValue = 0})
            .property("Step", ct::integer(), &TProgressBar::step, &TProgressBar::setStep,
                      {.defaultValue = 10});
        // The binder gives integer properties the plain Integer; scripts may name the range type.
        b.publicType("TProgressRange", "Integer")
            .publicMethod("procedure StepIt;", &TProgressBar::stepIt)
            .publicMethod("procedure StepBy(Delta: Integer);", &TProgressBar::stepBy);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TTrackBar::staticClass() {
    static const auto info = [] {
        ClassBuilder<TTrackBar> b("TTrackBar", TWinControl::staticClass());
        b.property("Frequency", ct::integer(), &TTrackBar::frequency, &TTrackBar::setFrequency,
                   {.defaultValue = 1})
            .property("LineSize", ct::integer(), &TTrackBar::lineSize, &TTrackBar::setLineSize,
                      {.defaultValue = 1})
            .property("Max", ct::integer(), &TTrackBar::max, &TTrackBar::setMax, {.defaultValue = 10})
            .property("Min", ct::integer(), &TTrackBar::min, &TTrackBar::setMin, {.defaultValue = 0})
            .property("Orientation", trackOrientationType(), &TTrackBar::orientation,
                      &TTrackBar::setOrientation, {.defaultValue = trHorizontal})
            .property("PageSize", ct::integer(), &TTrackBar::pageSize, &TTrackBar::setPageSize,
                      {.defaultValue = 2})
            .property("Position", ct::integer(), &TTrackBar::position, &TTrackBar::setPosition,
                      {.defaultValue = 0})
            .property("SelEnd", ct::integer(), &TTrackBar::selEnd, &TTrackBar::setSelEnd, {.defaultValue = 0})
            .property("SelStart", ct::integer(), &TTrackBar::selStart, &TTrackBar::setSelStart,
                      {.defaultValue = 0})
            .property("SliderVisible", ct::boolean(), &TTrackBar::sliderVisible, &TTrackBar::setSliderVisible,
                      {.defaultValue = 1})
            .property("ThumbLength", ct::integer(), &TTrackBar::thumbLength, &TTrackBar::setThumbLength,
                      {.defaultValue = 20})
            .property("TickMarks", tickMarkType(), &TTrackBar::tickMarks, &TTrackBar::setTickMarks,
                      {.defaultValue = tmBottomRight})
            .property("TickStyle", tickStyleType(), &TTrackBar::tickStyle, &TTrackBar::setTickStyle,
                      {.defaultValue = tsAuto});
        keptProperty(b, "ShowSelRange", ct::boolean(), 1);
        b.event("OnChange", ct::notifyEvent(), &TTrackBar::onChange);
        b.publicMethod("procedure SetTick(Value: Integer);", &TTrackBar::setTick);
        return b.build();
    }();
    return *info;
}

// --- TScrollBar ---

TScrollBar::TScrollBar(classes::TComponent* owner) : TWinControl(owner) {
    setBounds(0, 0, 121, 16);
    setTabStop(true);
    setParentColor(true);
    setControlStyle(controlStyle() & ~(csClickEvents | csDoubleClicks));
}

std::unique_ptr<WindowHandle> TScrollBar::createHandle() { return createScrollBarHandle(*this); }

void TScrollBar::handleCreated() {
    TWinControl::handleCreated();
    syncHandle();
}

void TScrollBar::setKind(TScrollBarKind value) {
    if (value == m_kind) return;
    m_kind = value;
    // Turning the bar turns its size.
    if (!hasState(classes::ComponentState::Loading)) setBounds(left(), top(), height(), width());
    syncHandle();
}

int TScrollBar::maxPosition() const { return std::max(m_min, m_max - std::max(m_pageSize - 1, 0)); }

void TScrollBar::setParams(int position, int min, int max) {
    // A stream sets Min and Max one after the other: only the final pair must fit.
    if (max < min && !hasState(classes::ComponentState::Loading))
        throw base::Error("Scrollbar property out of range");
    m_min = min;
    m_max = max;
    const int old = m_position;
    m_position = std::clamp(position, m_min, std::max(m_min, maxPosition()));
    syncHandle();
    if (m_position != old && !hasState(classes::ComponentState::Loading))
        fireEvent(onChange, {static_cast<classes::TObject*>(this)});
}

void TScrollBar::setSmallChange(int value) {
    m_smallChange = std::max(1, value);
    syncHandle();
}

void TScrollBar::setLargeChange(int value) {
    m_largeChange = std::max(1, value);
    syncHandle();
}

void TScrollBar::setPageSize(int value) {
    m_pageSize = std::clamp(value, 0, std::max(0, m_max - m_min + 1));
    setParams(m_position, m_min, m_max);
}

void TScrollBar::handleScroll(TScrollCode code, int position) {
    int64_t pos = position;
    const auto alive = aliveToken();
    fireEvent(onScroll, {static_cast<classes::TObject*>(this), int64_t{code}, &pos});
    if (alive.expired()) return;
    setPosition(static_cast<int>(pos));
}

// --- TProgressBar ---

TProgressBar::TProgressBar(classes::TComponent* owner) : TWinControl(owner) {
    setBounds(0, 0, 150, 16);
    setParentColor(true);
}

std::unique_ptr<WindowHandle> TProgressBar::createHandle() { return createProgressBarHandle(*this); }

void TProgressBar::handleCreated() {
    TWinControl::handleCreated();
    syncHandle();
}

void TProgressBar::setMin(int value) {
    if (value > m_max && !hasState(classes::ComponentState::Loading)) outOfRange("TProgressBar");
    m_min = value;
    setPosition(m_position);
}

void TProgressBar::setMax(int value) {
    if (value < m_min && !hasState(classes::ComponentState::Loading)) outOfRange("TProgressBar");
    m_max = value;
    setPosition(m_position);
}

void TProgressBar::setPosition(int value) {
    m_position = std::clamp(value, std::min(m_min, m_max), std::max(m_min, m_max));
    syncHandle();
}

void TProgressBar::setOrientation(TProgressBarOrientation value) {
    if (value == m_orientation) return;
    m_orientation = value;
    if (!hasState(classes::ComponentState::Loading)) setBounds(left(), top(), height(), width());
    syncHandle();
}

void TProgressBar::setSmooth(bool value) {
    m_smooth = value;
    syncHandle();
}

void TProgressBar::stepBy(int delta) {
    const int64_t range = int64_t{m_max} - m_min;
    if (range <= 0) {
        setPosition(m_min);
        return;
    }
    int64_t next = int64_t{m_position} + delta;
    if (next > m_max) next = m_min + (next - m_max) % range;
    if (next < m_min) next = m_max - (m_min - next) % range;
    setPosition(static_cast<int>(next));
}

// --- TTrackBar ---

TTrackBar::TTrackBar(classes::TComponent* owner) : TWinControl(owner) {
    setBounds(0, 0, 150, 45);
    setTabStop(true);
    setParentColor(true);
    setControlStyle(controlStyle() & ~csClickEvents);
}

std::unique_ptr<WindowHandle> TTrackBar::createHandle() { return createTrackBarHandle(*this); }

void TTrackBar::handleCreated() {
    TWinControl::handleCreated();
    syncHandle();
}

void TTrackBar::setMin(int value) {
    // The system's control ignores a minimum above the maximum (a stream may set either first).
    if (value > m_max && !hasState(classes::ComponentState::Loading)) return;
    m_min = value;
    setPosition(m_position);
}

void TTrackBar::setMax(int value) {
    if (value < m_min && !hasState(classes::ComponentState::Loading)) return;
    m_max = value;
    setPosition(m_position);
}

void TTrackBar::setPosition(int value) {
    m_position = std::clamp(value, std::min(m_min, m_max), std::max(m_min, m_max));
    syncHandle();
}

void TTrackBar::setOrientation(TTrackBarOrientation value) {
    if (value == m_orientation) return;
    m_orientation = value;
    if (!hasState(classes::ComponentState::Loading)) setBounds(left(), top(), height(), width());
    syncHandle();
}

void TTrackBar::setFrequency(int value) {
    m_frequency = std::max(1, value);
    syncHandle();
}

void TTrackBar::setTickMarks(TTickMark value) {
    m_tickMarks = value;
    syncHandle();
}

void TTrackBar::setTickStyle(TTickStyle value) {
    m_tickStyle = value;
    syncHandle();
}

void TTrackBar::setLineSize(int value) {
    m_lineSize = std::max(1, value);
    syncHandle();
}

void TTrackBar::setPageSize(int value) {
    m_pageSize = std::max(1, value);
    syncHandle();
}

void TTrackBar::setSelStart(int value) {
    m_selStart = value;
    syncHandle();
}

void TTrackBar::setSelEnd(int value) {
    m_selEnd = value;
    syncHandle();
}

void TTrackBar::setSliderVisible(bool value) {
    m_sliderVisible = value;
    syncHandle();
}

void TTrackBar::setTick(int value) {
    if (value <= m_min || value >= m_max) return;
    if (std::find(m_ticks.begin(), m_ticks.end(), value) == m_ticks.end()) m_ticks.push_back(value);
    invalidate();
}

void TTrackBar::handlePositionChanged(int position) {
    const int old = m_position;
    setPosition(position);
    if (m_position != old) fireEvent(onChange, {static_cast<classes::TObject*>(this)});
}

}  // namespace vcl
