#pragma once
// The engine's main queue in the desktop application: blocks posted from a conversion's worker run
// in the Qt event loop of the application's thread.

class KXQtMainQueue {
public:
    // Installs the hook; the calling thread (the one running QApplication) is the main thread.
    static void install();
    // Restores the plain run loop (after the last engine has gone).
    static void uninstall();
};
