// Photos stored sideways with an EXIF orientation: "背景を開く" turns them upright and the document
// keeps the upright bytes; a picture that comes from a document shows as it was stored.
#include "document/LabelFileStore.h"
#include "mainwindow/frmMain.h"
#include "platform/pictures/JpegOrientation.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

// Four coloured quarters and a white bar along the top: no two orientations look alike.
QImage asymmetric(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width(), h = size.height();
    painter.fillRect(0, 0, w / 2, h / 2, Qt::red);
    painter.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
    painter.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
    painter.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::yellow);
    painter.fillRect(0, 0, w / 3, 8, Qt::white);
    return image;
}

// An EXIF block (APP1) holding only the orientation, in either byte order.
QByteArray exifSegment(int orientation, bool littleEndian) {
    QByteArray tiff(26, '\0');
    uchar* t = reinterpret_cast<uchar*>(tiff.data());
    const auto put16 = [&](int at, quint16 v) {
        littleEndian ? qToLittleEndian(v, t + at) : qToBigEndian(v, t + at);
    };
    const auto put32 = [&](int at, quint32 v) {
        littleEndian ? qToLittleEndian(v, t + at) : qToBigEndian(v, t + at);
    };
    t[0] = t[1] = littleEndian ? 'I' : 'M';
    put16(2, 42);
    put32(4, 8);       // IFD0
    put16(8, 1);       // one entry
    put16(10, 0x0112); // orientation
    put16(12, 3);      // SHORT
    put32(14, 1);
    put16(18, quint16(orientation));
    QByteArray segment("\xFF\xE1\0\0Exif\0\0", 10);
    segment += tiff;
    qToBigEndian(quint16(segment.size() - 2), segment.data() + 2);
    return segment;
}

QByteArray taggedJpeg(QSize size, int orientation, bool littleEndian) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    asymmetric(size).save(&buffer, "JPEG", 95);
    return bytes.left(2) + exifSegment(orientation, littleEndian) + bytes.mid(2);
}

QImage decode(const QByteArray& bytes, bool applyOrientation) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(applyOrientation);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 40 && std::abs(qGreen(a) - qGreen(b)) <= 40 &&
           std::abs(qBlue(a) - qBlue(b)) <= 40;
}

// The two images agree on a grid of points away from colour edges.
bool samePicture(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return false;
    for (int y = 4; y < a.height(); y += 8)
        for (int x = 4; x < a.width(); x += 8)
            if (!near(a.pixel(x, y), b.pixel(x, y)))
                return false;
    return true;
}

using TestFiles::readAll;

} // namespace

class TestOrientation : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void chosenPhotoTurnsUpright_data();
    void chosenPhotoTurnsUpright();
    void documentPictureShowsAsStored();

private:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = files_->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<frmMain> frm_;
    std::unique_ptr<QTemporaryDir> files_;
};

void TestOrientation::init() {
    files_ = std::make_unique<QTemporaryDir>();
    platform_ = std::make_unique<ScriptedPlatform>();
    frm_ = std::make_unique<frmMain>(*platform_);
    frm_->resize(620, 480);
    frm_->show();
}

void TestOrientation::cleanup() {
    QVERIFY2(platform_->unexpected.isEmpty(), qPrintable(platform_->unexpected.join(", ")));
    frm_.reset();
    platform_.reset();
    files_.reset();
}

void TestOrientation::chosenPhotoTurnsUpright_data() {
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("littleEndian");
    QTest::addColumn<QSize>("size");
    for (int orientation = 1; orientation <= 8; ++orientation)
        QTest::addRow("orientation %d", orientation)
            << orientation << (orientation % 2 == 0) << QSize(96, 64);
    // Partial edge blocks that a quarter turn cannot keep are trimmed.
    QTest::newRow("orientation 6, 100 x 70") << 6 << true << QSize(100, 70);
}

// The stored bytes carry orientation 1 and show what a reader that honours the tag shows of the
// chosen file; an upright photo is stored as chosen.
void TestOrientation::chosenPhotoTurnsUpright() {
    QFETCH(int, orientation);
    QFETCH(bool, littleEndian);
    QFETCH(QSize, size);
    const QByteArray chosen = taggedJpeg(size, orientation, littleEndian);
    QCOMPARE(JpegOrientation::read(chosen), orientation);
    const QString path = write(QStringLiteral("photo.jpg"), chosen);
    platform_->fileAnswers.push_back(path);
    frm_->mnuEditBack_Click();

    const QString stored = frm_->backgroundDialog().fileName;
    QCOMPARE(stored == path, orientation == 1);
    const QByteArray bytes = readAll(stored);
    QCOMPARE(JpegOrientation::read(bytes), 1);
    const QImage expected = decode(chosen, true);
    const QImage upright = decode(bytes, false);
    if (size.width() % 16 == 0 && size.height() % 16 == 0) {
        QVERIFY(samePicture(upright, expected));
    } else {
        QVERIFY(upright.width() <= expected.width() && upright.width() > expected.width() - 16);
        QVERIFY(upright.height() <= expected.height() && upright.height() > expected.height() - 16);
    }
    QVERIFY(samePicture(frm_->backgroundPicture().image(), upright));
}

void TestOrientation::documentPictureShowsAsStored() {
    const QByteArray tagged = taggedJpeg(QSize(96, 64), 6, false);
    const QString document = files_->filePath(QStringLiteral("sideways.gpc"));
    QVERIFY(LabelFileStore::save(document, LabelDocument(), 0,
                                 write(QStringLiteral("sideways.jpg"), tagged))
                .ok);
    QVERIFY(frm_->openDocumentFile(document));
    QVERIFY(samePicture(frm_->backgroundPicture().image(), decode(tagged, false)));
    QCOMPARE(JpegOrientation::read(readAll(frm_->backgroundDialog().fileName)), 6);
}

QTEST_MAIN(TestOrientation)
#include "test_orientation.moc"
