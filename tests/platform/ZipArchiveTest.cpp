// Zip archives put together in memory or through a temporary file: the same entries give the same
// bytes either way, and the destination is replaced only by a complete archive.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <map>

#include "platform/FileSystem.h"
#include "platform/ZipArchive.h"
#include "platform/ZipArchive_p.h"
#include "support/TestSupport.h"

namespace {

// Zips a file entry and two entries from bytes (one stored) into the path.
bool zipInto(const std::string& path, bool inMemory, const std::string& file) {
    static const std::string kText(5000, 'x');
    kx::ZipArchive archive(path);
    archive.setFixedEntryAttributes(true);
    return archive.open(inMemory) && archive.writeFileAtPath(file, "word/document.xml", 3) &&
           archive.writeBytes(kText, "word/styles.xml", 3) && archive.writeBytes("stored", "media/a.png", 0) &&
           archive.close();
}

// Text that repeats with a period longer than a block: a block finds its matches only in the
// bytes before it (the dictionary it is primed with), not in itself.
std::string repeatingText(std::size_t size, std::size_t period) {
    std::string unit;
    std::uint32_t x = 12345;
    while (unit.size() < period) {
        x = x * 1103515245u + 12345u;
        unit += static_cast<char>('a' + (x >> 16) % 26);
        if ((x >> 8) % 11 == 0) unit += "<w:t xml:space=\"preserve\">";
    }
    unit.resize(period);
    std::string text;
    text.reserve(size);
    while (text.size() < size) text.append(unit, 0, std::min(period, size - text.size()));
    return text;
}

std::uint32_t crcOf(std::string_view bytes) {
    return static_cast<std::uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Inflates a raw deflate stream; nothing if it is not one whole stream.
std::optional<std::string> inflateRaw(const std::string& stream, std::size_t expectedSize) {
    z_stream zs{};
    if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) return std::nullopt;
    std::string out(expectedSize + 1, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    zs.avail_in = static_cast<uInt>(stream.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&zs, Z_FINISH);
    const bool whole = result == Z_STREAM_END && zs.avail_in == 0;
    out.resize(zs.total_out);
    inflateEnd(&zs);
    if (!whole) return std::nullopt;
    return out;
}

// An entry as another reader sees it: libzip reading the archive back.
struct ReadEntry {
    std::string bytes;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint16_t method = 0;
    std::uint16_t flags = 0;  // general purpose flags of the central directory
};

std::map<std::string, ReadEntry> readArchive(const std::string& path) {
    std::map<std::string, ReadEntry> entries;
    int code = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!zip) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t st;
        if (zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st) != 0) continue;
        ReadEntry entry;
        entry.crc = st.crc;
        entry.compressedSize = st.comp_size;
        entry.method = st.comp_method;
        zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
        if (!file) continue;
        entry.bytes.resize(st.size);
        const zip_int64_t n = zip_fread(file, entry.bytes.data(), st.size);
        char extra = 0;
        const bool whole = n == static_cast<zip_int64_t>(st.size) && zip_fread(file, &extra, 1) == 0;
        // A reader checks the CRC when the file is closed after being read to its end.
        if (zip_fclose(file) != 0 || !whole) continue;
        entries[st.name] = std::move(entry);
    }
    zip_close(zip);
    // The general purpose flags, from the central directory (libzip does not report them).
    const std::string bytes = kx::readFile(path).value_or("");
    for (std::size_t at = bytes.find("PK\x01\x02"); at != std::string::npos && at + 46 <= bytes.size();
         at = bytes.find("PK\x01\x02", at + 4)) {
        auto u16 = [&](std::size_t offset) {
            return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at + offset]) |
                                              static_cast<unsigned char>(bytes[at + offset + 1]) << 8);
        };
        const std::string name = bytes.substr(at + 46, u16(28));
        if (entries.count(name)) entries[name].flags = u16(8);
    }
    return entries;
}

}  // namespace

TEST(ZipArchive, DeflatingInBlocksGivesOneStreamOfTheWholeInput) {
    // Blocks of 1 KB, text repeating every 3000 bytes: around and across the block size.
    constexpr std::size_t kBlock = 1024;
    struct Case {
        const char* what;
        std::size_t size;
    };
    const Case cases[] = {
        {"empty", 0},
        {"one byte", 1},
        {"a byte short of a block", kBlock - 1},
        {"exactly one block", kBlock},
        {"one block and a byte", kBlock + 1},
        {"many blocks repeating across their ends", 40 * kBlock + 17},
    };
    for (const Case& c : cases) {
        const std::string input = repeatingText(c.size, 3000);
        std::optional<kx::detail::DeflatedData> single = kx::detail::deflateInBlocks(input, 3, kBlock, 1);
        std::optional<kx::detail::DeflatedData> parallel = kx::detail::deflateInBlocks(input, 3, kBlock, 8);
        ASSERT_TRUE(single && parallel) << c.what;
        EXPECT_TRUE(single->bytes == parallel->bytes) << c.what << ": the stream depends on the thread count";
        EXPECT_EQ(parallel->crc, crcOf(input)) << c.what;
        const std::optional<std::string> inflated = inflateRaw(parallel->bytes, input.size());
        ASSERT_TRUE(inflated) << c.what << ": not one whole deflate stream";
        EXPECT_TRUE(*inflated == input) << c.what << ": inflates to other bytes";

        // The same input given in three pieces, cut off the blocks' ends.
        kx::detail::BlockDeflateStream stream(3, kBlock, 8);
        std::string pieces;
        const std::size_t cuts[] = {0, c.size / 3, c.size / 3 + (c.size + 2) / 3 + 5, c.size};
        for (int i = 0; i < 3; ++i) {
            const std::size_t from = std::min(cuts[i], c.size), to = std::clamp(cuts[i + 1], from, c.size);
            ASSERT_TRUE(stream.deflate(std::string_view(input).substr(from, to - from), i == 2, pieces)) << c.what;
        }
        EXPECT_EQ(stream.crc(), crcOf(input)) << c.what << " in pieces";
        const std::optional<std::string> inflatedPieces = inflateRaw(pieces, input.size());
        ASSERT_TRUE(inflatedPieces) << c.what << " in pieces: not one whole deflate stream";
        EXPECT_TRUE(*inflatedPieces == input) << c.what << " in pieces: inflates to other bytes";
    }
    // The blocks find the repeats before them: far smaller than the 3000 distinct bytes deflated
    // on their own in every block would be.
    const std::string repeating = repeatingText(40 * kBlock, 3000);
    std::optional<kx::detail::DeflatedData> deflated = kx::detail::deflateInBlocks(repeating, 3, kBlock, 8);
    ASSERT_TRUE(deflated);
    EXPECT_LT(deflated->bytes.size(), repeating.size() / 6);
    // A level zlib refuses is a failure, not a stream.
    EXPECT_FALSE(kx::detail::deflateInBlocks(repeating, 42, kBlock, 8));
}

TEST(ZipArchive, LargeEntriesDeflatedOnSeveralThreadsReadBackAsTheyWere) {
    // Entries from 1 MB up are deflated in blocks of 256 KB on several threads.
    struct Case {
        const char* name;
        std::size_t size;
        int level;
        bool fromFile;
    };
    const Case cases[] = {
        {"below.xml", 1024 * 1024 - 1, 3, false},          // left to the library
        {"four-blocks.xml", 1024 * 1024, 3, false},        // exactly four blocks
        {"four-blocks-and-a-byte.xml", 1024 * 1024 + 1, 3, true},
        {"fast.xml", 3 * 1024 * 1024 + 5, 1, false},
        {"default.xml", 2 * 1024 * 1024 + 7, -1, true},
        {"best.xml", 5 * 1024 * 1024 + 11, 9, true},
        {"stored.xml", 2 * 1024 * 1024, 0, false},
        // Its deflate stream would be too large to hold: the library deflates it from the file.
        {"incompressible.bin", 17 * 1024 * 1024, 1, true},
    };
    std::map<std::string, std::string> inputs;
    // Repeats within the deflate window, so across the ends of blocks.
    for (const Case& c : cases) inputs[c.name] = repeatingText(c.size, 20011);
    std::uint64_t x = 88172645463325252ull;
    for (char& byte : inputs["incompressible.bin"]) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        byte = static_cast<char>(x);
    }
    // Small entries the library deflates itself at each level: the large ones must carry the same
    // general purpose flags.
    const int levels[] = {1, 3, -1, 9};
    const std::string small(4000, 's');

    for (bool inMemory : {true, false}) {
        const std::string path = kx::pathJoin(kx::test::tempDir(), inMemory ? "zip-large-memory.zip" : "zip-large-file.zip");
        kx::ZipArchive archive(path);
        archive.setFixedEntryAttributes(true);
        ASSERT_TRUE(archive.open(inMemory));
        for (const Case& c : cases) {
            if (c.fromFile) {
                const std::string file = kx::test::writeTemp(std::string("zip-large-") + c.name, inputs[c.name]);
                ASSERT_TRUE(archive.writeFileAtPath(file, c.name, c.level)) << archive.lastError();
            } else {
                ASSERT_TRUE(archive.writeBytes(inputs[c.name], c.name, c.level)) << archive.lastError();
            }
        }
        for (int level : levels)
            ASSERT_TRUE(archive.writeBytes(small, "small" + std::to_string(level), level)) << archive.lastError();
        ASSERT_TRUE(archive.close()) << archive.lastError();

        const std::map<std::string, ReadEntry> entries = readArchive(path);
        for (const Case& c : cases) {
            auto found = entries.find(c.name);
            ASSERT_NE(found, entries.end()) << c.name << ": missing or unreadable (CRC) in " << path;
            const ReadEntry& entry = found->second;
            EXPECT_TRUE(entry.bytes == inputs[c.name]) << c.name << ": read back other bytes";
            EXPECT_EQ(entry.crc, crcOf(inputs[c.name])) << c.name;
            EXPECT_EQ(entry.method, c.level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE) << c.name;
            if (c.level != 0) {
                if (std::string_view(c.name) != "incompressible.bin") {
                    EXPECT_LT(entry.compressedSize, entry.bytes.size() / 4) << c.name;
                }
                EXPECT_EQ(entry.flags, entries.at("small" + std::to_string(c.level)).flags) << c.name;
            }
        }
        if (kx::test::haveCommand("unzip")) {
            std::string report;
            EXPECT_EQ(kx::test::runCommand("unzip -t '" + path + "'", &report), 0) << report;
        }
        if (kx::test::haveCommand("python3")) {
            std::string report;
            EXPECT_EQ(kx::test::runCommand("python3 -c 'import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)' '" + path + "'", &report), 0)
                << report;
        }
    }
}

TEST(ZipArchive, ALargeFileThatIsGoneAtCloseFailsTheArchive) {
    // The large file is read (and deflated) when the archive is closed, as the library reads the
    // others: if it is gone by then, no archive is written.
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "zip-large-gone");
    kx::removeAll(folder);
    kx::createDirectories(folder);
    const std::string file = kx::pathJoin(folder, "document.xml");
    ASSERT_TRUE(kx::writeFile(file, repeatingText(2 * 1024 * 1024, 5000)));
    for (bool inMemory : {true, false}) {
        const std::string path = kx::pathJoin(folder, "out.zip");
        kx::ZipArchive archive(path);
        ASSERT_TRUE(archive.open(inMemory));
        ASSERT_TRUE(archive.writeFileAtPath(file, "word/document.xml", 3)) << archive.lastError();
        ASSERT_TRUE(kx::removeFile(file));
        EXPECT_FALSE(archive.close()) << (inMemory ? "in memory" : "through a file");
        EXPECT_NE(archive.lastError().find("Can't write the package"), std::string::npos) << archive.lastError();
        EXPECT_EQ(kx::listDirectory(folder), std::vector<std::string>{}) << (inMemory ? "in memory" : "through a file");
        ASSERT_TRUE(kx::writeFile(file, repeatingText(2 * 1024 * 1024, 5000)));
    }
}

TEST(ZipArchive, InMemoryAndThroughAFileGiveTheSameArchive) {
    const std::string file = kx::test::writeTemp("zip-document.xml", "<w:document>" + std::string(3000, 'y') + "</w:document>");
    const std::string throughFile = kx::pathJoin(kx::test::tempDir(), "zip-through-file.zip");
    const std::string inMemory = kx::pathJoin(kx::test::tempDir(), "zip-in-memory.zip");
    // The archive made in memory replaces an older file and keeps its permissions.
    kx::writeFile(inMemory, "an older file");
    chmod(inMemory.c_str(), 0640);
    ASSERT_TRUE(zipInto(throughFile, false, file));
    ASSERT_TRUE(zipInto(inMemory, true, file));
    const std::string bytes = kx::readFile(throughFile).value_or("");
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(bytes == kx::readFile(inMemory).value_or("")) << "the archive made in memory differs";
    struct stat st {};
    ASSERT_EQ(stat(inMemory.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ZipArchive, AnArchiveInMemoryThatFailsLeavesThePathAsItWas) {
    struct Case {
        const char* what;
        std::string path;
        bool discard;
    };
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "zip-failures");
    kx::createDirectories(folder);
    const Case cases[] = {
        {"discarded", kx::pathJoin(folder, "discarded.zip"), true},
        {"a folder that does not exist", kx::pathJoin(folder, "missing/out.zip"), false},
    };
    for (const Case& c : cases) {
        if (c.discard) kx::writeFile(c.path, "an older file");
        kx::ZipArchive archive(c.path);
        ASSERT_TRUE(archive.open(true)) << c.what;
        ASSERT_TRUE(archive.writeBytes("text", "a.txt", 3)) << c.what;
        if (c.discard) {
            archive.discard();
            EXPECT_EQ(kx::readFile(c.path), "an older file") << c.what;
        } else {
            EXPECT_FALSE(archive.close()) << c.what;
            EXPECT_NE(archive.lastError().find("Can't write the package"), std::string::npos) << archive.lastError();
            EXPECT_FALSE(kx::fileExists(c.path)) << c.what;
        }
    }
    // No temporary file is left beside the destinations.
    EXPECT_EQ(kx::listDirectory(folder), std::vector<std::string>{"discarded.zip"});
}
