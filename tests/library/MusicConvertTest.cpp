// ConvertAudioToWAV: output identical to Debian's own decoders, the header for 8-bit mono
// and 16-bit stereo, a source converted into itself, sources that do not open, targets
// that cannot be written, and the progress dialog's Cancel question.
#include <filesystem>

#include "MusicTestSupport.h"
#include "TestAudio.h"
#include "classes/TStrings.h"
#include "library/MusicConvert.h"
#include "library/ProgressDialog.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "vcl/Controls.h"

namespace fs = std::filesystem;
namespace t = media::test;
using music_test::MusicFixture;

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

// Answers every question with `answer` and remembers what was asked.
class Answers final : public platform::DialogBackend {
public:
    explicit Answers(int answer, std::vector<std::string>* asked) : m_answer(answer), m_asked(asked) {}
    platform::DialogAnswer ask(const platform::DialogRequest& r) override {
        m_asked->push_back(r.caption + ": " + r.text);
        return {true, m_answer, {}};
    }

private:
    int m_answer;
    std::vector<std::string>* m_asked;
};

class MusicConvertTest : public MusicFixture {
protected:
    void answerWith(int id) {
        platform::installDialogs(
            std::make_unique<platform::DialogService>(std::make_unique<Answers>(id, &asked), nullptr));
    }
    void TearDown() override {
        platform::installDialogs(nullptr);
        MusicFixture::TearDown();
    }
    bool convert(const std::vector<std::string>& items) {
        classes::TStringList list;
        for (const std::string& i : items) list.add(i);
        return library::convertAudioToWav(&list);
    }
    std::vector<std::string> asked;
};

TEST_F(MusicConvertTest, OutputMatchesTheReferenceDecodersBitForBit) {
    for (const char* tool : {"lame", "mpg123", "oggenc", "oggdec", "openmpt123"})
        if (!t::haveTool(tool)) GTEST_SKIP() << tool << " missing";
    const std::string tone = t::makeTone("ref.wav", 4.0);
    const std::string mp3 = t::scratchPath("ref.mp3"), ogg = t::scratchPath("ref.ogg");
    const std::string mod = t::scratchPath("ref.mod");
    ASSERT_TRUE(t::run("lame --quiet '" + tone + "' '" + mp3 + "'"));
    ASSERT_TRUE(t::run("oggenc -Q '" + tone + "' -o '" + ogg + "'"));
    t::writeFile(mod, t::makeModule("reference"));
    ASSERT_TRUE(t::run("mpg123 -q -w '" + mp3 + ".ref.wav' '" + mp3 + "'"));
    ASSERT_TRUE(t::run("oggdec -Q '" + ogg + "' -o '" + ogg + ".ref.wav'"));
    ASSERT_TRUE(
        t::run("cd '" + t::scratchDir() +
               "' && openmpt123 -q --force --render --samplerate 44100 --no-float --dither 0 ref.mod"));

    ASSERT_TRUE(convert({win(mp3) + ">" + win(mp3 + ".out.wav"), win(ogg) + ">" + win(ogg + ".out.wav"),
                         win(mod) + ">" + win(mod + ".out.wav")}));
    for (const std::string& src : {mp3, ogg}) {
        const auto ours = t::readFile(src + ".out.wav");
        EXPECT_EQ(t::wavData(ours), t::wavData(t::readFile(src + ".ref.wav"))) << src;
        EXPECT_EQ(le32(ours, 4), ours.size() - 8);
        EXPECT_EQ(le32(ours, 40), ours.size() - 44);
    }
    EXPECT_EQ(t::wavData(t::readFile(mod + ".out.wav")), t::wavData(t::readFile(mod + ".wav")));
}

TEST_F(MusicConvertTest, HeadersFollowTheSourceAndTargetsDefaultBesideIt) {
    const std::string mono = t::makeTone("mono8.wav", 0.5, "-r 11025 -c 1 -b 8");
    const std::string stereo = t::makeTone("stereo.wav", 0.5);
    const std::string dir = t::scratchPath("defaults");
    fs::create_directories(dir);
    fs::copy_file(stereo, dir + "/song.wav.src", fs::copy_options::overwrite_existing);
    ASSERT_TRUE(convert({win(mono) + ">" + win(mono + ".8.wav"), win(dir + "/song.wav.src")}));

    const auto m = t::readFile(mono + ".8.wav");
    ASSERT_GE(m.size(), 44u);
    EXPECT_EQ(std::string(m.begin(), m.begin() + 4), "RIFF");
    EXPECT_EQ(le16(m, 22), 1);
    EXPECT_EQ(le32(m, 24), 11025u);
    EXPECT_EQ(le16(m, 32), 1);
    EXPECT_EQ(le16(m, 34), 8);
    EXPECT_EQ(t::wavData(m), t::wavData(t::readFile(mono)));

    const auto s = t::readFile(dir + "/song.wav.wav");  // the last extension replaced
    ASSERT_GE(s.size(), 44u);
    EXPECT_EQ(le32(s, 28), 176400u);
    EXPECT_EQ(le16(s, 34), 16);
}

TEST_F(MusicConvertTest, ASourceListedAloneConvertsIntoItselfIntact) {
    const std::string path = t::scratchPath("self.wav");
    fs::copy_file(t::makeTone("orig.wav", 1.0), path, fs::copy_options::overwrite_existing);
    const auto before = t::wavData(t::readFile(path));
    ASSERT_TRUE(convert({win(path)}));
    EXPECT_EQ(t::wavData(t::readFile(path)), before);
    EXPECT_FALSE(fs::exists(path + ".converting"));
}

TEST_F(MusicConvertTest, FailuresMakeTheResultFalseWithoutStoppingTheList) {
    const std::string ok = t::makeTone("fine.wav", 0.3);
    EXPECT_FALSE(convert({win(t::scratchPath("absent.mp3")), win(ok) + ">" + win(ok + ".out.wav")}));
    EXPECT_TRUE(fs::exists(ok + ".out.wav"));
    EXPECT_FALSE(fs::exists(t::scratchPath("absent.wav")));
    // A target that cannot be created ends the work.
    EXPECT_FALSE(convert({win(ok) + ">" + win(t::scratchPath("no/such/dir/x.wav"))}));
    EXPECT_EQ(library::ProgressDialog::current(), nullptr);
    EXPECT_TRUE(convert({}));
}

TEST_F(MusicConvertTest, CancelAsksAndKeepsAValidPartialFile) {
    const std::string longTone = t::makeTone("long.wav", 20.0);
    const std::string out = longTone + ".part.wav";
    answerWith(platform::IDNO);
    {
        auto dialog = library::ProgressDialog::open(library::ProgressVariant::Conversion);
        EXPECT_EQ(dialog->caption(), "Converting Audio To Wav...");
        EXPECT_EQ(dialog->buttonText(), "&Cancel");
        EXPECT_EQ(dialog->status(), "*** Extracting %s ***");
        dialog->cancelPressed();
        EXPECT_FALSE(dialog->cancelled());
        EXPECT_TRUE(dialog->isOpen());
        // Enter and Escape both ask; neither ends the dialog behind the work's back.
        dialog->pressKey(vcl::VK_RETURN);
        dialog->pressKey(vcl::VK_ESCAPE);
        EXPECT_TRUE(dialog->isOpen());
    }
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], "Warning: Stop the audio conversion process?");
    EXPECT_EQ(asked[2], asked[0]);

    // Yes, pressed while the first blocks are written (the work pumps messages).
    answerWith(platform::IDYES);
    platform::setMessagePump([] {
        if (auto* d = library::ProgressDialog::current(); d && !d->cancelled()) d->cancelPressed();
    });
    EXPECT_FALSE(convert({win(longTone) + ">" + win(out)}));
    platform::setMessagePump(nullptr);
    const auto part = t::readFile(out);
    ASSERT_GT(part.size(), 44u);
    EXPECT_LT(part.size(), 20u * 176400u);
    EXPECT_EQ(le32(part, 40), part.size() - 44);
    EXPECT_EQ(le32(part, 4), part.size() - 8);
}

TEST_F(MusicConvertTest, TheDownloadVariantStaysOpenAfterYes) {
    answerWith(platform::IDYES);
    auto dialog = library::ProgressDialog::open(library::ProgressVariant::Download);
    EXPECT_EQ(dialog->status(), "Starting download ...");
    dialog->setProgress(30, 200);
    EXPECT_EQ(dialog->maximum(), 200);
    EXPECT_EQ(dialog->position(), 30);
    dialog->cancelPressed();
    EXPECT_TRUE(dialog->cancelled());
    EXPECT_TRUE(dialog->isOpen());
    EXPECT_EQ(dialog->buttonText(), "&Aborting...");
    EXPECT_EQ(asked.back(), "Warning: Do you want to cancel the download?");
    auto unzip = library::ProgressDialog::open(library::ProgressVariant::Unzip);
    EXPECT_FALSE(dialog->isOpen());  // one at a time
    EXPECT_EQ(unzip->caption(), "Extracting files ...");
    EXPECT_EQ(unzip->status(), "Please wait ...");
}

}  // namespace
