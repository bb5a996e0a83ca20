// The style draws the bevel and the focus frame; the caption is drawn here, wrapped.
#include "tools/WrapButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace tools {

QRect WrapButton::captionRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

void WrapButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect rect = captionRect();
    if (isDown() || isChecked()) {
        rect.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    painter.drawItemText(rect, kCaptionFlags, palette(), isEnabled(), text(), QPalette::ButtonText);
}

}  // namespace tools
