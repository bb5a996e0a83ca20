// The messages between the player and an attached debugger, as framed records over a local
// stream socket. Each keeps its window-message number; the numbers and texts it carried
// as parameters and in the shared text area travel in the frame. Both ends use this file.
//
// A frame: length (32-bit little-endian, of what follows), message number (16-bit), count of
// numbers (8-bit), count of texts (8-bit), the numbers (signed 32-bit each), then each text
// as a 32-bit length and its bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

namespace debugmsg {
constexpr uint16_t kHint = 1724;      // player → debugger: text
constexpr uint16_t kError = 1725;     // player → debugger: text
constexpr uint16_t kWarning = 1726;   // player → debugger: text
constexpr uint16_t kReport = 1801;    // player → debugger: position, row, column; text
constexpr uint16_t kExpand = 2022;    // debugger → player: text; reply: expanded, requested
constexpr uint16_t kAnnounce = 2023;  // player → debugger: the player's process id
}  // namespace debugmsg

// Frames larger than this are refused by the decoder (and cut to fit by the encoder's users).
constexpr size_t kMaxDebugFrame = 1 << 20;
constexpr size_t kMaxDebugFields = 8;

struct DebugFrame {
    uint16_t message = 0;
    std::vector<int32_t> numbers;
    std::vector<std::string> texts;
    bool operator==(const DebugFrame&) const = default;
};

// Throws base::Error when the frame holds more than kMaxDebugFields numbers or texts or
// would exceed kMaxDebugFrame.
std::string encodeDebugFrame(const DebugFrame& frame);

// Whether a frame has the numbers and texts its message number calls for; receivers skip
// frames of message numbers they do not know.
bool wellFormedDebugFrame(const DebugFrame& frame);

// Splits a byte stream into frames, whatever pieces it arrives in.
class DebugFrameDecoder {
public:
    void feed(std::string_view bytes);
    // The next complete frame, or nothing while more bytes are needed. Throws
    // base::StreamError on bytes that cannot be a frame; the stream is then unusable.
    std::optional<DebugFrame> next();
    // Bytes received but not yet part of a complete frame.
    size_t pending() const { return m_buffer.size() - m_start; }

private:
    std::string m_buffer;
    size_t m_start = 0;
};

// The socket of the debugger that "DEBUGER:<number>" names, in the user's runtime folder
// ($XDG_RUNTIME_DIR, else a private folder in /tmp). Empty when no safe folder exists.
std::filesystem::path debuggerEndpoint(uint32_t number);

}  // namespace runtime
