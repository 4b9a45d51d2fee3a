#include "pdf/interpreter/KXPDFProperties.h"

std::shared_ptr<KXPDFProperties> KXPDFProperties::PropertiesWithObject(const kx::PDFObject& object,
                                                                       std::string objectKey) {
    if (!object.isDictionary()) return nullptr;
    std::int64_t type = 0;
    if (!object.dictGet("PropertiesType").getInteger(type) || type != 1) return nullptr;
    auto p = std::make_shared<KXPDFProperties>(object, std::move(objectKey));
    p->setType(1);
    return p;
}
