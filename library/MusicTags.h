// The tags of a playing channel gathered from the first source that has them (a module's
// name, the tag family, the raw ID3v1 and Ogg blocks, HTTP and shoutcast headers, stream
// metadata, CD-TEXT), the stand-alone ID3v1 reader, the genre table, and the CD routines
// scripts call with the engine's own drive and track numbers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace library {

namespace music {
struct Api;
}

struct TMUSICTag {
    std::string Title, Artist, Album, Year, Comment, Genre;
    std::array<std::string, 21> ExtraInfo;
};

struct TID3V1Tag {
    std::string ID, Titel, Artist, Album, Year, Comment;
    uint8_t Genre = 0;
};

// Empty for numbers past the end of the table (147 and up, 255 being the usual "none").
std::string genreByteToName(uint8_t genre);

// The last 128 bytes of the file cut at their fixed places, padding kept; a file shorter
// than a tag gives an empty tag. Throws when the file cannot be opened.
TID3V1Tag readId3v1Tag(const std::string& fileName);

TMUSICTag getMusicTags(int32_t handle);
// The same over any entry points, with the tag and CD families present or not; for tests.
TMUSICTag getMusicTagsFrom(const music::Api& api, bool tagsLoaded, bool cdLoaded, uint32_t handle);

int32_t playCdTrack(uint32_t drive, uint32_t track);
int32_t playCdTrackLoop(uint32_t drive, uint32_t track);
uint32_t getTracks(uint32_t drive);
std::string getCdDriveDescription(uint32_t drive);
std::string getCdDriveLetter(uint32_t drive);
bool cdDoorIsOpen(uint32_t drive);
bool cdDoorIsLocked(uint32_t drive);
bool cdDoor(uint32_t drive, uint32_t action);

}  // namespace library
