// Shared by the music tests: the engine on its hand-driven clock, a private registry, the
// play list's end reports queued until the test hands them to the "user-interface thread",
// and scripts with the music tables and an Advance routine that moves the clock.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "tests/script/ScriptSession.h"

namespace music_test {

class MusicFixture : public ::testing::Test {
public:
    // Moves the clock; the end reports it causes wait in the queue.
    static void advance(int ms);
    // Runs the queued end reports, as the event loop would.
    static int deliverEnds();
    static std::deque<std::function<void()>>& pending();

protected:
    void SetUp() override;
    void TearDown() override;

    // A script session with the music and play-list tables and Advance(ms).
    ScriptSession& session();
    std::string run(const std::string& source);

    // The Windows form scripts use for a native path.
    static std::string win(const std::string& native);

private:
    std::unique_ptr<ScriptSession> m_session;
};

}  // namespace music_test
