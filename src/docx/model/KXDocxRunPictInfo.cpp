#include "docx/model/KXDocxRunPictInfo.h"

#include "platform/Format.h"

std::string KXDocxRunPictInfo::description() const {
    return kx::format("\ndisplayX: %f\r\ndisplayY: %f\r\ndisplayWidth: %f\r\ndisplayHeight: %f", displayX, displayY,
                      displayWidth, displayHeight);
}
