#include "library/IFSI_Music.h"

#include "classes/TStrings.h"
#include "components/InternalPlayList.h"
#include "library/Music.h"
#include "library/MusicConvert.h"
#include "library/MusicPlayList.h"
#include "script/Imports.h"

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
