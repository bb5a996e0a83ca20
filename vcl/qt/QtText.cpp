// Text and font crossing to the toolkit.
#include "vcl/qt/QtText.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <cmath>

#include "base/CodePage.h"

namespace vcl {

struct FontHandle {
    QFont font;
    QFontMetrics metrics;
    explicit FontHandle(const QFont& f) : font(f), metrics(f) {}
};

namespace qt {

QString toQString(std::string_view ansi) {
    const std::string utf8 = base::CodePage::active().toUtf8(ansi);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string fromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return base::CodePage::active().fromUtf8(
        std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

namespace {

QFont buildFont(const TFont& f) {
    QFont q(QString::fromStdString(mapFontFace(f.name())));
    q.setStyleStrategy(QFont::PreferAntialias);
    q.setHintingPreference(QFont::PreferFullHinting);
    q.setKerning(false);  // the system's text output does not kern
    if (f.pitch() == fpFixed) q.setFixedPitch(true);
    int pixels = 13;
    if (f.height() < 0) {
        pixels = -f.height();
    } else if (f.height() > 0) {
        // A positive height is the cell height (ascent + descent): scale by this face's ratio.
        QFont probe = q;
        probe.setPixelSize(100);
        const QFontMetricsF m(probe);
        const double cell = m.ascent() + m.descent();
        pixels = cell > 0 ? static_cast<int>(std::lround(f.height() * 100.0 / cell)) : f.height();
    }
    q.setPixelSize(std::max(1, std::min(pixels, 2000)));
    const TFontStyles s = f.style();
    q.setBold((s & fontStyle(fsBold)) != 0);
    q.setItalic((s & fontStyle(fsItalic)) != 0);
    q.setUnderline((s & fontStyle(fsUnderline)) != 0);
    q.setStrikeOut((s & fontStyle(fsStrikeOut)) != 0);
    return q;
}

FontHandle& handleOf(const TFont& font) {
    auto& cache = font.handleCache();
    if (!cache) cache = std::make_shared<FontHandle>(buildFont(font));
    return *cache;
}

}  // namespace

const QFont& toQFont(const TFont& font) { return handleOf(font).font; }
const QFontMetrics& metricsOf(const TFont& font) { return handleOf(font).metrics; }

}  // namespace qt
}  // namespace vcl
