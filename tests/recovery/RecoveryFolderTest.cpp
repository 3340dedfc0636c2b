// The recovery folders against a hostile state home: links planted where
// folders, entries and the lock belong, folders of other users, and files
// Clipvane did not write. None is followed, read or removed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "recovery/RecoveryFolder.h"
#include "recovery/RecoveryLock.h"
#include "support/MagickFiles.h"

namespace clipvane {
namespace {

namespace fs = std::filesystem;

class RecoveryFolders : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = dir_ / "state/clipvane/recovery";
        outside_ = dir_ / "outside";
        fs::create_directories(outside_);
        ASSERT_TRUE(test::WriteBytes(outside_ + "/doc-1.cvr", {1}));
        ASSERT_TRUE(test::WriteBytes(outside_ + "/precious.txt", {2}));
        rootFd_ = OpenRecoveryRoot(root_);
        ASSERT_GE(rootFd_, 0);
    }
    void TearDown() override {
        if (rootFd_ >= 0) close(rootFd_);
    }
    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static mode_t Mode(const std::string& path) {
        struct stat st {};
        return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    test::ScratchDir dir_;
    std::string root_, outside_;
    int rootFd_ = -1;
};

TEST_F(RecoveryFolders, FoldersAndEntriesAreMadePrivate) {
    EXPECT_EQ(Mode(root_), 0700u);
    EXPECT_EQ(Mode(dir_ / "state/clipvane"), 0700u);
    const int fd = OpenOwnFolder(rootFd_, "12-34", true);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Mode(root_ + "/12-34"), 0700u);
    EXPECT_TRUE(PrepareRecoveryEntry(fd, "doc-1.cvr"));
    EXPECT_EQ(Mode(root_ + "/12-34/doc-1.cvr"), 0600u);
    EXPECT_FALSE(PrepareRecoveryEntry(fd, "../escape.cvr"));
    close(fd);
    // A root loosened by someone is made private again; one that is a link is refused.
    ASSERT_EQ(chmod(root_.c_str(), 0755), 0);
    const int again = OpenRecoveryRoot(root_);
    EXPECT_GE(again, 0);
    close(again);
    EXPECT_EQ(Mode(root_), 0700u);
    fs::create_directory_symlink(outside_, dir_ / "linked");
    EXPECT_EQ(OpenRecoveryRoot(dir_ / "linked"), -1);
}

// A link named like an instance folder once had every file it pointed to
// deleted at start; a lock that is a link had a file made at its target.
TEST_F(RecoveryFolders, LinksAreNeverFollowed) {
    fs::create_directory_symlink(outside_, root_ + "/9999-1");
    EXPECT_TRUE(ListInstanceFolders(rootFd_).empty());
    EXPECT_EQ(OpenOwnFolder(rootFd_, "9999-1", false), -1);

    const int fd = OpenOwnFolder(rootFd_, "5-5", true);
    ASSERT_GE(fd, 0);
    fs::create_symlink(outside_ + "/made-by-lock", root_ + "/5-5/lock");
    fs::create_symlink(outside_ + "/doc-1.cvr", root_ + "/5-5/doc-2.cvr");
    RecoveryLock lock;
    EXPECT_FALSE(lock.TryAcquireAt(fd, "lock"));
    EXPECT_FALSE(fs::exists(outside_ + "/made-by-lock"));
    EXPECT_TRUE(ListRecoveryEntries(fd).empty());
    EXPECT_EQ(OpenRecoveryEntry(fd, "doc-2.cvr"), -1);
    RemoveInstanceFolder(rootFd_, "5-5", fd);
    close(fd);
    EXPECT_TRUE(fs::exists(outside_ + "/doc-1.cvr"));
    EXPECT_TRUE(fs::exists(outside_ + "/precious.txt"));
}

// Only the names Clipvane writes go; the folder stays while anything else
// is in it. Entries and folders come in the order they were made.
TEST_F(RecoveryFolders, RemovalTakesOnlyOwnNamesAndListsKeepTheOrder) {
    for (const char* name : {"20-300", "9-1000", "10-300"}) close(OpenOwnFolder(rootFd_, name, true));
    EXPECT_EQ(ListInstanceFolders(rootFd_), (std::vector<std::string>{"10-300", "20-300", "9-1000"}));
    const int fd = OpenOwnFolder(rootFd_, "9-1000", false);
    ASSERT_GE(fd, 0);
    for (const char* name : {"doc-10.cvr", "doc-2.cvr", "doc-9.cvr", "lock", "notes.txt", "doc-x.cvr"})
        ASSERT_TRUE(test::WriteBytes(root_ + "/9-1000/" + name, {3}));
    EXPECT_EQ(ListRecoveryEntries(fd), (std::vector<std::string>{"doc-2.cvr", "doc-9.cvr", "doc-10.cvr"}));
    RemoveInstanceFolder(rootFd_, "9-1000", fd);
    EXPECT_EQ(Names(root_ + "/9-1000"), (std::vector<std::string>{"doc-x.cvr", "notes.txt"}));
    fs::remove(root_ + "/9-1000/doc-x.cvr");
    fs::remove(root_ + "/9-1000/notes.txt");
    RemoveInstanceFolder(rootFd_, "9-1000", fd);
    close(fd);
    EXPECT_FALSE(fs::exists(root_ + "/9-1000"));
}

TEST_F(RecoveryFolders, FoldersOfOtherUsersAreLeftAlone) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
    const std::string theirs = root_ + "/77-77";
    fs::create_directory(theirs);
    ASSERT_TRUE(test::WriteBytes(theirs + "/doc-1.cvr", {4}));
    ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(theirs.c_str(), 0777), 0);
    EXPECT_TRUE(ListInstanceFolders(rootFd_).empty());
    EXPECT_EQ(OpenOwnFolder(rootFd_, "77-77", false), -1);
    // Ours, but writable by anyone: someone else may have put anything there.
    ASSERT_EQ(chown(theirs.c_str(), 0, 0), 0);
    EXPECT_EQ(OpenOwnFolder(rootFd_, "77-77", false), -1);
}

}  // namespace
}  // namespace clipvane
