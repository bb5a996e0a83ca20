// The sound-settings dialog: its lists filled from the engine's state, the note turning
// red while another device is chosen, OK applying the choices, and the red no-sound text
// with every list disabled when the library is missing.
#include "MusicTestSupport.h"
#include "classes/TStrings.h"
#include "library/Music.h"
#include "library/MusicSettingsView.h"
#include "media/Bass.h"
#include "vcl/Color.h"

using music_test::MusicFixture;

namespace {

class MusicSettingsTest : public MusicFixture {};

TEST_F(MusicSettingsTest, ListsShowTheEngineStateAndOkAppliesTheChoices) {
    media::BASS_SetConfig(media::BASS_CONFIG_BUFFER, 1000);
    media::BASS_SetConfig(media::BASS_CONFIG_NET_TIMEOUT, 7000);  // no row has it: the first is shown
    media::BASS_SetConfig(media::BASS_CONFIG_NET_BUFFER, 15000);
    library::TBassOpt dialog;
    auto& v = dialog.view();
    EXPECT_EQ(v.form->caption(), "Bass Options");
    EXPECT_EQ(v.form->clientWidth(), 266);
    EXPECT_EQ(v.form->clientHeight(), 271);
    EXPECT_EQ(v.fileBuffer->items()->commaText(), "\"0.5 sec\",\"1 sec\",\"2 sec\",\"3 sec\"");
    EXPECT_EQ(v.fileBuffer->itemIndex(), 1);
    EXPECT_EQ(v.netTimeout->itemIndex(), 0);
    EXPECT_EQ(v.netBuffer->itemIndex(), 2);
    EXPECT_EQ(v.device->items()->get(0), "No sound");
    EXPECT_EQ(v.device->itemIndex(), 1);
    EXPECT_TRUE(v.cancel->isDefault());
    EXPECT_NE(v.note->caption().find("currently playing streams"), std::string::npos);

    v.device->setItemIndex(0);
    v.deviceChanged();
    EXPECT_EQ(v.note->font()->color(), vcl::clRed);
    v.device->setItemIndex(1);
    v.deviceChanged();
    EXPECT_EQ(v.note->font()->color(), vcl::clWindowText);

    v.device->setItemIndex(0);
    v.fileBuffer->setItemIndex(3);
    v.netTimeout->setItemIndex(2);
    v.netBuffer->setItemIndex(0);
    dialog.apply();
    EXPECT_EQ(media::BASS_GetDevice(), 0u);
    EXPECT_EQ(media::BASS_GetConfig(media::BASS_CONFIG_BUFFER), 3000u);
    EXPECT_EQ(media::BASS_GetConfig(media::BASS_CONFIG_NET_TIMEOUT), 15000u);
    EXPECT_EQ(media::BASS_GetConfig(media::BASS_CONFIG_NET_BUFFER), 5000u);
}

TEST_F(MusicSettingsTest, WithoutTheLibraryTheDialogSaysWhyInRed) {
    library::bindMusicLibrary(false);
    library::TBassOpt dialog;
    auto& v = dialog.view();
    EXPECT_EQ(v.note->caption(),
              "No sound capabilities available via \"Bass.dll\" library.\r\nReason: File not found.");
    EXPECT_EQ(v.note->font()->color(), vcl::clRed);
    for (auto* list : {v.device, v.netTimeout, v.fileBuffer, v.netBuffer}) EXPECT_FALSE(list->enabled());
    library::bindMusicLibrary(true);
}

}  // namespace
