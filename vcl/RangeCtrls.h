// Controls showing a position in a range: the scroll bar, the progress bar and the track
// bar, on the toolkit's scroll bar, progress bar and slider.
#pragma once

#include <memory>
#include <vector>

#include "vcl/Controls.h"

namespace vcl {

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};

class TScrollBar : public TWinControl {
public:
    CLASSES_OBJECT(TScrollBar)
    explicit TScrollBar(classes::TComponent* owner);

    TScrollBarKind kind() const { return m_kind; }
    void setKind(TScrollBarKind value);
    int min() const { return m_min; }
    int max() const { return m_max; }
    int position() const { return m_position; }
    // Raises "Property value out of range" when min > max, as the system's control does.
    void setParams(int position, int min, int max);
    void setMin(int value) { setParams(m_position, value, m_max); }
    void setMax(int value) { setParams(m_position, m_min, value); }
    // Kept within Min .. Max - PageSize + 1; a change raises OnChange.
    void setPosition(int value) { setParams(value, m_min, m_max); }
    int smallChange() const { return m_smallChange; }
    void setSmallChange(int value);
    int largeChange() const { return m_largeChange; }
    void setLargeChange(int value);
    int pageSize() const { return m_pageSize; }
    void setPageSize(int value);
    // The last position the thumb can reach.
    int maxPosition() const;

    classes::TMethod onChange, onScroll;

    // The user moved the bar: what they did and where it went.
    void handleScroll(TScrollCode code, int position);

protected:
    std::unique_ptr<WindowHandle> createHandle() override;
    void handleCreated() override;

private:
    TScrollBarKind m_kind = sbHorizontal;
    int m_min = 0, m_max = 100, m_position = 0, m_smallChange = 1, m_largeChange = 1, m_pageSize = 0;
};

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
public:
    CLASSES_OBJECT(TProgressBar)
    explicit TProgressBar(classes::TComponent* owner);

    int min() const { return m_min; }
    void setMin(int value);
    int max() const { return m_max; }
    void setMax(int value);
    int position() const { return m_position; }
    // Kept within Min .. Max.
    void setPosition(int value);
    int step() const { return m_step; }
    void setStep(int value) { m_step = value; }
    TProgressBarOrientation orientation() const { return m_orientation; }
    void setOrientation(TProgressBarOrientation value);
    bool smooth() const { return m_smooth; }
    void setSmooth(bool value);
    // Moves by Step (StepBy: by `delta`); past Max the bar starts over from Min, as the
    // system's control does, and below Min it comes back from Max.
    void stepIt() { stepBy(m_step); }
    void stepBy(int delta);

protected:
    std::unique_ptr<WindowHandle> createHandle() override;
    void handleCreated() override;

private:
    int m_min = 0, m_max = 100, m_position = 0, m_step = 10;
    TProgressBarOrientation m_orientation = pbHorizontal;
    bool m_smooth = false;
};

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

class TTrackBar : public TWinControl {
public:
    CLASSES_OBJECT(TTrackBar)
    explicit TTrackBar(classes::TComponent* owner);

    int min() const { return m_min; }
    void setMin(int value);
    int max() const { return m_max; }
    void setMax(int value);
    int position() const { return m_position; }
    // Kept within Min .. Max; the program's changes raise no OnChange.
    void setPosition(int value);
    TTrackBarOrientation orientation() const { return m_orientation; }
    void setOrientation(TTrackBarOrientation value);
    int frequency() const { return m_frequency; }
    void setFrequency(int value);
    TTickMark tickMarks() const { return m_tickMarks; }
    void setTickMarks(TTickMark value);
    TTickStyle tickStyle() const { return m_tickStyle; }
    void setTickStyle(TTickStyle value);
    int lineSize() const { return m_lineSize; }
    void setLineSize(int value);
    int pageSize() const { return m_pageSize; }
    void setPageSize(int value);
    int selStart() const { return m_selStart; }
    void setSelStart(int value);
    int selEnd() const { return m_selEnd; }
    void setSelEnd(int value);
    bool sliderVisible() const { return m_sliderVisible; }
    void setSliderVisible(bool value);
    int thumbLength() const { return m_thumbLength; }
    void setThumbLength(int value) { m_thumbLength = value; }
    // A tick of its own (TickStyle tsManual shows these besides the first and last).
    void setTick(int value);
    const std::vector<int>& ticks() const { return m_ticks; }

    classes::TMethod onChange;

    // The user moved the thumb.
    void handlePositionChanged(int position);

protected:
    std::unique_ptr<WindowHandle> createHandle() override;
    void handleCreated() override;

private:
    int m_min = 0, m_max = 10, m_position = 0, m_frequency = 1, m_lineSize = 1, m_pageSize = 2;
    int m_selStart = 0, m_selEnd = 0, m_thumbLength = 20;
    TTrackBarOrientation m_orientation = trHorizontal;
    TTickMark m_tickMarks = tmBottomRight;
    TTickStyle m_tickStyle = tsAuto;
    bool m_sliderVisible = true;
    std::vector<int> m_ticks;
};

}  // namespace vcl
