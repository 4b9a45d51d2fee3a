#include "flowtext/KXTextRunText.h"

void KXTextRunText::writeWithXMLWriter(KXTextFileWriter& writer) { writer.write(runText()); }
