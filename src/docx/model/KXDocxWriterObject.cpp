#include "docx/model/KXDocxWriterObject.h"

void KXDocxWriterObject::writeWithXMLWriter(XMLFileWriter&) {}
