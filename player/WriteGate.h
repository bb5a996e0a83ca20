// The gate every creation of files and folders inside the player's temporary folders
// passes. The exit path closes it for good before it removes those folders, so a restore
// running on another thread can never create them again after the removal: it waits at
// the gate until the process ends.
//
// Hold the gate only around the creating system calls themselves, never around code
// that calls back into scripts or processes events: the exit path waits for the holder.
#pragma once

namespace player {

class WriteGate {
public:
    // Passes the gate for one creation; waits while the exit path holds it. The thread
    // that closed the gate still passes.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    };

    // Waits for the current holder, then keeps the gate closed until the process ends.
    static void closeForGood();
};

}  // namespace player
