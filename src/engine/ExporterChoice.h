#pragma once
// Which exporter converts to which output type key. The engine holds the mechanism only: the rows
// come from above it, so that no exporter family is linked into the engine. The exporters' table
// (src/exporters) installs every family's rows at start-up; a key that no row takes ends its
// conversion with an error at the start.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KXPDFExporter;

namespace kx {

struct ExporterChoice {
    // Whether the row takes the key.
    std::function<bool(const std::string& key)> accepts;
    // A new exporter for the conversion. The engine then gives it the job's options (setMoreOptions),
    // which it reads, or hands to its family, when its document opens.
    std::function<std::unique_ptr<KXPDFExporter>()> make;
    // Set-up of the format that can begin as soon as its key is known, while the caller still
    // opens the document (the DOCX pages have the installed fonts read in the background); may be
    // empty. Called for every conversion to the key, so it must be cheap once done.
    std::function<void()> prepare = {};
};

// Appends rows to the table, after those installed before; they stay for the life of the process.
void installExporterChoices(std::vector<ExporterChoice> rows);

// The row that takes the key: rows added by ScopedExporterChoice first (the latest first), then the
// installed rows in their order; nullopt when none does.
std::optional<ExporterChoice> exporterChoiceForKey(const std::string& key);

// Calls the `prepare` of the row that takes the key, if any.
void prepareExporterForKey(const std::string& key);

// Adds a row, tried before the installed ones, for its lifetime (tests drive the engine with a
// recording exporter through it).
class ScopedExporterChoice {
public:
    explicit ScopedExporterChoice(ExporterChoice row);
    ~ScopedExporterChoice();
    ScopedExporterChoice(const ScopedExporterChoice&) = delete;
    ScopedExporterChoice& operator=(const ScopedExporterChoice&) = delete;
};

}  // namespace kx
