#include "ooxml/KXDocumentProperties.h"

#include <cstdlib>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/KXOutputWriter.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"

namespace kx {

namespace {

using NS = KXOpenXMLNameSpace;

void declaration(XMLFileWriter& w) { w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes"); }

}  // namespace

std::time_t documentTime() {
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"))
        if (std::optional<long long> seconds = kx::parseInteger(epoch); seconds && *seconds >= 0)
            return static_cast<std::time_t>(*seconds);
    return std::time(nullptr);
}

void writeCoreProperties(XMLFileWriter& w, const KXCoreProperties& properties) {
    w.setPrefix("cp", NS::nameSpace_cp());
    w.setPrefix("dc", NS::nameSpace_dc());
    w.setPrefix("dcterms", NS::nameSpace_dcterms());
    w.setPrefix("dcmitype", NS::nameSpace_dcmitype());
    w.setPrefix("xsi", NS::nameSpace_xsi());
    declaration(w);
    w.writeStartElementWithNamespace(NS::nameSpace_cp(), "coreProperties");
    for (const KXPropertyEntry& entry : properties.entries)
        w.writeDataElement(entry.namespaceURI, entry.name, entry.text);
    if (properties.time) {
        const std::string stamp = KXOutputWriter::W3CDTFDate(*properties.time);  // once, for both
        for (std::string_view name : {"created", "modified"}) {
            w.writeStartElementWithNamespace(NS::nameSpace_dcterms(), name);
            w.writeAttributeWithNamespace(NS::nameSpace_xsi(), "type", "dcterms:W3CDTF");
            w.writeCharacters(stamp);
            w.writeEndElement();
        }
    }
    w.writeEndElement();
}

void writeAppProperties(XMLFileWriter& w, const KXAppProperties& properties) {
    const std::string_view ns = NS::nameSpace_ExtendedProperties();
    const std::string_view vt = NS::nameSpace_vt();
    if (properties.defaultNamespaceFirst) w.setDefaultNamespace(ns);
    w.setPrefix("vt", vt);
    if (!properties.defaultNamespaceFirst) w.setDefaultNamespace(ns);
    declaration(w);
    w.writeStartElementWithNamespace(ns, "Properties");
    for (const auto& [name, text] : properties.leading) w.writeDataElement(ns, name, text);
    if (!properties.headingPairs.empty()) {
        w.writeStartElementWithNamespace(ns, "HeadingPairs");
        w.writeStartElementWithNamespace(vt, "vector");
        w.writeAttribute("size", std::to_string(2 * properties.headingPairs.size()));
        w.writeAttribute("baseType", "variant");
        auto variant = [&](std::string_view type, std::string_view text) {
            w.writeStartElementWithNamespace(vt, "variant");
            w.writeDataElement(vt, type, text);
            w.writeEndElement();
        };
        for (const auto& [kind, count] : properties.headingPairs) {
            variant("lpstr", kind);
            variant("i4", std::to_string(count));
        }
        w.writeEndElement();
        w.writeEndElement();
        w.writeStartElementWithNamespace(ns, "TitlesOfParts");
        w.writeStartElementWithNamespace(vt, "vector");
        w.writeAttribute("size", std::to_string(properties.titles.size()));
        w.writeAttribute("baseType", "lpstr");
        for (const std::string& title : properties.titles) w.writeDataElement(vt, "lpstr", title);
        w.writeEndElement();
        w.writeEndElement();
    }
    for (const auto& [name, text] : properties.trailing) w.writeDataElement(ns, name, text);
    w.writeEndElement();
}

}  // namespace kx
