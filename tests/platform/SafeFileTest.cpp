// Files that are replaced and files that are read, where they are not what a plain program
// expects: non-regular targets, links, planted names, permission bits, pipes and devices.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include "TestUtil.h"
#include "platform/Platform.h"

namespace qv::platform {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;
using test::ReadAll;

// Saves `text` to `target`; the error, and whether the writer was asked at all.
SaveError Save(const std::string& target, const std::string& text, bool* wrote = nullptr) {
    SaveError error = SaveError::None;
    bool asked = false;
    ReplaceFileSafely(
        target,
        [&](File& file) {
            asked = true;
            return file.Write(text.data(), text.size());
        },
        &error);
    if (wrote != nullptr) {
        *wrote = asked;
    }
    return error;
}

// A writer that fails leaves an old file as it was, a missing one missing, and nothing beside.
// (Saves that succeed, and targets that cannot be created, are the report file's tests.)
TEST(SafeReplace, AFailedWriteLeavesEverythingAsItWas) {
    test::ScratchDir dir;
    dir.WriteText("r.mcr", "old");
    for (const char* name : {"r.mcr", "new.mcr"}) {
        SaveError error = SaveError::None;
        EXPECT_FALSE(ReplaceFileSafely(
            dir.Sub(name), [](File& file) { return file.Write("half", 4) && false; }, &error));
        EXPECT_EQ(error, SaveError::WriteFailed);
    }
    EXPECT_EQ(ReadAll(dir.Sub("r.mcr")), "old");
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"r.mcr"});
}

TEST(SafeReplace, RefusesWhatIsNotARegularFileBeforeWriting) {
    test::ScratchDir dir;
    dir.WriteText("folder/keep.txt", "keep");
    std::vector<std::string> targets = {dir.Sub("folder")};
#ifdef _WIN32
    targets.push_back("NUL");
#else
    ASSERT_EQ(::mkfifo(dir.Sub("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink(dir.Sub("nowhere").c_str(), dir.Sub("dangling").c_str()), 0);
    targets.insert(targets.end(), {dir.Sub("fifo"), dir.Sub("dangling")});
    // A device of our own (a copy of /dev/null), directly and through a link, so that a fault
    // here never costs the machine its /dev/null. Making one takes the super-user.
    const bool device = ::mknod(dir.Sub("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (device) {
        ASSERT_EQ(::symlink(dir.Sub("null").c_str(), dir.Sub("to-null").c_str()), 0);
        targets.insert(targets.end(), {dir.Sub("null"), dir.Sub("to-null")});
    } else {
        std::printf("no device node made (not the super-user): devices are not tried\n");
    }
#endif
    const std::set<std::string> before = NamesIn(dir.Path());
    for (const std::string& target : targets) {
        bool wrote = true;
        EXPECT_EQ(Save(target, "report", &wrote), SaveError::NotRegular) << target;
        EXPECT_FALSE(wrote) << target;
    }
    EXPECT_EQ(NamesIn(dir.Path()), before);
    EXPECT_EQ(ReadAll(dir.Sub("folder/keep.txt")), "keep");
#ifndef _WIN32
    struct stat st;
    ASSERT_EQ(::lstat(dir.Sub("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    if (device) {
        ASSERT_EQ(::lstat(dir.Sub("to-null").c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        ASSERT_EQ(::stat(dir.Sub("null").c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }
    EXPECT_FALSE(fs::exists(test::ScratchDir::FromUtf8(dir.Sub("nowhere"))));
#endif
}

#ifndef _WIN32
TEST(SafeReplace, WritesThroughALinkAndKeepsIt) {
    test::ScratchDir here;
    test::ScratchDir there;
    there.WriteText("real.mcr", "old");
    ASSERT_EQ(::symlink(there.Sub("real.mcr").c_str(), here.Sub("link.mcr").c_str()), 0);
    EXPECT_EQ(Save(here.Sub("link.mcr"), "new"), SaveError::None);
    struct stat st;
    ASSERT_EQ(::lstat(here.Sub("link.mcr").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadAll(there.Sub("real.mcr")), "new");
    EXPECT_EQ(NamesIn(here.Path()), std::set<std::string>{"link.mcr"});
    EXPECT_EQ(NamesIn(there.Path()), std::set<std::string>{"real.mcr"});
}

// Another user plants links where a save used to put its temporary file, and at any name a
// new file is created under: nothing is written through them.
TEST(SafeReplace, NeverOpensAPlantedNameAndKeepsPermissionBits) {
    test::ScratchDir dir;
    test::ScratchDir victims;
    victims.WriteText("passwd", "root:x:0:0");
    ASSERT_EQ(::symlink(victims.Sub("passwd").c_str(), dir.Sub("r.mcr.saving~").c_str()), 0);
    dir.WriteText("r.mcr", "old");
    ASSERT_EQ(::chmod(dir.Sub("r.mcr").c_str(), 0640), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(dir.Sub("r.mcr").c_str(), 65534, 65534), 0);  // a super-user's save keeps the owner
    }
    EXPECT_EQ(Save(dir.Sub("r.mcr"), "report"), SaveError::None);
    EXPECT_EQ(ReadAll(victims.Sub("passwd")), "root:x:0:0");
    EXPECT_EQ(ReadAll(dir.Sub("r.mcr")), "report");
    struct stat st;
    ASSERT_EQ(::stat(dir.Sub("r.mcr").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (::geteuid() == 0) {
        EXPECT_EQ(st.st_uid, 65534u);
    }

    // A new file gets the bits new files get.
    const mode_t mask = ::umask(022);
    EXPECT_EQ(Save(dir.Sub("fresh.mcr"), "x"), SaveError::None);
    ::umask(mask);
    ASSERT_EQ(::stat(dir.Sub("fresh.mcr").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);

    // Creating a new file fails on any taken name, a link to a file or to nothing included.
    ASSERT_EQ(::symlink(victims.Sub("absent").c_str(), dir.Sub("dangling").c_str()), 0);
    for (const char* name : {"r.mcr", "r.mcr.saving~", "dangling"}) {
        File file = File::Open(dir.Sub(name), FileAccess::ReadWrite, FileDisposition::CreateNew, FileShare::Read);
        EXPECT_FALSE(file.IsOpen()) << name;
    }
    EXPECT_EQ(ReadAll(victims.Sub("passwd")), "root:x:0:0");
    EXPECT_EQ(NamesIn(victims.Path()), std::set<std::string>{"passwd"});
}

// Opening a pipe never waits for a writer (one with content is read by the console tool's
// test); devices are refused.
TEST(PlatformFile, PipesNeverWaitAndDevicesAreRefused) {
    ::alarm(60);  // a hang fails the test instead of stalling the run
    test::ScratchDir dir;
    const std::string fifo = dir.Sub("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string text = "not read";
    EXPECT_TRUE(ReadWholeFile(fifo, &text));  // no writer: empty at once
    EXPECT_EQ(text, "");
    // Held open for writing by its reader, a pipe would never end.
    EXPECT_FALSE(File::Open(fifo, FileAccess::ReadWrite, FileDisposition::OpenExisting, FileShare::Read).IsOpen());
    for (const char* device : {"/dev/zero", "/dev/null", "/dev/tty"}) {
        EXPECT_FALSE(File::Open(device, FileAccess::Read, FileDisposition::OpenExisting, FileShare::Read).IsOpen())
            << device;
    }
    ::alarm(0);
}
#endif

}  // namespace
}  // namespace qv::platform
