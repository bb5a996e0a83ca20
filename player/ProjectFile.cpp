#include "player/ProjectFile.h"

#include "base/AnsiText.h"
#include "base/Error.h"
#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "classes/TextForm.h"
#include "runtime/ArchiveInput.h"

namespace player {
namespace {

[[noreturn]] void fail(uint64_t offset, const std::string& what) {
    throw base::Error("offset " + std::to_string(offset) + ": " + what);
}

// "object Form1: TAutorunForm" (or "inherited"/"inline") → name and class.
void parseFirstLine(const std::string& text, std::string& name, std::string& cls) {
    std::string line = text.substr(0, text.find('\n'));
    size_t space = line.find(' ');
    size_t colon = line.find(':');
    if (space == std::string::npos || colon == std::string::npos || colon < space) return;
    name = std::string(base::trimText(std::string_view(line).substr(space + 1, colon - space - 1)));
    cls = std::string(base::trimText(std::string_view(line).substr(colon + 1)));
}

}  // namespace

std::string writeProject(const ProjectContents& p) {
    classes::TStringStream stream;
    {
        classes::TWriter w(stream);
        w.writeSignature();
        w.writeString(p.kind);
        if (base::ansiSameText(p.kind, "ZEPScriptExtended")) {
            w.writeBoolean(false);
            w.writeInteger(0);
            w.writeInteger(0);
            w.writeString("");
            w.writeInteger(0);
            w.writeString("");
        }
        w.writeInteger(p.version);  // the reserved value repeats the version
        w.writeInteger(p.version);
        w.writeString(p.banner);
        w.writeString(p.creator);
        w.writeUtf8String(p.savedOn);
        w.writeDate(p.savedOnDate);
        w.writeString(p.bytecode);
        w.writeString(p.debugInfo);
        w.writeRaw(p.form.data(), p.form.size());
        w.writeInteger(static_cast<int64_t>(p.storedList.size()));
        for (const auto& s : p.storedList) w.writeString(s);
        for (int i = 0; i < 20; ++i) w.writeInteger(-1);
        w.writeBoolean(p.hasFiles);
    }
    std::string out = stream.dataString();
    if (!p.hasFiles) return out;
    runtime::ArchiveWriter embedded;
    for (const auto& f : p.files) embedded.addFile(f.storedName, f.contents, f.dosDate);
    out += embedded.bytes();
    if (p.version > 7 && p.hasScript) {
        runtime::ArchiveWriter script;
        script.addFile("script.txt", p.script, p.files.empty() ? 0x21000000u : p.files.front().dosDate);
        out += script.bytes();
    }
    return out;
}

ProjectInfo inspectProject(const std::string& bytes, uint64_t offset) {
    if (offset > bytes.size()) fail(offset, "the offset is past the end of the file");
    ProjectInfo info;
    classes::TStringStream stream(bytes);
    stream.seek(static_cast<int64_t>(offset), classes::SeekOrigin::Beginning);
    auto reader = std::make_unique<classes::TReader>(stream);
    auto at = [&] { return static_cast<uint64_t>(reader->position()); };
    try {
        reader->readSignature();
    } catch (const base::Error&) {
        fail(offset, "expected the signature \"TPF0\"");
    }
    try {
        info.kind = reader->readString();
    } catch (const base::Error&) {
        fail(offset + 4, "expected the project kind, a string");
    }
    if (!base::ansiSameText(info.kind, "ZEPScript") && !base::ansiSameText(info.kind, "ZEPScriptExtended")) {
        fail(offset + 4,
             "expected the kind \"ZEPScript\" or \"ZEPScriptExtended\", found \"" + info.kind + "\"");
    }
    uint64_t pos = at();
    try {
        for (int i = base::ansiSameText(info.kind, "ZEPScriptExtended") ? 7 : 1; i > 0; --i)
            reader->skipValue();
        pos = at();
        info.version = reader->readInteger();
        for (int i = 0; i < 4; ++i) reader->skipValue();
        pos = at();
        info.bytecodeSize = reader->readString().size();
        reader->skipValue();
        info.formOffset = at();
    } catch (const base::Error& e) {
        fail(pos, std::string("a damaged header: ") + e.what());
    }
    size_t consumed = 0;
    try {
        info.formText = classes::binaryToText(bytes, static_cast<size_t>(info.formOffset), &consumed);
    } catch (const base::Error& e) {
        fail(info.formOffset, std::string("the main form: ") + e.what());
    }
    parseFirstLine(info.formText, info.formName, info.formClass);

    reader.reset();
    stream.seek(static_cast<int64_t>(info.formOffset + consumed), classes::SeekOrigin::Beginning);
    reader = std::make_unique<classes::TReader>(stream);
    pos = at();
    try {
        int32_t count = reader->readInteger();
        for (int32_t i = 0; i < count; ++i) reader->skipValue();
        for (int i = 0; i < 20; ++i) reader->skipValue();
    } catch (const base::Error& e) {
        fail(pos, std::string("the values after the form: ") + e.what());
    }
    try {
        info.hasFiles = reader->readBoolean();
    } catch (const base::Error&) {
        info.hasFiles = false;  // the flag may be missing: no archives
    }
    if (!info.hasFiles) return info;

    runtime::MemoryArchiveInput archives(std::string_view(bytes).substr(static_cast<size_t>(at())));
    const uint64_t base = at();
    info.embeddedArchiveOffset = base;
    try {
        info.embedded = listArchive(archives);
    } catch (const base::Error& e) {
        fail(base + archives.position(), std::string("the embedded-file archive: ") + e.what());
    }
    if (info.version > 7) {
        info.scriptArchiveOffset = base + archives.position();
        try {
            info.scriptArchive = listArchive(archives);
            info.hasScriptArchive = true;
        } catch (const base::Error& e) {
            fail(base + archives.position(), std::string("the script archive: ") + e.what());
        }
    }
    return info;
}

}  // namespace player
