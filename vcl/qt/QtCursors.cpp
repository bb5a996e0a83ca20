// Cursor shapes from files as toolkit cursors over the whole application; animated ones
// step on a timer of their own.
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include "vcl/Cursors.h"

namespace vcl::toolkit {
namespace {

QCursor toQCursor(const CursorFrame& f) {
    const QImage img(reinterpret_cast<const uchar*>(f.image.pixels.data()), f.image.width, f.image.height,
                     f.image.width * 4, QImage::Format_ARGB32_Premultiplied);
    return QCursor(QPixmap::fromImage(img.copy()), f.hotX, f.hotY);
}

// The shape on show and its place in the sequence.
struct Showing {
    std::shared_ptr<const CursorData> shape;
    std::vector<QCursor> cursors;
    size_t step = 0;
    QTimer* timer = nullptr;
};

Showing& showing() {
    static Showing s;
    return s;
}

void clearOverrides() {
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

void advance() {
    Showing& s = showing();
    if (!s.shape || s.shape->sequence.empty()) return;
    s.step = (s.step + 1) % s.shape->sequence.size();
    QGuiApplication::changeOverrideCursor(s.cursors[s.shape->sequence[s.step]]);
    s.timer->start(s.shape->delaysMs[s.step]);
}

}  // namespace

void showCursorShape(const std::shared_ptr<const CursorData>& shape) {
    Showing& s = showing();
    if (s.timer) s.timer->stop();
    s.cursors.clear();
    s.step = 0;
    // Without a shape the screen's own cursor, already set, stays.
    s.shape = qApp && shape && !shape->frames.empty() ? shape : nullptr;
    if (!s.shape) return;
    for (const CursorFrame& f : shape->frames) s.cursors.push_back(toQCursor(f));
    clearOverrides();
    QGuiApplication::setOverrideCursor(s.cursors[shape->sequence.front()]);
    if (shape->animated()) {
        if (!s.timer) {
            s.timer = new QTimer(qApp);
            s.timer->setSingleShot(true);
            QObject::connect(s.timer, &QTimer::timeout, &advance);
        }
        s.timer->start(shape->delaysMs.front());
    }
}

}  // namespace vcl::toolkit
