#include "MusicTestSupport.h"

#include <cstdlib>
#include <mutex>

#include "components/InternalPlayList.h"
#include "library/IFSI_Conventions.h"
#include "library/IFSI_Music.h"
#include "library/Music.h"
#include "library/MusicPlayList.h"
#include "media/VirtualClock.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "script/Imports.h"

namespace music_test {

namespace {

// Before the engine first looks: this program runs on the hand-driven clock.
const bool s_virtual = (setenv("VANTREL_AUDIO", "virtual", 1), true);

std::mutex s_queueMutex;

const script::Imports& testRoutines() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine("procedure Advance(Ms: Integer);", [](int32_t ms) { MusicFixture::advance(ms); })
            .routine("function DeliverEnds: Integer;", [] { return MusicFixture::deliverEnds(); })
            .variable("InternalPlayList", "TInternalPlayList");
        return m;
    }();
    return table;
}

}  // namespace

std::deque<std::function<void()>>& MusicFixture::pending() {
    static std::deque<std::function<void()>> queue;
    return queue;
}

void MusicFixture::SetUp() {
    ASSERT_TRUE(s_virtual);
    platform::setRegistry(platform::RegistryStore::openInMemory());
    platform::setCurrentPlayerPath("Z:\\opt\\show\\vantrel");
    library::setPlayListPoster([](std::function<void()> fn) {
        std::lock_guard<std::mutex> lock(s_queueMutex);
        pending().push_back(std::move(fn));
    });
    ASSERT_TRUE(library::startMusic());
    auto& list = components::internalPlayList();
    list.clear();
    list.active = false;
    list.activeFile.clear();
    list.activeHandle = 0;
    list.endSync = 0;
}

void MusicFixture::TearDown() {
    library::setPlayListActive(components::internalPlayList(), false);
    library::stopMusic();
    std::lock_guard<std::mutex> lock(s_queueMutex);
    pending().clear();
}

void MusicFixture::advance(int ms) { ASSERT_TRUE(media::advanceVirtualClock(ms)); }

int MusicFixture::deliverEnds() {
    int n = 0;
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(s_queueMutex);
            if (pending().empty()) return n;
            fn = std::move(pending().front());
            pending().pop_front();
        }
        fn();
        ++n;
    }
}

ScriptSession& MusicFixture::session() {
    if (!m_session) {
        m_session = std::make_unique<ScriptSession>();
        m_session->tables.push_back(&library::playListImports());
        m_session->tables.push_back(&library::musicImports());
        m_session->tables.push_back(&library::conventionImports());  // the tag records
        m_session->tables.push_back(&library::cdAndTagImports());
        m_session->tables.push_back(&testRoutines());
    }
    return *m_session;
}

std::string MusicFixture::run(const std::string& source) {
    ScriptSession& s = session();
    s.log.clear();
    if (!s.compile(source)) {
        ADD_FAILURE() << s.compileError;
        return {};
    }
    if (!s.load()) {
        ADD_FAILURE() << s.exec->lastError().text;
        return {};
    }
    script::markHostOwned(&components::internalPlayList());
    s.exec->setGlobalObject("InternalPlayList", &components::internalPlayList());
    if (!s.exec->run()) ADD_FAILURE() << s.exec->lastError().text;
    return s.log;
}

std::string MusicFixture::win(const std::string& native) { return platform::windowsPath(native); }

}  // namespace music_test
