// Splitting audio from metadata blocks, and header lists.
#include "media/net/IcyDemux.h"

#include <algorithm>
#include <cctype>

namespace media {

void IcyDemux::feed(const uint8_t* data, size_t n, std::string& audio, std::vector<std::string>& texts) {
    while (n > 0) {
        if (m_metaint == 0) {
            audio.append(reinterpret_cast<const char*>(data), n);
            return;
        }
        if (m_inMeta) {
            const size_t take = std::min(n, m_metaLeft);
            m_text.append(reinterpret_cast<const char*>(data), take);
            data += take;
            n -= take;
            m_metaLeft -= take;
            if (m_metaLeft == 0) {
                m_inMeta = false;
                m_left = m_metaint;
                const size_t end = m_text.find('\0');
                if (end != std::string::npos) m_text.resize(end);
                if (!m_text.empty()) texts.push_back(m_text);
                m_text.clear();
            }
            continue;
        }
        if (m_left == 0) {
            m_metaLeft = size_t{*data} * 16;
            ++data;
            --n;
            if (m_metaLeft > 0)
                m_inMeta = true;
            else
                m_left = m_metaint;
            continue;
        }
        const size_t take = std::min(n, m_left);
        audio.append(reinterpret_cast<const char*>(data), take);
        data += take;
        n -= take;
        m_left -= take;
    }
}

std::string joinTagList(const std::vector<std::string>& lines) {
    std::string list;
    for (const std::string& line : lines) {
        list += line.substr(0, line.find('\0'));
        list += '\0';
    }
    list += '\0';
    return list;
}

std::string headerValue(const std::vector<std::string>& lines, std::string_view name) {
    for (const std::string& line : lines) {
        if (line.size() <= name.size() || line[name.size()] != ':') continue;
        if (!std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            continue;
        size_t at = name.size() + 1;
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        return line.substr(at);
    }
    return {};
}

}  // namespace media
