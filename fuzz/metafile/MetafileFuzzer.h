// Shared body of the two metafile fuzz targets: the input is played as it is when it is
// a metafile of the target's kind, else as the records following a valid header, so the
// fuzzer spends its time in the records. Playback must end every input without a crash,
// a hang or unbounded memory; only an unreadable header may throw, as DecodeError.
#pragma once

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pictures/Loaders.h"
#include "pictures/Metafile.h"

namespace metafile_fuzz {

inline void startApplication(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);  // fonts for the text records
}

inline void play(const std::string& bytes) {
    try {
        (void)pictures::metafileInfo(bytes);
        // Two shapes of output: a mapping with distinct scales on each axis.
        (void)pictures::renderMetafile(bytes, 48, 48);
        (void)pictures::renderMetafile(bytes, 5, 130);
    } catch (const pictures::DecodeError&) {
    }
}

}  // namespace metafile_fuzz
