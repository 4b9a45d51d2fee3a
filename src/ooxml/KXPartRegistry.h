#pragma once
// The parts of one OOXML package as they are written, with their content types, and the
// relationships of each source part. From it come "[Content_Types].xml" (a Default per extension
// whose parts all have the usual type of that extension, an Override per other part) and one
// relationships part per source ("/_rels/.rels" for the package, "/word/_rels/document.xml.rels"
// for "/word/document.xml"), written from what was registered, so a package writer lists nothing
// it did not write.
//
// Part names are OPC part names: "/" then "/"-separated segments ("/ppt/slides/slide1.xml"); a
// name given without the leading "/" gets one. Part names, like extensions, compare without
// regard to ASCII case, as OPC says; a part keeps the spelling it was registered with.
//
// Relationship ids are chosen per source part: addRelationship() takes "rId<n>", n being the number
// of relationships ever added to that source (removed ones and ones with chosen ids included), the
// next free number when that id is taken; addRelationshipWithId() lets a writer choose or reserve
// an id. An id, once given, never changes: removing a relationship does not renumber the others.
// findOrAddRelationship() answers the id of an equal relationship (same type and target) when the
// source already has one, so the same picture used twice gets one id. Finding, adding and removing a
// relationship take the same time however many the source has.
//
// problems() lists what would make the package inconsistent (a relationship whose target is not a
// registered part, a relationship from a source that is not a part); KXOutputWriter refuses to
// write a package that has any.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class XMLFileWriter;

struct KXRelationship {
    std::string Id;
    std::string Type;
    std::string Target;  // relative to the source part's folder, or absolute ("/...")
};

class KXPartRegistry {
public:
    struct Part {
        std::string partName;
        std::string contentType;
    };

    // The source name that stands for the package itself (its relationships go to "/_rels/.rels").
    static constexpr std::string_view packageSource() { return "/"; }

    // Content types of the parts every package holds.
    static constexpr std::string_view contentType_Relationships() {
        return "application/vnd.openxmlformats-package.relationships+xml";
    }
    static constexpr std::string_view contentType_XML() { return "application/xml"; }
    static constexpr std::string_view contentType_CoreProperties() {
        return "application/vnd.openxmlformats-package.core-properties+xml";
    }
    static constexpr std::string_view contentType_ExtendedProperties() {
        return "application/vnd.openxmlformats-officedocument.extended-properties+xml";
    }
    static constexpr std::string_view contentType_Theme() { return "application/vnd.openxmlformats-officedocument.theme+xml"; }

    // The content type of a picture file by its extension (any case): png, jpeg/jpg, gif,
    // tiff/tif, bmp, emf, wmf, jp2. None for any other extension.
    static std::optional<std::string_view> mediaContentType(std::string_view extension);

    // The OPC part name of a name ("word/document.xml" → "/word/document.xml"); none when it is not
    // a valid part name (empty segments, "." or ".." segments, a segment ending in ".", a
    // backslash, a trailing "/").
    static std::optional<std::string> normalisedPartName(std::string_view name);
    // The relationships part of a source: "/" → "/_rels/.rels", "/a/b.xml" → "/a/_rels/b.xml.rels".
    static std::string relationshipsPartName(std::string_view source);
    // The part name a relationship target of the source points at ("../media/image1.png" from
    // "/ppt/slides/slide1.xml" → "/ppt/media/image1.png"); none when it leaves the package.
    static std::optional<std::string> resolveTarget(std::string_view source, std::string_view target);

    // Registers a part (or changes the content type of a registered one). False for an invalid
    // name, an empty content type, "[Content_Types].xml" and relationships parts (both are written
    // from the registry itself).
    bool addPart(std::string_view partName, std::string_view contentType);
    // Registers a picture part with the content type of its extension; false for an extension that
    // has none (see mediaContentType).
    bool addMediaPart(std::string_view partName);
    // Declares a Default element for a picture extension (see mediaContentType) whether or not a
    // part of that extension is written; false for an extension that has no content type.
    bool declareDefaultExtension(std::string_view extension);
    bool hasPart(std::string_view partName) const;
    std::optional<std::string> contentTypeOf(std::string_view partName) const;
    // Forgets a part (its relationships stay: problems() then reports them).
    void removePart(std::string_view partName);
    // In registration order.
    const std::vector<Part>& parts() const { return parts_; }

    // Adds a relationship from the source (a part name, or packageSource()) and answers its id.
    std::string addRelationship(std::string_view source, std::string_view type, std::string_view target);
    // Adds it under a chosen id; false (nothing added) when the source already uses the id or the
    // id is not an XML name.
    bool addRelationshipWithId(std::string_view source, std::string_view id, std::string_view type,
                               std::string_view target);
    // The id of the source's relationship of that type to that target, adding one when there is none.
    std::string findOrAddRelationship(std::string_view source, std::string_view type, std::string_view target);
    std::optional<std::string> findRelationship(std::string_view source, std::string_view type,
                                                std::string_view target) const;
    // False when the source has no relationship with the id.
    bool removeRelationship(std::string_view source, std::string_view id);
    // The source's relationships in the order they were added (empty for an unknown source).
    const std::vector<KXRelationship>& relationshipsOf(std::string_view source) const;
    // The sources that have at least one relationship, in part-name order ("/" first).
    std::vector<std::string> relationshipSources() const;

    // One line per inconsistency; empty when every relationship target is a registered part and
    // every source is the package or a registered part.
    std::vector<std::string> problems() const;

    // Writes the whole "[Content_Types].xml" document: declaration, then "Types" holding the Default
    // elements ("rels" and "xml" first, then the declared extensions in the order they were
    // declared, then the other extensions in the order their first part was registered) and the
    // Override elements in registration order.
    void writeContentTypes(XMLFileWriter& writer) const;
    // Writes the whole relationships part of the source: declaration, then "Relationships" holding a
    // "Relationship" (Id, Type, Target) per relationship, in the order they were added.
    void writeRelationships(std::string_view source, XMLFileWriter& writer) const;

private:
    struct Source {
        std::string name;
        // Every relationship ever added, in that order; a removed one stays as a hole so that the
        // positions in the indexes below never move.
        std::vector<KXRelationship> slots;
        std::vector<bool> removed;
        std::unordered_map<std::string, size_t> byId;                       // id → position
        std::unordered_map<std::string, std::vector<size_t>> byTypeTarget;  // → positions, in order
        std::uint64_t added = 0;
        // The relationships without the holes, made again when read after a change.
        mutable std::vector<KXRelationship> live;
        mutable bool liveIsCurrent = true;

        void append(KXRelationship relationship);
        const std::vector<KXRelationship>& relationships() const;
    };

    Source* sourceFor(std::string_view source);
    const Source* findSource(std::string_view source) const;
    void reindex();

    std::vector<Part> parts_;
    std::vector<std::string> declaredDefaults_;
    std::unordered_map<std::string, size_t> partIndex_;  // by lower-case name
    std::map<std::string, Source> sources_;              // by lower-case name
};
