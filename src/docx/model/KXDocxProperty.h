#pragma once
// What a section writes to end a band of the page: the body-level section properties, or one blank
// paragraph that carries them (or nothing).

#include <memory>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxWriterObject.h"

class KXDocxProperty : public KXDocxWriterObject {
public:
    enum : int { kWriteNothing = 0, kWriteSectProperty = 1, kWriteBlankParagraph = 2 };

    // Default records, writes nothing.
    KXDocxProperty();

    static std::shared_ptr<KXDocxProperty> NewWriteSectProperty(const KXDocx_SectPr& sectProperty);
    static std::shared_ptr<KXDocxProperty> NewWrite1BlankParagraphWithProperty(const KXDocx_PPr& pProperty,
                                                                               const KXDocx_RPr& rProperty,
                                                                               const KXDocx_SectPr& sectProperty);

    // A bare "w:sectPr", or a "w:p" holding only its "w:pPr" (with the section break when the
    // section record says it is to be written).
    void writeWithXMLWriter(XMLFileWriter& writer) override;

    int propertyWriteType() const { return propertyWriteType_; }
    void setPropertyWriteType(int type) { propertyWriteType_ = type; }
    const KXDocx_PPr& pProperty() const { return pProperty_; }
    void setPProperty(const KXDocx_PPr& property) { pProperty_ = property; }
    const KXDocx_RPr& rProperty() const { return rProperty_; }
    void setRProperty(const KXDocx_RPr& property) { rProperty_ = property; }
    const KXDocx_SectPr& sectProperty() const { return sectProperty_; }
    void setSectProperty(const KXDocx_SectPr& property) { sectProperty_ = property; }

private:
    int propertyWriteType_ = kWriteNothing;
    KXDocx_PPr pProperty_;
    KXDocx_RPr rProperty_;
    KXDocx_SectPr sectProperty_;
};
