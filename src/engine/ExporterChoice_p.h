#pragma once
// Which exporter converts to which output type key. Each output format adds its row in
// ExporterChoice.cpp when its exporter exists (and its library to src/engine/CMakeLists.txt); until
// then its key has no exporter and a conversion to it ends with an error at the start.

#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

class KXPDFExporter;
class KXPDFOptions;

namespace kx::detail {

struct ExporterChoice {
    // Whether the row takes the key.
    std::function<bool(const std::string& key)> accepts;
    // A new exporter for the conversion, after any process-wide set-up its format needs.
    std::function<std::unique_ptr<KXPDFExporter>(const std::shared_ptr<const KXPDFOptions>& options)> make;
};

// The built-in rows in the order they are tried.
const std::vector<ExporterChoice>& exporterChoices();

// The row that takes the key (rows added by ScopedExporterChoice first); nullopt when none does.
std::optional<ExporterChoice> exporterChoiceForKey(const std::string& key);

// Adds a row, tried before the built-in ones, for its lifetime (tests drive the engine with a
// recording exporter through it).
class ScopedExporterChoice {
public:
    explicit ScopedExporterChoice(ExporterChoice row);
    ~ScopedExporterChoice();
    ScopedExporterChoice(const ScopedExporterChoice&) = delete;
    ScopedExporterChoice& operator=(const ScopedExporterChoice&) = delete;
};

}  // namespace kx::detail
