// The editor view with a real document: zoom commands and status texts, the
// crop band through the tool state machine, Enter and Esc, Move and Zoom.
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "document/ImageDocument.h"
#include "editor/tools/CropTool.h"
#include "editor/dialogs/TextEditDialog.h"
#include "editor/tools/StampLibrary.h"
#include "editor/view/EditorView.h"
#include "editor/view/ViewPainter.h"
#include "editor/view/ViewState.h"
#include "image/effects/EffectCommands.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"
#include "support/MagickFiles.h"
#include "support/PixelChecks.h"

namespace clipvane {
namespace {

struct ViewFixture : ::testing::Test {
    ViewFixture() {
        doc.image = test::Gradient(200, 150);
        view = std::make_unique<EditorView>(&doc);
        view->resize(400, 300);
        doc.UpdateAllViews();
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &press);
    }
    CropTool& Crop() { return static_cast<CropTool&>(view->Tools().Get(EditorTool::Crop)); }
    // A crop band dragged from (x0, y0) to (x1, y1) in view points.
    void DragCrop(int x0, int y0, int x1, int y1) {
        view->Tools().SetTool(EditorTool::Crop);
        view->Tools().Press(x0, y0);
        view->Tools().Move(x1, y1);
        view->Tools().Release(x1, y1);
    }

    ImageDocument doc;
    std::unique_ptr<EditorView> view;
};

TEST_F(ViewFixture, StartsWithMoveAtActualSize) {
    EXPECT_EQ(view->Tools().CurrentTool(), EditorTool::Move);
    EXPECT_EQ(view->State().zoomIndex, 4);
    EXPECT_EQ(view->SizeText(), QStringLiteral("  Size: 200 x 150"));
    EXPECT_EQ(view->ZoomText(), QStringLiteral("Zoom: 100%"));
    EXPECT_EQ(view->ScrollRangeSize(), QSize(210, 160));
}

TEST_F(ViewFixture, SelectToolShowsTheArrowWithTheCross) {
    EXPECT_EQ(view->Tools().Get(EditorTool::Select).Cursor(), ViewCursor::SelectArrow);
    view->Tools().SetTool(EditorTool::Select);
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(view->viewport()->cursor().hotSpot(), QPoint(1, 1));
}

TEST_F(ViewFixture, ZoomCommandsStopAtTheEndsOfTheTable) {
    EXPECT_FALSE(view->CanZoomActual());
    for (int i = 0; i < 12; ++i) view->ZoomIn();
    EXPECT_EQ(view->State().zoomIndex, 9);
    EXPECT_FALSE(view->CanZoomIn());
    EXPECT_EQ(view->ZoomText(), QStringLiteral("Zoom: 800%"));
    EXPECT_EQ(view->ScrollRangeSize(), QSize(1610, 1210));
    view->ZoomActual();
    EXPECT_EQ(view->State().zoomIndex, 4);
    for (int i = 0; i < 12; ++i) view->ZoomOut();
    EXPECT_EQ(view->State().zoomIndex, 0);
    EXPECT_FALSE(view->CanZoomOut());
    EXPECT_EQ(view->ZoomText(), QStringLiteral("Zoom: 10%"));
    view->SetZoomIndex(3);
    EXPECT_EQ(view->ZoomText(), QStringLiteral("Zoom: 75%"));
}

TEST_F(ViewFixture, ZoomKeepsTheBandOnTheSameImagePixels) {
    DragCrop(20, 20, 60, 50);
    ASSERT_TRUE(Crop().BandValid());
    const Rect inImage = Crop().BandImage();
    view->SetZoomIndex(6);
    EXPECT_EQ(Crop().BandImage(), inImage);
    EXPECT_EQ(Crop().Band(), (Rect{inImage.left * 2, inImage.top * 2, inImage.right * 2, inImage.bottom * 2}));
}

TEST_F(ViewFixture, EnterCropsToTheBandAsOneUndoStep) {
    DragCrop(10, 20, 110, 70);
    EXPECT_EQ(Crop().BandImage(), (Rect{10, 20, 110, 70}));
    const int before = doc.UndoCount();
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 100);
    EXPECT_EQ(doc.image.Height(), 50);
    EXPECT_EQ(doc.image.PixelAddress(0, 0)[0], 10);  // blue = original x
    EXPECT_EQ(doc.image.PixelAddress(0, 0)[1], 20);  // green = original y
    EXPECT_EQ(doc.UndoCount(), before + 1);
    EXPECT_FALSE(Crop().BandValid());
    EXPECT_EQ(view->SizeText(), QStringLiteral("  Size: 100 x 50"));
    doc.OnUndo();
    EXPECT_EQ(doc.image.Width(), 200);
    EXPECT_EQ(view->State().imageWidth, 200);
}

TEST_F(ViewFixture, IdleCropClicksRecordNothingSoEarlierEditsStayUndoable) {
    doc.ApplyEffectCommand(kCmdFlipHorizontal, EffectParams{});
    const PixelImage flipped = doc.image;
    ASSERT_EQ(doc.UndoCount(), 1);
    view->Tools().SetTool(EditorTool::Crop);
    for (int i = 0; i < 10; ++i) {
        view->Tools().Press(30 + i, 40);
        view->Tools().Release(30 + i, 40);
    }
    EXPECT_EQ(doc.UndoCount(), 1);
    EXPECT_TRUE(test::SamePixels(doc.image, flipped));
    doc.OnUndo();
    const PixelImage original = test::Gradient(200, 150);
    EXPECT_TRUE(test::SamePixels(doc.image, original));
}

TEST_F(ViewFixture, CropOverObjectsIsOneUndoStepFromPressToEnter) {
    doc.AddObject(test::MakeHighlight(0, 0, 200, 150, 50));
    const int before = doc.UndoCount();
    DragCrop(10, 20, 110, 70);  // the press burns the highlight in
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_EQ(doc.UndoCount(), before + 1);
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 100);
    EXPECT_EQ(doc.UndoCount(), before + 1);
    doc.OnUndo();
    EXPECT_EQ(doc.image.Width(), 200);
    EXPECT_EQ(doc.objects.size(), 1u);
    EXPECT_TRUE(test::SamePixels(doc.image, test::Gradient(200, 150)));
    doc.OnRedo();
    EXPECT_EQ(doc.image.Width(), 100);
    EXPECT_TRUE(doc.objects.empty());
}

TEST_F(ViewFixture, SecondCropAfterABurnIsAStepOfItsOwn) {
    doc.AddObject(test::MakeHighlight(0, 0, 200, 150, 50));
    const int before = doc.UndoCount();
    DragCrop(10, 20, 110, 70);
    Key(Qt::Key_Return);
    DragCrop(0, 0, 50, 40);  // nothing left to burn: the press records nothing
    EXPECT_EQ(doc.UndoCount(), before + 1);
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 50);
    EXPECT_EQ(doc.UndoCount(), before + 2);
    doc.OnUndo();
    EXPECT_EQ(doc.image.Width(), 100);
}

TEST_F(ViewFixture, CropOnAZoomedViewUsesImagePixels) {
    view->SetZoomIndex(6);  // 200 %
    DragCrop(0, 0, 200, 100);
    Key(Qt::Key_Enter);
    EXPECT_EQ(doc.image.Width(), 100);
    EXPECT_EQ(doc.image.Height(), 50);
    EXPECT_EQ(view->ScrollRangeSize(), QSize(210, 110));
}

TEST_F(ViewFixture, TinyBandIsDroppedAtPaintAndEnterDoesNothing) {
    DragCrop(10, 10, 13, 13);
    EXPECT_FALSE(Crop().BandValid());
    view->grab();  // paints
    EXPECT_EQ(Crop().Band(), Rect{});
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 200);
}

TEST_F(ViewFixture, ClickOutsideTheCropBandRemovesItAtThePaint) {
    DragCrop(20, 20, 120, 100);
    view->grab();
    ASSERT_TRUE(Crop().BandValid());
    view->Tools().Press(170, 130);  // outside the band and its handles
    view->Tools().Release(170, 130);
    view->grab();
    EXPECT_FALSE(Crop().BandValid());
    EXPECT_EQ(Crop().Band(), Rect{});
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 200);
}

TEST_F(ViewFixture, CropBandUnderFourImagePixelsIsDroppedWhenZoomed) {
    view->SetZoomIndex(9);  // 800 %: a 24-pixel band covers 3 image pixels
    DragCrop(8, 8, 32, 32);
    EXPECT_EQ(Crop().BandImage(), (Rect{1, 1, 4, 4}));
    view->grab();
    EXPECT_FALSE(Crop().BandValid());
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 200);
}

TEST_F(ViewFixture, CropPreviewFollowsTheImageAndAResizeDropsTheBand) {
    DragCrop(20, 20, 120, 100);
    ASSERT_TRUE(Crop().BandValid());
    doc.image.PixelAddress(150, 120)[0] = 200;  // an edit outside the band
    doc.UpdateAllViews();
    EXPECT_EQ(Crop().Preview().PixelAddress(150, 120)[0], 100);
    EXPECT_TRUE(Crop().BandValid());
    doc.image = test::Gradient(100, 60);  // smaller than the band's far corner
    doc.UpdateAllViews();
    EXPECT_FALSE(Crop().BandValid());
    EXPECT_EQ(Crop().BandImage(), Rect{});
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 100);
}

TEST_F(ViewFixture, EscClearsTheBandInAnyTool) {
    DragCrop(10, 10, 60, 60);
    ASSERT_TRUE(Crop().BandValid());
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Crop().BandValid());
    EXPECT_EQ(Crop().BandImage(), Rect{});
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 200);
}

TEST_F(ViewFixture, CornerDragResizesAndMoveDragMovesTheBand) {
    DragCrop(20, 20, 120, 100);
    view->Tools().Press(120, 100);  // bottom-right handle
    EXPECT_EQ(Crop().Mode(), BandMode::BottomRight);
    view->Tools().Move(150, 110);
    view->Tools().Release(150, 110);
    EXPECT_EQ(Crop().BandImage(), (Rect{20, 20, 150, 110}));
    view->Tools().Press(80, 60);  // inside: move
    EXPECT_EQ(Crop().Mode(), BandMode::Move);
    view->Tools().Move(90, 50);
    EXPECT_EQ(Crop().BandImage(), (Rect{30, 10, 160, 100}));
    view->Tools().Move(200, 50);  // would leave the image: refused
    EXPECT_EQ(Crop().BandImage(), (Rect{30, 10, 160, 100}));
    view->Tools().Release(200, 50);
}

TEST_F(ViewFixture, CropPressBurnsObjectsInAsAnUndoStep) {
    doc.AddObject(test::MakeLine(150, 10, 190, 10));
    const int before = doc.UndoCount();
    view->Tools().SetTool(EditorTool::Crop);
    view->Tools().Press(5, 5);
    view->Tools().Release(5, 5);
    EXPECT_EQ(doc.UndoCount(), before + 1);
    EXPECT_TRUE(doc.objects.empty());
    // The preview is the image darkened by half.
    EXPECT_EQ(Crop().Preview().PixelAddress(100, 100)[0], 100 / 2);
    EXPECT_EQ(Crop().Preview().PixelAddress(100, 100)[3], 255);
}

TEST_F(ViewFixture, ZoomToolClicksInAndRightClicksOut) {
    view->Tools().SetTool(EditorTool::Zoom);
    view->Tools().Press(10, 10);
    view->Tools().Press(10, 10);
    EXPECT_EQ(view->State().zoomIndex, 6);
    view->Tools().RightPress();
    EXPECT_EQ(view->State().zoomIndex, 5);
    // The right button does nothing under other tools.
    view->Tools().SetTool(EditorTool::Move);
    view->Tools().RightPress();
    EXPECT_EQ(view->State().zoomIndex, 5);
}

TEST_F(ViewFixture, MoveToolPansWithTheHand) {
    view->SetZoomIndex(7);  // 800 x 600 zoomed in a 400 x 300 view
    ASSERT_TRUE(view->HasHorizontalScroll());
    view->Tools().Press(200, 200);
    view->Tools().Move(150, 170);
    EXPECT_EQ(view->ScrollX(), 50);
    EXPECT_EQ(view->ScrollY(), 30);
    view->Tools().Move(260, 260);  // beyond the start: clamped at 0
    EXPECT_EQ(view->ScrollX(), 0);
    EXPECT_EQ(view->ScrollY(), 0);
    view->Tools().Release(260, 260);
    EXPECT_FALSE(view->Tools().ButtonDown());
}

TEST_F(ViewFixture, ToolChangeClearsTheBandAndAsksForThePanel) {
    int requested = -1;
    QObject::connect(view.get(), &EditorView::toolPanelRequested, [&](int t) { requested = t; });
    DragCrop(10, 10, 60, 60);
    EXPECT_EQ(requested, int(EditorTool::Crop));
    view->Tools().SetTool(EditorTool::Text);
    EXPECT_EQ(Crop().BandImage(), Rect{});
    EXPECT_EQ(requested, int(EditorTool::Text));
}

// The object commands on a view with a box and a text box, the box selected.
struct ObjectViewFixture : ViewFixture {
    ObjectViewFixture() {
        doc.objects.push_back(test::MakeShape(10, 10, 50, 50));
        auto text = std::make_unique<TextObject>();
        SetObjectRect(*text, Rect{60, 10, 120, 50});
        doc.objects.push_back(std::move(text));
        view->Tools().SetTool(EditorTool::Select);
        Click(20, 20);
    }
    void Click(int x, int y) {
        view->Tools().Press(x, y);
        view->Tools().Release(x, y);
    }
    AnnotationObject* Selected() { return view->Selection().selected; }
    static QAction* Find(QMenu* menu, const QString& text) {
        for (QAction* a : menu->actions()) {
            if (a->text() == text) return a;
            if (a->menu())
                if (QAction* inner = Find(a->menu(), text)) return inner;
        }
        return nullptr;
    }
};

TEST_F(ObjectViewFixture, ContextMenuListsTheObjectCommandsWithTheirStates) {
    std::unique_ptr<QMenu> menu(view->CreateObjectMenu(nullptr));
    ASSERT_TRUE(menu);
    QStringList top;
    for (QAction* a : menu->actions()) top << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(top, (QStringList{"Edit Text", "Flatten", "Layer", "-", "Delete"}));
    EXPECT_FALSE(Find(menu.get(), "Edit Text")->isEnabled());  // a box, not a text
    EXPECT_TRUE(Find(menu.get(), "Send to Back")->isEnabled());

    Find(menu.get(), "Bring to Front")->trigger();
    EXPECT_EQ(doc.objects.back().get(), Selected());
    EXPECT_EQ(doc.UndoCount(), 0);  // reorders are not recorded
    Find(menu.get(), "Send to Back")->trigger();
    EXPECT_EQ(doc.objects.front().get(), Selected());

    Click(70, 20);
    menu.reset(view->CreateObjectMenu(nullptr));
    EXPECT_TRUE(Find(menu.get(), "Edit Text")->isEnabled());
    Click(190, 140);
    EXPECT_EQ(view->CreateObjectMenu(nullptr), nullptr);  // nothing selected: no menu
}

TEST_F(ObjectViewFixture, CommandsNeedASelectionAndDeleteIsOneUndoStep) {
    int changes = 0;
    QObject::connect(view.get(), &EditorView::selectionChanged, [&] { ++changes; });
    EXPECT_FALSE(view->CanRunCommand(kViewEditText));
    EXPECT_FALSE(view->RunCommand(12345));
    ASSERT_TRUE(view->RunCommand(kViewDeleteObject));
    EXPECT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(Selected(), nullptr);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(doc.UndoCount(), 1);
    for (unsigned id :
         {kViewEditText, kViewFlatten, kViewBringToFront, kViewSendToBack, kViewDelete, kViewDeleteObject})
        EXPECT_FALSE(view->RunCommand(id)) << id;

    Click(70, 20);
    ASSERT_TRUE(view->RunCommand(kViewFlatten));
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_EQ(Selected(), nullptr);
    EXPECT_EQ(doc.UndoCount(), 2);
}

TEST_F(ObjectViewFixture, MenuCommandsGoToTheFrameWhenOneListens) {
    std::vector<unsigned> routed;
    QObject::connect(view.get(), &EditorView::commandRequested, [&](unsigned id) { routed.push_back(id); });
    std::unique_ptr<QMenu> menu(view->CreateObjectMenu(nullptr));
    Find(menu.get(), "Delete")->trigger();
    EXPECT_EQ(routed, std::vector<unsigned>{kViewDelete});
    EXPECT_EQ(doc.objects.size(), 2u);  // the frame runs it, not the view
}

int g_dialogRuns = 0;

TEST_F(ObjectViewFixture, TextToolRunsTheEditTextDialog) {
    EditorView::SetTextDialogRunnerForTesting([](TextEditDialog& dialog) {
        ++g_dialogRuns;
        dialog.TextEdit()->setPlainText(QStringLiteral("Hello"));
        dialog.accept();
        return dialog.result();
    });
    g_dialogRuns = 0;
    view->Tools().SetTool(EditorTool::Text);
    Click(20, 80);
    ASSERT_EQ(doc.objects.size(), 3u);
    EXPECT_EQ(static_cast<TextObject&>(*doc.objects[2]).text, u"Hello");
    EXPECT_EQ(view->Tools().CurrentTool(), EditorTool::Select);
    EXPECT_EQ(Selected(), doc.objects[2].get());
    // The double click and the command reopen it for the selected text.
    view->Tools().DoubleClick(30, 90);
    EXPECT_TRUE(view->RunCommand(kViewEditText));
    EXPECT_EQ(g_dialogRuns, 3);

    EditorView::SetTextDialogRunnerForTesting([](TextEditDialog& dialog) {
        dialog.reject();
        return dialog.result();
    });
    view->Tools().SetTool(EditorTool::Text);
    Click(150, 80);
    EXPECT_EQ(doc.objects.size(), 3u);
    EXPECT_EQ(doc.UndoCount(), 1);
    EditorView::SetTextDialogRunnerForTesting(nullptr);
}

TEST_F(ObjectViewFixture, StampToolTakesThePictureOfTheChosenStamp) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("a.bmp")).toStdString();
    ASSERT_TRUE(SaveToFile(test::Solid(7, 5, 24, 10, 20, 30), path));
    view->Stamps().LoadStamps({dir.path().toStdString()});
    DrawingStyle style = DefaultStyle(EditorTool::Stamp);
    style.stampIndex = 1;
    view->Tools().SetTool(EditorTool::Stamp);
    view->SetPanelStyle(style, false);
    view->Tools().Press(20, 70);
    view->Tools().Move(60, 100);
    view->Tools().Release(60, 100);
    ASSERT_EQ(doc.objects.size(), 3u);
    const auto& stamp = static_cast<StampObject&>(*doc.objects[2]);
    EXPECT_EQ(stamp.stampIndex, 1);
    EXPECT_EQ(stamp.image.Width(), 7);
    EXPECT_EQ(stamp.image.Depth(), 32);
    EXPECT_TRUE(view->StampImage(0).IsEmpty());
    EXPECT_TRUE(view->StampImage(2).IsEmpty());
}

TEST(ViewPainter, DrawsTheSelectedObjectsHandlesAtTheZoom) {
    ImageDocument doc;
    doc.image = test::Solid(100, 100, 32, 0, 0, 0);
    doc.objects.push_back(test::MakeShape(20, 20, 60, 60));
    ViewState state;
    state.zoomIndex = 6;  // 200 %
    ASSERT_FLOAT_EQ(state.Factor(), 2.0f);
    EditorView owner(&doc);
    auto paint = [&](const AnnotationObject* selected) {
        QImage out(260, 260, QImage::Format_RGB32);
        QPainter p(&out);
        PaintView(p, state, &doc, owner.Tools().Current(), {0, 0, 260, 260}, selected);
        return out;
    };
    // The top-left handle's centre: margin 5 plus 2 x 20.
    const QImage plain = paint(nullptr);
    const QImage marked = paint(doc.objects[0].get());
    EXPECT_EQ(QColor(plain.pixel(45, 45)), QColor(Qt::black));
    EXPECT_EQ(QColor(marked.pixel(45, 45)), QColor(Qt::white));
    EXPECT_EQ(QColor(marked.pixel(125, 125)), QColor(Qt::white));  // bottom-right
    EXPECT_EQ(QColor(marked.pixel(55, 55)), QColor(Qt::black));    // marks keep their screen size
}

// A document with real alpha shows a checkerboard under its transparent
// pixels, also under the Crop tool's darkened preview; one whose fourth byte
// is not alpha shows its colours as they are.
TEST(ViewPainter, TransparentPixelsShowACheckerboard) {
    test::ScratchDir dir;
    InstallHandlerFactory(new StandardHandlerFactory);
    // Left half clear, right half opaque red.
    ASSERT_TRUE(test::Magick("-size 40x30 xc:red -alpha set -region 20x30+0+0 -alpha transparent +region " +
                             test::Quote(dir / "half.png")));
    ImageDocument doc;
    ASSERT_TRUE(doc.OpenDocument(QString::fromStdString(dir / "half.png")));
    ASSERT_TRUE(doc.Transparent());
    EditorView owner(&doc);
    ViewState state;
    auto paint = [&] {
        QImage out(60, 50, QImage::Format_RGB32);
        QPainter p(&out);
        PaintView(p, state, &doc, owner.Tools().Current(), {0, 0, 60, 50}, nullptr);
        return out;
    };
    const QColor light(255, 255, 255), dark(204, 204, 204);
    QImage shown = paint();
    EXPECT_EQ(QColor(shown.pixel(5 + 1, 5 + 1)), light);
    EXPECT_EQ(QColor(shown.pixel(5 + 9, 5 + 1)), dark);
    EXPECT_EQ(QColor(shown.pixel(5 + 9, 5 + 9)), light);
    EXPECT_EQ(QColor(shown.pixel(5 + 30, 5 + 10)), QColor(255, 0, 0));

    owner.Tools().SetTool(EditorTool::Crop);
    owner.Tools().Press(2, 2);  // tool points are zoomed image pixels
    owner.Tools().Move(30, 28);
    ASSERT_EQ(static_cast<CropTool&>(owner.Tools().Get(EditorTool::Crop)).BandImage(), (Rect{2, 2, 30, 28}));
    shown = paint();
    // Outside the band the darkened preview halves colours, not alpha.
    EXPECT_EQ(QColor(shown.pixel(5 + 17, 5 + 29)), dark);
    EXPECT_EQ(QColor(shown.pixel(5 + 9, 5 + 29)), light);
    EXPECT_EQ(QColor(shown.pixel(5 + 35, 5 + 5)), QColor(127, 0, 0));
    // Inside it the image at full brightness, over the same squares.
    EXPECT_EQ(QColor(shown.pixel(5 + 16, 5 + 14)), dark);
    EXPECT_EQ(QColor(shown.pixel(5 + 25, 5 + 14)), QColor(255, 0, 0));

    // The same pixels in a document without transparency: the fourth byte is ignored.
    ImageDocument plain;
    plain.image = doc.image;
    EditorView plainOwner(&plain);
    QImage out(60, 50, QImage::Format_RGB32);
    {
        QPainter p(&out);
        PaintView(p, state, &plain, plainOwner.Tools().Current(), {0, 0, 60, 50}, nullptr);
    }
    EXPECT_NE(QColor(out.pixel(5 + 1, 5 + 1)), light);
    EXPECT_EQ(QColor(out.pixel(5 + 30, 5 + 10)), QColor(255, 0, 0));
}

TEST(CopyRegion, ClipsToTheImageAndRefusesBadArguments) {
    const PixelImage source = test::Gradient(20, 10);
    PixelImage out;
    ASSERT_TRUE(CopyRegion(source, &out, Rect{15, 5, 40, 40}));
    EXPECT_EQ(out.Width(), 5);
    EXPECT_EQ(out.Height(), 5);
    EXPECT_EQ(out.originX, 15);
    EXPECT_EQ(out.PixelAddress(0, 0)[0], 15);
    EXPECT_FALSE(CopyRegion(source, &out, Rect{30, 30, 40, 40}));
    EXPECT_FALSE(CopyRegion(source, nullptr, Rect{0, 0, 5, 5}));
    EXPECT_FALSE(CopyRegion(PixelImage(), &out, Rect{0, 0, 5, 5}));
}

}  // namespace
}  // namespace clipvane

namespace clipvane {
namespace {

// The pointer on the viewport (client pixels) draws at the image pixel under
// it: the image starts after the view's margin.
TEST_F(ViewFixture, ALineDrawnWithThePointerLandsUnderThePointer) {
    view->show();
    view->Tools().SetTool(EditorTool::Line);
    auto send = [&](QEvent::Type type, int x, int y, Qt::MouseButtons buttons) {
        const QPointF at(x, y);
        QMouseEvent event(type, at, view->viewport()->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    };
    send(QEvent::MouseButtonPress, kViewMargin + 40, kViewMargin + 30, Qt::LeftButton);
    send(QEvent::MouseMove, kViewMargin + 90, kViewMargin + 30, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, kViewMargin + 140, kViewMargin + 30, Qt::NoButton);
    ASSERT_EQ(doc.objects.size(), 1u);
    const auto& line = static_cast<const LineObject&>(*doc.objects[0]);
    EXPECT_EQ(line.x1, 40);
    EXPECT_EQ(line.y1, 30);
    EXPECT_EQ(line.x2, 140);
    EXPECT_EQ(line.y2, 30);
}

}  // namespace
}  // namespace clipvane
