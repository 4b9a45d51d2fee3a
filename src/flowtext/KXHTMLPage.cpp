#include "flowtext/KXHTMLPage.h"

#include "flowtext/KXHTMLState.h"

void KXHTMLPage::_writeParagraphs(KXHTMLFileWriter& writer) {
    if (paragraphArray().empty()) return;
    writeParagraphsOnLines(writer);
    KXHTMLState::sharedInstance().endWriteParagraphTagsIfNeed(writer);
}
