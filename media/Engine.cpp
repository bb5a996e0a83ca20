// Devices, handles and the engine's two threads.
#include "media/Engine.h"

#include <algorithm>
#include <chrono>

namespace media {

namespace {
// The decode-ahead period while anything plays. Wake-ups cost far more than the decoding
// done in each (in a virtual machine above all), so the worker sleeps as long as the
// smallest playing ring allows: a quarter of it, never over kWorkerPeriodMs.
constexpr int kWorkerPeriodMs = 40;
constexpr int kMinWorkerPeriodMs = 5;
constexpr int kIdlePeriodMs = 250;
constexpr int kVirtualStepMs = 10;
}  // namespace

Engine& Engine::instance() {
    static Engine engine;
    return engine;
}

Engine::Engine() : m_mode(outputModeFromEnvironment()), m_cpuLastTime(std::chrono::steady_clock::now()) {}

Engine::~Engine() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        m_quit = true;
    }
    m_workerWake.notify_all();
    if (m_worker.joinable()) m_worker.join();
    {
        // Syncs still queued at exit are dropped: their callers are going away too.
        std::lock_guard<std::mutex> lock(m_notifyMutex);
        m_notifications.clear();
        m_notifyWake.notify_all();
    }
    if (m_notifier.joinable()) m_notifier.join();
    std::lock_guard<std::mutex> lock(mutex);
    m_channels.clear();
    m_devices.clear();
}

const std::vector<std::string>& Engine::deviceNames() {
    if (!m_namesKnown) {
        m_deviceNames = {"No sound", "Default"};
        if (m_mode == OutputMode::Device)
            for (std::string& name : sdlOutputNames()) m_deviceNames.push_back(std::move(name));
        m_namesKnown = true;
    }
    return m_deviceNames;
}

Device* Engine::device(int index) {
    auto it = m_devices.find(index);
    return it == m_devices.end() ? nullptr : &it->second;
}

bool Engine::openDevice(int index, int rate) {
    Device dev;
    dev.index = index;
    dev.mixer = std::make_unique<MixerImpl>(rate);
    if (m_mode == OutputMode::Virtual) {
        dev.output = createVirtualOutput(*dev.mixer);
        dev.isSink = true;
    } else if (index == 0 || m_mode == OutputMode::Null) {
        dev.output = createNullOutput(*dev.mixer);
        dev.isSink = true;
    } else {
        const std::string name = index == 1 ? std::string() : deviceNames()[static_cast<size_t>(index)];
        dev.output = createSdlOutput(*dev.mixer, name);
        // Machines without a sound card still play, time and end their channels.
        if (!dev.output && index == 1) {
            dev.output = createNullOutput(*dev.mixer);
            dev.isSink = true;
        }
        if (!dev.output) return false;
    }
    dev.output->start();
    m_devices[index] = std::move(dev);
    ensureThreads();
    return true;
}

void Engine::closeDevice(int index) {
    std::vector<std::shared_ptr<Channel>> doomed;
    for (const auto& [handle, channel] : m_channels)
        if (channel->device == index) doomed.push_back(channel);
    for (const auto& channel : doomed) m_channels.erase(channel->handle);
    if (Device* dev = device(index)) {
        dev->output.reset();  // stops pulling before the mixer goes
        m_devices.erase(index);
    }
}

std::shared_ptr<Channel> Engine::find(uint32_t handle) {
    auto it = m_channels.find(handle);
    return it == m_channels.end() ? nullptr : it->second;
}

uint32_t Engine::add(std::unique_ptr<AudioStream> stream, ChannelKind kind, uint32_t flags,
                     std::shared_ptr<Channel>* created) {
    // Handles count up and are never handed out twice, so a stale handle never reaches a
    // newer channel; when they run out, creation fails.
    if (m_nextHandle == 0) return 0;
    const uint32_t handle = m_nextHandle++;
    const int rate = stream->format().rate;
    const size_t ringFrames =
        std::max<size_t>(4096, static_cast<size_t>(bufferMs) * static_cast<size_t>(rate) / 1000);
    auto channel =
        std::make_shared<Channel>(handle, kind, flags, m_currentDevice, std::move(stream), ringFrames);
    m_channels[handle] = channel;
    if (!channel->decodeOnly) publishMixerSet(channel->device);
    if (created) *created = channel;
    return handle;
}

void Engine::remove(const std::shared_ptr<Channel>& channel) {
    channel->state = static_cast<int>(PlayState::Stopped);
    m_channels.erase(channel->handle);
    if (!channel->decodeOnly) publishMixerSet(channel->device);
}

void Engine::stopChannels(int index) {
    for (const auto& [handle, channel] : m_channels)
        if (channel->device == index && !channel->decodeOnly)
            channel->state = static_cast<int>(PlayState::Stopped);
}

void Engine::publishMixerSet(int index) {
    Device* dev = device(index);
    if (!dev) return;
    std::vector<std::shared_ptr<Channel>> set;
    for (const auto& [handle, channel] : m_channels)
        if (channel->device == index && !channel->decodeOnly) set.push_back(channel);
    dev->mixer->setChannels(std::move(set));
}

void Engine::holdFromMixer(Channel& channel) {
    channel.mixable.store(false, std::memory_order_release);
    if (Device* dev = device(channel.device)) dev->mixer->quiesce();
}

void Engine::postEndSyncs(Channel& channel) {
    bool any = false;
    {
        std::lock_guard<std::mutex> lock(m_notifyMutex);
        for (const Sync& sync : channel.syncs) {
            m_notifications.push_back({sync.proc, sync.id, channel.handle, sync.user});
            any = true;
        }
    }
    std::erase_if(channel.syncs, [](const Sync& s) { return (s.type & BASS_SYNC_ONETIME) != 0; });
    if (any) m_notifyWake.notify_all();
}

void Engine::ensureThreads() {
    if (!m_notifier.joinable()) m_notifier = std::thread([this] { notifierLoop(); });
    // The virtual clock decodes on the thread that advances it, so tests are deterministic.
    if (!m_worker.joinable() && m_mode != OutputMode::Virtual)
        m_worker = std::thread([this] { workerLoop(); });
}

void Engine::fillPlaying() {
    std::vector<std::shared_ptr<Channel>> playing;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& [handle, channel] : m_channels)
            if (!channel->decodeOnly && channel->state.load() == static_cast<int>(PlayState::Playing))
                playing.push_back(channel);
    }
    for (const auto& channel : playing) {
        std::unique_lock<std::mutex> lock(channel->decodeMutex, std::try_to_lock);
        if (lock.owns_lock()) channel->fill();
    }
}

void Engine::housekeeping() {
    std::vector<std::shared_ptr<Channel>> finished;
    for (const auto& [handle, channel] : m_channels) {
        if (channel->decodeOnly || channel->state.load() != static_cast<int>(PlayState::Playing)) continue;
        {
            // Each loop restart the listener has passed is one end of the channel.
            std::lock_guard<std::mutex> lock(channel->decodeMutex);
            const int64_t heard = channel->consumed.load();
            while (!channel->restarts.empty() && channel->restarts.front() <= heard) {
                postEndSyncs(*channel);
                channel->passedRestart = channel->restarts.front();
                channel->restarts.pop_front();
            }
        }
        if (channel->hasEnded()) finished.push_back(channel);
    }
    for (const auto& channel : finished) {
        channel->state = static_cast<int>(PlayState::Stopped);
        postEndSyncs(*channel);
        if (channel->flags.load() & BASS_STREAM_AUTOFREE) remove(channel);
    }
}

void Engine::workerLoop() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!m_quit) {
        lock.unlock();
        const auto begin = std::chrono::steady_clock::now();
        fillPlaying();
        lock.lock();
        housekeeping();
        m_workerBusyNs += static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - begin)
                .count());
        // Idle engines wake rarely; starting a channel wakes the worker at once, and a missed
        // wake-up costs nothing because playback starts from a prefilled ring.
        int periodMs = kIdlePeriodMs;
        for (const auto& [handle, channel] : m_channels) {
            if (channel->state.load() != static_cast<int>(PlayState::Playing) || channel->decodeOnly)
                continue;
            const auto frames =
                channel->ring.capacity() / static_cast<size_t>(std::max(channel->format.channels, 1));
            const auto ringMs =
                static_cast<int>(frames * 1000 / static_cast<size_t>(std::max(channel->format.rate, 1)));
            periodMs = std::min(periodMs, std::clamp(ringMs / 4, kMinWorkerPeriodMs, kWorkerPeriodMs));
        }
        m_workerWake.wait_for(lock, std::chrono::milliseconds(periodMs));
    }
}

void Engine::notifierLoop() {
    std::unique_lock<std::mutex> lock(m_notifyMutex);
    for (;;) {
        m_notifyWake.wait(lock, [this] { return !m_notifications.empty() || m_quit; });
        if (m_notifications.empty()) return;
        const Notification n = m_notifications.front();
        m_notifications.pop_front();
        m_notifying = true;
        lock.unlock();
        n.proc(n.sync, n.channel, 0, n.user);
        lock.lock();
        m_notifying = false;
        if (m_notifications.empty()) m_notifyIdle.notify_all();
    }
}

void Engine::waitForNotifications() {
    std::unique_lock<std::mutex> lock(m_notifyMutex);
    m_notifyIdle.wait(lock, [this] { return m_notifications.empty() && !m_notifying; });
}

bool Engine::advanceVirtualClock(int ms) {
    std::lock_guard<std::mutex> advancing(m_advanceMutex);
    if (m_mode != OutputMode::Virtual) return false;
    for (int done = 0; done < ms;) {
        const int step = std::min(kVirtualStepMs, ms - done);
        fillPlaying();
        {
            std::lock_guard<std::mutex> lock(mutex);
            for (auto& [index, dev] : m_devices) {
                const int rate = dev.mixer->rate();
                const auto frames =
                    static_cast<size_t>(int64_t{done + step} * rate / 1000 - int64_t{done} * rate / 1000);
                dev.output->advance(frames);
            }
            housekeeping();
        }
        // Syncs run before the clock moves on, as they would on a device between buffers.
        waitForNotifications();
        done += step;
    }
    waitForNotifications();
    return true;
}

float Engine::cpuPercent() {
    uint64_t busy = m_workerBusyNs.load();
    for (auto& [index, dev] : m_devices) busy += dev.mixer->busyNanoseconds();
    const auto now = std::chrono::steady_clock::now();
    const auto wall = std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_cpuLastTime).count();
    if (wall >= 50'000'000) {
        m_cpuLast = busy >= m_cpuLastBusy
                        ? static_cast<float>(busy - m_cpuLastBusy) * 100.0f / static_cast<float>(wall)
                        : 0.0f;
        m_cpuLastBusy = busy;
        m_cpuLastTime = now;
    }
    return m_cpuLast;
}

}  // namespace media
