#include "ooxml/KXPartRegistry.h"

#include <algorithm>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"

namespace {

std::string lowerASCII(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The extension of a part name's last segment, lower case; empty when it has none.
std::string extensionOf(std::string_view partName) {
    size_t slash = partName.rfind('/');
    std::string_view last = slash == std::string_view::npos ? partName : partName.substr(slash + 1);
    size_t dot = last.rfind('.');
    if (dot == std::string_view::npos) return {};
    return lowerASCII(last.substr(dot + 1));
}

// The content type that a Default element gives the extension, for the extensions this package
// base declares by default.
std::optional<std::string_view> defaultContentType(std::string_view extension) {
    if (extension == "rels") return KXPartRegistry::contentType_Relationships();
    if (extension == "xml") return KXPartRegistry::contentType_XML();
    return KXPartRegistry::mediaContentType(extension);
}

bool isRelationshipsPartName(std::string_view partName) {
    std::string lower = lowerASCII(partName);
    size_t slash = lower.rfind('/');
    if (slash == std::string::npos || lower.size() < 5 || lower.compare(lower.size() - 5, 5, ".rels") != 0) return false;
    std::string_view folder = std::string_view(lower).substr(0, slash);
    return folder == "/_rels" || (folder.size() >= 6 && folder.substr(folder.size() - 6) == "/_rels");
}

// An XML name without a colon (what an xsd:ID holds), in its ASCII form.
bool isNCName(std::string_view s) {
    if (s.empty()) return false;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!letter(s[0])) return false;
    return std::all_of(s.begin() + 1, s.end(), [&](char c) {
        return letter(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
    });
}

std::string sourceKey(std::string_view source) {
    if (source == KXPartRegistry::packageSource()) return std::string(source);
    return lowerASCII(KXPartRegistry::normalisedPartName(source).value_or(std::string(source)));
}

std::string sourceName(std::string_view source) {
    if (source == KXPartRegistry::packageSource()) return std::string(source);
    return KXPartRegistry::normalisedPartName(source).value_or(std::string(source));
}

void writeDeclaration(XMLFileWriter& w) { w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes"); }

std::string typeTargetKey(std::string_view type, std::string_view target) {
    std::string key;
    key.reserve(type.size() + 1 + target.size());
    key.append(type).push_back('\n');  // in neither a type URI nor a target
    key.append(target);
    return key;
}

}  // namespace

std::optional<std::string_view> KXPartRegistry::mediaContentType(std::string_view extension) {
    struct Entry {
        std::string_view extension, contentType;
    };
    static constexpr Entry kTable[] = {
        {"png", "image/png"},   {"jpeg", "image/jpeg"}, {"jpg", "image/jpeg"}, {"gif", "image/gif"},
        {"tiff", "image/tiff"}, {"tif", "image/tiff"},  {"bmp", "image/bmp"},  {"emf", "image/x-emf"},
        {"wmf", "image/x-wmf"}, {"jp2", "image/jp2"},
    };
    std::string lower = lowerASCII(extension);
    for (const Entry& e : kTable)
        if (e.extension == lower) return e.contentType;
    return std::nullopt;
}

std::optional<std::string> KXPartRegistry::normalisedPartName(std::string_view name) {
    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "/" + std::string(name).
    std::string out;
    out.reserve(name.size() + 1);
    if (name.empty() || name[0] != '/') out += '/';
    out += name;
    if (out.size() < 2 || out.back() == '/' || out.find('\\') != std::string::npos) return std::nullopt;
    size_t start = 1;
    while (start <= out.size()) {
        size_t end = out.find('/', start);
        if (end == std::string::npos) end = out.size();
        std::string_view segment = std::string_view(out).substr(start, end - start);
        if (segment.empty() || segment.back() == '.') return std::nullopt;  // "", ".", ".." and "a."
        start = end + 1;
    }
    return out;
}

std::string KXPartRegistry::relationshipsPartName(std::string_view source) {
    if (source == packageSource()) return "/_rels/.rels";
    std::string name = sourceName(source);
    size_t slash = name.rfind('/');
    return name.substr(0, slash + 1) + "_rels/" + name.substr(slash + 1) + ".rels";
}

std::optional<std::string> KXPartRegistry::resolveTarget(std::string_view source, std::string_view target) {
    std::string base;
    if (target.empty()) return std::nullopt;
    if (target[0] != '/') {
        std::string src = sourceName(source);
        base = src.substr(0, src.rfind('/') + 1);  // "/" for the package
    }
    std::string joined = base + std::string(target);
    std::vector<std::string_view> segments;
    size_t start = 1;
    while (start <= joined.size()) {
        size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        std::string_view segment = std::string_view(joined).substr(start, end - start);
        if (segment == "..") {
            if (segments.empty()) return std::nullopt;  // above the package's root
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string out;
    for (std::string_view s : segments) {
        out += '/';
        out += s;
    }
    return normalisedPartName(out);
}

// --- Parts ----------------------------------------------------------------------------------------

bool KXPartRegistry::addPart(std::string_view partName, std::string_view contentType) {
    std::optional<std::string> name = normalisedPartName(partName);
    if (!name || contentType.empty()) return false;
    std::string key = lowerASCII(*name);
    if (key == "/[content_types].xml" || isRelationshipsPartName(key)) return false;
    auto it = partIndex_.find(key);
    if (it != partIndex_.end()) {
        parts_[it->second].contentType = std::string(contentType);
        return true;
    }
    partIndex_.emplace(key, parts_.size());
    parts_.push_back({*name, std::string(contentType)});
    return true;
}

bool KXPartRegistry::addMediaPart(std::string_view partName) {
    std::optional<std::string_view> type = mediaContentType(extensionOf(partName));
    return type && addPart(partName, *type);
}

bool KXPartRegistry::declareDefaultExtension(std::string_view extension) {
    const std::string lower = lowerASCII(extension);
    if (!mediaContentType(lower)) return false;
    if (std::find(declaredDefaults_.begin(), declaredDefaults_.end(), lower) == declaredDefaults_.end())
        declaredDefaults_.push_back(lower);
    return true;
}

bool KXPartRegistry::hasPart(std::string_view partName) const {
    std::optional<std::string> name = normalisedPartName(partName);
    return name && partIndex_.count(lowerASCII(*name));
}

std::optional<std::string> KXPartRegistry::contentTypeOf(std::string_view partName) const {
    std::optional<std::string> name = normalisedPartName(partName);
    if (!name) return std::nullopt;
    auto it = partIndex_.find(lowerASCII(*name));
    if (it == partIndex_.end()) return std::nullopt;
    return parts_[it->second].contentType;
}

void KXPartRegistry::removePart(std::string_view partName) {
    std::optional<std::string> name = normalisedPartName(partName);
    if (!name) return;
    auto it = partIndex_.find(lowerASCII(*name));
    if (it == partIndex_.end()) return;
    parts_.erase(parts_.begin() + static_cast<std::ptrdiff_t>(it->second));
    reindex();
}

void KXPartRegistry::reindex() {
    partIndex_.clear();
    for (size_t i = 0; i < parts_.size(); ++i) partIndex_.emplace(lowerASCII(parts_[i].partName), i);
}

// --- Relationships --------------------------------------------------------------------------------

void KXPartRegistry::Source::append(KXRelationship relationship) {
    const size_t at = slots.size();
    byId.emplace(relationship.Id, at);
    byTypeTarget[typeTargetKey(relationship.Type, relationship.Target)].push_back(at);
    slots.push_back(std::move(relationship));
    removed.push_back(false);
    liveIsCurrent = false;
}

const std::vector<KXRelationship>& KXPartRegistry::Source::relationships() const {
    if (!liveIsCurrent) {
        live.clear();
        for (size_t i = 0; i < slots.size(); ++i)
            if (!removed[i]) live.push_back(slots[i]);
        liveIsCurrent = true;
    }
    return live;
}

KXPartRegistry::Source* KXPartRegistry::sourceFor(std::string_view source) {
    auto [it, added] = sources_.try_emplace(sourceKey(source));
    if (added) it->second.name = sourceName(source);
    return &it->second;
}

const KXPartRegistry::Source* KXPartRegistry::findSource(std::string_view source) const {
    auto it = sources_.find(sourceKey(source));
    return it == sources_.end() ? nullptr : &it->second;
}

std::string KXPartRegistry::addRelationship(std::string_view source, std::string_view type, std::string_view target) {
    Source* s = sourceFor(source);
    std::uint64_t n = ++s->added;
    std::string id = "rId" + std::to_string(n);
    while (s->byId.count(id)) id = "rId" + std::to_string(++n);
    s->append({id, std::string(type), std::string(target)});
    return id;
}

bool KXPartRegistry::addRelationshipWithId(std::string_view source, std::string_view id, std::string_view type,
                                           std::string_view target) {
    if (!isNCName(id)) return false;
    Source* s = sourceFor(source);
    if (s->byId.count(std::string(id))) return false;
    ++s->added;
    s->append({std::string(id), std::string(type), std::string(target)});
    return true;
}

std::string KXPartRegistry::findOrAddRelationship(std::string_view source, std::string_view type,
                                                  std::string_view target) {
    if (std::optional<std::string> id = findRelationship(source, type, target)) return *id;
    return addRelationship(source, type, target);
}

std::optional<std::string> KXPartRegistry::findRelationship(std::string_view source, std::string_view type,
                                                            std::string_view target) const {
    const Source* s = findSource(source);
    if (!s) return std::nullopt;
    auto it = s->byTypeTarget.find(typeTargetKey(type, target));
    if (it == s->byTypeTarget.end()) return std::nullopt;
    return s->slots[it->second.front()].Id;
}

bool KXPartRegistry::removeRelationship(std::string_view source, std::string_view id) {
    auto it = sources_.find(sourceKey(source));
    if (it == sources_.end()) return false;
    Source& s = it->second;
    auto byId = s.byId.find(std::string(id));
    if (byId == s.byId.end()) return false;
    const size_t at = byId->second;
    s.byId.erase(byId);
    // Equal relationships are few: the position is found among them.
    auto equal = s.byTypeTarget.find(typeTargetKey(s.slots[at].Type, s.slots[at].Target));
    std::vector<size_t>& positions = equal->second;
    positions.erase(std::find(positions.begin(), positions.end(), at));
    if (positions.empty()) s.byTypeTarget.erase(equal);
    s.removed[at] = true;
    s.slots[at] = {};
    s.liveIsCurrent = false;
    return true;
}

const std::vector<KXRelationship>& KXPartRegistry::relationshipsOf(std::string_view source) const {
    static const std::vector<KXRelationship> kNone;
    const Source* s = findSource(source);
    return s ? s->relationships() : kNone;
}

std::vector<std::string> KXPartRegistry::relationshipSources() const {
    std::vector<std::string> out;
    for (const auto& [key, s] : sources_)
        if (!s.byId.empty()) out.push_back(s.name);
    return out;
}

std::vector<std::string> KXPartRegistry::problems() const {
    std::vector<std::string> out;
    for (const auto& [key, s] : sources_) {
        if (s.byId.empty()) continue;
        if (s.name != packageSource() && !hasPart(s.name))
            out.push_back("relationships of " + s.name + ", which is not a part of the package");
        for (const KXRelationship& r : s.relationships()) {
            std::optional<std::string> target = resolveTarget(s.name, r.Target);
            if (!target)
                out.push_back("relationship " + r.Id + " of " + s.name + " points outside the package: " + r.Target);
            else if (!hasPart(*target))
                out.push_back("relationship " + r.Id + " of " + s.name + " points at a missing part " + *target);
        }
    }
    return out;
}

// --- Writing --------------------------------------------------------------------------------------

void KXPartRegistry::writeContentTypes(XMLFileWriter& w) const {
    std::vector<std::string> defaults = {"rels", "xml"};
    for (const std::string& extension : declaredDefaults_)
        if (std::find(defaults.begin(), defaults.end(), extension) == defaults.end()) defaults.push_back(extension);
    std::vector<const Part*> overrides;
    for (const Part& part : parts_) {
        std::string extension = extensionOf(part.partName);
        std::optional<std::string_view> byDefault = extension.empty() ? std::nullopt : defaultContentType(extension);
        if (byDefault && *byDefault == part.contentType) {
            if (std::find(defaults.begin(), defaults.end(), extension) == defaults.end()) defaults.push_back(extension);
        } else {
            overrides.push_back(&part);
        }
    }

    const std::string_view ns = KXOpenXMLNameSpace::nameSpace_ContentTypes();
    w.setDefaultNamespace(ns);
    writeDeclaration(w);
    w.writeStartElementWithNamespace(ns, "Types");
    for (const std::string& extension : defaults) {
        w.writeStartElementWithNamespace(ns, "Default");
        w.writeAttribute("Extension", extension);
        w.writeAttribute("ContentType", *defaultContentType(extension));
        w.writeEndElement();
    }
    for (const Part* part : overrides) {
        w.writeStartElementWithNamespace(ns, "Override");
        w.writeAttribute("PartName", part->partName);
        w.writeAttribute("ContentType", part->contentType);
        w.writeEndElement();
    }
    w.writeEndDocument();
}

void KXPartRegistry::writeRelationships(std::string_view source, XMLFileWriter& w) const {
    const std::string_view ns = KXOpenXMLNameSpace::nameSpace_Rels();
    w.setDefaultNamespace(ns);
    writeDeclaration(w);
    w.writeStartElementWithNamespace(ns, "Relationships");
    for (const KXRelationship& r : relationshipsOf(source)) {
        w.writeStartElementWithNamespace(ns, "Relationship");
        w.writeAttribute("Id", r.Id);
        w.writeAttribute("Type", r.Type);
        w.writeAttribute("Target", r.Target);
        w.writeEndElement();
    }
    w.writeEndDocument();
}
