// The engine's main queue in the application: blocks posted from other threads run in the Qt event
// loop, on the application's thread, in the order posted; a conversion's reports arrive there.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <thread>

#include "app/gui/KXQtMainQueue.h"
#include "engine/KXDocuvane.h"
#include "exporters/ExporterTable.h"
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

class QtMainQueueTest : public ::testing::Test {
protected:
    void SetUp() override { KXQtMainQueue::install(); }
    void TearDown() override { KXQtMainQueue::uninstall(); }
};

TEST_F(QtMainQueueTest, BlocksFromAWorkerRunInTheEventLoopInOrder) {
    std::vector<int> order;
    std::vector<bool> onMain;
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i)
            kx::MainQueue::async([&, i] {
                order.push_back(i);
                onMain.push_back(kx::MainQueue::isMainThread());
            });
    });
    worker.join();
    EXPECT_TRUE(order.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 5; }, 5000));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(onMain, std::vector<bool>(5, true));
}

class EndRecorder : public KXDocuvaneDelegate {
public:
    std::vector<std::string> events;
    void didStartConversion(KXDocuvane&, const KXError*) override { events.push_back("start"); }
    void willSaveDoc(KXDocuvane&) override { events.push_back("save"); }
    void didEndConversion(KXDocuvane&, const KXError* error) override {
        events.push_back(error ? "end " + std::to_string(error->code) : "end");
    }
};

TEST_F(QtMainQueueTest, AConversionReportsThroughTheEventLoop) {
    kx::test::PDFBuilder b;
    b.addPage("");
    const std::string pdf = kx::test::writeTemp("queue.pdf", b.build());
    kx::installExporters();
    EndRecorder recorder;
    KXDocuvane engine;
    engine.setDelegate(&recorder);
    engine.convertPDFAtPath(pdf, "", {1}, "txt", kx::pathJoin(kx::test::tempDir(), "queue.txt"), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !engine.isConverting() && recorder.events.size() == 3; }, 20000));
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"start", "save", "end"}));
}

}  // namespace
