// The source list in its window: files added by the open panel, by the application and by drops land
// in their order; rows move by the row-move type and land where they were dropped; locked PDFs ask
// for their password; files that are no PDF are shown and discarded; an add request that comes while
// a sheet is open waits for its turn; removing rows keeps a sensible selection.

#include <QDialog>
#include <QElapsedTimer>
#include <QListWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "WindowTestSupport.h"
#include "app/gui/KXSourceTableView.h"

using namespace kx;
using namespace kx::test;

namespace {

using Names = std::vector<std::string>;

QMimeData* urlsOf(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const auto& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data->setUrls(urls);
    return data;
}

class SourceListTest : public WindowTest {
protected:
    std::string a = pdfWithPages("a.pdf", 1), b = pdfWithPages("b.pdf", 2), c = pdfWithPages("c.pdf", 3);
    std::string lockedPDF() {
        PDFBuilder builder;
        builder.addPage("");
        return writeTemp("locked.pdf", encryptPDF(builder.build(), "user", "owner"));
    }
    std::string notPDF = writeTemp("notes.pdf", "just some text, no PDF");

    void drop(QMimeData* data, int row) {
        QAbstractItemModel* model = list().tv_sourceFileList()->model();
        EXPECT_TRUE(model->canDropMimeData(data, Qt::CopyAction, row, 0, QModelIndex()));
        EXPECT_TRUE(model->dropMimeData(data, Qt::CopyAction, row, 0, QModelIndex()));
        delete data;
    }
    void moveRows(std::vector<int> rows, int row) {
        QMimeData* data = list().mimeDataForRows(rows);
        EXPECT_TRUE(data->hasFormat("MOVED_ROWS_TYPE"));
        QAbstractItemModel* model = list().tv_sourceFileList()->model();
        EXPECT_TRUE(model->dropMimeData(data, Qt::MoveAction, row, 0, QModelIndex()));
        delete data;
    }
    void addInOrder(const std::vector<std::string>& paths) {
        for (const auto& path : paths) drop(urlsOf({path}), static_cast<int>(list().ma_sourceItems().size()));
        ASSERT_TRUE(waitFor([&] { return !list().isAddingFiles(); }));
    }
};

// The open panel's files are checked half a second after it closed, and land reversed at the end.
TEST_F(SourceListTest, FilesFromTheOpenPanelLandReversedAtTheEnd) {
    panels.files = {QString::fromStdString(a), QString::fromStdString(b), QString::fromStdString(c)};
    QElapsedTimer clock;
    clock.start();
    list().sourceFileBrowse();
    QTest::qWait(250);
    EXPECT_TRUE(list().ma_sourceItems().empty());
    EXPECT_TRUE(list().isAddingFiles());
    ASSERT_TRUE(waitFor([&] { return list().ma_sourceItems().size() == 3; }));
    EXPECT_GE(clock.elapsed(), 500);
    EXPECT_EQ(rows(), (Names{"c.pdf", "b.pdf", "a.pdf"}));
    EXPECT_FALSE(list().nv_emptyMsg()->isVisible());
    EXPECT_EQ(app->window()->windowTitle(), "Docuvane (3)");

    // Cancelling the panel adds nothing.
    panels.files.clear();
    list().sourceFileBrowse();
    QTest::qWait(50);
    EXPECT_EQ(rows().size(), 3u);
}

TEST_F(SourceListTest, DroppedFilesLandInTheirOrderAtTheDropRow) {
    drop(urlsOf({a, b, c}), 0);
    ASSERT_TRUE(waitFor([&] { return list().ma_sourceItems().size() == 3; }));
    EXPECT_EQ(rows(), (Names{"a.pdf", "b.pdf", "c.pdf"}));
    const std::string d = pdfWithPages("d.pdf", 1);
    drop(urlsOf({d}), 1);
    ASSERT_TRUE(waitFor([&] { return list().ma_sourceItems().size() == 4; }));
    EXPECT_EQ(rows(), (Names{"a.pdf", "d.pdf", "b.pdf", "c.pdf"}));
    // Drops onto a row are refused; anything but files and rows too.
    QAbstractItemModel* model = list().tv_sourceFileList()->model();
    QMimeData* files = urlsOf({d});
    EXPECT_FALSE(model->canDropMimeData(files, Qt::CopyAction, -1, 0, model->index(1, 0)));
    delete files;
    QMimeData text;
    text.setText("a.pdf");
    EXPECT_FALSE(model->canDropMimeData(&text, Qt::CopyAction, 0, 0, QModelIndex()));
}

TEST_F(SourceListTest, FilesOpenedWithTheApplicationIncludeAFoldersFiles) {
    QDir folder(temporary.filePath("folder"));
    folder.mkpath(".");
    QFile::copy(QString::fromStdString(a), folder.filePath("one.pdf"));
    QFile::copy(QString::fromStdString(b), folder.filePath("two.pdf"));
    folder.mkpath("inner");
    app->applicationOpenFiles({folder.path()});
    ASSERT_TRUE(waitFor([&] { return list().ma_sourceItems().size() == 2; }));
    Names names = rows();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"one.pdf", "two.pdf"}));
}

// Rows dragged downwards land where they were dropped, above the row they were dropped before.
TEST_F(SourceListTest, MovedRowsLandWhereTheyWereDropped) {
    const std::string d = pdfWithPages("d.pdf", 1), e = pdfWithPages("e.pdf", 1);
    struct Case {
        const char* name;
        std::vector<int> rows;
        int dropRow;
        Names expected;
    } cases[] = {
        {"one row down", {0}, 3, {"b.pdf", "c.pdf", "a.pdf", "d.pdf", "e.pdf"}},
        {"one row up", {3}, 1, {"a.pdf", "d.pdf", "b.pdf", "c.pdf", "e.pdf"}},
        {"two rows down", {0, 1}, 4, {"c.pdf", "d.pdf", "a.pdf", "b.pdf", "e.pdf"}},
        {"to the end", {1}, -1, {"a.pdf", "c.pdf", "d.pdf", "e.pdf", "b.pdf"}},
        {"rows on both sides", {0, 4}, 2, {"b.pdf", "a.pdf", "e.pdf", "c.pdf", "d.pdf"}},
        {"onto itself", {2}, 3, {"a.pdf", "b.pdf", "c.pdf", "d.pdf", "e.pdf"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list().sourceFileRemoveAllFromQueue();
        addInOrder({a, b, this->c, d, e});
        ASSERT_EQ(rows(), (Names{"a.pdf", "b.pdf", "c.pdf", "d.pdf", "e.pdf"}));
        moveRows(c.rows, c.dropRow);
        EXPECT_EQ(rows(), c.expected);
    }
}

TEST_F(SourceListTest, ALockedPDFIsAddedWithItsPassword) {
    const std::string locked = lockedPDF();
    app->applicationOpenFiles({QString::fromStdString(a), QString::fromStdString(locked)});
    ASSERT_TRUE(waitFor([&] { return list().win_inputPassword() && list().win_inputPassword()->isVisible(); }));
    EXPECT_EQ(list().readyToCheckItem()->sourcePath(), locked);
    EXPECT_TRUE(list().ma_sourceItems().empty());  // the checked file waits for the others

    list().tf_inputPassword_inputPassowrd()->setText("wrong");
    list().win_inputPassword()->findChild<QPushButton*>("btn_inputPassword_ok")->click();
    EXPECT_TRUE(list().tf_inputPassword_passwordInfo()->isVisibleTo(list().win_inputPassword()));
    EXPECT_TRUE(list().win_inputPassword()->isVisible());
    // Typing hides the message again.
    QTest::keyClick(list().tf_inputPassword_inputPassowrd(), Qt::Key_Backspace);
    EXPECT_FALSE(list().tf_inputPassword_passwordInfo()->isVisibleTo(list().win_inputPassword()));

    list().tf_inputPassword_inputPassowrd()->setText("user");
    list().win_inputPassword()->findChild<QPushButton*>("btn_inputPassword_ok")->click();
    ASSERT_TRUE(waitFor([&] { return list().ma_sourceItems().size() == 2; }));
    EXPECT_FALSE(list().win_inputPassword()->isVisible());
    EXPECT_EQ(rows(), (Names{"locked.pdf", "a.pdf"}));
    EXPECT_EQ(list().ma_sourceItems()[0]->sourcePassword(), "user");
    EXPECT_EQ(list().ma_sourceItems()[0]->sourcePages(), 1);
}

TEST_F(SourceListTest, CancellingThePasswordLeavesTheFileOut) {
    app->applicationOpenFiles({QString::fromStdString(lockedPDF()), QString::fromStdString(b)});
    ASSERT_TRUE(waitFor([&] { return list().win_inputPassword() && list().win_inputPassword()->isVisible(); }));
    list().win_inputPassword()->findChild<QPushButton*>("btn_inputPassword_cancel")->click();
    ASSERT_TRUE(waitFor([&] { return !list().isAddingFiles(); }));
    EXPECT_EQ(rows(), (Names{"b.pdf"}));
}

TEST_F(SourceListTest, AFileThatIsNoPDFIsShownAndDiscarded) {
    app->applicationOpenFiles({QString::fromStdString(a), QString::fromStdString(notPDF)});
    ASSERT_TRUE(waitFor([&] { return list().win_unsupported() && list().win_unsupported()->isVisible(); }));
    EXPECT_EQ(list().tf_unsupported_sourceTitle()->text(), "notes.pdf");
    list().win_unsupported()->findChild<QPushButton*>("btn_unsupported_open")->click();
    EXPECT_EQ(workspace.opened, QStringList{QString::fromStdString(notPDF)});
    list().win_unsupported()->findChild<QPushButton*>("btn_unsupported_discard")->click();
    ASSERT_TRUE(waitFor([&] { return !list().isAddingFiles(); }));
    EXPECT_EQ(rows(), (Names{"a.pdf"}));
    // Escape discards the same way.
    drop(urlsOf({notPDF}), 0);
    ASSERT_TRUE(waitFor([&] { return list().win_unsupported()->isVisible(); }));
    QTest::keyClick(list().win_unsupported(), Qt::Key_Escape);
    ASSERT_TRUE(waitFor([&] { return !list().isAddingFiles(); }));
    EXPECT_EQ(rows(), (Names{"a.pdf"}));
}

// A batch holding several files that are no PDF raises one alert that names them all; discarding it
// adds the PDFs of the batch.
TEST_F(SourceListTest, OneAlertNamesEveryFileOfABatchThatIsNoPDF) {
    QDir folder(temporary.filePath("mixed"));
    folder.mkpath(".");
    QFile::copy(QString::fromStdString(a), folder.filePath("one.pdf"));
    QFile::copy(QString::fromStdString(b), folder.filePath("two.pdf"));
    for (const char* name : {"one.json", "two.json", "three.json"}) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{}");
    }
    // Every time an unsupported-file sheet comes up.
    struct ShowCounter : QObject {
        int shows = 0;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show && watched->objectName() == "win_unsupported") ++shows;
            return false;
        }
    } counter;
    qApp->installEventFilter(&counter);

    app->applicationOpenFiles({folder.path()});
    ASSERT_TRUE(waitFor([&] { return list().win_unsupported() && list().win_unsupported()->isVisible(); }));
    EXPECT_EQ(list().tf_unsupported_sourceTitle()->text(), "3 files");
    QStringList names;
    for (int i = 0; i < list().lv_unsupported_files()->count(); ++i) names << list().lv_unsupported_files()->item(i)->text();
    names.sort();
    EXPECT_EQ(names, (QStringList{"one.json", "three.json", "two.json"}));
    EXPECT_TRUE(list().lv_unsupported_files()->isVisible());
    EXPECT_FALSE(list().win_unsupported()->findChild<QPushButton*>("btn_unsupported_open")->isVisible());
    list().win_unsupported()->findChild<QPushButton*>("btn_unsupported_discard")->click();
    ASSERT_TRUE(waitFor([&] { return !list().isAddingFiles(); }));
    qApp->removeEventFilter(&counter);
    EXPECT_EQ(counter.shows, 1);
    Names added = rows();
    std::sort(added.begin(), added.end());
    EXPECT_EQ(added, (Names{"one.pdf", "two.pdf"}));
}

// After a wrong password the sheet is as tall as its texts: nothing in it is cut.
TEST_F(SourceListTest, ThePasswordSheetGrowsToItsTexts) {
    app->applicationOpenFiles({QString::fromStdString(lockedPDF())});
    ASSERT_TRUE(waitFor([&] { return list().win_inputPassword() && list().win_inputPassword()->isVisible(); }));
    QDialog* sheet = list().win_inputPassword();
    list().tf_inputPassword_inputPassowrd()->setText("wrong");
    sheet->findChild<QPushButton*>("btn_inputPassword_ok")->click();
    ASSERT_TRUE(list().tf_inputPassword_passwordInfo()->isVisibleTo(sheet));
    QTest::qWait(100);
    for (QLabel* label : sheet->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(sheet) || label->text().isEmpty()) continue;
        SCOPED_TRACE(label->text().toStdString());
        const int needed = label->hasHeightForWidth() ? label->heightForWidth(label->width()) : label->sizeHint().height();
        EXPECT_GE(label->height(), needed);
        const QRect inSheet(label->mapTo(sheet, QPoint(0, 0)), label->size());
        EXPECT_TRUE(sheet->rect().contains(inSheet));
    }
    const QString path = screenshotFolder() + "/sheet-password-wrong.png";
    ASSERT_TRUE(sheet->grab().save(path));
    std::cout << "Screenshot: " << path.toStdString() << "\n";
    list().win_inputPassword()->findChild<QPushButton*>("btn_inputPassword_cancel")->click();
}

// Files added while a sheet waits are not lost: their request is checked after the current one.
TEST_F(SourceListTest, AnAddRequestDuringASheetWaitsItsTurn) {
    app->applicationOpenFiles({QString::fromStdString(a), QString::fromStdString(lockedPDF())});
    ASSERT_TRUE(waitFor([&] { return list().win_inputPassword() && list().win_inputPassword()->isVisible(); }));
    drop(urlsOf({b, c}), 0);
    EXPECT_TRUE(list().isAddingFiles());
    EXPECT_TRUE(list().ma_sourceItems().empty());
    list().tf_inputPassword_inputPassowrd()->setText("owner");
    list().win_inputPassword()->findChild<QPushButton*>("btn_inputPassword_ok")->click();
    ASSERT_TRUE(waitFor([&] { return list().ma_sourceItems().size() == 4; }));
    EXPECT_EQ(rows(), (Names{"b.pdf", "c.pdf", "locked.pdf", "a.pdf"}));
}

// Rows removed while a sheet is open move the end of the list above the insertion row: the checked
// files go to the end.
TEST_F(SourceListTest, RemovingRowsDuringASheetStillInsertsTheCheckedFiles) {
    addInOrder({a, b});
    drop(urlsOf({c, lockedPDF()}), 2);
    ASSERT_TRUE(waitFor([&] { return list().win_inputPassword() && list().win_inputPassword()->isVisible(); }));
    list().sourceFileRemoveAllFromQueue();
    list().win_inputPassword()->findChild<QPushButton*>("btn_inputPassword_cancel")->click();
    ASSERT_TRUE(waitFor([&] { return !list().isAddingFiles(); }));
    EXPECT_EQ(rows(), (Names{"c.pdf"}));
}

TEST_F(SourceListTest, RemovingRowsKeepsASelectionAndTheEmptyMessage) {
    addInOrder({a, b, c});
    list().selectTableRowWithItem(list().ma_sourceItems()[2]);
    EXPECT_EQ(pane().sourceFileItem(), list().ma_sourceItems()[2]);
    list().sourceFileRemoveItemFromQueue();
    EXPECT_EQ(rows(), (Names{"a.pdf", "b.pdf"}));
    ASSERT_TRUE(list().selectedItem());
    EXPECT_EQ(pathFileName(list().selectedItem()->sourcePath()), "b.pdf");
    EXPECT_EQ(pane().sourceFileItem(), list().selectedItem());

    list().sourceFileRemoveAllFromQueue();
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(list().nv_emptyMsg()->isVisible());
    EXPECT_EQ(app->window()->windowTitle(), "Docuvane");
    EXPECT_EQ(pane().sourceFileItem(), nullptr);
}

// The row under the pointer shows its remove button: moving from one row to the next moves the
// button with it, and a click on it removes that row's file.
TEST_F(SourceListTest, TheRowUnderThePointerShowsItsRemoveButton) {
    addInOrder({a, b, c});
    KXSourceTableView* table = list().tv_sourceFileList();
    QWidget* viewport = table->viewport();
    auto rowRect = [&](int row) { return table->visualRect(table->model()->index(row, 0)); };
    auto removeButtonShown = [&](int row) { return list().cellView()->rowState(row).mouseInside; };

    QTest::mouseMove(viewport, rowRect(0).center());
    ASSERT_TRUE(waitFor([&] { return table->hoveredRow() == 0; }, 2000));
    EXPECT_TRUE(removeButtonShown(0));
    EXPECT_FALSE(removeButtonShown(1));
    QTest::mouseMove(viewport, rowRect(1).center());
    ASSERT_TRUE(waitFor([&] { return table->hoveredRow() == 1; }, 2000));
    EXPECT_FALSE(removeButtonShown(0));
    EXPECT_TRUE(removeButtonShown(1));

    const QPoint button = KXSourceTableCellView::layoutForRow(rowRect(1)).btn_remove.center();
    QTest::mouseMove(viewport, button);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, button);
    EXPECT_EQ(rows(), (Names{"a.pdf", "c.pdf"}));
}

}  // namespace
