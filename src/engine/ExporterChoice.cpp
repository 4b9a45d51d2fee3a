#include "engine/ExporterChoice.h"

#include <mutex>

namespace kx {

namespace {

// The caller's thread asks for rows (whether a key converts) while a conversion's worker may.
std::mutex& rowsMutex() {
    static std::mutex m;
    return m;
}

std::vector<ExporterChoice>& installedRows() {
    static std::vector<ExporterChoice> rows;
    return rows;
}

std::vector<ExporterChoice>& scopedRows() {
    static std::vector<ExporterChoice> rows;
    return rows;
}

}  // namespace

void installExporterChoices(std::vector<ExporterChoice> rows) {
    std::lock_guard lock(rowsMutex());
    for (ExporterChoice& row : rows) installedRows().push_back(std::move(row));
}

std::optional<ExporterChoice> exporterChoiceForKey(const std::string& key) {
    std::lock_guard lock(rowsMutex());
    for (auto it = scopedRows().rbegin(); it != scopedRows().rend(); ++it)
        if (it->accepts(key)) return *it;
    for (const ExporterChoice& row : installedRows())
        if (row.accepts(key)) return row;
    return std::nullopt;
}

ScopedExporterChoice::ScopedExporterChoice(ExporterChoice row) {
    std::lock_guard lock(rowsMutex());
    scopedRows().push_back(std::move(row));
}

ScopedExporterChoice::~ScopedExporterChoice() {
    std::lock_guard lock(rowsMutex());
    scopedRows().pop_back();
}

void prepareExporterForKey(const std::string& key) {
    std::optional<ExporterChoice> row = exporterChoiceForKey(key);
    if (row && row->prepare) row->prepare();
}

}  // namespace kx
