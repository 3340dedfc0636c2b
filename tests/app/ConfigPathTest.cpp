// config.ini of an installed program: never beside it in a system folder.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/ConfigPath.h"

namespace clipvane {
namespace {

class InstalledConfigPath : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(prefix_.isValid());
        ASSERT_TRUE(QDir(prefix_.path()).mkpath(QStringLiteral("bin")));
        ASSERT_TRUE(QDir(prefix_.path()).mkpath(QStringLiteral("share/clipvane/stamps")));
        bin_ = prefix_.filePath(QStringLiteral("bin"));
        oldConfigHome_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home_.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", oldConfigHome_); }

    QTemporaryDir prefix_;
    QTemporaryDir home_;
    QString bin_;
    QByteArray oldConfigHome_;
};

// The program's folder is writable (as /usr/bin is to root), yet the settings
// go to the user's configuration folder.
TEST_F(InstalledConfigPath, WritableProgramFolderIsNotUsed) {
    EXPECT_EQ(ResolveConfigPath(QString(), bin_), QDir(home_.path()).filePath(QStringLiteral("clipvane/config.ini")));
    EXPECT_FALSE(QFile::exists(QDir(bin_).filePath(QStringLiteral("config.ini"))));
}

// A config.ini put beside the installed program on purpose is still used.
TEST_F(InstalledConfigPath, ExistingFileBesideTheProgramIsUsed) {
    const QString beside = QDir(bin_).filePath(QStringLiteral("config.ini"));
    QFile file(beside);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(ResolveConfigPath(QString(), bin_), beside);
}

}  // namespace
}  // namespace clipvane
