// The one crossing between the player's ANSI byte strings and the toolkit's Unicode text,
// and between TFont and the toolkit's fonts.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <string>
#include <string_view>

#include "vcl/Graphics.h"

namespace vcl::qt {

QString toQString(std::string_view ansi);
std::string fromQString(const QString& text);

// The toolkit font for `font`, cached on the font until it changes.
const QFont& toQFont(const TFont& font);
const QFontMetrics& metricsOf(const TFont& font);

}  // namespace vcl::qt
