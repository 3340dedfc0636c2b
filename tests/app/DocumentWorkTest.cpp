// The main window while a document's work runs off the user-interface
// thread: the status bar's Cancel button and Esc stop it, other input to the
// window is dropped, commands wait and run afterwards in order, and closing
// the tab waits for the work to stop.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <thread>

#include "MainWindowFixture.h"
#include "app/CommandIds.h"
#include "editor/view/EditorView.h"
#include "support/PixelChecks.h"
#include "support/TestEffects.h"

namespace clipvane::test {
namespace {

template <typename F>
bool TurnLoopUntil(F done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

void SendKey(QWidget* to, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(to, &press);
}

// A press and release at the widget's centre, through the application's
// event delivery (and so through its event filters).
void Click(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

using WorkFixture = FrameFixture;

TEST_F(WorkFixture, EscStopsTheWorkAndTheCancelButtonShowsOnlyMeanwhile) {
    MainWindow& frame = Make();
    DocumentWindow* tab = frame.Documents().NewDocument();
    ImageDocument* doc = tab->Document();
    const PixelImage before = doc->image;
    QPushButton* cancel = frame.CancelButton();
    EXPECT_TRUE(cancel->isHidden());

    HeldEffect effect;
    bool shown = false;
    bool otherClicked = false;
    QPushButton other(QStringLiteral("Other"));
    QObject::connect(&other, &QPushButton::clicked, [&] { otherClicked = true; });
    QTimer::singleShot(5, [&] {
        shown = !cancel->isHidden() && frame.WorkRunning();
        // A click anywhere but on Cancel does nothing while the work runs.
        Click(&other);
        SendKey(tab->View(), Qt::Key_Escape);
        effect.release = true;
    });
    doc->RunEffect(&effect);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(doc->WorkCancelled());
    EXPECT_TRUE(SamePixels(doc->image, before));
    EXPECT_EQ(doc->UndoCount(), 0);
    EXPECT_TRUE(cancel->isHidden());
    EXPECT_FALSE(frame.WorkRunning());
    EXPECT_FALSE(otherClicked);
    // Afterwards input goes through again.
    Click(&other);
    EXPECT_TRUE(otherClicked);
}

TEST_F(WorkFixture, TheCancelButtonStopsTheWorkAndCommandsRunAfterItInOrder) {
    MainWindow& frame = Make();
    ImageDocument* doc = frame.Documents().NewDocument()->Document();

    HeldEffect effect;
    QTimer::singleShot(5, [&] {
        // Two commands from outside (D-Bus, a shortcut) while the work runs:
        // accepted, and run afterwards.
        EXPECT_TRUE(frame.Dispatch(kCmdInvert));
        EXPECT_TRUE(frame.Dispatch(kCmdInvert));
        EXPECT_EQ(doc->UndoCount(), 0);
        Click(frame.CancelButton());
        effect.release = true;
    });
    doc->RunEffect(&effect);
    EXPECT_TRUE(doc->WorkCancelled());
    EXPECT_EQ(doc->UndoCount(), 0);
    // Invert twice: white again, in two steps.
    ASSERT_TRUE(TurnLoopUntil([&] { return doc->UndoCount() == 2; }));
    EXPECT_EQ(At(doc->image, 7, 9) & 0xFFFFFFu, 0xFFFFFFu);
}

TEST_F(WorkFixture, ClosingTheTabDuringWorkCancelsItAndClosesAfterwards) {
    MainWindow& frame = Make();
    DocumentWindow* tab = frame.Documents().NewDocument();
    ImageDocument* doc = tab->Document();
    doc->SetModified(false);
    QPointer<DocumentWindow> watch(tab);

    HeldEffect effect;
    QTimer::singleShot(5, [&] {
        tab->close();  // asked while the work runs: the tab stays for now
        EXPECT_FALSE(tab->IsClosing());
        effect.release = true;
    });
    doc->RunEffect(&effect);
    EXPECT_TRUE(doc->WorkCancelled());
    ASSERT_TRUE(watch);  // the document outlives its work
    ASSERT_TRUE(TurnLoopUntil([&] { return watch.isNull(); }));
    EXPECT_TRUE(frame.Documents().Frames().isEmpty());
}

}  // namespace
}  // namespace clipvane::test
