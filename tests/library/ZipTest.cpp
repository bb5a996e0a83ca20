// ZIP extraction: the decoders against archives from python's zipfile, Info-ZIP's zip and
// our own shrink and implode encoders (checked with `unzip -t` first); hostile archives that
// try to write outside the target; the replace, missing-archive and cancel dialogs answered
// by automation; and UnzipFile and IsZip called from a script.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "library/IFSI_Zip.h"
#include "library/ProgressDialog.h"
#include "library/Unzipper.h"
#include "library/Zip.h"
#include "library/ZipMethods.h"
#include "platform/Automation.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "tests/library/ZipFixtures.h"
#include "tests/script/ScriptSession.h"
#include "tests/support/AnsweredDialogs.h"
#include "tests/support/TempTree.h"

namespace fs = std::filesystem;
using namespace library;

namespace {

bool haveTool(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) == 0;
}

int sh(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

zip::Decoded decode(const std::string& packed, uint16_t method, uint64_t size, uint16_t flags,
                    std::string& out) {
    size_t pos = 0;
    const zip::ReadFn in = [&](uint8_t* b, size_t cap) {
        const size_t n = std::min(cap, packed.size() - pos);
        std::copy_n(packed.data() + pos, n, b);
        pos += n;
        return n;
    };
    const zip::WriteFn write = [&](const uint8_t* d, size_t n) {
        out.append(reinterpret_cast<const char*>(d), n);
    };
    switch (method) {
    case 0: return zip::copyStored(in, write, size);
    case 1: return zip::unshrink(in, write, size);
    case 6: return zip::explode(in, write, size, flags);
    default: return zip::inflateRaw(in, write, size);
    }
}

class ZipTest : public ::testing::Test {
protected:
    void SetUp() override { answer(""); }
    void TearDown() override {
        platform::setMessagePump(nullptr);
        platform::installDialogs(nullptr);
    }
    void answer(const std::string& script) const { m_dialogs.answer(script); }
    std::vector<std::string> logged(const std::string& piece) const { return m_dialogs.lines(piece); }
    std::string archive(const std::string& name, const std::vector<zipfix::Item>& items) {
        t.write(name, zipfix::build(items));
        return t.win(name);
    }
    // Every path below the test's folder except those under `inside`.
    std::vector<std::string> outside(const std::string& inside) const {
        std::vector<std::string> found;
        for (auto it = fs::recursive_directory_iterator(t.root()); it != fs::recursive_directory_iterator();
             ++it) {
            const std::string rel = fs::relative(it->path(), t.root()).string();
            if (rel.rfind(inside, 0) != 0 && rel != "dialogs.log" && rel.find(".zip") == std::string::npos)
                found.push_back(rel);
        }
        return found;
    }
    TempTree t{"zip"};
    AnsweredDialogs m_dialogs{t.native("dialogs.log")};
};

// ---- the methods ----

TEST_F(ZipTest, LegacyEncodersPassTheReferenceTesterAndDecodeBack) {
    if (!haveTool("unzip")) GTEST_SKIP() << "unzip missing";
    // 200 KB fills the shrink table (8192 codes) long before the end, so the full-table case
    // and every code width from 9 to 13 bits are exercised.
    const std::string data = zipfix::sampleData(200000, 7);
    std::vector<zipfix::Item> items;
    items.push_back({"shrunk.bin", data, 1});
    items.push_back({"tiny-shrunk.txt", "abababababababab", 1});
    for (const uint16_t flags : {uint16_t{0}, uint16_t{2}, uint16_t{4}, uint16_t{6}})
        items.push_back({"imploded-" + std::to_string(flags) + ".bin", data, 6, flags});
    items.push_back({"imploded-long-run.bin", std::string(5000, 'z') + "end", 6, 6});
    const std::string zipPath = archive("legacy.zip", items);
    ASSERT_EQ(sh("unzip -tq " + quoted(t.native("legacy.zip")) + " >/dev/null"), 0);

    for (const zipfix::Item& item : items) {
        std::string out;
        EXPECT_EQ(decode(zipfix::pack(item), item.method, item.data.size(), item.flags, out),
                  zip::Decoded::Ok)
            << item.name;
        EXPECT_TRUE(out == item.data) << item.name;
    }
    EXPECT_EQ(UnzipFile(zipPath, t.win("out"), ""), 0);
    for (const zipfix::Item& item : items) EXPECT_TRUE(t.read("out/" + item.name) == item.data) << item.name;
}

TEST_F(ZipTest, DecodersNeverWriteBeyondTheDeclaredSize) {
    const std::string data = zipfix::sampleData(70000, 3);
    for (const uint16_t method : {uint16_t{0}, uint16_t{1}, uint16_t{6}, uint16_t{8}}) {
        const zipfix::Item item{"x", data, method, 6};
        const std::string packed = zipfix::pack(item);
        std::string out;
        EXPECT_EQ(decode(packed, method, 1000, item.flags, out),
                  method == 6 ? zip::Decoded::Ok : zip::Decoded::Corrupt)
            << method;
        EXPECT_LE(out.size(), 1000u) << method;
        out.clear();
        // More declared than the data holds: the data runs out first.
        EXPECT_EQ(decode(packed, method, data.size() + 10, item.flags, out), zip::Decoded::Corrupt) << method;
        out.clear();
        EXPECT_EQ(decode(packed.substr(0, packed.size() / 2), method, data.size(), item.flags, out),
                  zip::Decoded::Corrupt)
            << method;
    }
}

TEST_F(ZipTest, ErrorAndMethodTexts) {
    EXPECT_STREQ(zip::errorText(-1), "CRC Error.");
    EXPECT_STREQ(zip::errorText(-8), "The file is in use");
    EXPECT_STREQ(zip::errorText(-13), "can't handle such a big ZIP header.");
    EXPECT_STREQ(zip::errorText(-14), "can't open zip file.");
    EXPECT_STREQ(zip::errorText(-100), "serious error.");
    EXPECT_STREQ(zip::errorText(-500), "missing parameter.");
    EXPECT_STREQ(zip::errorText(-15), "");
    EXPECT_STREQ(zip::errorText(0), "");
    EXPECT_STREQ(zip::methodText(1), "unshrinking");
    EXPECT_STREQ(zip::methodText(7), "un-tokenizing");
    EXPECT_STREQ(zip::methodText(9), "skipping");
    EXPECT_STREQ(zip::methodText(10), "");
}

// ---- archives made by other writers ----

TEST_F(ZipTest, PythonArchivesWithDescriptorsFoldersAndUtf8Names) {
    if (!haveTool("python3")) GTEST_SKIP() << "python3 missing";
    // Written to a pipe, so zipfile cannot seek back: every entry gets a data descriptor and
    // zero sizes in its local header.
    const std::string script =
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.stdout.buffer, 'w')\n"
        "z.writestr('docs/', '')\n"
        "z.writestr(zipfile.ZipInfo('docs/readme.txt'), 'hello ' * 5000, zipfile.ZIP_DEFLATED)\n"
        "z.writestr('stored.txt', 'as it is', zipfile.ZIP_STORED)\n"
        "z.writestr('na\\u00efve.txt', 'utf8', zipfile.ZIP_DEFLATED)\n"
        "z.writestr('empty.txt', '', zipfile.ZIP_DEFLATED)\n"
        "z.close()\n";
    t.write("make.py", script);
    ASSERT_EQ(sh("python3 " + quoted(t.native("make.py")) + " | cat > " + quoted(t.native("py.zip"))), 0);
    const std::string bytes = t.read("py.zip");
    ASSERT_GT(bytes.size(), 30u);
    ASSERT_TRUE(base::readLE16(reinterpret_cast<const unsigned char*>(bytes.data()) + 6) & 8)
        << "no descriptor";

    EXPECT_TRUE(IsZip(t.win("py.zip")));
    EXPECT_EQ(UnzipFile(t.win("py.zip"), t.win("out"), "*.*"), 0);
    EXPECT_TRUE(fs::is_directory(t.native("out/docs")));
    EXPECT_EQ(t.read("out/docs/readme.txt").size(), 30000u);
    EXPECT_EQ(t.read("out/stored.txt"), "as it is");
    EXPECT_EQ(t.read("out/na\xC3\xAFve.txt"), "utf8");
    EXPECT_TRUE(fs::exists(t.native("out/empty.txt")));
    EXPECT_TRUE(logged("ERROR").empty());
    // The progress dialog came and went; its messages were never questions.
    EXPECT_EQ(ProgressDialog::current(), nullptr);
}

TEST_F(ZipTest, InfoZipArchiveWithALinkEntryGivesAPlainFile) {
    if (!haveTool("zip")) GTEST_SKIP() << "zip missing";
    t.write("src/a/b/deep.txt", zipfix::sampleData(100000, 1));
    t.write("src/top.txt", "top");
    fs::create_symlink("/etc/passwd", t.native("src/link"));
    ASSERT_EQ(sh("cd " + quoted(t.native("src")) + " && zip -qry ../iz.zip ."), 0);
    EXPECT_EQ(UnzipFile(t.win("iz.zip"), t.win("out"), ""), 0);
    EXPECT_TRUE(t.read("out/a/b/deep.txt") == zipfix::sampleData(100000, 1));
    EXPECT_EQ(t.read("out/top.txt"), "top");
    // A stored link becomes a file holding the link's text, never a link.
    EXPECT_FALSE(fs::is_symlink(t.native("out/link")));
    EXPECT_EQ(t.read("out/link"), "/etc/passwd");
}

TEST_F(ZipTest, OemNamesAndMasks) {
    const std::string zipPath = archive("names.zip", {{"caf\x82.txt", "oem", 0},
                                                      {"docs/readme.txt", "r", 8},
                                                      {"README.TXT", "R", 8},
                                                      {"data.bin", "d", 8}});
    EXPECT_EQ(UnzipFile(zipPath, t.win("star"), "*.txt"), 0);
    EXPECT_EQ(t.read("star/caf\xC3\xA9.txt"), "oem");
    EXPECT_EQ(t.read("star/docs/readme.txt"), "r");
    EXPECT_FALSE(fs::exists(t.native("star/README.TXT")));
    EXPECT_FALSE(fs::exists(t.native("star/data.bin")));
    EXPECT_EQ(UnzipFile(zipPath, t.win("caps"), "*.TXT"), 0);
    EXPECT_TRUE(fs::exists(t.native("caps/README.TXT")));
    EXPECT_FALSE(fs::exists(t.native("caps/docs")));

    EXPECT_TRUE(zip::maskMatches("d?cs/*", "docs/readme.txt"));
    EXPECT_TRUE(zip::maskMatches("*a*b*", "xxaxxbxx"));
    EXPECT_FALSE(zip::maskMatches("*a*b", "xxaxxbxx"));
    EXPECT_FALSE(zip::maskMatches("?", ""));
    EXPECT_TRUE(zip::maskMatches("", "anything"));
}

// ---- hostile archives ----

TEST_F(ZipTest, NamesThatClimbOutFailAndNothingLeavesTheTarget) {
    const std::string absolute = (t.native("abs") / "evil.txt").string();
    const std::string zipPath = archive("evil.zip", {{"../evil1.txt", "x", 0},
                                                     {"sub/../../evil2.txt", "x", 0},
                                                     {absolute, "x", 0},
                                                     {"C:\\evil3.txt", "x", 0},
                                                     {"..\\evil4.txt", "x", 0},
                                                     {std::string("nul\0.txt", 8), "x", 0},
                                                     {"fine/ok.txt", "ok", 0}});
    EXPECT_EQ(UnzipFile(zipPath, t.win("target"), ""), zip::kWriteError);
    EXPECT_EQ(t.read("target/fine/ok.txt"), "ok");
    EXPECT_EQ(outside("target"), std::vector<std::string>{});
    EXPECT_EQ(logged("ERROR extracting file").size(), 6u);
    EXPECT_EQ(logged("Error Code : -2\\r\\n\\r\\nWrite Error.").size(), 6u);
}

TEST_F(ZipTest, LinksInTheTargetAreNeverFollowed) {
    fs::create_directories(t.native("target"));
    fs::create_directories(t.native("elsewhere"));
    t.write("elsewhere/victim.txt", "precious");
    fs::create_directory_symlink(t.native("elsewhere"), t.native("target/dir"));
    fs::create_symlink(t.native("elsewhere/victim.txt"), t.native("target/file.txt"));
    const std::string zipPath = archive("links.zip", {{"dir/victim.txt", "overwritten", 0},
                                                      {"dir/new.txt", "planted", 0},
                                                      {"file.txt", "replaced the link", 8}});
    // Two error boxes for the entries under the link, then the question for the linked file.
    answer("answer OK\nanswer OK\nanswer Yes\n");
    EXPECT_EQ(UnzipFile(zipPath, t.win("target"), ""), zip::kWriteError);
    EXPECT_EQ(logged("ERROR extracting file").size(), 2u);
    EXPECT_EQ(t.read("elsewhere/victim.txt"), "precious");
    EXPECT_FALSE(fs::exists(t.native("elsewhere/new.txt")));
    // The link itself was replaced by the entry's file; what it pointed at is untouched.
    EXPECT_FALSE(fs::is_symlink(t.native("target/file.txt")));
    EXPECT_EQ(t.read("target/file.txt"), "replaced the link");
    EXPECT_EQ(logged("Confirm File Replace").size(), 1u);
}

// More folders than the extraction keeps open, named in an order that keeps leaving and
// coming back to them: every file still lands in its own folder.
TEST_F(ZipTest, ManyFoldersVisitedInAnyOrderEachGetTheirFiles) {
    std::vector<zipfix::Item> items;
    for (int i = 0; i < 900; ++i)
        items.emplace_back(
            "f" + std::to_string(i % 300) + "/g" + std::to_string(i % 3) + "/n" + std::to_string(i) + ".txt",
            "entry " + std::to_string(i), i % 2 ? 8 : 0);
    items.emplace_back("f7/", "", 0);
    EXPECT_EQ(UnzipFile(archive("folders.zip", items), t.win("target"), ""), 0);
    for (int i = 0; i < 900; ++i) {
        const std::string name = "target/f" + std::to_string(i % 300) + "/g" + std::to_string(i % 3) + "/n" +
                                 std::to_string(i) + ".txt";
        ASSERT_EQ(t.read(name), "entry " + std::to_string(i)) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(t.native("target")), fs::directory_iterator()), 300);
}

TEST_F(ZipTest, LyingSizesFailTheEntryAndKeepTheOldFile) {
    t.write("target/keep.txt", "old contents");
    const std::string data = zipfix::sampleData(300000, 9);
    zipfix::Item shortSize{"keep.txt", data, 8};
    shortSize.declaredSize = 1000;
    zipfix::Item longSize{"huge.bin", "tiny", 0};
    longSize.declaredSize = 0xFFFFFFF0u;
    zipfix::Item badCrc{"crc.txt", "checked", 8};
    badCrc.declaredCrc = 12345;
    const std::string zipPath = archive("lies.zip", {shortSize, longSize, badCrc, {"good.txt", "good", 8}});
    answer("answer Yes\n");
    EXPECT_EQ(UnzipFile(zipPath, t.win("target"), ""), zip::kCrcError);
    EXPECT_EQ(t.read("target/keep.txt"), "old contents");
    EXPECT_FALSE(fs::exists(t.native("target/huge.bin")));
    EXPECT_FALSE(fs::exists(t.native("target/crc.txt")));
    EXPECT_EQ(t.read("target/good.txt"), "good");
    // Nothing half-written is left behind under another name either.
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(t.native("target"))) ++files;
    EXPECT_EQ(files, 2u);
    const auto errors = logged("ERROR extracting file");
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_NE(
        errors[0].find("ERROR extracting file: \\\"keep.txt\\\"\\r\\nError Code : -1\\r\\n\\r\\nCRC Error."),
        std::string::npos)
        << errors[0];
}

// ---- failures of the whole run ----

TEST_F(ZipTest, FatalFailuresReturnTheirCodes) {
    t.write("plain.txt", "not an archive at all");
    EXPECT_EQ(UnzipFile(t.win("plain.txt"), t.win("out"), ""), zip::kNotZip);
    std::string broken = zipfix::build({{"a.txt", "a", 0}});
    broken[broken.size() - 6] = '\x7F';  // the directory's offset points past it
    t.write("broken.zip", broken);
    EXPECT_EQ(UnzipFile(t.win("broken.zip"), t.win("out"), ""), zip::kFormatError);
    EXPECT_EQ(UnzipFile(archive("ok.zip", {{"a.txt", "a", 0}}), "", ""), zip::kMissingParameter);
    EXPECT_FALSE(fs::exists(t.native("out")));
    EXPECT_TRUE(logged("ERROR").empty());

    if (haveTool("zip")) {
        t.write("src/z.txt", "zip64");
        ASSERT_EQ(sh("cd " + quoted(t.native("src")) + " && zip -q -fz ../z64.zip z.txt"), 0);
        EXPECT_EQ(UnzipFile(t.win("z64.zip"), t.win("out64"), ""), zip::kZip64);
        ASSERT_EQ(sh("cd " + quoted(t.native("src")) + " && zip -q -P secret ../enc.zip z.txt"), 0);
        EXPECT_EQ(UnzipFile(t.win("enc.zip"), t.win("outenc"), ""), zip::kEncrypted);
        EXPECT_EQ(logged("Zip is encrypted.").size(), 1u);
    }
}

TEST_F(ZipTest, UnsupportedMethodsGiveOneMessageEach) {
    const std::string zipPath = archive("reduced.zip", {{"r1.txt", "x", 2, 0, std::string("zz")},
                                                        {"t.txt", "x", 7, 0, std::string("zz")},
                                                        {"fine.txt", "fine", 0}});
    EXPECT_EQ(UnzipFile(zipPath, t.win("out"), ""), zip::kMethodNotSupported);
    EXPECT_EQ(logged("Method not supported.").size(), 2u);
    EXPECT_EQ(t.read("out/fine.txt"), "fine");
}

TEST_F(ZipTest, MissingArchivePromptsForAnother) {
    const std::string real = archive("real.zip", {{"a.txt", "found", 0}});
    answer("cancel\n");
    EXPECT_EQ(UnzipFile(t.win("gone.zip"), t.win("out"), ""), -1000);
    const auto prompts = logged("Insert Next Disk ");
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_NE(prompts[0].find("Please specify the location of the next disk.\\r\\nFile not found :\\r\\n"),
              std::string::npos);

    // A name that does not exist either keeps the prompt up; an existing one is taken.
    answer("answer " + t.native("also-gone.zip").string() + "\nanswer " + t.native("real.zip").string() +
           "\n");
    EXPECT_EQ(UnzipFile(t.win("gone.zip"), t.win("out"), ""), 0);
    EXPECT_EQ(logged("Insert Next Disk ").size(), 2u);
    EXPECT_EQ(t.read("out/a.txt"), "found");
}

// ---- dialogs ----

TEST_F(ZipTest, ReplaceAnswersFromAutomation) {
    std::vector<zipfix::Item> items;
    for (const char* n : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"}) {
        items.push_back({n, std::string("new ") + n, 8});
        t.write(std::string("target/") + n, "old");
    }
    const std::string zipPath = archive("replace.zip", items);
    answer("answer Yes\nanswer No\nanswer Yes to All\n");
    EXPECT_EQ(UnzipFile(zipPath, t.win("target"), ""), 0);
    EXPECT_EQ(t.read("target/1.txt"), "new 1.txt");
    EXPECT_EQ(t.read("target/2.txt"), "old");
    for (const char* n : {"3.txt", "4.txt", "5.txt"})
        EXPECT_EQ(t.read(std::string("target/") + n), std::string("new ") + n);
    const auto asked = logged("Confirm File Replace");
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_NE(asked[0].find("This folder already contains a file named '1.txt'."), std::string::npos);
    EXPECT_NE(asked[0].find("\"buttons\":[\"Yes\",\"Yes to All\",\"No\",\"No to All\"]"), std::string::npos);

    for (const char* n : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"})
        t.write(std::string("target/") + n, "old");
    answer("answer Yes\nanswer No to All\n");
    EXPECT_EQ(UnzipFile(zipPath, t.win("target"), ""), 0);
    EXPECT_EQ(t.read("target/1.txt"), "new 1.txt");
    for (const char* n : {"2.txt", "3.txt", "4.txt", "5.txt"})
        EXPECT_EQ(t.read(std::string("target/") + n), "old");
    EXPECT_EQ(logged("Confirm File Replace").size(), 2u);
}

TEST_F(ZipTest, CancelAnsweredYesStopsAndLeavesNoPartialFile) {
    const std::string data = zipfix::sampleData(1 << 20, 5);
    const std::string zipPath =
        archive("big.zip", {{"first.txt", "first", 0}, {"big.bin", data, 8}, {"last.txt", "l", 0}});
    // The first cancel is answered No and the work goes on; the second, Yes, ends it.
    answer("answer No\nanswer Yes\n");
    int pumped = 0;
    platform::setMessagePump([&] {
        auto* d = ProgressDialog::current();
        if (d && ++pumped % 10 == 0 && !d->cancelled()) d->cancelPressed();
    });
    EXPECT_EQ(UnzipFile(zipPath, t.win("target"), ""), zip::kUserAborted);
    platform::setMessagePump(nullptr);
    EXPECT_EQ(t.read("target/first.txt"), "first");
    EXPECT_FALSE(fs::exists(t.native("target/last.txt")));
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(t.native("target"))) ++files;
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(logged("Cancel the unzip operation ?").size(), 2u);
    EXPECT_EQ(ProgressDialog::current(), nullptr);
}

TEST_F(ZipTest, ProgressComesInStepsOfAtMost32KiB) {
    const std::string data = zipfix::sampleData(200000, 11);
    const std::string zipPath = archive("progress.zip", {{"a.bin", data, 8}, {"b.bin", data, 6, 6}});
    zip::Unzipper engine;
    engine.archive = t.native("progress.zip");
    engine.target = t.native("out");
    uint64_t total = 0;
    int64_t largest = 0, ends = 0;
    std::vector<int32_t> kinds;
    engine.onReport = [&](int32_t status, int64_t number, const zip::Report& r) {
        if (status == zip::kReportProgress) {
            total += static_cast<uint64_t>(number);
            largest = std::max(largest, number);
        } else {
            kinds.push_back(status);
        }
        if (status == zip::kReportEnd) {
            ends = number;
            EXPECT_EQ(r.size, 2 * data.size());
            EXPECT_EQ(r.attributes, -1);
        }
    };
    EXPECT_EQ(engine.extract(), 2);
    EXPECT_EQ(total, 2 * data.size());
    EXPECT_LE(largest, 32768);
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(kinds, (std::vector<int32_t>{-1004, -1000, -1002, -1000, -1002, -1005}));
}

TEST_F(ZipTest, StatusNamesAreShortenedFromTheLeft) {
    const auto chars = [](std::string_view s) { return static_cast<int>(s.size()); };
    EXPECT_EQ(elidePath("docs/a.txt", 20, chars), "docs/a.txt");
    EXPECT_EQ(elidePath("C:\\one\\two\\three\\file.txt", 22, chars), "C:\\...\\three\\file.txt");
    EXPECT_EQ(elidePath("one/two/three/file.txt", 16, chars), "one/.../file.txt");
    EXPECT_EQ(elidePath("one/two/three/file.txt", 15, chars), ".../file.txt");
    EXPECT_EQ(elidePath("one/two/three/file.txt", 5, chars), "file.txt");
}

TEST_F(ZipTest, IsZipLooksAtNameKindAndSignature) {
    const std::string good = archive("good.zip", {{"a", "a", 0}});
    t.write("self.exe", zipfix::build({{"a", "a", 0}}));
    t.write("noext", zipfix::build({{"a", "a", 0}}));
    fs::create_directories(t.native("folder.zip"));
    t.write("fake.zip", "MZ not a zip");
    EXPECT_TRUE(IsZip(good));
    EXPECT_TRUE(IsZip(good + "\\"));
    EXPECT_FALSE(IsZip(t.win("self.exe")));
    EXPECT_FALSE(IsZip(t.win("noext")));
    EXPECT_FALSE(IsZip(t.win("folder.zip")));
    EXPECT_FALSE(IsZip(t.win("fake.zip")));
    EXPECT_FALSE(IsZip(t.win("missing.zip")));
}

TEST_F(ZipTest, ScriptsCallUnzipFileAndIsZip) {
    const std::string zipPath = archive("s.zip", {{"s/one.txt", "1", 8}, {"two.txt", "2", 1}});
    ScriptSession session;
    session.tables.push_back(&zipImports());
    const std::string source =
        "begin\n"
        "  if IsZip('" +
        zipPath +
        "') then Log('zip');\n"
        "  Log(IntToStr(UnzipFile('" +
        zipPath + "', '" + t.win("script") +
        "', '')));\n"
        "  Log(IntToStr(UnzipFile('" +
        t.win("none.zip") + "', '" + t.win("script") +
        "', '')));\n"
        "end.";
    answer("cancel\n");
    ASSERT_TRUE(session.run(source)) << session.error;
    EXPECT_EQ(session.log, "zip\n0\n-1000\n");
    EXPECT_EQ(t.read("script/s/one.txt"), "1");
    EXPECT_EQ(t.read("script/two.txt"), "2");
}

}  // namespace
