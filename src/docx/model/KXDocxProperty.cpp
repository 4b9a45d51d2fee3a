#include "docx/model/KXDocxProperty.h"

#include "docx/model/KXDocxUtilities.h"

KXDocxProperty::KXDocxProperty()
    : pProperty_(KXDocxUtilities::defaultPProperty()),
      rProperty_(KXDocxUtilities::defaultRProperty()),
      sectProperty_(KXDocxUtilities::defaultSectPropertyHiden()) {}

std::shared_ptr<KXDocxProperty> KXDocxProperty::NewWriteSectProperty(const KXDocx_SectPr& sectProperty) {
    auto property = std::make_shared<KXDocxProperty>();
    property->propertyWriteType_ = kWriteSectProperty;
    property->sectProperty_ = sectProperty;
    return property;
}

std::shared_ptr<KXDocxProperty> KXDocxProperty::NewWrite1BlankParagraphWithProperty(const KXDocx_PPr& pProperty,
                                                                                    const KXDocx_RPr& rProperty,
                                                                                    const KXDocx_SectPr& sectProperty) {
    auto property = std::make_shared<KXDocxProperty>();
    property->propertyWriteType_ = kWriteBlankParagraph;
    property->pProperty_ = pProperty;
    property->rProperty_ = rProperty;
    property->sectProperty_ = sectProperty;
    return property;
}

void KXDocxProperty::writeWithXMLWriter(XMLFileWriter& writer) {
    switch (propertyWriteType_) {
        case kWriteSectProperty:
            KXDocxUtilities::WriteSectProperty(sectProperty_, writer);
            break;
        case kWriteBlankParagraph:
            KXDocxUtilities::Write1BlankParagraphWithProperty(pProperty_, rProperty_, sectProperty_, writer);
            break;
        default:
            break;
    }
}
