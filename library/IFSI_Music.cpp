#include "library/IFSI_Music.h"

#include "classes/NativeType.h"
#include "classes/TStrings.h"
#include "components/InternalPlayList.h"
#include "library/Music.h"
#include "library/MusicConvert.h"
#include "library/MusicPlayList.h"
#include "library/MusicTags.h"
#include "script/Imports.h"

template <>
struct classes::RecordFields<library::TMUSICTag>
    : classes::Fields<&library::TMUSICTag::Title, &library::TMUSICTag::Artist, &library::TMUSICTag::Album,
                      &library::TMUSICTag::Year, &library::TMUSICTag::Comment, &library::TMUSICTag::Genre,
                      &library::TMUSICTag::ExtraInfo> {};

template <>
struct classes::RecordFields<library::TID3V1Tag>
    : classes::Fields<&library::TID3V1Tag::ID, &library::TID3V1Tag::Titel, &library::TID3V1Tag::Artist,
                      &library::TID3V1Tag::Album, &library::TID3V1Tag::Year, &library::TID3V1Tag::Comment,
                      &library::TID3V1Tag::Genre> {};

namespace library {

const script::Imports& musicImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine("function PlayMusic(Afile:string):integer;", &playMusic)
            .routine(" function PlayMusicLoop(Afile:string):integer;", &playMusicLoop)
            .routine("Function PlayMusicEx( AFile : string; Volume : cardinal; Panning : integer) : integer",
                     &playMusicEx)
            .routine(
                "Function PlayMusicLoopEx( AFile : string; Volume : cardinal; Panning : integer) : integer",
                &playMusicLoopEx)
            .routine("procedure StopMusic(MusicHandle:integer);", &stopMusicChannel)
            .routine("Procedure PauseMusic(MusicHandle:integer);", &pauseMusic)
            .routine("function MusicStatus(MusicHandle : integer) : integer;", &musicStatus)
            .routine("Function GetLastBassError : integer", &getLastBassError)
            .routine("Function GetCPUUsedByMusic : single", &getCpuUsedByMusic)
            .routine("function SetVolume(Vol:integer):boolean;", &setVolume)
            .routine("function GetVolume:integer;", &getVolume)
            .routine("Function SetChannelVolume( MusicHandle, Volume : cardinal) : boolean",
                     &setChannelVolume)
            .routine("Function SetChannelPanning( MusicHandle, Panning : integer) : boolean",
                     &setChannelPanning)
            .routine("Function SetChannelSampleRate( MusicHandle, SampleRate : cardinal) : boolean",
                     &setChannelSampleRate)
            .routine("Function GetChannelVolume( MusicHandle : integer; var Volume : cardinal) : boolean",
                     &getChannelVolume)
            .routine("Function GetChannelPanning( MusicHandle : integer; var Panning : integer) : boolean",
                     &getChannelPanning)
            .routine(
                "Function GetChannelSampleRate( MusicHandle : integer; var SampleRate : cardinal) : boolean",
                &getChannelSampleRate)
            .routine("function MusicSlideAttributes(MusicHandle,Freq,Volume,Pan,Time : integer) : boolean;",
                     &musicSlideAttributes)
            .routine("function IsMono(MusicHandle:integer):boolean;", &isMono)
            .routine("function GetMusicFormat(MusicHandle:integer):string;", &getMusicFormat)
            .routine("function GetLengthInSeconds(MusicHandle:integer):integer;", &getLengthInSeconds)
            .routine("function GetPosition(MusicHandle:integer):integer;", &getPosition)
            .routine("procedure SetPosition(MusicHandle:integer;Position:integer);", &setPosition)
            .routine("function GetBitRate(MusicHandle:integer):integer", &getBitRate)
            .routine("function SearchForMusic(const Path : string; Recursive : boolean) : TStringList;",
                     &searchForMusic)
            .routine("function BassSettingsDialog:boolean;", &bassSettingsDialog)
            .routine("function ConvertAudioToWAV(Files : TStrings) : boolean;", &convertAudioToWav);
        return m;
    }();
    return table;
}

const script::Imports& cdAndTagImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine("function PlayCDTrack(Drive,Track : DWORD):integer;", &playCdTrack)
            .routine("function PlayCDTrackLoop(Drive,Track : DWORD):integer;", &playCdTrackLoop)
            .routine("function GetTracks(DRIVE : DWORD) : DWORD;", &getTracks)
            .routine("function GetCDDriveDescription(DRIVE : DWORD) : string;", &getCdDriveDescription)
            .routine("function GetCDDriveLetter(DRIVE : DWORD) : string;", &getCdDriveLetter)
            .routine("function CD_DoorIsOpen(DRIVE : DWORD) : boolean;", &cdDoorIsOpen)
            .routine("function CD_DoorIsLocked(DRIVE : DWORD) : boolean;", &cdDoorIsLocked)
            .routine("function CD_Door(DRIVE,ACTION : DWORD) : boolean;", &cdDoor)
            .routine("function GetMusicTags(MusicHandle:integer):TMUSICTag", &getMusicTags)
            .routine("Function ReadID3V1Tag( FileName : string) : TID3V1Tag", &readId3v1Tag)
            .routine("Function GenreByteToName( const Genre : Byte) : String", &genreByteToName);
        return m;
    }();
    return table;
}

const script::Imports& playListImports() {
    using components::TInternalPlayList;
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(TInternalPlayList::staticClass())
            .method("TInternalPlayList", "Procedure PlayNextFile",
                    [](TInternalPlayList& l) { playNextFile(l); })
            .property(
                "TInternalPlayList", "property Active: boolean;",
                [](TInternalPlayList& l) { return l.active; },
                [](TInternalPlayList& l, bool v) { setPlayListActive(l, v); })
            .property(
                "TInternalPlayList", "property ActiveFile: string;",
                [](TInternalPlayList& l) { return l.activeFile; },
                [](TInternalPlayList& l, const std::string& v) { setPlayListActiveFile(l, v); })
            .property("TInternalPlayList", "property ActiveFileHandle: integer;",
                      [](TInternalPlayList& l) { return static_cast<int32_t>(l.activeHandle); });
        return m;
    }();
    return table;
}

}  // namespace library
