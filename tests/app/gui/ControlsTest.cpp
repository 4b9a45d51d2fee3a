// The window's own controls without a display: the image button's state images, opacity, title
// geometry and click; the tap view; the colour view's fill; the cover that swallows clicks; the title
// strip; the named artwork; file previews; the source cell's status icons; and the drop view's rule.

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "app/gui/KXColorView.h"
#include "app/gui/KXDragDropView.h"
#include "app/gui/KXHideView.h"
#include "app/gui/KXHoverTableRowView.h"
#include "app/gui/KXImageButton.h"
#include "app/gui/KXImageUtilities.h"
#include "app/gui/KXImageViewTap.h"
#include "app/gui/KXNamedImages.h"
#include "app/gui/KXSourceTableCellView.h"
#include "app/gui/KXThumbnails.h"
#include "app/gui/KXTitleBar.h"
#include "app/jobs/KXMemorySettingsStore.h"
#include "app/jobs/KXOutputFormats.h"
#include "platform/FileSystem.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

QPixmap solid(QColor color, int w = 30, int h = 30) {
    QPixmap p(w, h);
    p.fill(color);
    return p;
}

TEST(ImageButton, TheImageOfEachState) {
    const QPixmap normal = solid(Qt::gray), down = solid(Qt::black), in = solid(Qt::white), disabled = solid(Qt::red);
    const QPixmap normalDark = solid(Qt::darkGray), downDark = solid(Qt::darkBlue);
    struct Case {
        const char* name;
        bool enable, mouseDown, mouseInside, dark, withDisabled, withDark;
        const QPixmap* expected;
        double alpha;
    } cases[] = {
        {"normal", true, false, false, false, false, false, &normal, 1.0},
        {"hover", true, false, true, false, false, false, &in, 1.0},
        {"pressed inside", true, true, true, false, false, false, &down, 1.0},
        {"pressed, dragged out", true, true, false, false, false, false, &normal, 1.0},
        {"disabled without its image", false, false, true, false, false, false, &normal, 0.6},
        {"disabled with its image", false, false, false, false, true, false, &disabled, 1.0},
        {"dark, no dark images", true, false, true, true, false, false, &in, 1.0},
        {"dark pressed", true, true, true, true, false, true, &downDark, 1.0},
        {"dark normal", true, false, false, true, false, true, &normalDark, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KXImageButton button;
        button.setNormalImage(normal);
        button.setMouseDownImage(down);
        button.setMouseInImage(in);
        if (c.withDisabled) button.setDisableImage(disabled);
        if (c.withDark) {
            button.setNormalImage_dark(normalDark);
            button.setMouseDownImage_dark(downDark);
        }
        button.setEnable(c.enable);
        button.setMouseDown(c.mouseDown);
        button.setMouseInside(c.mouseInside);
        const QPixmap* image = button.imageForCurrentState(c.dark);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->cacheKey(), c.expected->cacheKey());
        EXPECT_DOUBLE_EQ(button.alphaValue(), c.alpha);
    }
}

TEST(ImageButton, EmptyStateImagesCountAsMissingAndOpacityComesBack) {
    KXImageButton button;
    EXPECT_EQ(button.imageForCurrentState(false), nullptr);  // drawn like a plain view
    const QPixmap normal = solid(Qt::gray);
    button.setNormalImage(normal);
    button.setMouseInImage(QPixmap(0, 10));
    button.setMouseInside(true);
    EXPECT_EQ(button.imageForCurrentState(false)->cacheKey(), normal.cacheKey());
    button.setEnable(false);
    button.imageForCurrentState(false);
    EXPECT_DOUBLE_EQ(button.alphaValue(), 0.6);
    button.setEnable(true);
    button.imageForCurrentState(false);
    EXPECT_DOUBLE_EQ(button.alphaValue(), 1.0);
}

// Heights in points: the font is half the image's height, at least 8; the title's box starts the left
// margin in, and its top lies half a font size less 2 below the image's top.
TEST(ImageButton, TitleGeometry) {
    EXPECT_DOUBLE_EQ(KXImageButton::titleFontSize(QRectF(0, 0, 100, 10)), 8.0);
    EXPECT_DOUBLE_EQ(KXImageButton::titleFontSize(QRectF(0, 0, 100, 30)), 15.0);
    KXImageButton button;
    button.setButtonTitleLeftMargin(20.0);
    const QRectF box = button.titleRect(QRectF(0, 0, 180, 30));
    EXPECT_DOUBLE_EQ(box.x(), 20.0);
    EXPECT_DOUBLE_EQ(box.width(), 160.0);
    EXPECT_DOUBLE_EQ(box.y(), 5.5);
    EXPECT_DOUBLE_EQ(box.height(), 30.0);
}

TEST(ImageButton, AClickCompletesOnAReleaseInsideTheEnabledButton) {
    KXImageButton button;
    button.resize(100, 40);
    button.setNormalImage(solid(Qt::gray, 100, 40));
    button.show();
    QSignalSpy clicked(&button, &KXImageButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(50, 20));
    EXPECT_EQ(clicked.count(), 1);
    // Pressed, dragged out and released outside: no click.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(50, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(150, 20), QPointF(150, 20), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&button, &move);
    EXPECT_TRUE(button.mouseDown());
    EXPECT_FALSE(button.mouseInside());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(150, 20));
    EXPECT_EQ(clicked.count(), 1);
    button.setEnable(false);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(50, 20));
    EXPECT_EQ(clicked.count(), 1);
    QTest::mouseClick(&button, Qt::RightButton, {}, QPoint(50, 20));
    EXPECT_EQ(clicked.count(), 1);
}

TEST(ImageViewTap, WashesAndClicks) {
    KXImageViewTap tap;
    tap.resize(80, 60);
    tap.show();
    EXPECT_FALSE(tap.highlightColor().isValid());
    tap.setMouseInside(true);
    EXPECT_EQ(tap.highlightColor(), QColor(255, 255, 255, 64));
    tap.setMouseDown(true);
    EXPECT_EQ(tap.highlightColor(), QColor(0, 0, 0, 64));
    tap.setMouseDown(false);
    QSignalSpy clicked(&tap, &KXImageViewTap::clicked);
    QTest::mouseClick(&tap, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(&tap, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 2);
}

TEST(ColorView, FlatWhenTheColoursAreEqualOtherwiseAGradient) {
    KXColorView view;
    view.resize(40, 100);
    view.setStartingColor(QColor(200, 10, 10));
    view.setEndingColor(QColor(200, 10, 10));
    QImage flat = view.grab().toImage();
    EXPECT_EQ(flat.pixelColor(20, 1), QColor(200, 10, 10));
    EXPECT_EQ(flat.pixelColor(20, 98), QColor(200, 10, 10));
    view.setEndingColor(QColor(10, 10, 200));  // angle 270: from the top down
    QImage gradient = view.grab().toImage();
    EXPECT_GT(gradient.pixelColor(20, 1).red(), 190);
    EXPECT_GT(gradient.pixelColor(20, 98).blue(), 190);
    view.setEndingColor(QColor());
    EXPECT_EQ(view.grab().toImage().pixelColor(20, 98), QColor(200, 10, 10));
}

class ClickCounter : public QWidget {
public:
    int presses = 0;
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

TEST(HideView, SwallowsLeftClicksOnly) {
    ClickCounter parent;
    parent.resize(100, 100);
    auto* cover = new KXHideView(&parent);
    cover->setGeometry(0, 0, 100, 100);
    parent.show();
    QTest::mouseClick(cover, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(parent.presses, 0);
    QTest::mouseClick(cover, Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_EQ(parent.presses, 1);
    EXPECT_EQ(cover->coverColor(), QColor::fromRgbF(1, 1, 1, 0.9f));
}

TEST(TitleBar, AWindowWithoutATitleBarShowsNothing) {
    KXTitleBar bar;
    bar.setWindowFlags(Qt::FramelessWindowHint);
    bar.resize(200, 40);
    bar.setAttribute(Qt::WA_TranslucentBackground);
    EXPECT_EQ(bar.titleHeight(), 0);
    const QImage image = bar.grab().toImage();
    const QColor pixel = image.pixelColor(100, 5);
    EXPECT_FALSE(pixel.red() > 150 && pixel.green() > 80 && pixel.green() < 170 && pixel.blue() < 40);
}

TEST(NamedImages, EveryImageTheApplicationNamesExists) {
    std::vector<std::string> names = {"icon_pdf", "icon_pdf_pw", "icon_unknown", "btn-convert", "btn-convert-down",
                                      "btn-convert-hover", "btn-cancel", "btn-cancel-down", "btn-cancel-hover",
                                      "POI_History", "pwdguard_success_status_icon", "pwdguard_failed_status_icon",
                                      "default-eye", "btn_remove", "btn_open", "btn_reveal", "docuvane"};
    for (const auto& [format, icon] : KXOutputFormats::FormatIconDictionary()) names.push_back(icon);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const QPixmap image = KXNamedImages::image(name, QSize(48, 40), 2.0);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.deviceIndependentSize(), QSizeF(48, 40));
        EXPECT_EQ(image.size(), QSize(96, 80));
    }
    EXPECT_TRUE(KXNamedImages::image("icon_nonsense", QSize(16, 16)).isNull());
}

TEST(ImageUtilities, ThePreviewIsTheFirstPageOnceDrawnAndTheIconUntilThen) {
    kx::test::PDFBuilder b;
    b.addPage("0 0 1 rg 0 0 612 792 re f", "<< >>", "/MediaBox [0 0 612 792]");
    const QString pdf = QString::fromStdString(kx::test::writeTemp("preview.pdf", b.build()));
    const QPixmap first = KXImageUtilities::imageWithPreviewOfFileAtPath(pdf, QSizeF(400, 220), false);
    EXPECT_EQ(first.size(), QSize(400, 220));  // the PDF icon at exactly the size asked for
    ASSERT_TRUE(QTest::qWaitFor([&] { return KXThumbnails::shared().thumbnail(pdf, QSize(400, 220)).has_value(); }, 20000));
    const QPixmap drawn = KXImageUtilities::imageWithPreviewOfFileAtPath(pdf, QSizeF(400, 220), false);
    EXPECT_EQ(drawn.height(), 220);
    EXPECT_NEAR(drawn.width(), 220 * 612 / 792, 1);
    EXPECT_EQ(drawn.toImage().pixelColor(drawn.width() / 2, 110), QColor(0, 0, 255));

    const QString text = QString::fromStdString(kx::test::writeTemp("notes.txt", "text"));
    EXPECT_EQ(KXImageUtilities::imageWithPreviewOfFileAtPath(text, QSizeF(64, 64), false).size(), QSize(64, 64));
    EXPECT_TRUE(KXImageUtilities::imageWithPreviewOfFileAtFileURL(QUrl(), QSizeF(64, 64), false).isNull());
}

TEST(SourceCell, TheStatusIconFollowsTheLastRun) {
    KXMemorySettingsStore store;
    KXSettingsStore::setStandardUserDefaults(&store);
    kx::test::PDFBuilder b;
    b.addPage("");
    auto item = KXSourceFileItem::initWithPath(kx::test::writeTemp("cell.pdf", b.build()));
    ASSERT_TRUE(item);
    EXPECT_EQ(KXSourceTableCellView::contentsOfItem(*item).conversionIcon, "POI_History");
    const std::string output = kx::pathJoin(kx::test::tempDir(), "cell.docx");
    kx::writeFile(output, "x");
    item->setOutputPath(output);
    KXSourceTableCellView::Contents done = KXSourceTableCellView::contentsOfItem(*item);
    EXPECT_EQ(done.conversionIcon, "pwdguard_success_status_icon");
    EXPECT_TRUE(done.outputEnabled);
    kx::removeFile(output);
    EXPECT_EQ(KXSourceTableCellView::contentsOfItem(*item).conversionIcon, "pwdguard_failed_status_icon");
    KXSourceTableCellView cell;
    cell.resetBeforeConversion(item);
    EXPECT_EQ(cell.contents(item).conversionInfo, "All Pages, DOCX, Ready!");
    KXSettingsStore::setStandardUserDefaults(nullptr);
}

// The row's colours come from the palette and stand out whatever the palette: the selection from the
// other rows, the texts and the row buttons from what is behind them, in a light, a dark and a
// palette whose highlight is pale.
TEST(SourceRows, EveryPartOfARowStandsOutWhateverThePalette) {
    auto palette = [](QColor window, QColor text, QColor base, QColor highlight, QColor highlightedText) {
        QPalette p;
        p.setColor(QPalette::Window, window);
        p.setColor(QPalette::WindowText, text);
        p.setColor(QPalette::Base, base);
        p.setColor(QPalette::Text, text);
        p.setColor(QPalette::Highlight, highlight);
        p.setColor(QPalette::HighlightedText, highlightedText);
        return p;
    };
    struct Case {
        const char* name;
        QPalette palette;
    } cases[] = {
        {"light", palette(QColor(0xef, 0xef, 0xef), Qt::black, Qt::white, QColor(0x30, 0x8c, 0xc6), Qt::white)},
        {"dark", palette(QColor(0x2b, 0x2d, 0x31), QColor(0xe8, 0xea, 0xed), QColor(0x1f, 0x20, 0x23),
                         QColor(0x2f, 0x7b, 0xe0), Qt::white)},
        {"pale highlight", palette(QColor(0xf5, 0xf5, 0xf5), QColor(0x20, 0x20, 0x20), Qt::white,
                                   QColor(0xcc, 0xe4, 0xf7), QColor(0x20, 0x20, 0x20))},
        {"dark, grey highlight", palette(QColor(0x29, 0x29, 0x29), Qt::white, QColor(0x2a, 0x2c, 0x30),
                                         QColor(0x29, 0x29, 0x29), Qt::white)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto plain = KXHoverTableRowView::colorsForRow(c.palette, false);
        const auto selected = KXHoverTableRowView::colorsForRow(c.palette, true);
        EXPECT_GE(KXHoverTableRowView::contrastRatio(selected.background, plain.background), 3.0);
        for (const auto& colors : {plain, selected}) {
            EXPECT_GE(KXHoverTableRowView::contrastRatio(colors.text, colors.background), 4.5);
            EXPECT_GE(KXHoverTableRowView::contrastRatio(colors.secondaryText, colors.background), 3.0);
            EXPECT_GE(KXHoverTableRowView::contrastRatio(colors.ink, colors.background), 3.0);
        }
    }
    EXPECT_DOUBLE_EQ(KXHoverTableRowView::contrastRatio(Qt::black, Qt::white), 21.0);
}

TEST(SourceRows, TheSeparatorIsTheLastLine) {
    EXPECT_EQ(KXHoverTableRowView::separatorRect(QRectF(0, 52, 300, 52)), QRectF(0, 103, 300, 1));
}

TEST(DragDropView, TakesFilesButNoFolders) {
    const QString pdf = QString::fromStdString(kx::test::writeTemp("drop.pdf", "x"));
    const QString other = QString::fromStdString(kx::test::writeTemp("drop2.pdf", "x"));
    EXPECT_TRUE(KXDragDropView::acceptsPaths({pdf, other}));
    EXPECT_FALSE(KXDragDropView::acceptsPaths({pdf, QString::fromStdString(kx::test::tempDir())}));
    EXPECT_FALSE(KXDragDropView::acceptsPaths({}));
}

}  // namespace
