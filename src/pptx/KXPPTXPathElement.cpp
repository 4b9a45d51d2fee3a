#include "pptx/KXPPTXPathElement.h"

KXPPTXPathElement::KXPPTXPathElement(const kx::PathElement& element) : type(static_cast<std::int32_t>(element.type)) {
    int count = 0;
    switch (element.type) {
        case kx::PathElementType::MoveToPoint:
        case kx::PathElementType::AddLineToPoint: count = 1; break;
        case kx::PathElementType::AddQuadCurveToPoint: count = 2; break;
        case kx::PathElementType::AddCurveToPoint: count = 3; break;
        default: count = 0; break;
    }
    points.assign(element.points.begin(), element.points.begin() + count);
}
