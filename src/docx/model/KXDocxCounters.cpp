#include "docx/model/KXDocxCounters.h"

KXDocxCounters& KXDocxCounters::sharedInstance() {
    static KXDocxCounters counters;
    return counters;
}
