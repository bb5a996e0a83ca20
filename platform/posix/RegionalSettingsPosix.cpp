// Regional settings from the POSIX locale: strftime pictures become Windows pictures, and the
// locale's texts (in its own codeset) become bytes of the Windows ANSI code page.
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <memory>
#include <optional>

#include "base/CodePage.h"
#include "platform/RegionalSettings.h"

namespace platform {
namespace {

enum class PictureKind { Date, Time };

// The picture text for one strftime conversion, or null when it has no equivalent (it is
// dropped then). `plain` is set by the "-" flag, which asks for no padding.
const char* conversionPicture(char c, bool plain) {
    switch (c) {
    case 'd': return plain ? "d" : "dd";
    case 'e': return "d";
    case 'm': return plain ? "m" : "mm";
    case 'y': return "yy";
    case 'Y': return "yyyy";
    case 'b':
    case 'h': return "mmm";
    case 'B': return "mmmm";
    case 'a': return "ddd";
    case 'A': return "dddd";
    case 'H':
    case 'I': return plain ? "h" : "hh";
    case 'k':
    case 'l': return "h";
    case 'M': return plain ? "n" : "nn";
    case 'S': return plain ? "s" : "ss";
    case 'p':
    case 'P': return "AMPM";
    default: return nullptr;
    }
}

// Composite conversions, written with the separator they imply.
const char* compositeFormat(char c) {
    switch (c) {
    case 'D': return "%m/%d/%y";
    case 'F': return "%Y-%m-%d";
    case 'T': return "%H:%M:%S";
    case 'R': return "%H:%M";
    case 'r': return "%I:%M:%S %p";
    default: return nullptr;
    }
}

// `next` is the character after `c` (0 at the end): punctuation followed by a space reads as
// prose ("Monday, 5 May"), not as a separator between fields.
void appendLiteral(std::string& out, char c, char next, PictureKind kind, char& separator,
                   bool& haveSeparator) {
    const char placeholder = kind == PictureKind::Date ? '/' : ':';
    auto u = static_cast<unsigned char>(c);
    bool punctuation =
        u > ' ' && u < 0x80 && !std::isalnum(u) && c != '"' && c != '\'' && next != ' ' && next;
    if (punctuation && (!haveSeparator || c == separator)) {
        separator = c;
        haveSeparator = true;
        out.push_back(placeholder);
    } else if (c == ' ') {
        out.push_back(' ');
    } else if (c == '"') {
        out += "'\"'";
    } else {
        // Letters and other marks would read as picture codes or separators: quote them.
        out.push_back('"');
        out.push_back(c);
        out.push_back('"');
    }
}

void convertPicture(std::string_view format, PictureKind kind, std::string& out, char& separator,
                    bool& haveSeparator, int depth) {
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            appendLiteral(out, c, i + 1 < format.size() ? format[i + 1] : 0, kind, separator, haveSeparator);
            continue;
        }
        bool plain = false;
        while (i + 1 < format.size() &&
               std::string_view("-_0^#").find(format[i + 1]) != std::string_view::npos) {
            plain = plain || format[i + 1] == '-';
            ++i;
        }
        while (i + 1 < format.size() && format[i + 1] >= '0' && format[i + 1] <= '9') ++i;
        if (i + 1 < format.size() && (format[i + 1] == 'E' || format[i + 1] == 'O')) ++i;
        if (i + 1 >= format.size()) break;
        char conv = format[++i];
        if (conv == 'n' || conv == 't') {
            out.push_back(' ');
        } else if (conv == '%') {
            appendLiteral(out, '%', 0, kind, separator, haveSeparator);
        } else if (const char* composite = compositeFormat(conv); composite && depth == 0) {
            convertPicture(composite, kind, out, separator, haveSeparator, depth + 1);
        } else if (const char* picture = conversionPicture(conv, plain)) {
            out += picture;
        }
    }
}

std::string pictureFromPosix(std::string_view format, PictureKind kind, char& separator) {
    std::string out;
    bool haveSeparator = false;
    char found = separator;
    convertPicture(format, kind, out, found, haveSeparator, 0);
    if (haveSeparator) separator = found;
    return out;
}

// A locale text in the locale's own codeset, as UTF-8.
std::string toUtf8(const char* text, const char* codeset) {
    std::string in = text ? text : "";
    if (in.empty() || !codeset || std::string_view(codeset) == "UTF-8") return in;
    iconv_t cd = iconv_open("UTF-8", codeset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    std::string out(in.size() * 4 + 4, '\0');
    char* inp = in.data();
    char* outp = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return {};
    out.resize(out.size() - outLeft);
    return out;
}

// A separator is one character: the locale's, when the code page holds it; spaces of every
// width become the no-break space (or a plain space); otherwise `fallback`.
char separatorChar(const std::string& utf8, const base::CodePage& cp, char fallback) {
    if (utf8.empty()) return fallback;
    size_t pos = 0;
    char32_t ch = base::decodeUtf8(utf8, pos);
    if (pos != utf8.size()) return fallback;
    if (unsigned char b = cp.fromUnicode(ch, 0)) return static_cast<char>(b);
    if (ch == 0x202F || ch == 0x2009 || ch == 0x2007) {
        unsigned char nbsp = cp.fromUnicode(0xA0, 0);
        return nbsp ? static_cast<char>(nbsp) : ' ';
    }
    return fallback;
}

RegionalSettings fromLocale(locale_t loc, int codePage) {
    RegionalSettings s;
    s.codePage = codePage;
    const base::CodePage cp(codePage);
    const char* codeset = nl_langinfo_l(CODESET, loc);
    auto text = [&](nl_item item) { return cp.fromUtf8(toUtf8(nl_langinfo_l(item, loc), codeset)); };

    s.shortDateFormat = datePictureFromPosix(toUtf8(nl_langinfo_l(D_FMT, loc), codeset), s.dateSeparator);
    s.longTimeFormat = timePictureFromPosix(toUtf8(nl_langinfo_l(T_FMT, loc), codeset), s.timeSeparator);
    s.timeAMString = text(AM_STR);
    s.timePMString = text(PM_STR);
    s.decimalSeparator = separatorChar(toUtf8(nl_langinfo_l(RADIXCHAR, loc), codeset), cp, '.');
    // A locale without digit grouping still needs a character for routines that group.
    s.thousandSeparator = separatorChar(toUtf8(nl_langinfo_l(THOUSEP, loc), codeset), cp,
                                        s.decimalSeparator == ',' ? '.' : ',');
    for (int m = 0; m < 12; ++m) {
        s.shortMonthNames[m] = text(static_cast<nl_item>(ABMON_1 + m));
        s.longMonthNames[m] = text(static_cast<nl_item>(MON_1 + m));
    }
    for (int d = 0; d < 7; ++d) {
        s.shortDayNames[d] = text(static_cast<nl_item>(ABDAY_1 + d));
        s.longDayNames[d] = text(static_cast<nl_item>(DAY_1 + d));
    }
    return s;
}

std::optional<RegionalSettings>& slot() {
    static std::optional<RegionalSettings> settings;
    return settings;
}

}  // namespace

std::string datePictureFromPosix(std::string_view format, char& separator) {
    return pictureFromPosix(format, PictureKind::Date, separator);
}

std::string timePictureFromPosix(std::string_view format, char& separator) {
    return pictureFromPosix(format, PictureKind::Time, separator);
}

std::optional<RegionalSettings> regionalSettingsForLocale(const std::string& name) {
    locale_t loc = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (!loc) return std::nullopt;
    RegionalSettings s = fromLocale(loc, base::CodePage::forLocale(name));
    freelocale(loc);
    return s;
}

const RegionalSettings& regionalSettings() {
    auto& settings = slot();
    if (!settings) {
        // "" reads LC_ALL, then the category variables, then LANG; a locale that is not
        // installed leaves the "C" values, as a Windows machine without that region would.
        locale_t loc = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
        if (!loc) loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        int codePage = base::CodePage::active().number();
        settings = loc ? fromLocale(loc, codePage) : RegionalSettings{};
        settings->codePage = codePage;
        if (loc) freelocale(loc);
    }
    return *settings;
}

void setRegionalSettings(RegionalSettings settings) { slot() = std::move(settings); }

void resetRegionalSettings() { slot().reset(); }

bool isLeadByte(int codePage, unsigned char byte) {
    switch (codePage) {
    case 932: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950: return byte >= 0x81 && byte <= 0xFE;
    default: return false;
    }
}

}  // namespace platform
