#include "flowtext/KXTextPage.h"

void KXTextPage::_writeParagraphs(KXTextFileWriter& writer) {
    if (paragraphArray().empty()) return;
    writeParagraphsAsText(writer);
    writer.writeLinebreak();
}
