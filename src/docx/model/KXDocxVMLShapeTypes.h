#pragma once
// The VML shape types and shape ids of the document part being written.
//
// A VML shape names its type ("#_x0000_t202" a text box, "#_x0000_t136" text along a path,
// "#_x0000_t75" a picture frame); the type must be defined by a "v:shapetype" of that id before a
// shape uses it, and each id may be defined only once in the part. The first picture of a kind
// writes the definition in its own "w:pict", just before its shape; later ones only refer to it.
// A numbered shape also carries an "id" and an "o:spid" of its own, unique in the part; the text
// box around a table carries the same pair as every other such box ("TextBox 1", "_x0000_t202").
//
// One registry serves the process; the package writer sets it back when a document begins. Used
// from the conversion thread only.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class XMLFileWriter;

class KXDocxVMLShapeTypes {
public:
    enum class Kind { TextBox, TextPath, PictureFrame };

    // The id of a shape and its "o:spid", both unique in the document part.
    struct ShapeID {
        std::string id;
        std::string spid;
    };

    static KXDocxVMLShapeTypes& sharedInstance();
    // No type defined yet (a new document part).
    void begainWriteDocument() { defined_ = {}; }

    // The id of the kind's type ("_x0000_t202", "_x0000_t136", "_x0000_t75").
    static std::string_view shapeTypeID(Kind kind);
    // Whether the kind's type has been written into the document part.
    bool isDefined(Kind kind) const { return defined_[index(kind)]; }
    // Writes the kind's "v:shapetype" into the open "w:pict" when the part has none yet; answers the
    // reference a shape gives as its "type" ("#_x0000_t202").
    std::string writeShapeTypeIfNeed(XMLFileWriter& writer, Kind kind);
    // A new shape id named after `name` ("TextBox 3") and its "o:spid" ("_x0000_s1027"), numbered by
    // the document's shape counter (KXDocxCounters).
    static ShapeID newShapeID(std::string_view name);
    // Opens a "v:shape" of the kind with a new id named after `name` and its "o:spid", the kind's
    // type written first when the part has none yet; the caller writes the rest and closes it.
    void writeStartNumberedShape(XMLFileWriter& writer, Kind kind, std::string_view name);

private:
    static size_t index(Kind kind) { return static_cast<size_t>(kind); }
    std::array<bool, 3> defined_{};
};
