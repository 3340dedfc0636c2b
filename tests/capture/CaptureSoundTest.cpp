// Finding the capture sound: in an installed layout, from the build tree,
// and the install rule that puts it there.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "capture/CaptureSound.h"

namespace {

using namespace clipvane;

bool Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write("RIFF") == 4;
}

TEST(CaptureSound, TheInstalledDataFolderComesFirst) {
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QString installed = prefix.filePath(QStringLiteral("share/clipvane/clipvane.wav"));
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(Touch(installed));
    ASSERT_TRUE(Touch(bin + QStringLiteral("/clipvane.wav")));  // a portable copy counts less
    EXPECT_EQ(FindCaptureSound(bin), QFileInfo(installed).canonicalFilePath());
    QFile::remove(installed);
    EXPECT_EQ(FindCaptureSound(bin), QFileInfo(bin + QStringLiteral("/clipvane.wav")).canonicalFilePath());
}

TEST(CaptureSound, ABuildTreeFindsTheSourceTreesSound) {
    QTemporaryDir empty;
    const QString found = FindCaptureSound(empty.path());
    ASSERT_FALSE(found.isEmpty());
    EXPECT_TRUE(found.endsWith(QStringLiteral("/data/sound/clipvane.wav"))) << found.toStdString();
    EXPECT_TRUE(QFileInfo(found).isFile());
}

TEST(CaptureSound, TheInstallRuleInstallsItWhereTheProgramLooks) {
    const QByteArray build = qgetenv("CLIPVANE_BINARY_DIR");
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    if (build.isEmpty() || cmake.isEmpty()) GTEST_SKIP() << "no build folder or cmake";
    QTemporaryDir prefix;
    QProcess install;
    install.start(cmake, {QStringLiteral("--install"), QString::fromLocal8Bit(build), QStringLiteral("--prefix"),
                          prefix.path(), QStringLiteral("--component"), QStringLiteral("sound")});
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const QString found = FindCaptureSound(bin);
    EXPECT_TRUE(found.startsWith(QFileInfo(prefix.path()).canonicalFilePath() + QStringLiteral("/share/clipvane/")))
        << found.toStdString();
}

}  // namespace
