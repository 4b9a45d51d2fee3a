#pragma once
// The base of a slide's shapes (text box, freeform, picture): its kind, its paragraphs and its
// text-body properties, and the order in which a shape writes itself as "p:sp": non-visual
// properties, shape properties, style, text body (hooks the kinds fill in).
//
// Every shape of a slide carries an id unique on that slide (the slide numbers its shapes from 2
// when it writes them, 1 being the slide's shape tree) and a name made from it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pptx/KXPPTXParagraph.h"
#include "pptx/KXPPTXPropertyRecords.h"

class XMLFileWriter;

class KXPPTXShape {
public:
    enum Type : std::uint64_t { kTextBox = 0, kFreeform = 1, kPicture = 2 };

    // An empty paragraph list and the default text-body properties.
    explicit KXPPTXShape(std::uint64_t spType);
    virtual ~KXPPTXShape() = default;
    KXPPTXShape(const KXPPTXShape&) = delete;
    KXPPTXShape& operator=(const KXPPTXShape&) = delete;

    std::uint64_t spType() const { return spType_; }
    std::vector<std::unique_ptr<KXPPTXParagraph>>& paragraphs() { return paragraphs_; }
    const std::vector<std::unique_ptr<KXPPTXParagraph>>& paragraphs() const { return paragraphs_; }
    const KXPPTX_TxBodyPr& bodyPr() const { return bodyPr_; }
    void setBodyPr(const KXPPTX_TxBodyPr& p) { bodyPr_ = p; }
    // The id on its slide.
    std::uint32_t shapeId() const { return shapeId_; }
    void setShapeId(std::uint32_t id) { shapeId_ = id; }

    // Opens "p:sp", writes the four parts in order and closes it.
    virtual void writeShapeWith(XMLFileWriter& writer);

protected:
    virtual void write_nvSpPr(XMLFileWriter&) {}
    virtual void write_spPr(XMLFileWriter&) {}
    virtual void write_style(XMLFileWriter&) {}
    virtual void write_txBody(XMLFileWriter&) {}
    // "p:cNvPr" with the shape's id and "<kind> <id - 1>" as its name, left open for more
    // attributes.
    void writeCNvPr(XMLFileWriter& writer, std::string_view kind);

private:
    std::uint64_t spType_;
    std::vector<std::unique_ptr<KXPPTXParagraph>> paragraphs_;
    KXPPTX_TxBodyPr bodyPr_;
    std::uint32_t shapeId_ = 2;
};
