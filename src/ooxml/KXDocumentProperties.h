#pragma once
// The document properties every package holds: docProps/core.xml (title, author, the dates) and
// docProps/app.xml (the application and the parts it lists). Each format chooses its own entries,
// which differ on purpose; the parts are written one way, and one clock dates them.

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class XMLFileWriter;

// One element holding text, in the namespace given.
struct KXPropertyEntry {
    std::string_view namespaceURI;
    std::string name;
    std::string text;
};

struct KXCoreProperties {
    // The elements before the dates, in order (in the "dc" or "cp" namespace).
    std::vector<KXPropertyEntry> entries;
    // "dcterms:created" and "dcterms:modified"; none: the part holds no dates.
    std::optional<std::time_t> time;
};

struct KXAppProperties {
    // Elements of the extended-properties namespace (name, text): those before the heading pairs,
    // and those after the titles.
    std::vector<std::pair<std::string, std::string>> leading;
    std::vector<std::pair<std::string, std::string>> trailing;
    // "HeadingPairs": a kind of part and how many of it "TitlesOfParts" lists; none: neither
    // element is written.
    std::vector<std::pair<std::string, std::size_t>> headingPairs;
    std::vector<std::string> titles;
    // Whether the root declares the default namespace before the "vt" prefix.
    bool defaultNamespaceFirst = false;
};

namespace kx {

// The time a package is dated with: SOURCE_DATE_EPOCH when it is set to a whole number of seconds
// (not negative), so that the same input gives the same package; otherwise now.
std::time_t documentTime();

// The whole part, from the XML declaration to the end of the root element.
void writeCoreProperties(XMLFileWriter& w, const KXCoreProperties& properties);
void writeAppProperties(XMLFileWriter& w, const KXAppProperties& properties);

}  // namespace kx
