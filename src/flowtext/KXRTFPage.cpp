#include "flowtext/KXRTFPage.h"

void KXRTFPage::_writeParagraphs(KXRTFFileWriter& writer) { writeParagraphsOnLines(writer); }
