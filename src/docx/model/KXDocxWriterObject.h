#pragma once
// The base of every object of the DOCX page model that writes itself into the document part: runs,
// paragraphs, section-break holders, sections and tables.

class XMLFileWriter;

class KXDocxWriterObject {
public:
    KXDocxWriterObject() = default;
    virtual ~KXDocxWriterObject() = default;

    // Writes the object's WordprocessingML at the writer's position; the base writes nothing.
    virtual void writeWithXMLWriter(XMLFileWriter& writer);

protected:
    KXDocxWriterObject(const KXDocxWriterObject&) = default;
    KXDocxWriterObject& operator=(const KXDocxWriterObject&) = default;
};
