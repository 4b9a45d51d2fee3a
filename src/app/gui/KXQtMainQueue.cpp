#include "app/gui/KXQtMainQueue.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "platform/Dispatch.h"

void KXQtMainQueue::install() {
    kx::MainQueue::setMainThread();
    kx::MainQueue::setHook([](kx::Block block) {
        // Queued to the application object, whose thread is the main thread; a block posted while
        // the application is going away is dropped with the event.
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(block), Qt::QueuedConnection);
    });
}

void KXQtMainQueue::uninstall() { kx::MainQueue::setHook({}); }
