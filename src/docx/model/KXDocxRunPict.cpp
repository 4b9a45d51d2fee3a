#include "docx/model/KXDocxRunPict.h"

std::shared_ptr<KXDocxRun> KXDocxRunPict::copy() const {
    return std::shared_ptr<KXDocxRun>(new KXDocxRunPict(*this));
}
