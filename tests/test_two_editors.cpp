// Two editors at once, each on the real desktop platform (its own temporary folder, the real
// picture loader) with its dialogs answered from a script: opening, editing and saving different
// documents with pictures, and the same document, then closing in either order. Neither loses or
// swaps the other's picture.
#include "document/LabelFileStore.h"
#include "editing/frmText.h"
#include "mainwindow/frmMain.h"
#include "platform/QtPlatform.h"
#include "support/TestFiles.h"
#include "view/widgets/LabelView.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace {

using TestFiles::readAll;

QByteArray writePicture(const QString& path, QSize size, QColor color, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    image.save(path, format);
    return readAll(path);
}

// The desktop platform with its dialogs answered from queues; an unanswered dialog is recorded
// and cancelled, never shown.
class ScriptedDesktop : public QtPlatform {
public:
    std::deque<QString> fileAnswers;
    std::deque<std::function<void(QDialog*)>> modalActions;
    QStringList messages;
    QStringList unexpected;

    bool showOpenDialog(QWidget*, FileDialogState& dialog) override { return answer(dialog); }
    bool showSaveDialog(QWidget*, FileDialogState& dialog) override { return answer(dialog); }
    MessageAnswer showMessage(QWidget*, const QString& text, const QString&,
                              MessageButtons buttons) override {
        messages << text;
        if (buttons != MessageButtons::Ok)
            unexpected << text;
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
    void showModal(QDialog* dialog) override {
        if (modalActions.empty()) {
            unexpected << dialog->objectName();
            return;
        }
        dialog->show();
        modalActions.front()(dialog);
        modalActions.pop_front();
        dialog->hide();
    }
    bool showPrintDialog(QWidget*, QPrinter&) override {
        unexpected << QStringLiteral("print dialog");
        return false;
    }

private:
    bool answer(FileDialogState& dialog) {
        if (fileAnswers.empty()) {
            unexpected << QStringLiteral("file dialog");
            return false;
        }
        dialog.fileName = fileAnswers.front();
        fileAnswers.pop_front();
        return true;
    }
};

struct Editor {
    ScriptedDesktop platform;
    std::unique_ptr<frmMain> window = std::make_unique<frmMain>(platform);

    Editor() {
        window->resize(520, 480);
        window->show();
    }
    LabelDocument& document() { return window->document(); }
    QString temporaryPicture() {
        return QDir(platform.temporaryFolder()).filePath(QStringLiteral("temp.tmp"));
    }

    void insertText(const QString& text) {
        platform.modalActions.push_back([text](QDialog* dialog) {
            auto* textDialog = qobject_cast<frmText*>(dialog);
            QVERIFY(textDialog);
            textDialog->txtText()->setText(text);
            textDialog->cmdOk()->click();
        });
        window->mnuEditTextIns_Click();
    }

    // A left drag on empty label space moves the background.
    void dragBackground(QPointF fromMm, QPoint byPx) {
        LabelView* view = window->picDoc();
        const QPoint from = view->toPixels(fromMm).toPoint();
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, from + byPx);
        QTest::mouseRelease(view, Qt::LeftButton, {}, from + byPx);
    }

    void saveAs(const QString& path) {
        platform.fileAnswers.push_back(path);
        window->mnuFileSave_Click(1);
    }

    void chooseBackground(const QString& path) {
        platform.fileAnswers.push_back(path);
        window->mnuEditBack_Click();
    }

    // Closes the window as the close box does; the document is saved, so nothing is asked.
    void close() {
        QVERIFY(!document().LabelChanged);
        QVERIFY(window->close());
        window.reset();
    }
};

QStringList texts(const LabelDocument& document) {
    QStringList result;
    for (int i = 0; i < document.itemCount(); ++i)
        result << document.item(i).Text;
    return result;
}

} // namespace

class TwoEditorsTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QString path(const QString& name) const { return folder_.filePath(name); }
    QByteArray pictureA_, pictureB_, pictureC_;

    static void checkSaved(const QString& file, const QByteArray& picture,
                           const QStringList& items) {
        const LabelFileCodec::DecodeResult saved = LabelFileStore::load(file);
        QVERIFY2(saved.file, qPrintable(saved.reason));
        QCOMPARE(saved.file->picture, picture);
        QCOMPARE(texts(saved.file->document), items);
    }

    void makeDocument(const QString& file, const QString& text, const QString& picture) {
        LabelDocument document;
        document.TextItems.resize(std::size_t(1));
        document.item(0) = TextItem{text, 10, 10, 20, 8, 24, 1, QStringLiteral("IPAGothic")};
        document.BackWidth = document.BackHeight = LabelSideMm;
        QVERIFY(LabelFileStore::save(file, document, 0, picture).ok);
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        pictureA_ = writePicture(path("a.png"), QSize(300, 200), Qt::cyan, "PNG");
        pictureB_ = writePicture(path("b.jpg"), QSize(200, 300), Qt::magenta, "JPEG");
        pictureC_ = writePicture(path("c.bmp"), QSize(120, 120), Qt::yellow, "BMP");
        QVERIFY(!pictureA_.isEmpty() && !pictureB_.isEmpty() && !pictureC_.isEmpty());
        makeDocument(path("a.gpc"), QStringLiteral("A"), path("a.png"));
        makeDocument(path("b.gpc"), QStringLiteral("B"), path("b.jpg"));
    }

    void differentDocumentsClosedInEitherOrder_data() {
        QTest::addColumn<bool>("firstClosesFirst");
        QTest::newRow("first editor closes first") << true;
        QTest::newRow("second editor closes first") << false;
    }

    void differentDocumentsClosedInEitherOrder() {
        QFETCH(bool, firstClosesFirst);
        Editor first, second;
        QVERIFY(first.platform.temporaryFolder() != second.platform.temporaryFolder());
        QVERIFY(first.window->openDocumentFile(path("a.gpc")));
        QVERIFY(second.window->openDocumentFile(path("b.gpc")));
        QCOMPARE(readAll(first.temporaryPicture()), pictureA_);
        QCOMPARE(readAll(second.temporaryPicture()), pictureB_);

        // Edits in turn: text, a background drag, the zoom, a new background for the first only.
        first.insertText(QStringLiteral("一つ目"));
        second.insertText(QStringLiteral("二つ目"));
        first.dragBackground(QPointF(100, 100), QPoint(-12, -8));
        second.window->setScaleStep(30);
        second.dragBackground(QPointF(100, 100), QPoint(-5, -5));
        QVERIFY(first.document().BackLeft > 0 && first.document().BackTop > 0);
        QVERIFY(second.document().BackLeft > 0 && second.document().BackTop > 0);
        first.chooseBackground(path("c.bmp"));
        QVERIFY(!first.window->backgroundPicture().isEmpty());
        QVERIFY(first.document().LabelChanged && second.document().LabelChanged);

        first.saveAs(path("first.gpc"));
        second.saveAs(path("second.gpc"));
        checkSaved(path("first.gpc"), pictureC_, {QStringLiteral("A"), QStringLiteral("一つ目")});
        checkSaved(path("second.gpc"), pictureB_, {QStringLiteral("B"), QStringLiteral("二つ目")});

        // The one left open still has its picture after the other has closed, and saves it again.
        Editor& closing = firstClosesFirst ? first : second;
        Editor& staying = firstClosesFirst ? second : first;
        const QString closingPicture = closing.temporaryPicture();
        closing.close();
        QVERIFY(!QFile::exists(closingPicture));
        staying.insertText(QStringLiteral("後から"));
        staying.window->mnuFileSave_Click(0);
        QVERIFY(!staying.document().LabelChanged);
        if (firstClosesFirst) {
            QCOMPARE(readAll(staying.temporaryPicture()), pictureB_);
            checkSaved(path("second.gpc"), pictureB_,
                       {QStringLiteral("B"), QStringLiteral("二つ目"), QStringLiteral("後から")});
        } else {
            checkSaved(path("first.gpc"), pictureC_,
                       {QStringLiteral("A"), QStringLiteral("一つ目"), QStringLiteral("後から")});
        }
        staying.close();
        for (const Editor* editor : {&first, &second})
            QVERIFY2(editor->platform.unexpected.isEmpty(),
                     qPrintable(editor->platform.unexpected.join(u' ')));
        QVERIFY(first.platform.messages.isEmpty() && second.platform.messages.isEmpty());
    }

    // Both open one document; each save writes that editor's own picture, whole, whatever the
    // other saved over the file in between.
    void theSameDocumentInBoth() {
        makeDocument(path("shared.gpc"), QStringLiteral("shared"), path("a.png"));
        Editor first, second;
        QVERIFY(first.window->openDocumentFile(path("shared.gpc")));
        QVERIFY(second.window->openDocumentFile(path("shared.gpc")));

        second.chooseBackground(path("b.jpg"));
        second.window->mnuFileSave_Click(0);
        checkSaved(path("shared.gpc"), pictureB_, {QStringLiteral("shared")});

        first.insertText(QStringLiteral("first"));
        first.window->mnuFileSave_Click(0);
        checkSaved(path("shared.gpc"), pictureA_,
                   {QStringLiteral("shared"), QStringLiteral("first")});
        QCOMPARE(readAll(first.temporaryPicture()), pictureA_);

        // Reopening in the second gives it the first's picture in its own temporary file.
        QVERIFY(second.window->openDocumentFile(path("shared.gpc")));
        QCOMPARE(readAll(second.temporaryPicture()), pictureA_);
        QCOMPARE(second.window->backgroundDialog().fileName, second.temporaryPicture());
        second.close();
        QCOMPARE(readAll(first.temporaryPicture()), pictureA_);
        first.window->mnuFileSave_Click(0);
        checkSaved(path("shared.gpc"), pictureA_,
                   {QStringLiteral("shared"), QStringLiteral("first")});
        first.close();
    }
};

int main(int argc, char** argv) {
    // Closing an editor stores its placement: in a settings folder of this run's own, so no other
    // test reading the store at the same time sees it change.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TwoEditorsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_two_editors.moc"
