// The project stream as files hold it: written for the toolkit and the tests, and
// inspected value by value without building anything. The player's own loader reads
// the same stream into live objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Archive.h"

namespace player {

struct EmbeddedFile {
    std::string storedName;  // as the archive stores it, e.g. "C:\pics\a.jpg"
    std::string contents;
    uint32_t dosDate = 0;
};

struct ProjectContents {
    std::string kind = "ZEPScript";
    int32_t version = 20;
    std::string banner = "Vantrel project, packed by zeptool.";
    std::string creator = "Created with zeptool 2.0.0.38";
    std::string savedOn;     // "Saved on ..." (written as UTF-8)
    double savedOnDate = 0;  // days since 1899-12-30
    std::string bytecode;
    std::string debugInfo;
    std::string form;  // a binary component stream, "TPF0" ...
    std::vector<std::string> storedList;
    bool hasFiles = true;
    std::vector<EmbeddedFile> files;
    bool hasScript = true;  // the script archive with "script.txt" (versions above 7)
    std::string script;
};

// The whole stream as the authoring tool writes it.
std::string writeProject(const ProjectContents& project);

struct ProjectInfo {
    std::string kind;
    int32_t version = 0;
    std::string formClass;
    std::string formName;
    std::string formText;  // the main form in the text form
    uint64_t bytecodeSize = 0;
    bool hasFiles = false;
    uint64_t formOffset = 0;  // file offsets
    uint64_t embeddedArchiveOffset = 0;
    uint64_t scriptArchiveOffset = 0;
    runtime::ArchiveListing embedded;
    runtime::ArchiveListing scriptArchive;
    bool hasScriptArchive = false;
};

// Reads the project stream at `offset` of `bytes`. Throws base::Error naming the byte
// offset and what was expected when the stream is not a project or is damaged.
ProjectInfo inspectProject(const std::string& bytes, uint64_t offset = 0);

}  // namespace player
