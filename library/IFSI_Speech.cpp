#include "library/IFSI_Speech.h"

#include "classes/NativeType.h"
#include "classes/TStrings.h"
#include "classes/TypeInfo.h"
#include "library/Guarded.h"
#include "library/Speech.h"
#include "script/Imports.h"

template <>
struct classes::RecordFields<library::TMSpeechEngineInfo>
    : classes::Fields<&library::TMSpeechEngineInfo::Name, &library::TMSpeechEngineInfo::Language,
                      &library::TMSpeechEngineInfo::Manufacturer, &library::TMSpeechEngineInfo::Product,
                      &library::TMSpeechEngineInfo::ModeID, &library::TMSpeechEngineInfo::EngineID,
                      &library::TMSpeechEngineInfo::Speaker, &library::TMSpeechEngineInfo::Style,
                      &library::TMSpeechEngineInfo::Gender, &library::TMSpeechEngineInfo::Age,
                      &library::TMSpeechEngineInfo::Features, &library::TMSpeechEngineInfo::Interfaces,
                      &library::TMSpeechEngineInfo::MaxPitch, &library::TMSpeechEngineInfo::MinPitch,
                      &library::TMSpeechEngineInfo::MaxRealTime, &library::TMSpeechEngineInfo::MinRealTime,
                      &library::TMSpeechEngineInfo::MaxSpeed, &library::TMSpeechEngineInfo::MinSpeed,
                      &library::TMSpeechEngineInfo::MaxVolume, &library::TMSpeechEngineInfo::MinVolume> {};

namespace library {

namespace {

const classes::TypeInfo& speechDialogType() {
    static const classes::TypeInfo info =
        classes::TypeInfo::enumeration("TSpeechDialog", {"sdAbout", "sdGeneral", "sdLexicon", "sdTranslate"});
    return info;
}

}  // namespace

const script::Imports& speechImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("TMSpeechEngineInfo",
               "record Name : String; Language : String; Manufacturer : String; Product : String; ModeID : "
               "String; "
               "EngineID : String; Speaker : String; Style : String; Gender : String; Age : Integer; "
               "Features : "
               "Integer; Interfaces : Integer; MaxPitch : Word; MinPitch : Word; MaxRealTime : LongWord; "
               "MinRealTime : LongWord; MaxSpeed : LongWord; MinSpeed : LongWord; MaxVolume : LongWord; "
               "MinVolume "
               ": LongWord; end")
            .enumeration(speechDialogType())
            .routine("function TTS_CheckInstallation : boolean;", guarded<&TTS_CheckInstallation>)
            .routine("Function TTS_GetEngines : TStrings", guarded<&TTS_GetEngines>)
            .routine("Procedure TTS_SelectEngine( EngineName : String)", guarded<&TTS_SelectEngine>)
            .routine("Function TTS_SelectedEngineInfo : TMSpeechEngineInfo", guarded<&TTS_SelectedEngineInfo>)
            .routine("Procedure TTS_Dialog( DialogType : TSpeechDialog; ParentWnd : integer)",
                     guarded<&TTS_Dialog>)
            .routine("Procedure TTS_Speak( Text : string)", guarded<&TTS_Speak>)
            .routine("Procedure TTS_Inject( Command : String)", guarded<&TTS_Inject>)
            .routine("Procedure TTS_Pause", guarded<&TTS_Pause>)
            .routine("Procedure TTS_Resume", guarded<&TTS_Resume>)
            .routine("Procedure TTS_Stop", guarded<&TTS_Stop>)
            .routine("Function TTS_Paused : boolean", guarded<&TTS_Paused>)
            .routine("Function TTS_GetPosition : integer", guarded<&TTS_GetPosition>)
            .routine("Function TTS_RealTime : integer", guarded<&TTS_RealTime>)
            .routine("Procedure TTS_SetSpeed( Value : integer)", guarded<&TTS_SetSpeed>)
            .routine("Function TTS_GetSpeed : integer", guarded<&TTS_GetSpeed>)
            .routine("Procedure TTS_SetPitch( Value : integer)", guarded<&TTS_SetPitch>)
            .routine("Function TTS_GetPitch : integer", guarded<&TTS_GetPitch>)
            .routine("Procedure TTS_SetVolume( Value : integer)", guarded<&TTS_SetVolume>)
            .routine("Function TTS_GetVolume : integer", guarded<&TTS_GetVolume>)
            .routine("Procedure TTS_SetOutput( WavFile : string)", guarded<&TTS_SetOutput>);
        return m;
    }();
    return table;
}

}  // namespace library
