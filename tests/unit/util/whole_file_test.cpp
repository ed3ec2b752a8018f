// The file written whole or not at all, as other programs and long paths meet it.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "unit/support/faulty_files.h"
#include "unit/support/scratch_directory.h"
#include "util/whole_file.h"

namespace {

namespace fs = std::filesystem;

WholeFile::Outcome writeWhole(WholeFile& file, const std::string& name, const std::string& bytes) {
    if (!file.open(name.c_str())) return WholeFile::Outcome::Failed;
    file.write(bytes.data(), bytes.size());
    return file.commit(true);
}

// A path far longer than a fixed buffer of old held: the simulator's --record takes any path.
TEST(WholeFile, TakesANameOfAnyLength) {
    ScratchDirectory dir;
    const fs::path folder = dir.path() / std::string(120, 'f') / std::string(120, 'g');
    fs::create_directories(folder);
    const std::string name = (folder / (std::string(200, 'n') + ".vlrec")).string();
    WholeFile file;
    EXPECT_EQ(writeWhole(file, name, "ride"), WholeFile::Outcome::Landed);
    EXPECT_EQ(readFileBytes(name), "ride");
}

// Another program holds the old file as Windows lets it (no replacing, no renaming): the finished
// bytes wait under the temporary name, and take the name once it is let go. A later file that
// must wait too takes the place of the one before; a temporary name held open is passed over.
TEST(WholeFile, ARefusedRenameWaitsAndLandsOnceTheFileIsLetGo) {
    ScratchDirectory dir;
    FaultyFiles files;
    writeFileBytes("ride.vlrec", "old");
    FaultyFiles::held = {"ride.vlrec"};
    WholeFile file;
    EXPECT_EQ(writeWhole(file, "ride.vlrec", "first"), WholeFile::Outcome::Waiting);
    EXPECT_EQ(readFileBytes("ride.vlrec.tmp"), "first");
    EXPECT_EQ(file.land(), WholeFile::Outcome::Waiting);
    EXPECT_EQ(writeWhole(file, "ride.vlrec", "second"), WholeFile::Outcome::Waiting);
    EXPECT_FALSE(fs::exists("ride.vlrec.tmp"));
    EXPECT_EQ(readFileBytes("ride.vlrec.1.tmp"), "second");
    FaultyFiles::held = {"ride.vlrec.tmp"};
    writeFileBytes("ride.vlrec.tmp", "a scanner's");
    EXPECT_EQ(file.land(), WholeFile::Outcome::Landed);
    EXPECT_EQ(readFileBytes("ride.vlrec"), "second");
    // A file that lands while an older one waits: the older one goes.
    FaultyFiles::held.insert("ride.vlrec");
    EXPECT_EQ(writeWhole(file, "ride.vlrec", "third"), WholeFile::Outcome::Waiting);
    FaultyFiles::held.erase("ride.vlrec");
    EXPECT_EQ(writeWhole(file, "ride.vlrec", "fourth"), WholeFile::Outcome::Landed);
    EXPECT_EQ(readFileBytes("ride.vlrec"), "fourth");
    EXPECT_EQ(FaultyFiles::renames.back(), "ride.vlrec.2.tmp>ride.vlrec!");
    EXPECT_FALSE(fs::exists("ride.vlrec.1.tmp"));

    // Every temporary name held: nothing can be written, and nothing is said to be.
    for (int n = 0; n < WholeFile::kTemporaryNames; ++n) FaultyFiles::held.insert(WholeFile::temporaryName("x", n));
    EXPECT_EQ(writeWhole(file, "x", "lost"), WholeFile::Outcome::Failed);
    EXPECT_FALSE(file.write("x", 1));
    EXPECT_EQ(file.land(), WholeFile::Outcome::Landed);  // nothing waits
    // A disk that fills while small writes wait in the buffer.
    FaultyFiles::diskLeft = 10;
    ASSERT_TRUE(file.open("full"));
    EXPECT_TRUE(file.write("more than ten bytes", 19));
    EXPECT_FALSE(file.write(std::string(5000, 'x').data(), 5000));
    EXPECT_EQ(file.commit(true), WholeFile::Outcome::Failed);
    EXPECT_FALSE(fs::exists("full") || fs::exists("full.tmp"));
}

// The system's own calls: a create that finds a file, a rename that may not replace, and a write past
// the file size limit (a full disk, for this process alone) are refused.
TEST(WholeFile, TheSystemsCallsRefuseWhatTheyMust) {
    ScratchDirectory dir;
    const FileOperations& os = gFileOperations;
    writeFileBytes("there", "the player's");
    EXPECT_EQ(os.create("there"), nullptr);
    void* file = os.create("new");
    ASSERT_NE(file, nullptr);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{10, limit.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = os.write(file, "twenty bytes or more", 20);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_TRUE(os.flush(file));
    EXPECT_TRUE(os.close(file));
    EXPECT_FALSE(os.rename("new", "there", false));
    EXPECT_EQ(readFileBytes("there"), "the player's");
    EXPECT_TRUE(os.rename("new", "fresh", false));
    EXPECT_FALSE(fs::exists("new"));
    EXPECT_EQ(readFileBytes("fresh"), "twenty byt");
    EXPECT_TRUE(os.rename("fresh", "there", true));
    EXPECT_TRUE(os.remove("there"));
    EXPECT_FALSE(os.remove("there"));
}

}  // namespace
