#include "runtime/EmbeddedLoad.h"

#include "base/AnsiText.h"

namespace runtime {

EmbeddedLoad::EmbeddedLoad() { attachProgress(); }

void EmbeddedLoad::attachProgress() {
    m_embeddedFiles.OnProgress = [this](TBackupFile&, const std::string& fileName, int percent, bool&) {
        progress(fileName, percent);
    };
}

void EmbeddedLoad::progress(const std::string& fileName, int percent) {
    if (base::ansiSameText(fileName, "FILE:LIST")) return;
    int value = percent % 128;
    if (value == m_lastPercent) return;
    m_lastPercent = value;
    ++m_steps;
    stepIt();
}

}  // namespace runtime
