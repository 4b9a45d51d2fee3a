#pragma once
// The output folder the user chose, kept in the settings store under a key as a plain absolute path.
// The folder is usable as it is: starting and stopping access to it does nothing beyond resolving.
//
// "Resolve" means: the key holds a non-empty path and a folder exists there. A folder that has gone
// since it was chosen does not resolve, and output falls back to the Downloads folder.

#include <optional>
#include <string>

class KXSandBoxUtilities {
public:
    // The chosen output folder (KXDefaulExportDirectory_SandBox), or nullopt.
    static std::optional<std::string> UserSelectedOutputURLBookmark();
    // True when the chosen output folder resolves and may be read and written.
    static bool isReadAndWritableUserSelectedOutputURLBookmark();
    // True when the chosen output folder resolves.
    static bool startAccessingUserSelectedOutputURLBookmark();
    static void stopAccessingUserSelectedOutputURLBookmark();

    static std::optional<std::string> UserSelectedOutputURLBookmarkForKey(const std::string& key);
    // Stores the folder's absolute path under KXDefaulExportDirectory_SandBox, or under the key. An
    // empty path stores nothing and answers false; otherwise the answer is that of the store's
    // synchronise.
    static bool SaveUserSelectedOutputURLBookmark(const std::string& folder);
    static bool SaveUserSelectedOutputURLBookmark(const std::string& folder, const std::string& key);

    // False for an empty path; otherwise whether the folder may be read and written.
    static bool startAccessingUserSelectedOutputURL(const std::string& folder);
    static bool startAccessingUserSelectedOutputURLBookmarkForKey(const std::string& key);
    // False for an empty path, else true.
    static bool stopAccessingUserSelectedOutputURL(const std::string& folder);
    static bool stopAccessingUserSelectedOutputURLBookmarkForKey(const std::string& key);

    // The folder output goes to when none was chosen: the user's Downloads folder (as the desktop's
    // user-dirs.dirs names it, else "Downloads" in the home folder).
    static std::string defaultOutputDirectory();
};
