#pragma once
// The panels of the window: choosing PDF files to add, choosing an output folder, and naming the
// output folder of the first conversion. They are shown window-modal and answer through a callback
// (an empty answer when the user cancelled).

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
    // One folder, which the panel may create; it starts in `startFolder` (or the nearest folder above
    // it that exists).
    static void chooseFolder(QWidget* window, const QString& message, const QString& prompt, const QString& startFolder,
                             FolderChosen done);
    // A new folder: its name in a field labelled `nameLabel`, `proposedName` proposed, inside a
    // location that starts at `startFolder` and may be changed. The answer is the folder's path; the
    // folder is not made here.
    static void chooseNewFolder(QWidget* window, const QString& message, const QString& prompt, const QString& nameLabel,
                                const QString& startFolder, const QString& proposedName, FolderChosen done);

    // The folder itself when it exists, else the nearest folder above it that does (empty: none).
    static QString nearestExistingFolder(const QString& folder);

    // Answers the panels instead of the user (the tests); nullptr restores the panels.
    class Override {
    public:
        virtual ~Override() = default;
        virtual void chooseFiles(const QString& message, const QString& prompt, FilesChosen done) = 0;
        virtual void chooseFolder(const QString& message, const QString& prompt, const QString& startFolder,
                                  FolderChosen done) = 0;
        virtual void chooseNewFolder(const QString& message, const QString& prompt, const QString& nameLabel,
                                     const QString& startFolder, const QString& proposedName, FolderChosen done) = 0;
    };
    static void setOverride(Override* override);
};
