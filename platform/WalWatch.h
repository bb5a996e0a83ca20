// Whether another connection has committed to an SQLite database in WAL mode, answered
// without a system call: the WAL index that every connection shares ("<db>-shm") starts
// with a header that each commit rewrites (frame count, change counter, salts and a
// checksum over them), written twice around a memory barrier. Two equal copies that
// match an earlier snapshot mean nothing was committed since. Checkpoints leave the
// header alone, so they do not count as changes. Used to keep registry reads out of the
// database while nothing changes; any doubt (the copies differ, an unknown version, no
// WAL index) answers "changed".
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace platform {

class WalWatch {
public:
    using Snapshot = std::array<uint32_t, 12>;  // one 48-byte copy of the header

    WalWatch() = default;
    ~WalWatch();
    WalWatch(const WalWatch&) = delete;
    WalWatch& operator=(const WalWatch&) = delete;

    // Maps the WAL index of the database file; call while a connection holds the
    // database open in WAL mode, so the index exists and stays. False leaves it closed.
    bool open(const std::string& databaseFile);
    bool isOpen() const { return m_header != nullptr; }

    // The current header; false when it cannot be trusted right now.
    bool snapshot(Snapshot& out) const;

private:
    const volatile uint32_t* m_header = nullptr;
    size_t m_mapped = 0;
};

}  // namespace platform
