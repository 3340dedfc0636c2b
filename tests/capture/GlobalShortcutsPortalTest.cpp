// The shortcuts portal client against a stand-in portal on a private bus:
// session, binding with the preferred triggers, activations to capture
// modes, a refused binding, and no portal at all.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QMutex>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <functional>

#include "capture/GlobalShortcutsPortal.h"

namespace {

struct TestShortcut {
    QString id;
    QVariantMap properties;
};

}  // namespace

Q_DECLARE_METATYPE(TestShortcut)

namespace {

QDBusArgument& operator<<(QDBusArgument& arg, const TestShortcut& s) {
    arg.beginStructure();
    arg << s.id << s.properties;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, TestShortcut& s) {
    arg.beginStructure();
    arg >> s.id >> s.properties;
    arg.endStructure();
    return arg;
}

using clipvane::CaptureMode;
using clipvane::GlobalShortcutsPortal;

const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSession = QStringLiteral("/org/freedesktop/portal/desktop/session/1/clipvane");

// Answers as the desktop portal does, from its own thread (the client's
// calls block the test's thread).
class StandInPortal : public QDBusVirtualObject {
public:
    explicit StandInPortal(QDBusConnection bus) : bus_(bus) {}
    uint bindResponse = 0;  // 1: the user cancelled

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection&) override {
        QMutexLocker lock(&mutex_);
        calls_ << m.member();
        if (m.member() == QLatin1String("Get")) {
            bus_.send(m.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
            return true;
        }
        if (m.member() == QLatin1String("Close")) {
            bus_.send(m.createReply());
            return true;
        }
        QVariantMap options;
        m.arguments().constLast().value<QDBusArgument>() >> options;
        QString sender = m.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') +
                                options.value(QStringLiteral("handle_token")).toString();
        bus_.send(m.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QVariantMap results;
        uint response = 0;
        if (m.member() == QLatin1String("CreateSession")) {
            results.insert(QStringLiteral("session_handle"), kSession);
        } else if (m.member() == QLatin1String("BindShortcuts")) {
            session_ = m.arguments().value(0).value<QDBusObjectPath>().path();
            QList<TestShortcut> list;
            m.arguments().value(1).value<QDBusArgument>() >> list;
            for (const TestShortcut& s : list)
                triggers_.insert(s.id, s.properties.value(QStringLiteral("preferred_trigger")).toString());
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(list));
            response = bindResponse;
        }
        QDBusMessage signal = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                         QStringLiteral("Response"));
        signal << response << results;
        bus_.send(signal);
        return true;
    }
    void Activate(const QString& session, const QString& id) {
        QDBusMessage signal = QDBusMessage::createSignal(
            kPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(0) << QVariantMap();
        bus_.send(signal);
    }
    QStringList Calls() {
        QMutexLocker lock(&mutex_);
        return calls_;
    }
    QMap<QString, QString> Triggers() {
        QMutexLocker lock(&mutex_);
        return triggers_;
    }
    QString Session() {
        QMutexLocker lock(&mutex_);
        return session_;
    }

private:
    QDBusConnection bus_;
    QMutex mutex_;
    QStringList calls_;
    QMap<QString, QString> triggers_;
    QString session_;
};

bool SpinUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

class ShortcutsPortalTest : public ::testing::Test {
protected:
    void SetUp() override {
        qDBusRegisterMetaType<TestShortcut>();
        qDBusRegisterMetaType<QList<TestShortcut>>();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted(5000)) GTEST_SKIP() << "dbus-daemon is not available";
        ASSERT_TRUE(SpinUntil([&] { return daemon_.canReadLine(); }) || daemon_.waitForReadyRead(5000));
        address_ = QString::fromLatin1(daemon_.readLine()).trimmed();
        const QString name = QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        client_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, name + "-client"));
        ASSERT_TRUE(client_->isConnected());
    }
    void StartPortal() {
        const QString name = QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        server_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, name + "-server"));
        portal_ = new StandInPortal(*server_);
        portal_->moveToThread(&thread_);
        thread_.start();
        ASSERT_TRUE(server_->registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        ASSERT_TRUE(server_->registerVirtualObject(kPath, portal_, QDBusConnection::SubPath));
    }
    void TearDown() override {
        if (server_) server_->unregisterObject(kPath);
        thread_.quit();
        thread_.wait();
        delete portal_;
        client_.reset();
        server_.reset();
        daemon_.kill();
        daemon_.waitForFinished();
    }
    QProcess daemon_;
    QString address_;
    std::unique_ptr<QDBusConnection> client_, server_;
    StandInPortal* portal_ = nullptr;
    QThread thread_;
};

TEST_F(ShortcutsPortalTest, BindsTheSixShortcutsAndTurnsActivationsIntoCaptures) {
    StartPortal();
    GlobalShortcutsPortal shortcuts(*client_);
    ASSERT_TRUE(shortcuts.Available());
    int bound = -1;
    QString failure;
    QList<CaptureMode> modes;
    QObject::connect(&shortcuts, &GlobalShortcutsPortal::bound, [&](int n) { bound = n; });
    QObject::connect(&shortcuts, &GlobalShortcutsPortal::failed, [&](const QString& why) { failure = why; });
    QObject::connect(&shortcuts, &GlobalShortcutsPortal::activated, [&](CaptureMode m) { modes << m; });

    std::array<clipvane::HotkeyDef, clipvane::kCaptureModeCount> keys{};
    keys[0] = {'F', 7};   // Ctrl+Alt+Shift+F
    keys[3] = {'G', 6};   // Ctrl+Shift+G
    keys[5] = {0x71, 1};  // Alt+F2
    keys[4] = {0xBA, 2};  // a key without an XDG name: no preferred trigger
    shortcuts.Bind(keys);
    ASSERT_TRUE(SpinUntil([&] { return bound >= 0 || !failure.isEmpty(); }))
        << portal_->Calls().join(',').toStdString();
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_EQ(bound, 6);
    EXPECT_EQ(portal_->Calls(), (QStringList{"Get", "CreateSession", "BindShortcuts"}));
    EXPECT_EQ(portal_->Session(), kSession);
    const QMap<QString, QString> t = portal_->Triggers();
    EXPECT_EQ(t.value("capture-full"), "CTRL+ALT+SHIFT+f");
    EXPECT_EQ(t.value("capture-region"), "CTRL+SHIFT+g");
    EXPECT_EQ(t.value("capture-fixed"), "ALT+F2");
    EXPECT_EQ(t.value("capture-scroll"), "");
    EXPECT_EQ(t.size(), 6);

    // Activations of this session start their modes; another session's do not.
    portal_->Activate(QStringLiteral("/org/freedesktop/portal/desktop/session/1/other"), "capture-full");
    portal_->Activate(kSession, "capture-region");
    portal_->Activate(kSession, "capture-nonsense");
    portal_->Activate(kSession, "capture-full");
    ASSERT_TRUE(SpinUntil([&] { return modes.size() >= 2; }));
    SpinUntil([] { return false; }, 200);  // nothing else arrives
    EXPECT_EQ(modes, (QList<CaptureMode>{CaptureMode::Region, CaptureMode::FullScreen}));

    // Binding again reuses the session; closing ends it.
    bound = -1;
    shortcuts.Bind(keys);
    ASSERT_TRUE(SpinUntil([&] { return bound >= 0; }));
    shortcuts.Close();
    EXPECT_TRUE(SpinUntil([&] { return portal_->Calls().endsWith("Close"); }));
    EXPECT_EQ(portal_->Calls().count("CreateSession"), 1);
}

TEST_F(ShortcutsPortalTest, ACancelledBindingIsReported) {
    StartPortal();
    portal_->bindResponse = 1;
    GlobalShortcutsPortal shortcuts(*client_);
    QString failure;
    QObject::connect(&shortcuts, &GlobalShortcutsPortal::failed, [&](const QString& why) { failure = why; });
    shortcuts.Bind({});
    ASSERT_TRUE(SpinUntil([&] { return !failure.isEmpty(); }));
    EXPECT_TRUE(failure.contains("not confirmed")) << failure.toStdString();
}

TEST_F(ShortcutsPortalTest, WithoutThePortalNothingIsOffered) {
    GlobalShortcutsPortal shortcuts(*client_);
    EXPECT_FALSE(shortcuts.Available());
}

}  // namespace
