#include "player/WriteGate.h"

#include <mutex>

namespace player {
namespace {

std::recursive_mutex& gate() {
    static auto* m = new std::recursive_mutex;  // the exit path uses it after statics die
    return *m;
}

}  // namespace

WriteGate::Hold::Hold() { gate().lock(); }
WriteGate::Hold::~Hold() { gate().unlock(); }

void WriteGate::closeForGood() { gate().lock(); }

}  // namespace player
