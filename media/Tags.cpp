// Tag parsing for TAGS_Read: ID3v2.2-2.4 text frames, ID3v1 fields, Vorbis comments.
#include "media/Tags.h"

#include <cstring>

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "media/Engine.h"

namespace media {

namespace {

thread_local std::string t_result;
thread_local std::string t_errorText;

std::string latin1ToAnsi(std::string_view bytes) {
    std::string utf8;
    for (unsigned char c : bytes) base::appendUtf8(utf8, c);
    return base::CodePage::active().fromUtf8(utf8);
}

std::string utf16ToAnsi(std::string_view bytes, bool bigEndian) {
    std::string utf8;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        char32_t unit = bigEndian ? (a << 8 | b) : (b << 8 | a);
        if (unit == 0) break;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            const auto c = static_cast<unsigned char>(bytes[i + 2]),
                       d = static_cast<unsigned char>(bytes[i + 3]);
            const char32_t low = bigEndian ? (c << 8 | d) : (d << 8 | c);
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        base::appendUtf8(utf8, unit);
    }
    return base::CodePage::active().fromUtf8(utf8);
}

// Up to the first terminator of the given encoding.
std::string_view untilTerminator(std::string_view s, int encoding) {
    if (encoding == 1 || encoding == 2) {
        for (size_t i = 0; i + 1 < s.size(); i += 2)
            if (s[i] == 0 && s[i + 1] == 0) return s.substr(0, i);
        return s;
    }
    const size_t end = s.find('\0');
    return end == std::string_view::npos ? s : s.substr(0, end);
}

size_t terminatorLength(int encoding) { return encoding == 1 || encoding == 2 ? 2 : 1; }

std::string decodeText(int encoding, std::string_view s) {
    s = untilTerminator(s, encoding);
    switch (encoding) {
    case 0: return latin1ToAnsi(s);
    case 1: {
        const bool big = s.size() >= 2 && static_cast<unsigned char>(s[0]) == 0xFE;
        if (s.size() >= 2 && (static_cast<unsigned char>(s[0]) | 1) == 0xFF) s.remove_prefix(2);
        return utf16ToAnsi(s, big);
    }
    case 2: return utf16ToAnsi(s, true);
    case 3: return base::CodePage::active().fromUtf8(s);
    default: return {};
    }
}

// Text of a T??? frame or the text part of COMM (encoding, language, description, text).
std::string frameText(std::string_view id, std::string_view body) {
    if (body.empty()) return {};
    const int encoding = static_cast<unsigned char>(body[0]);
    body.remove_prefix(1);
    if (id == "COMM" || id == "COM") {
        if (body.size() < 3) return {};
        body.remove_prefix(3);
        const std::string_view description = untilTerminator(body, encoding);
        const size_t skip = description.size() + terminatorLength(encoding);
        if (skip > body.size()) return {};
        body.remove_prefix(skip);
    }
    return decodeText(encoding, body);
}

void setOnce(std::string& field, std::string value) {
    if (field.empty()) field = std::string(base::trimText(value));
}

void parseId3v2(std::string_view tag, TagFields& out) {
    if (tag.size() < 10 || tag.substr(0, 3) != "ID3") return;
    const int version = static_cast<unsigned char>(tag[3]);
    const int flags = static_cast<unsigned char>(tag[5]);
    if (version < 2 || version > 4) return;
    // FIXME: tags written with whole-tag unsynchronisation are read as they are.
    size_t pos = 10;
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(tag[i])); };
    if ((flags & 0x40) && version >= 3 && pos + 4 <= tag.size()) {
        const uint32_t extended =
            version == 3 ? (byte(pos) << 24 | byte(pos + 1) << 16 | byte(pos + 2) << 8 | byte(pos + 3)) + 4
                         : (byte(pos) << 21 | byte(pos + 1) << 14 | byte(pos + 2) << 7 | byte(pos + 3));
        pos += extended;
    }
    const size_t idLength = version == 2 ? 3 : 4;
    const size_t headerLength = version == 2 ? 6 : 10;
    while (pos + headerLength <= tag.size() && tag[pos] != '\0') {
        const std::string_view id = tag.substr(pos, idLength);
        uint32_t size;
        if (version == 2)
            size = byte(pos + 3) << 16 | byte(pos + 4) << 8 | byte(pos + 5);
        else if (version == 3)
            size = byte(pos + 4) << 24 | byte(pos + 5) << 16 | byte(pos + 6) << 8 | byte(pos + 7);
        else
            size = byte(pos + 4) << 21 | byte(pos + 5) << 14 | byte(pos + 6) << 7 | byte(pos + 7);
        pos += headerLength;
        if (size > tag.size() - pos) break;
        const std::string_view body = tag.substr(pos, size);
        pos += size;
        if (id == "TIT2" || id == "TT2")
            setOnce(out.title, frameText(id, body));
        else if (id == "TPE1" || id == "TP1")
            setOnce(out.artist, frameText(id, body));
        else if (id == "TALB" || id == "TAL")
            setOnce(out.album, frameText(id, body));
        else if (id == "TYER" || id == "TDRC" || id == "TYE")
            setOnce(out.year, frameText(id, body));
        else if (id == "COMM" || id == "COM")
            setOnce(out.comment, frameText(id, body));
        else if (id == "TCON" || id == "TCO")
            setOnce(out.genre, frameText(id, body));
        else if (id == "TRCK" || id == "TRK")
            setOnce(out.track, frameText(id, body));
    }
}

std::string id3v1Field(std::string_view tag, size_t offset, size_t length) {
    return latin1ToAnsi(untilTerminator(tag.substr(offset, length), 0));
}

void parseId3v1(std::string_view tag, TagFields& out) {
    if (tag.size() != 128 || tag.substr(0, 3) != "TAG") return;
    setOnce(out.title, id3v1Field(tag, 3, 30));
    setOnce(out.artist, id3v1Field(tag, 33, 30));
    setOnce(out.album, id3v1Field(tag, 63, 30));
    setOnce(out.year, id3v1Field(tag, 93, 4));
    setOnce(out.comment, id3v1Field(tag, 97, 30));
    // ID3v1.1: a zero byte before the last comment byte marks a track number.
    if (tag[125] == '\0' && tag[126] != '\0')
        setOnce(out.track, std::to_string(static_cast<unsigned char>(tag[126])));
    if (static_cast<unsigned char>(tag[127]) != 255)
        setOnce(out.genre, std::to_string(static_cast<unsigned char>(tag[127])));
}

void parseOgg(std::string_view block, TagFields& out) {
    while (!block.empty() && block.front() != '\0') {
        const size_t end = block.find('\0');
        const std::string_view entry = block.substr(0, end);
        block.remove_prefix(end == std::string_view::npos ? block.size() : end + 1);
        const size_t eq = entry.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string key(entry.substr(0, eq));
        const std::string value = base::CodePage::active().fromUtf8(entry.substr(eq + 1));
        if (base::asciiSameText(key, "TITLE"))
            setOnce(out.title, value);
        else if (base::asciiSameText(key, "ARTIST"))
            setOnce(out.artist, value);
        else if (base::asciiSameText(key, "ALBUM"))
            setOnce(out.album, value);
        else if (base::asciiSameText(key, "DATE"))
            setOnce(out.year, value);
        else if (base::asciiSameText(key, "COMMENT") || base::asciiSameText(key, "DESCRIPTION"))
            setOnce(out.comment, value);
        else if (base::asciiSameText(key, "GENRE"))
            setOnce(out.genre, value);
        else if (base::asciiSameText(key, "TRACKNUMBER"))
            setOnce(out.track, value);
    }
}

}  // namespace

TagFields parseTagBlocks(std::string_view id3v2, std::string_view id3v1, std::string_view oggComments,
                         std::string_view moduleName) {
    TagFields fields;
    parseId3v2(id3v2, fields);
    parseId3v1(id3v1, fields);
    parseOgg(oggComments, fields);
    setOnce(fields.title, std::string(moduleName));
    return fields;
}

std::string formatTags(const TagFields& fields, std::string_view format) {
    static const struct {
        const char* key;
        std::string TagFields::*field;
    } kKeys[] = {{"%TITL", &TagFields::title}, {"%ARTI", &TagFields::artist},  {"%ALBM", &TagFields::album},
                 {"%YEAR", &TagFields::year},  {"%CMNT", &TagFields::comment}, {"%GNRE", &TagFields::genre},
                 {"%TRCK", &TagFields::track}};
    std::string out;
    for (size_t i = 0; i < format.size();) {
        bool matched = false;
        for (const auto& k : kKeys) {
            if (format.compare(i, 5, k.key) == 0) {
                out += fields.*k.field;
                i += 5;
                matched = true;
                break;
            }
        }
        if (!matched) out.push_back(format[i++]);
    }
    return out;
}

const char* TAGS_GetLastErrorDesc() { return t_errorText.c_str(); }

uint32_t TAGS_GetVersion() { return 1; }

const char* TAGS_Read(uint32_t handle, const char* format) {
    t_result.clear();
    if (!format) {
        t_errorText = "no format";
        return t_result.c_str();
    }
    Engine& engine = Engine::instance();
    std::shared_ptr<Channel> channel;
    {
        std::lock_guard<std::mutex> lock(engine.mutex);
        channel = engine.find(handle);
    }
    if (!channel) {
        t_errorText = "invalid handle";
        return t_result.c_str();
    }
    const auto& blocks = channel->tags.blocks;
    const TagFields fields = parseTagBlocks(blocks[1], blocks[0], blocks[2], channel->tags.name);
    t_result = formatTags(fields, format);
    t_errorText.clear();
    return t_result.c_str();
}

}  // namespace media
