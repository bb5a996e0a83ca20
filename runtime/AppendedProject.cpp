#include "runtime/AppendedProject.h"

#include <cstring>
#include <fstream>

#include "base/Error.h"
#include "base/LittleEndian.h"

namespace fs = std::filesystem;

namespace runtime {

std::optional<uint64_t> appendedProjectOffset(const fs::path& executable) {
    std::ifstream in(executable, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    auto size = static_cast<uint64_t>(in.tellg());
    if (!in || size < kAppendTrailerSize) return std::nullopt;
    unsigned char trailer[kAppendTrailerSize];
    in.seekg(static_cast<std::streamoff>(size - kAppendTrailerSize));
    if (!in.read(reinterpret_cast<char*>(trailer), sizeof trailer)) return std::nullopt;
    if (std::memcmp(trailer + 8, kAppendMagic, sizeof kAppendMagic) != 0) return std::nullopt;
    uint64_t offset = base::readLE64(trailer);
    // The project must lie inside the file, after at least one byte of player.
    if (offset == 0 || offset >= size - kAppendTrailerSize) return std::nullopt;
    return offset;
}

void appendProject(const fs::path& player, const fs::path& project, const fs::path& out) {
    std::ifstream playerIn(player, std::ios::binary);
    if (!playerIn) throw base::Error("cannot read " + player.string());
    std::ifstream projectIn(project, std::ios::binary);
    if (!projectIn) throw base::Error("cannot read " + project.string());
    // A player that already carries a project is appended to without its old one.
    std::optional<uint64_t> previous = appendedProjectOffset(player);
    fs::path tmp = out;
    tmp += ".part";
    {
        std::ofstream o(tmp, std::ios::binary | std::ios::trunc);
        if (!o) throw base::Error("cannot write " + tmp.string());
        if (previous) {
            std::string head(*previous, '\0');
            playerIn.read(head.data(), static_cast<std::streamsize>(head.size()));
            o.write(head.data(), static_cast<std::streamsize>(head.size()));
        } else {
            o << playerIn.rdbuf();
        }
        auto offset = static_cast<uint64_t>(o.tellp());
        o << projectIn.rdbuf();
        std::string trailer;
        base::appendLE64(trailer, offset);
        trailer.append(kAppendMagic, sizeof kAppendMagic);
        o.write(trailer.data(), static_cast<std::streamsize>(trailer.size()));
        if (!o) throw base::Error("cannot write " + tmp.string());
    }
    std::error_code ec;
    fs::permissions(tmp, fs::status(player, ec).permissions(), ec);
    fs::rename(tmp, out, ec);
    if (ec) {
        fs::remove(tmp, ec);
        throw base::Error("cannot write " + out.string());
    }
}

}  // namespace runtime
