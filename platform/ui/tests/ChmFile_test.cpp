// The help-file reader's guard in front of chmlib: directories chmlib would walk without end or past
// their pages, and compression records it would divide by or allocate from, are refused whole; a sound
// file opens. The files are the small help file of the fuzz corpus with one field changed.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ui/ChmFile.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

std::string corpusFile(const char* name) {
    std::ifstream in(fs::path(VELMORA_CHM_CORPUS_DIR) / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::unique_ptr<ChmFile> openBytes(const std::string& bytes) {
    const fs::path path = fs::temp_directory_path() / "probe.chm";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return ChmFile::open(path.string());
}

// Offsets in valid-small.chm: the directory's one listing page, its ControlData and ResetTable records.
constexpr std::size_t kIndexRoot = 0x78 + 0x1C;
constexpr std::size_t kPage = 0xCC;
constexpr std::size_t kControlData = 8718;
constexpr std::size_t kResetTable = 8792;

}  // namespace

TEST(ChmFile, DirectoriesChmlibCannotWalkSafelyAreRefused) {
    const std::string sound = corpusFile("valid-small.chm");
    ASSERT_GT(sound.size(), kResetTable + 0x28);
    ASSERT_EQ(sound.compare(kPage, 4, "PMGL"), 0);
    ASSERT_EQ(sound.compare(kControlData + 4, 4, "LZXC"), 0);
    const auto opened = openBytes(sound);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->contains("a.htm"));
    EXPECT_EQ(opened->contents().size(), 2u);

    const struct {
        const char* what;
        std::size_t at;
        std::uint64_t value;
        int width;
    } damaged[] = {
        {"index root past the pages", kIndexRoot, 5, 4},
        {"free space larger than the page", kPage + 4, 5000, 4},
        {"listing page naming itself next", kPage + 0x10, 0, 4},
        {"compression window of nothing", kControlData + 0x10, 0, 4},
        {"no windows per reset", kControlData + 0x14, 0, 4},
        {"compressed blocks of no length", kResetTable + 0x20, 0, 8},
        {"compressed blocks of a gigabyte", kResetTable + 0x20, 1u << 30, 8},
    };
    for (const auto& d : damaged) {
        std::string bytes = sound;
        std::memcpy(bytes.data() + d.at, &d.value, d.width);  // little-endian, as the file is
        EXPECT_FALSE(openBytes(bytes)) << d.what;
    }
}

TEST(ChmFile, SiteMapsStayWithinTheirLimits) {
    std::string deep;
    for (int i = 0; i < 200; ++i) deep += "<ul>";
    deep += R"(<li><object type="text/sitemap"><param name="Name" value="x"></object>)";
    const auto entries = parseSiteMap(deep);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].level, ChmFile::kMaxSiteMapDepth);
    EXPECT_TRUE(parseSiteMap(corpusFile("sitemap-broken.hhc")).size() <= 1);
}
