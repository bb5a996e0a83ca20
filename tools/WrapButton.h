// A push button whose caption wraps at word boundaries inside the button, as the
// original's multi-line command buttons do; QPushButton draws one line only.
#pragma once

#include <QPushButton>

namespace tools {

class WrapButton : public QPushButton {
public:
    using QPushButton::QPushButton;

    // The rectangle the caption is laid out in, in the button's coordinates.
    QRect captionRect() const;

    static constexpr int kCaptionFlags = Qt::AlignCenter | Qt::TextWordWrap;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tools
