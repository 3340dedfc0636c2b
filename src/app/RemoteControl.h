#pragma once
// The D-Bus interface org.clipvane.Clipvane at /Clipvane on the session bus:
// other programs (and a second `clipvane` started while one runs) drive the
// running instance through it.
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>

namespace clipvane {

class MainWindow;

inline constexpr const char* kDBusService = "org.clipvane.Clipvane";
inline constexpr const char* kDBusPath = "/Clipvane";
inline constexpr const char* kDBusInterface = "org.clipvane.Clipvane";
inline constexpr const char* kNotAvailableError = "org.clipvane.Clipvane.Error.NotAvailable";
// A capture is choosing its area: Capture and Command wait for no one.
inline constexpr const char* kBusyError = "org.clipvane.Clipvane.Error.Busy";

class RemoteControl : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.clipvane.Clipvane")
public:
    explicit RemoteControl(MainWindow& frame);
    // Exports the object at kDBusPath on the session bus (the service name
    // is claimed before, by ClaimBusName). False without a session bus.
    bool Register(QString* error = nullptr);

public slots:
    // Runs a menu command by its id, as if chosen from the menu, once the
    // current event has been handled. False for an unknown id and for a
    // command that is disabled at the moment (Undo with an empty history).
    bool Command(uint id);
    // Opens an image file in a new tab (or activates its tab).
    bool Open(const QString& path);
    // Brings the main window to the front.
    void Activate();
    // The active document as
    // "title=T;size=WxH;modified=0|1;undo=N;redo=N;objects=N",
    // empty without one: for scripts and tests that follow what the editor does.
    QString ActiveDocumentInfo();
    // What the active document shows: "WxH objects=N SHA256", the image with
    // its objects rendered over it at 32 bits, fingerprinted as
    // `clipvane-image info` does; empty without a document.
    QString ActiveDocumentPixels();
    // 0 full screen, 1 window / object, 2 region, 3 active window, 4 scrolling
    // (CaptureModes.h). While a capture's overlay is open, this and Command
    // answer kBusyError with the reason. Where
    // the desktop does not allow a mode (window and active window on
    // Wayland), the call answers with the error kNotAvailableError and the
    // reason in words, and the status bar says it too.
    void Capture(int mode);
    void Highlight(qulonglong window);
    void CaptureWindow(int flag, qulonglong window);

private:
    MainWindow& frame_;
};

// Taking the service name is the single-instance check: one atomic request
// to the bus, never queued, so of several programs started at once exactly
// one owns the name.
enum class NameClaim { kOwned, kTaken, kNoBus };
NameClaim ClaimBusName(const QString& name, QString* error = nullptr);

// How long the running instance has to answer a hand-over.
inline constexpr int kHandOverAnswerMs = 5000;

struct HandOver {
    enum Status {
        kDelivered,  // every file opened and the capture asked for
        kRefused,    // it answered, but some file did not open
        kNoAnswer,   // the owner of the name did not answer in time
        kNoOwner,    // the name has no owner (any more): claim it again
    };
    Status status = kNoOwner;
    QString message;  // for standard error
};

// Hands the files and the capture request of a second instance to the
// instance that owns the service name. An instance still starting (its
// object not exported yet) is waited for; one that does not answer within
// `answerMs` is given up.
HandOver HandOverToRunningInstance(const QStringList& files, const QString& captureName,
                                   int answerMs = kHandOverAnswerMs);

}  // namespace clipvane
