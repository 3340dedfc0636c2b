// Documents saved as PNG with editable annotations: the file's pixels are
// exactly the plain save's, reopening gives back the pixels under the
// objects and the objects themselves, and a damaged chunk opens the
// flattened picture with a note.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "annotation/EditablePng.h"
#include "annotation/ObjectsJson.h"
#include "document/ImageDocument.h"
#include "imagefile/AlphaFiles.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "imagefile/Sha256.h"
#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"

namespace clipvane {
namespace {

using test::SamePixels;

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::string Describe(const ObjectList& objects) {
    return WriteObjectsJson(objects, [](const StampObject& s, size_t) { return PixelDigest(s.image); });
}

void AddEveryKind(ImageDocument& doc) {
    doc.objects.push_back(test::MakeHighlight(2, 2, 30, 12, 50));
    doc.objects.push_back(test::MakeShape(5, 5, 25, 20));
    doc.objects.push_back(test::MakeLine(0, 19, 39, 0, 3));
    auto arrow = std::make_unique<LineObject>(kObjectArrow);
    arrow->x2 = 20;
    arrow->y2 = 15;
    doc.objects.push_back(std::move(arrow));
    auto text = std::make_unique<TextObject>();
    SetObjectRect(*text, Rect{1, 1, 38, 18});
    text->text = u"Hi \u00FC";
    text->fontName = u"DejaVu Sans";
    text->fontSize = 8;
    doc.objects.push_back(std::move(text));
    auto stamp = std::make_unique<StampObject>();
    SetObjectRect(*stamp, Rect{30, 10, 38, 18});
    stamp->image = test::Gradient(4, 4, 32);
    doc.objects.push_back(std::move(stamp));
}

class EditableDocument : public ::testing::Test {
protected:
    QString Path(const char* name) const { return QDir(dir_.path()).filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir_;
};

TEST_F(EditableDocument, SaveReopenSavePlainKeepsPixelsAndObjects) {
    InstallHandlerFactory(new StandardHandlerFactory);
    for (int depth : {24, 32}) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        ImageDocument doc;
        doc.image = test::PhotoLike(40, 20, depth, 7);
        AddEveryKind(doc);
        doc.SetModified(true);
        // The plain save of the same document, for comparison.
        ASSERT_TRUE(doc.SaveDocument(Path("plain.png")));
        doc.SetSavesEditable(true);
        ASSERT_TRUE(doc.SaveDocument(Path("editable.png")));
        EXPECT_FALSE(doc.IsModified());
        // The editable file is the plain one with the chunk before IEND.
        const QByteArray plain = Bytes(Path("plain.png")), editable = Bytes(Path("editable.png"));
        ASSERT_GT(editable.size(), plain.size());
        EXPECT_EQ(editable.left(plain.size() - 12), plain.left(plain.size() - 12));
        EXPECT_EQ(editable.right(12), plain.right(12));

        ImageDocument reopened;
        reopened.RecordUndo(reopened.image);  // a history from before must go
        ASSERT_TRUE(reopened.OpenDocument(Path("editable.png")));
        EXPECT_TRUE(reopened.OpenNote().isEmpty()) << reopened.OpenNote().toStdString();
        EXPECT_TRUE(reopened.SavesEditable());
        EXPECT_EQ(reopened.image.Depth(), depth);
        EXPECT_TRUE(SamePixels(reopened.image, doc.image));
        EXPECT_EQ(Describe(reopened.objects), Describe(doc.objects));
        EXPECT_EQ(reopened.UndoCount(), 0);
        EXPECT_FALSE(reopened.IsModified());
        EXPECT_TRUE(SamePixels(reopened.Composite(), doc.Composite()));

        // Saved again, editable and plain: the same bytes as the first saves.
        ASSERT_TRUE(reopened.SaveDocument(Path("again.png")));
        EXPECT_EQ(Bytes(Path("again.png")), editable);
        reopened.SetSavesEditable(false);
        ASSERT_TRUE(reopened.SaveDocument(Path("again-plain.png")));
        EXPECT_EQ(Bytes(Path("again-plain.png")), plain);
        // Other types are plain whatever the choice.
        reopened.SetSavesEditable(true);
        ASSERT_TRUE(reopened.SaveDocument(Path("other.bmp")));
        ImageDocument bmp;
        ASSERT_TRUE(bmp.OpenDocument(Path("other.bmp")));
        EXPECT_TRUE(bmp.objects.empty());
        EXPECT_FALSE(bmp.SavesEditable());
    }
}

TEST_F(EditableDocument, TransparentPictureStaysTransparent) {
    InstallHandlerFactory(new StandardHandlerFactory);
    PixelImage clear = test::Gradient(16, 8, 32);
    for (int x = 0; x < 8; ++x) clear.Row(2)[4 * x + 3] = uint8_t(x * 30);
    ASSERT_NE(SaveImageFileWithAlpha(clear, Path("alpha.png").toStdString()), 0);
    ImageDocument doc;
    ASSERT_TRUE(doc.OpenDocument(Path("alpha.png")));
    ASSERT_TRUE(doc.Transparent());
    doc.objects.push_back(test::MakeHighlight(1, 1, 10, 6, 30));
    ASSERT_TRUE(doc.SaveDocument(Path("plain.png")));
    doc.SetSavesEditable(true);
    ASSERT_TRUE(doc.SaveDocument(Path("editable.png")));
    ImageDocument reopened;
    ASSERT_TRUE(reopened.OpenDocument(Path("editable.png")));
    EXPECT_TRUE(reopened.Transparent());
    EXPECT_TRUE(SamePixels(reopened.image, doc.image));
    EXPECT_EQ(reopened.objects.size(), 1u);
    reopened.SetSavesEditable(false);
    ASSERT_TRUE(reopened.SaveDocument(Path("again-plain.png")));
    EXPECT_EQ(Bytes(Path("again-plain.png")), Bytes(Path("plain.png")));
}

TEST_F(EditableDocument, DamagedChunkOpensTheFlattenedPictureWithANote) {
    InstallHandlerFactory(new StandardHandlerFactory);
    ImageDocument doc;
    doc.image = test::PhotoLike(40, 20, 24, 3);
    AddEveryKind(doc);
    doc.SetSavesEditable(true);
    ASSERT_TRUE(doc.SaveDocument(Path("editable.png")));
    QByteArray bytes = Bytes(Path("editable.png"));
    bytes[bytes.size() - 40] = char(bytes[bytes.size() - 40] ^ 0x10);  // inside the chunk
    {
        QFile f(Path("damaged.png"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    ImageDocument opened;
    ASSERT_TRUE(opened.OpenDocument(Path("damaged.png")));
    EXPECT_TRUE(opened.objects.empty());
    EXPECT_FALSE(opened.SavesEditable());
    EXPECT_TRUE(opened.OpenNote().contains(QStringLiteral("CRC"))) << opened.OpenNote().toStdString();
    PixelImage flattened;
    ASSERT_TRUE(LoadFromFile(Path("editable.png").toStdString(), flattened));
    flattened.ConvertTo(32);
    EXPECT_TRUE(SamePixels(opened.image, flattened));
    // A later open of a good file clears the note.
    ASSERT_TRUE(opened.OpenDocument(Path("editable.png")));
    EXPECT_TRUE(opened.OpenNote().isEmpty());
    EXPECT_EQ(opened.objects.size(), doc.objects.size());
}

// The chunk's checksum has no key: a file can carry objects and an
// under-picture that do not draw its own pixels. Such a file opens as its
// flattened picture, like damaged data.
TEST_F(EditableDocument, ObjectsThatDoNotGiveThePixelsOpenThePictureWithANote) {
    InstallHandlerFactory(new StandardHandlerFactory);
    ImageDocument doc;
    doc.image = test::PhotoLike(40, 20, 24, 5);
    AddEveryKind(doc);
    ASSERT_TRUE(doc.SaveDocument(Path("plain.png")));
    PixelImage flattened;
    ASSERT_TRUE(LoadFromFile(Path("plain.png").toStdString(), flattened));
    ObjectList others;
    others.push_back(test::MakeShape(1, 1, 30, 15));
    ASSERT_TRUE(SaveEditablePng(Path("forged.png").toStdString(), flattened, false, doc.image, false, others));
    ImageDocument opened;
    ASSERT_TRUE(opened.OpenDocument(Path("forged.png")));
    EXPECT_TRUE(opened.objects.empty());
    EXPECT_FALSE(opened.SavesEditable());
    EXPECT_TRUE(opened.OpenNote().contains(QStringLiteral("do not match"))) << opened.OpenNote().toStdString();
    flattened.ConvertTo(32);
    EXPECT_TRUE(SamePixels(opened.image, flattened));
}

}  // namespace
}  // namespace clipvane
