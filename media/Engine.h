// The engine behind the entry points: devices with their mixer and output, the handle
// table, the decode worker and the notification thread. One instance per process.
//
// Locking: `mutex` guards devices, the handle table and every channel's engine-side fields;
// it is taken before a channel's decodeMutex, never after. The mixer takes neither; sync
// procedures run on the notification thread with neither held.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "media/Channel.h"
#include "media/MixerImpl.h"
#include "media/output/AudioOutput.h"

namespace media {

struct Device {
    int index = 0;
    std::unique_ptr<MixerImpl> mixer;
    std::unique_ptr<AudioOutput> output;
    bool isSink = false;  // "No sound", or the default device without a sound card
};

class Engine {
public:
    static Engine& instance();
    ~Engine();

    std::mutex mutex;

    // Devices (under the lock).
    const std::vector<std::string>& deviceNames();
    Device* device(int index);
    Device* currentDevice() { return device(m_currentDevice); }
    int currentDeviceIndex() const { return m_currentDevice; }
    void setCurrentDevice(int index) { m_currentDevice = index; }
    // Opens device `index` at `rate`; false when a named output cannot be opened.
    bool openDevice(int index, int rate);
    void closeDevice(int index);
    OutputMode mode() const { return m_mode; }

    // Channels (under the lock).
    std::shared_ptr<Channel> find(uint32_t handle);
    // Registers a new channel on the current device; 0 when the handle space is used up.
    uint32_t add(std::unique_ptr<AudioStream> stream, ChannelKind kind, uint32_t flags,
                 std::shared_ptr<Channel>* created = nullptr);
    void remove(const std::shared_ptr<Channel>& channel);
    // Stops every channel playing on device `index`.
    void stopChannels(int index);
    uint32_t newSyncId() { return m_nextSync++; }
    // Takes the channel out of the mix and waits until the mixer has let go of it.
    void holdFromMixer(Channel& channel);
    // Queues the channel's end syncs and drops the one-shot ones (under the lock).
    void postEndSyncs(Channel& channel);

    void wakeWorker() { m_workerWake.notify_all(); }
    // Advances every virtual device by `ms` and waits for the syncs it caused.
    bool advanceVirtualClock(int ms);

    // Configuration.
    uint32_t bufferMs = 500;
    uint32_t updatePeriodMs = 100;
    uint32_t netTimeoutMs = 5000;
    uint32_t netBufferMs = 5000;

    float cpuPercent();

private:
    Engine();
    void ensureThreads();
    void workerLoop();
    void notifierLoop();
    void fillPlaying();
    void housekeeping();  // under the lock
    void publishMixerSet(int device);
    void waitForNotifications();

    struct Notification {
        SyncProc* proc;
        uint32_t sync;
        uint32_t channel;
        void* user;
    };

    OutputMode m_mode;
    std::vector<std::string> m_deviceNames;
    bool m_namesKnown = false;
    std::map<int, Device> m_devices;
    int m_currentDevice = -1;
    std::map<uint32_t, std::shared_ptr<Channel>> m_channels;
    uint32_t m_nextHandle = 1;
    uint32_t m_nextSync = 1;

    std::thread m_worker;
    std::condition_variable m_workerWake;
    std::atomic<bool> m_quit{false};
    std::atomic<uint64_t> m_workerBusyNs{0};

    std::thread m_notifier;
    std::mutex m_notifyMutex;
    std::condition_variable m_notifyWake;
    std::condition_variable m_notifyIdle;
    std::deque<Notification> m_notifications;
    bool m_notifying = false;

    std::mutex m_advanceMutex;
    uint64_t m_cpuLastBusy = 0;
    std::chrono::steady_clock::time_point m_cpuLastTime;
    float m_cpuLast = 0;
};

}  // namespace media
