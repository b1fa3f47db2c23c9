// Files that are replaced and files that are read, where they are not what a plain program
// expects: non-regular targets, links, planted names, permission bits, pipes and devices.
#include <gtest/gtest.h>

#include <cstdio>
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

#ifndef _WIN32
// What `path` itself is (a link is not followed).
std::string Kind(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) != 0 ? "none"
           : S_ISLNK(st.st_mode)           ? "link"
           : S_ISFIFO(st.st_mode)          ? "fifo"
           : S_ISCHR(st.st_mode)           ? "device"
                                           : "other";
}

// The permission bits (in octal) and the owner of `path`.
std::string Owned(const std::string& path) {
    struct stat st;
    char text[32] = "none";
    if (::stat(path.c_str(), &st) == 0) {
        std::snprintf(text, sizeof text, "%o %u", static_cast<unsigned>(st.st_mode & 07777),
                      static_cast<unsigned>(st.st_uid));
    }
    return text;
}
#endif

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
        const SaveError error = Save(target, "report", &wrote);
        EXPECT_TRUE(error == SaveError::NotRegular && !wrote) << target;
    }
    EXPECT_EQ(NamesIn(dir.Path()), before);
    EXPECT_EQ(ReadAll(dir.Sub("folder/keep.txt")), "keep");
#ifndef _WIN32
    EXPECT_EQ(test::Join(Kind(dir.Sub("fifo")), Kind(dir.Sub("nowhere")), device ? Kind(dir.Sub("to-null")) : "link",
                         device ? Kind(dir.Sub("null")) : "device"),
              "fifo none link device");
#endif
}

#ifndef _WIN32
TEST(SafeReplace, WritesThroughALinkAndKeepsIt) {
    test::ScratchDir here;
    test::ScratchDir there;
    there.WriteText("real.mcr", "old");
    ASSERT_EQ(::symlink(there.Sub("real.mcr").c_str(), here.Sub("link.mcr").c_str()), 0);
    EXPECT_EQ(Save(here.Sub("link.mcr"), "new"), SaveError::None);
    EXPECT_EQ(test::Join(Kind(here.Sub("link.mcr")), ReadAll(there.Sub("real.mcr")), NamesIn(here.Path()).size(),
                         NamesIn(there.Path()).size()),
              "link new 1 1");
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
    const std::string me = std::to_string(::geteuid()), owner = me == "0" ? "65534" : me;
    ASSERT_EQ(::chown(dir.Sub("r.mcr").c_str(), std::stoul(owner), -1), 0);  // a super-user's save keeps the owner
    EXPECT_EQ(Save(dir.Sub("r.mcr"), "report"), SaveError::None);
    EXPECT_EQ(test::Join(ReadAll(victims.Sub("passwd")), ReadAll(dir.Sub("r.mcr")), Owned(dir.Sub("r.mcr"))),
              "root:x:0:0 report 640 " + owner);
    // A new file gets the bits new files get.
    const mode_t mask = ::umask(022);
    EXPECT_EQ(Save(dir.Sub("fresh.mcr"), "x"), SaveError::None);
    ::umask(mask);
    EXPECT_EQ(Owned(dir.Sub("fresh.mcr")), "644 " + me);

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
    EXPECT_TRUE(ReadWholeFile(fifo, &text) && text.empty());  // no writer: empty at once
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
