#pragma once
// The output-type key → exporter table of every exporter family. The engine chooses an exporter by
// key from the rows installed into it (engine/ExporterChoice.h) and links no family itself; the
// callers of the engine (the command line, the desktop application, the integration tests) install
// this table once at start-up.

#include <vector>

#include "engine/ExporterChoice.h"

namespace kx {

// The rows in the order they are tried.
std::vector<ExporterChoice> exporterTable();

// Installs the table into the engine. Only the first call does anything, so that every caller can
// make sure of it at start-up.
void installExporters();

}  // namespace kx
