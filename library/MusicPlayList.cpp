#include "library/MusicPlayList.h"

#include <mutex>

#include "components/InternalPlayList.h"
#include "library/Music.h"
#include "library/MusicApi.h"
#include "vcl/WindowHandle.h"

namespace library {

namespace {

std::mutex s_posterMutex;
MainThreadPoster s_poster;

void post(std::function<void()> fn) {
    MainThreadPoster poster;
    {
        std::lock_guard<std::mutex> lock(s_posterMutex);
        poster = s_poster;
    }
    if (poster)
        poster(std::move(fn));
    else
        vcl::toolkit::post(std::move(fn));
}

// On the engine's notification thread: nothing of the list is touched here.
void endReached(uint32_t sync, uint32_t channel, uint32_t, void* user) {
    auto* list = static_cast<components::TInternalPlayList*>(user);
    post([list, sync, channel] {
        // A report for a channel the list has since left (the script moved on, switched the
        // list off or the entry was replaced) is stale.
        if (list->activeHandle != channel || list->endSync != sync || !musicLoaded()) return;
        playNextFile(*list);
    });
}

void leaveCurrent(components::TInternalPlayList& list) {
    const music::Api& a = music::api();
    a.BASS_ChannelRemoveSync(list.activeHandle, list.endSync);
    music::stopAndFree(list.activeHandle);
    // The handle stays for scripts to read; the notification is gone, so an end report
    // still on its way no longer matches.
    list.endSync = 0;
}

void openCurrent(components::TInternalPlayList& list) {
    const OpenedChannel opened = openChannel(list.activeFile, OpenRow::Once, &endReached, &list);
    list.activeHandle = opened.handle;
    list.endSync = opened.sync;
}

}  // namespace

void setPlayListPoster(MainThreadPoster poster) {
    std::lock_guard<std::mutex> lock(s_posterMutex);
    s_poster = std::move(poster);
}

void playNextFile(components::TInternalPlayList& list) {
    if (!musicLoaded()) return;
    if (list.count() == 0) {
        setPlayListActive(list, false);
        return;
    }
    int next = 0;
    if (!list.activeFile.empty()) {
        const int i = list.indexOf(list.activeFile);
        next = i < 0 || i == list.count() - 1 ? 0 : i + 1;
    }
    list.activeFile = list.get(next);
    leaveCurrent(list);
    openCurrent(list);
    list.active = !list.activeFile.empty() && list.activeHandle != 0;
}

void setPlayListActive(components::TInternalPlayList& list, bool value) {
    if (!musicLoaded()) {
        list.active = false;
        return;
    }
    list.active = value;
    if (value)
        playNextFile(list);
    else
        leaveCurrent(list);
}

void setPlayListActiveFile(components::TInternalPlayList& list, const std::string& value) {
    if (!musicLoaded()) return;
    const int i = list.indexOf(value);
    if (i < 0) return;
    list.activeFile = list.get(i);
    leaveCurrent(list);
    openCurrent(list);
}

}  // namespace library
