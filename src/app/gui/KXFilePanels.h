#pragma once
// The open panels of the window: choosing PDF files to add, and choosing an output folder. Both are
// shown window-modal and answer through a callback (an empty answer when the user cancelled).

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

class KXFilePanels {
public:
    using FilesChosen = std::function<void(const QStringList& paths)>;
    using FolderChosen = std::function<void(const std::optional<QString>& folder)>;

    // Files only, several at once.
    static void chooseFiles(QWidget* window, const QString& message, const QString& prompt, FilesChosen done);
    // One folder, which the panel may create; it starts in `startFolder`.
    static void chooseFolder(QWidget* window, const QString& message, const QString& prompt, const QString& startFolder,
                             FolderChosen done);

    // Answers the panels instead of the user (the tests); nullptr restores the panels.
    class Override {
    public:
        virtual ~Override() = default;
        virtual void chooseFiles(const QString& message, const QString& prompt, FilesChosen done) = 0;
        virtual void chooseFolder(const QString& message, const QString& prompt, const QString& startFolder,
                                  FolderChosen done) = 0;
    };
    static void setOverride(Override* override);
};
