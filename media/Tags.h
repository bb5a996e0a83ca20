// The tag entry points: TAGS_Read formats a channel's tags through a template in which
// %TITL, %ARTI, %ALBM, %YEAR, %CMNT, %GNRE and %TRCK stand for the fields. Texts come back in
// the player's ANSI code page; the returned pointer stays valid until the calling thread's
// next TAGS_Read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace media {

const char* TAGS_GetLastErrorDesc();
const char* TAGS_Read(uint32_t handle, const char* format);
uint32_t TAGS_GetVersion();

// The tag fields of raw blocks, first source that has a field wins (ID3v2, ID3v1, Ogg
// comments, module name). Exposed for tests and the fuzz target.
struct TagFields {
    std::string title, artist, album, year, comment, genre, track;
};
TagFields parseTagBlocks(std::string_view id3v2, std::string_view id3v1, std::string_view oggComments,
                         std::string_view moduleName);
std::string formatTags(const TagFields& fields, std::string_view format);

}  // namespace media
