// Hostile files against the real programs: a pipe named on the command line,
// given to D-Bus Open and named as a save target; saves killed with SIGKILL
// over and over; the message of a save that failed for a reason other than
// space.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "app/DocumentManager.h"
#include "image/PixelImage.h"
#include "imagefile/ImageFile.h"
#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        if (!XServerHarness::Get(&error)) GTEST_SKIP() << "no X server: " << error;
        unsetenv("QT_QPA_PLATFORM");  // the real X server for the programs started
        dir_ = fs::temp_directory_path() / ("clipvane-hostile-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        pipe_ = (dir_ / "pipe.png").string();
        ASSERT_EQ(mkfifo(pipe_.c_str(), 0600), 0);
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    // Runs `command` with a hard limit of 20 s; its exit status, and the time it took in `ms`.
    static int Timed(const std::string& command, long* ms) {
        const auto start = Clock::now();
        int status = -1;
        RunCommand("timeout -s KILL 20 " + command + " >/dev/null 2>&1", &status);
        *ms = long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        return status;
    }
    bool IsPipe() const {
        struct stat st {};
        return lstat(pipe_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
    }
    // Names of the hidden entries of the folder: the temporary files of saves.
    std::vector<std::string> Hidden() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename().string().front() == '.') names.push_back(e.path().filename().string());
        return names;
    }

    fs::path dir_;
    std::string pipe_;
};

TEST_F(HostileFiles, PipeOnTheCommandLineAndThroughOpenDoesNotHang) {
    ClipvaneProcess app((dir_ / "config.ini").string(), {pipe_});
    ASSERT_TRUE(app.WaitForService(15000)) << "the program stopped answering";
    const auto start = Clock::now();
    std::string reply;
    ASSERT_TRUE(app.Call("Open", "string:" + pipe_, &reply)) << reply;
    EXPECT_NE(reply.find("false"), std::string::npos) << reply;
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    // Still answering, with no document from the pipe.
    EXPECT_EQ(app.Info().find("pipe.png"), std::string::npos) << app.Info();
    EXPECT_TRUE(app.Command(kCmdFileNew));  // File / New
    EXPECT_TRUE(WaitFor([&] { return !app.Info().empty(); }, 5000));
    EXPECT_TRUE(IsPipe());
}

TEST_F(HostileFiles, SavingOntoAPipeFailsQuickly) {
    const std::string in = (dir_ / "in.png").string();
    RunCommand("convert -size 16x12 xc:teal '" + in + "'");
    long ms = 0;
    EXPECT_EQ(Timed(BinaryDir() + "/clipvane-image convert '" + in + "' '" + pipe_ + "'", &ms), 1);
    EXPECT_LT(ms, 3000);
    const std::string message =
        RunCommand("timeout -s KILL 20 " + BinaryDir() + "/clipvane-image convert '" + in + "' '" + pipe_ + "' 2>&1");
    EXPECT_NE(message.find("not a regular file"), std::string::npos) << message;
    EXPECT_EQ(Timed(BinaryDir() + "/clipvane --shot full --output '" + pipe_ + "'", &ms), 1);
    EXPECT_LT(ms, 10000);
    const std::string shot =
        RunCommand("timeout -s KILL 20 " + BinaryDir() + "/clipvane --shot full --output '" + pipe_ + "' 2>&1");
    EXPECT_NE(shot.find("not a regular file"), std::string::npos) << shot;
    // The same shot into a regular file works: the pipe was the only trouble.
    EXPECT_EQ(Timed(BinaryDir() + "/clipvane --shot full --output '" + (dir_ / "shot.png").string() + "'", &ms), 0);
    EXPECT_TRUE(IsPipe());
}

TEST_F(HostileFiles, KilledSavesLeaveNoTemporariesBehind) {
    // A picture big enough for its PNG encoding to take a while.
    clipvane::PixelImage big;
    ASSERT_TRUE(big.Create(3000, 2000, 24));
    std::minstd_rand random(7);
    for (int y = 0; y < big.Height(); ++y)
        for (int x = 0; x < big.Stride(); x += 4) big.Row(y)[x] = uint8_t(random());
    const std::string in = (dir_ / "big.bmp").string();
    ASSERT_NE(clipvane::SaveImageFile(big, in), 0);
    const std::string out = (dir_ / "out.png").string();

    int killedWhileSaving = 0;
    for (int round = 0; round < 6; ++round) {
        const std::vector<std::string> before = Hidden();
        const pid_t pid = Spawn({BinaryDir() + "/clipvane-image", "convert", in, out});
        ASSERT_GT(pid, 0);
        // Killed at once when its temporary file appears, or a little later.
        const bool saving = WaitFor(
            [&] {
                for (const std::string& name : Hidden())
                    if (std::find(before.begin(), before.end(), name) == before.end()) return true;
                return false;
            },
            5000);
        std::this_thread::sleep_for(std::chrono::milliseconds(round * 15));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        if (saving && WIFSIGNALED(status)) ++killedWhileSaving;
    }
    EXPECT_GE(killedWhileSaving, 3);
    EXPECT_FALSE(Hidden().empty()) << "no save was killed half-way";
    // The next save into the folder clears what the killed ones left.
    const std::string small = (dir_ / "small.png").string();
    RunCommand("convert -size 8x8 xc:red '" + small + "'");
    int status = -1;
    RunCommand(BinaryDir() + "/clipvane-image convert '" + small + "' '" + (dir_ / "last.png").string() + "'", &status);
    EXPECT_EQ(status, 0);
    for (const std::string& name : Hidden()) ADD_FAILURE() << "left behind: " << name;
}

TEST_F(HostileFiles, FailedSaveMessageSaysTheSystemsReason) {
    clipvane::PixelImage image;
    ASSERT_TRUE(image.Create(4, 4, 24));
    ASSERT_EQ(clipvane::SaveImageFile(image, pipe_), 0);
    const QString message = clipvane::SaveFailureReason(QString::fromStdString(pipe_));
    EXPECT_EQ(message, QStringLiteral("The file could not be written: it is not a regular file."))
        << message.toStdString();
    // A type it cannot write names every type it can, TGA included.
    const QString type = clipvane::SaveFailureReason(QString::fromStdString((dir_ / "x.psd").string()));
    EXPECT_TRUE(type.contains(QStringLiteral("PCX or TGA"))) << type.toStdString();
}

}  // namespace
