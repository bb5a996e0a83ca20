// Text listing of a chunk: one line per instruction with its source position.
#include <algorithm>
#include <cstdio>

#include "script/Chunk.h"

namespace script {

std::string disassemble(const Chunk& chunk) {
    std::string out;
    char buf[160];
    std::vector<std::pair<uint32_t, size_t>> entries;
    for (size_t i = 0; i < chunk.procs.size(); ++i)
        if (chunk.procs[i].defined && !chunk.procs[i].isExternal)
            entries.push_back({chunk.procs[i].entry, i});
    std::sort(entries.begin(), entries.end());
    size_t next = 0;
    uint32_t pc = 0;
    int lastRow = -1;
    while (pc < chunk.code.size()) {
        while (next < entries.size() && entries[next].first <= pc) {
            const ProcInfo& p = chunk.procs[entries[next].second];
            std::snprintf(buf, sizeof buf, "\n%s: params %d, frame %d\n", p.name.c_str(), p.nParams,
                          p.frameSize);
            out += buf;
            ++next;
        }
        Op op = Op(chunk.code[pc]);
        if (size_t(op) >= size_t(Op::HALT) + 1) {
            std::snprintf(buf, sizeof buf, "%6u  ??? %d\n", pc, chunk.code[pc]);
            out += buf;
            ++pc;
            continue;
        }
        const OpInfo& info = opInfo(op);
        SourcePos pos = chunk.positionOf(pc);
        if (pos.row != lastRow) {
            std::snprintf(buf, sizeof buf, "%6u  %-14s", pc, info.name);
            lastRow = pos.row;
        } else {
            std::snprintf(buf, sizeof buf, "%6u  %-14s", pc, info.name);
        }
        out += buf;
        for (int k = 0; k < info.operands && pc + 1 + uint32_t(k) < chunk.code.size(); ++k) {
            std::snprintf(buf, sizeof buf, " %d", chunk.code[pc + 1 + uint32_t(k)]);
            out += buf;
        }
        std::snprintf(buf, sizeof buf, "    ; (%d:%d)\n", pos.row, pos.col);
        out += buf;
        pc += 1 + uint32_t(info.operands);
    }
    return out;
}

}  // namespace script
