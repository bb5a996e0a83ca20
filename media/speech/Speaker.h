// Text to speech through espeak-ng. One thread of ours owns every espeak call; the voices
// are the engines scripts choose from; speech plays through an engine channel (so it runs on
// the "No sound" device and its clock too) or goes into a WAV file.
//
// Texts are ANSI bytes; word positions are byte offsets into the text as given. Control tags
// in the text or injected ("\Spd=200\", "\Pit=120\", "\Vol=4294967295\") set the speed in
// words a minute, the pitch (100 the voice's own) and the volume (low 16 bits, 65535 full).
// Threads: members may be called from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace media::speech {

struct Voice {
    std::string name;        // as scripts select it
    std::string language;    // "en-gb"
    std::string identifier;  // espeak's own file name
    int gender = 0;          // 0 neutral, 1 female, 2 male
    int age = 0;
};

struct Attributes {
    uint32_t speed = 175;          // words a minute
    uint32_t pitch = 100;          // 100 = the voice's own
    uint32_t volume = 0xFFFFFFFF;  // left channel high word, right low word
};

class Speaker {
public:
    // The one instance; espeak starts on its thread at first use.
    static Speaker& instance();
    ~Speaker();

    // espeak started and lists at least one voice.
    bool available();
    std::vector<Voice> voices();

    // Chooses a voice (case-insensitive name) and the output: a WAV file, or an engine
    // channel on the current device when `wavFile` is empty. False when there is no such voice.
    bool select(const std::string& name, const std::string& wavFile);
    bool selected() const;
    // Starts speaking (ends the speech in progress first); returns at once. False when no voice
    // is selected or the WAV file cannot be created.
    bool speak(const std::string& ansiText);
    // Applies control tags: to the running speech when there is one, else to the next.
    void inject(const std::string& tags);
    void pause();
    void resume();
    void stop();
    bool paused() const;
    // Byte offset of the word being spoken (heard, for channel output), 0 before the first.
    int position();
    Attributes attributes() const;
    // Waits until the queued text is synthesised (all of it in the file, or in the channel's
    // buffer). For tests and for closing the WAV file before the caller reads it.
    void waitSynthesised();

    class Impl;

private:
    Speaker();
    std::unique_ptr<Impl> m_impl;
};

// Control tags into attribute changes; unknown tags are ignored. Exposed for tests.
void applyTags(const std::string& tags, Attributes& attributes);

}  // namespace media::speech
