#include "platform/EventPump.h"

namespace platform {
namespace {

std::function<void()>& pumpSlot() {
    static std::function<void()> pump;
    return pump;
}

}  // namespace

void setMessagePump(std::function<void()> pump) { pumpSlot() = std::move(pump); }

void processMessages() {
    if (auto& pump = pumpSlot()) pump();
}

}  // namespace platform
