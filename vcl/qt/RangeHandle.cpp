// Range widgets: QScrollBar, QProgressBar and QSlider (with the track bar's selection
// range and its own ticks painted over the style's slider).
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <QStyleOptionSlider>

#include "vcl/NativeHandles.h"
#include "vcl/RangeCtrls.h"
#include "vcl/qt/QtHandle.h"

namespace vcl {

namespace {

using qt::ColorUse;
using qt::ControlLink;
using qt::InputBridge;
using qt::QtHandle;
using qt::SyncScope;

template <class W>
W* makeWidget(TWinControl& control) {
    auto* w = new W(qt::parentContainer(control));
    return w;
}

TScrollCode scrollCodeOf(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return scLineDown;
    case QAbstractSlider::SliderSingleStepSub: return scLineUp;
    case QAbstractSlider::SliderPageStepAdd: return scPageDown;
    case QAbstractSlider::SliderPageStepSub: return scPageUp;
    case QAbstractSlider::SliderToMinimum: return scTop;
    case QAbstractSlider::SliderToMaximum: return scBottom;
    case QAbstractSlider::SliderMove: return scTrack;
    default: return scPosition;
    }
}

class ScrollBarHandle final : public QtHandle {
public:
    explicit ScrollBarHandle(TScrollBar& bar)
        : QtHandle(bar, makeWidget<QScrollBar>(bar), Input::Bridged), m_bar(bar) {
        auto* w = static_cast<QScrollBar*>(widget());
        auto* link = this->link();
        QObject::connect(w, &QAbstractSlider::actionTriggered, link, [link, w](int action) {
            if (link->syncing || action == QAbstractSlider::SliderNoAction) return;
            link->with([&](TWinControl& c) {
                auto& scrolled = static_cast<TScrollBar&>(c);
                scrolled.handleScroll(scrollCodeOf(action), w->sliderPosition());
                // A handler may have moved the position elsewhere.
                w->setSliderPosition(scrolled.position());
            });
        });
        QObject::connect(w, &QAbstractSlider::sliderReleased, link, [link, w] {
            link->with([&](TWinControl& c) {
                auto& scrolled = static_cast<TScrollBar&>(c);
                const auto alive = scrolled.aliveToken();
                scrolled.handleScroll(scPosition, w->value());
                if (!alive.expired()) scrolled.handleScroll(scEndScroll, scrolled.position());
            });
        });
    }
    void sync() override {
        SyncScope scope(*link());
        auto* w = static_cast<QScrollBar*>(widget());
        w->setOrientation(m_bar.kind() == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
        w->setRange(m_bar.min(), m_bar.maxPosition());
        w->setSingleStep(m_bar.smallChange());
        w->setPageStep(m_bar.pageSize() > 0 ? m_bar.pageSize() : m_bar.largeChange());
        w->setValue(m_bar.position());
    }

private:
    TScrollBar& m_bar;
};

// FIXME: Smooth makes no difference: the style draws every bar smooth.
class ProgressBarHandle final : public QtHandle {
public:
    explicit ProgressBarHandle(TProgressBar& bar)
        : QtHandle(bar, makeWidget<QProgressBar>(bar), Input::Bridged), m_bar(bar) {
        static_cast<QProgressBar*>(widget())->setTextVisible(false);
        widget()->setFocusPolicy(Qt::NoFocus);
    }
    void sync() override {
        auto* w = static_cast<QProgressBar*>(widget());
        applyLook(ColorUse::Face);
        w->setOrientation(m_bar.orientation() == pbHorizontal ? Qt::Horizontal : Qt::Vertical);
        w->setRange(std::min(m_bar.min(), m_bar.max()), std::max(m_bar.min(), m_bar.max()));
        w->setValue(m_bar.position());
    }

private:
    TProgressBar& m_bar;
};

// The style's slider with what the system's track bar adds: the selection range as a
// band along the groove, and manual ticks.
class TrackSlider final : public QSlider {
public:
    explicit TrackSlider(QWidget* parent) : QSlider(parent) {}
    ControlLink* link = nullptr;

protected:
    void paintEvent(QPaintEvent* e) override {
        QSlider::paintEvent(e);
        auto* bar = link ? static_cast<TTrackBar*>(link->control()) : nullptr;
        if (!bar) return;
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect groove =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
        const QRect handle =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        const bool horizontal = orientation() == Qt::Horizontal;
        const int span = horizontal ? groove.width() - handle.width() : groove.height() - handle.height();
        auto pixel = [&](int value) {
            const int offset =
                QStyle::sliderPositionFromValue(minimum(), maximum(), value, span, option.upsideDown);
            return (horizontal ? groove.left() + handle.width() / 2 : groove.top() + handle.height() / 2) +
                   offset;
        };
        QPainter p(this);
        if (bar->selEnd() > bar->selStart()) {
            const int a = pixel(bar->selStart()), b = pixel(bar->selEnd());
            const QColor band = palette().color(QPalette::Highlight);
            if (horizontal)
                p.fillRect(QRect(std::min(a, b), groove.center().y() - 1, std::abs(b - a) + 1, 3), band);
            else
                p.fillRect(QRect(groove.center().x() - 1, std::min(a, b), 3, std::abs(b - a) + 1), band);
        }
        if (bar->tickStyle() == tsManual) {
            p.setPen(palette().color(QPalette::WindowText));
            std::vector<int> ticks = bar->ticks();
            ticks.push_back(bar->min());
            ticks.push_back(bar->max());
            for (int t : ticks) {
                const int at = pixel(t);
                if (horizontal)
                    p.drawLine(at, height() - 4, at, height() - 1);
                else
                    p.drawLine(width() - 4, at, width() - 1, at);
            }
        }
    }
};

// FIXME: SliderVisible and ThumbLength are kept, not shown: the style's slider always has
// its own thumb.
class TrackBarHandle final : public QtHandle {
public:
    explicit TrackBarHandle(TTrackBar& bar)
        : QtHandle(bar, makeWidget<TrackSlider>(bar), Input::Bridged), m_bar(bar) {
        auto* w = static_cast<TrackSlider*>(widget());
        w->link = link();
        w->setAutoFillBackground(true);
        auto* link = this->link();
        QObject::connect(w, &QAbstractSlider::valueChanged, link, [link](int value) {
            if (link->syncing) return;
            link->with([value](TWinControl& c) { static_cast<TTrackBar&>(c).handlePositionChanged(value); });
        });
    }
    void sync() override {
        SyncScope scope(*link());
        auto* w = static_cast<TrackSlider*>(widget());
        applyLook(ColorUse::Face);
        const bool vertical = m_bar.orientation() == trVertical;
        w->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
        // The system's vertical track bar has its minimum at the top.
        w->setInvertedAppearance(vertical);
        w->setInvertedControls(vertical);
        w->setRange(std::min(m_bar.min(), m_bar.max()), std::max(m_bar.min(), m_bar.max()));
        w->setSingleStep(m_bar.lineSize());
        w->setPageStep(m_bar.pageSize());
        w->setTickInterval(m_bar.frequency());
        QSlider::TickPosition ticks = QSlider::NoTicks;
        if (m_bar.tickStyle() == tsAuto) {
            ticks = m_bar.tickMarks() == tmBottomRight ? QSlider::TicksBelow
                    : m_bar.tickMarks() == tmTopLeft   ? QSlider::TicksAbove
                                                       : QSlider::TicksBothSides;
        }
        w->setTickPosition(ticks);
        w->setValue(m_bar.position());
        w->update();
    }

private:
    TTrackBar& m_bar;
};

}  // namespace

std::unique_ptr<WindowHandle> createScrollBarHandle(TScrollBar& bar) {
    return std::make_unique<ScrollBarHandle>(bar);
}

std::unique_ptr<WindowHandle> createProgressBarHandle(TProgressBar& bar) {
    return std::make_unique<ProgressBarHandle>(bar);
}

std::unique_ptr<WindowHandle> createTrackBarHandle(TTrackBar& bar) {
    return std::make_unique<TrackBarHandle>(bar);
}

}  // namespace vcl
