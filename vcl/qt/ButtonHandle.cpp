// Button widgets: QPushButton (with a glyph painted beside the caption for bitmap
// buttons), QCheckBox and QRadioButton, and QGroupBox for group boxes.
#include <QCheckBox>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "vcl/ButtonCtrls.h"
#include "vcl/Buttons.h"
#include "vcl/GroupCtrls.h"
#include "vcl/NativeHandles.h"
#include "vcl/qt/QtHandle.h"
#include "vcl/qt/QtText.h"

namespace vcl {

namespace {

using qt::ColorUse;
using qt::ControlLink;
using qt::InputBridge;
using qt::QtHandle;
using qt::SyncScope;
using qt::toQString;

// A push button that lays out a bitmap button's glyph and caption itself, as the
// system's bitmap buttons do; plain buttons paint as the style paints them.
class PushButton final : public QPushButton {
public:
    explicit PushButton(QWidget* parent) : QPushButton(parent) {}
    ControlLink* link = nullptr;

protected:
    void paintEvent(QPaintEvent* e) override {
        auto* bitBtn = link ? dynamic_cast<TBitBtn*>(link->control()) : nullptr;
        if (!bitBtn) {
            QPushButton::paintEvent(e);
            return;
        }
        QStylePainter p(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        option.icon = QIcon();
        p.drawControl(QStyle::CE_PushButtonBevel, option);
        const bool down = isDown() || isChecked();
        const pictures::Image glyph = bitBtn->glyphFor(!isEnabled() ? TBitBtn::GlyphState::Disabled
                                                       : down       ? TBitBtn::GlyphState::Down
                                                                    : TBitBtn::GlyphState::Up);
        const QFontMetrics metrics(font());
        const QString caption = text();
        const QSize textSize = caption.isEmpty() ? QSize() : metrics.size(Qt::TextShowMnemonic, caption);
        const ButtonLayout layout =
            layoutButton(bitBtn->layout(), bitBtn->margin(), bitBtn->spacing(), {0, 0, width(), height()},
                         {glyph.width, glyph.height}, {textSize.width(), textSize.height()});
        const int shift = down ? 1 : 0;
        if (!glyph.empty()) p.drawImage(layout.glyph.x + shift, layout.glyph.y + shift, qt::wrap(glyph));
        if (!caption.isEmpty()) {
            const QRect r(layout.text.x + shift, layout.text.y + shift, textSize.width(), textSize.height());
            style()->drawItemText(&p, r, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(),
                                  caption, QPalette::ButtonText);
        }
    }
};

// The system's check boxes and radio buttons take a click anywhere on the control, not
// only on the box and the caption.
template <class Base>
class WholeButton final : public Base {
public:
    explicit WholeButton(QWidget* parent) : Base(parent) {}

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

template <class W>
W* makeButton(TWinControl& control) {
    auto* w = new W(qt::parentContainer(control));
    return w;
}

QWidget* makeWidget(TButtonControl& control, ButtonKind kind) {
    switch (kind) {
    case ButtonKind::Check: return makeButton<WholeButton<QCheckBox>>(control);
    case ButtonKind::Radio: return makeButton<WholeButton<QRadioButton>>(control);
    default: return makeButton<PushButton>(control);
    }
}

class ButtonHandle final : public QtHandle {
public:
    ButtonHandle(TButtonControl& button, ButtonKind kind)
        : QtHandle(button, makeWidget(button, kind), Input::Bridged), m_button(button), m_kind(kind) {
        auto* b = static_cast<QAbstractButton*>(widget());
        if (auto* push = dynamic_cast<PushButton*>(b)) {
            push->link = link();
            push->setAutoDefault(false);
        }
        if (auto* check = dynamic_cast<QCheckBox*>(b)) check->setAutoFillBackground(true);
        if (auto* radio = dynamic_cast<QRadioButton*>(b)) radio->setAutoFillBackground(true);
        auto* link = this->link();
        QObject::connect(b, &QAbstractButton::clicked, link, [link] {
            if (link->syncing) return;
            link->with([](TWinControl& c) { static_cast<TButtonControl&>(c).handleClicked(); });
        });
    }

    void sync() override {
        SyncScope scope(*link());
        auto* b = static_cast<QAbstractButton*>(widget());
        applyLook(ColorUse::Face);
        const QString caption = toQString(m_button.caption());
        if (b->text() != caption) b->setText(caption);
        switch (m_kind) {
        case ButtonKind::Push: {
            auto* push = static_cast<QPushButton*>(b);
            push->setDefault(static_cast<TButton&>(m_button).isDefault());
            push->update();
            break;
        }
        case ButtonKind::Check: {
            auto& box = static_cast<TCustomCheckBox&>(m_button);
            auto* check = static_cast<QCheckBox*>(b);
            check->setTristate(box.allowGrayed() || box.state() == cbGrayed);
            static constexpr Qt::CheckState kStates[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
            check->setCheckState(kStates[box.state()]);
            check->setLayoutDirection(box.alignment() == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
            break;
        }
        case ButtonKind::Radio: {
            auto& radio = static_cast<TRadioButton&>(m_button);
            // An exclusive toolkit button refuses to be unchecked; the model allows it.
            b->setAutoExclusive(false);
            b->setChecked(radio.checked());
            b->setAutoExclusive(true);
            b->setLayoutDirection(radio.alignment() == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
            break;
        }
        }
    }

private:
    TButtonControl& m_button;
    ButtonKind m_kind;
};

// A group box that shows the graphic controls placed on it over its frame.
class GroupBox final : public QGroupBox {
public:
    explicit GroupBox(QWidget* parent) : QGroupBox(parent) {}
    ControlLink* link = nullptr;

protected:
    void paintEvent(QPaintEvent* e) override {
        QGroupBox::paintEvent(e);
        TWinControl* c = link ? link->control() : nullptr;
        if (!c) return;
        bool graphic = false;
        for (TControl* child : c->controls())
            graphic = graphic || (child->visible() && !dynamic_cast<TWinControl*>(child));
        if (!graphic) return;
        link->with([](TWinControl& control) { control.paintHandle(); });
        QPainter p(this);
        p.drawImage(0, 0, qt::wrap(c->surface()));
    }
};

class GroupBoxHandle final : public QtHandle {
public:
    explicit GroupBoxHandle(TCustomGroupBox& box)
        : QtHandle(box, makeButton<GroupBox>(box), Input::Bridged), m_box(box) {
        auto* g = static_cast<GroupBox*>(widget());
        g->link = link();
        g->setFocusPolicy(Qt::NoFocus);
        g->setAutoFillBackground(true);
    }
    void sync() override {
        applyLook(ColorUse::Face);
        auto* g = static_cast<QGroupBox*>(widget());
        g->setTitle(toQString(m_box.caption()));
    }

private:
    TCustomGroupBox& m_box;
};

}  // namespace

std::unique_ptr<WindowHandle> createButtonHandle(TButtonControl& button, ButtonKind kind) {
    return std::make_unique<ButtonHandle>(button, kind);
}

std::unique_ptr<WindowHandle> createGroupBoxHandle(TCustomGroupBox& box) {
    return std::make_unique<GroupBoxHandle>(box);
}

}  // namespace vcl
