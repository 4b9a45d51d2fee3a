// The application as a whole: the feedback alert with a button for each support address it was built
// with, the mail its Contact button writes, one version everywhere, closing the window, and a second
// launch handing its files to the window of the first.

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QUrlQuery>

#include "WindowTestSupport.h"
#include "app/gui/KXAboutWindowController.h"
#include "app/gui/KXSingleInstance.h"
#include "app/jobs/KXSystemInformation.h"
#include "util/KXLibBundle.h"

using namespace kx;
using namespace kx::test;

namespace {

class SupportTest : public WindowTest {
protected:
    void TearDown() override {
        KXAppDelegate::setSupportAddresses(std::nullopt, std::nullopt);
        WindowTest::TearDown();
    }
    void relaunchWith(const QString& mail, const QString& review) {
        KXAppDelegate::setSupportAddresses(mail, review);
        app.reset();
        launch();
    }
    QMessageBox* openAlert() {
        list().showHelpAction();
        QMessageBox* alert = nullptr;
        EXPECT_TRUE(waitFor([&] {
            alert = app->window()->findChild<QMessageBox*>("alert_technicalSupport");
            return alert && alert->isVisible();
        }));
        return alert;
    }
    void click(QMessageBox* alert, const char* button) {
        QPointer<QMessageBox> watched(alert);
        alert->findChild<QPushButton*>(button)->click();
        EXPECT_TRUE(waitFor([&] { return !watched || !watched->isVisible(); }));
    }
};

TEST_F(SupportTest, TheAlertShowsAButtonForEachAddress) {
    struct Case {
        const char* name;
        QString mail, review;
        QStringList buttons;
    } cases[] = {
        {"no address", "", "", {"Cancel"}},
        {"a mail address", "help@example.org", "", {"✉️ Contact us", "Cancel"}},
        {"a review page", "", "https://example.org/review", {"❤️ Write a Review", "Cancel"}},
        {"both", "help@example.org", "https://example.org/review", {"✉️ Contact us", "❤️ Write a Review", "Cancel"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        relaunchWith(c.mail, c.review);
        // The window's help button and the Help menu's commands are there for the addresses it has.
        EXPECT_EQ(app->window()->findChild<QPushButton*>("btn_help")->isVisibleTo(app->window()), c.buttons.size() > 1);
        EXPECT_EQ(app->window()->findChild<QAction*>("support_TechnicalSupport") != nullptr, !c.mail.isEmpty());
        EXPECT_EQ(app->window()->findChild<QAction*>("support_openInAppStore") != nullptr, !c.review.isEmpty());
        QMessageBox* alert = openAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->text(), "Technical Support");
        EXPECT_EQ(alert->informativeText(),
                  "We'd love to hear your feedback! If you have ideas or feature requests for future versions of the "
                  "app, feel free to let us know. You can contact us using the in-app Help button on top menu bar.\n\n "
                  "If you enjoy the app, please write us a review and help spread the word! Thanks!");
        QStringList shown;
        for (QAbstractButton* button : alert->buttons()) shown << button->text();
        shown.sort();
        QStringList expected = c.buttons;
        expected.sort();
        EXPECT_EQ(shown, expected);
        click(alert, "btn_cancel");
        EXPECT_TRUE(workspace.urls.isEmpty());
    }
}

// Contact us writes a mail to the support address with the subject and the body that tell the
// version, the machine and the system; Write a Review opens the review page. The alert has gone
// first.
TEST_F(SupportTest, ContactUsAndWriteAReviewOpenTheirAddresses) {
    relaunchWith("help@example.org", "https://example.org/review?app=docuvane&page=1");
    QMessageBox* alert = openAlert();
    ASSERT_TRUE(alert);
    const QString path = screenshotFolder() + "/support-alert.png";
    QTest::qWait(100);
    ASSERT_TRUE(alert->grab().save(path));
    std::cout << "Screenshot: " << path.toStdString() << "\n";
    click(alert, "btn_contactUs");
    ASSERT_EQ(workspace.urls.size(), 1);
    const QUrl mail = workspace.urls.front();
    EXPECT_EQ(mail.scheme(), "mailto");
    EXPECT_EQ(mail.path(), "help@example.org");
    const QUrlQuery query(mail);
    EXPECT_EQ(query.queryItemValue("SUBJECT", QUrl::FullyDecoded), "Docuvane - 1.0.1: Technical Support");
    const QString body = query.queryItemValue("BODY", QUrl::FullyDecoded);
    EXPECT_TRUE(body.startsWith("\n \n \n \n \nMy Device Short Info:\n User Name:")) << body.toStdString();
    for (const QString& line : {"Devie Model:" + QString::fromStdString(KXHardwareModelString()) + "\n ",
                                "System Version:" + QString::fromStdString(KXSystemVersionString()) + "\n ",
                                QString("\n Country:"), QString("\n Language:")})
        EXPECT_TRUE(body.contains(line)) << line.toStdString() << " in " << body.toStdString();
    EXPECT_EQ(query.queryItems().size(), 2);

    click(openAlert(), "btn_writeAReview");
    ASSERT_EQ(workspace.urls.size(), 2);
    EXPECT_EQ(workspace.urls.back(), QUrl("https://example.org/review?app=docuvane&page=1"));
}

// The version the outputs and the command line give (the Info.plist that ships with the program) is
// the one the About window and the support mail give.
TEST_F(SupportTest, OneVersionEverywhere) {
    const std::optional<PlistValue> shipped = KXLibBundle::ObjectForInfoDictionaryKey_KXLib("CFBundleVersion");
    ASSERT_TRUE(shipped);
    const QString version = QString::fromStdString(shipped->string);
    EXPECT_EQ(version, "1.0.1");
    auto* about = new KXAboutWindowController();
    auto* label = about->findChild<QLabel*>("tf_version");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Version " + version);
    delete about;
    relaunchWith("help@example.org", "");
    EXPECT_EQ(QUrlQuery(KXAppDelegate::technicalSupportMail()).queryItemValue("SUBJECT", QUrl::FullyDecoded),
              "Docuvane - " + version + ": Technical Support");
}

// Closing the window ends the application even while the list holds a file that has not been
// converted: nothing would be left on the screen to show that it runs or to quit it.
TEST_F(SupportTest, ClosingTheWindowWithAnUnconvertedFileEndsTheApplication) {
    app->applicationOpenFiles({QString::fromStdString(pdfWithPages("not converted.pdf", 1))});
    ASSERT_TRUE(waitFor([&] { return !list().ma_sourceItems().empty() && !list().isAddingFiles(); }));
    ASSERT_TRUE(list().ma_sourceItems().front()->outputPath().empty());
    EXPECT_TRUE(app->applicationShouldTerminateAfterLastWindowClosed());
    QTimer::singleShot(0, app->window(), [this] { app->window()->close(); });
    QTimer stillRunning;
    stillRunning.setSingleShot(true);
    QObject::connect(&stillRunning, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    stillRunning.start(5000);
    EXPECT_EQ(QApplication::exec(), 0) << "the window closed and the application went on running";
    stillRunning.stop();
    EXPECT_FALSE(app->window()->isVisible());
}

// A launch with a file while the application runs on the same settings hands the file (named
// relative to where it was launched) to the running window and ends, with nothing on the console.
TEST_F(SupportTest, ASecondLaunchHandsItsFileToTheFirstWindow) {
    QTemporaryDir home;
    const QString settingsFile = home.filePath("config/Docuvane/Docuvane.ini");
    KXSingleInstance first(settingsFile);
    ASSERT_FALSE(first.handOverOrListen({}));  // nothing runs yet: this is the application
    QObject::connect(&first, &KXSingleInstance::filesOpened, app.get(),
                     [this](const QStringList& paths) { app->applicationOpenFiles(paths); });

    const std::string pdf = pdfWithPages("handed.pdf", 2);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_RUNTIME_DIR", QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    environment.remove("QT_QPA_PLATFORM");
    QProcess second;
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(QString::fromStdString(pathDirectory(pdf)));
    second.start(QString::fromStdString(binDir()) + "/Docuvane", {"handed.pdf"});
    ASSERT_TRUE(second.waitForStarted(10000));
    const bool ended = waitFor([&] { return second.state() == QProcess::NotRunning; }, 30000);
    if (!ended) second.kill();
    ASSERT_TRUE(ended) << "the second launch opened a window of its own";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardError().toStdString(), "");
    ASSERT_TRUE(waitFor([&] { return !list().ma_sourceItems().empty() && !list().isAddingFiles(); }));
    EXPECT_EQ(rows(), std::vector<std::string>{"handed.pdf"});
    EXPECT_EQ(list().ma_sourceItems().front()->sourcePath(), pdf);
}

}  // namespace
