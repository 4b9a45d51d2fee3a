#pragma once
// The namespace and relationship-type URIs of the OOXML formats, as the standards give them.

#include <string>
#include <string_view>

class KXOpenXMLNameSpace {
public:
    KXOpenXMLNameSpace() = delete;

    // DrawingML main.
    static constexpr std::string_view nameSpace_a() { return "http://schemas.openxmlformats.org/drawingml/2006/main"; }
    // PresentationML main.
    static constexpr std::string_view nameSpace_p() {
        return "http://schemas.openxmlformats.org/presentationml/2006/main";
    }
    // officeDocument relationships (the namespace of r:id attributes).
    static constexpr std::string_view nameSpace_r() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    }
    // WordprocessingML main.
    static constexpr std::string_view nameSpace_w() {
        return "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    }
    // The VML namespaces and the other prefixes a WordprocessingML document part binds.
    static constexpr std::string_view nameSpace_v() { return "urn:schemas-microsoft-com:vml"; }
    static constexpr std::string_view nameSpace_o() { return "urn:schemas-microsoft-com:office:office"; }
    static constexpr std::string_view nameSpace_w10() { return "urn:schemas-microsoft-com:office:word"; }
    static constexpr std::string_view nameSpace_wp() {
        return "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
    }
    static constexpr std::string_view nameSpace_ve() {
        return "http://schemas.openxmlformats.org/markup-compatibility/2006";
    }
    static constexpr std::string_view nameSpace_m() { return "http://schemas.openxmlformats.org/officeDocument/2006/math"; }
    static constexpr std::string_view nameSpace_wne() { return "http://schemas.microsoft.com/office/word/2006/wordml"; }
    static constexpr std::string_view nameSpace_sl() { return "http://schemas.openxmlformats.org/schemaLibrary/2006/main"; }
    // The XML namespace (xml:space).
    static constexpr std::string_view nameSpace_xml() { return "http://www.w3.org/XML/1998/namespace"; }
    // Document-properties variant types.
    static constexpr std::string_view nameSpace_vt() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
    }
    // Package core properties.
    static constexpr std::string_view nameSpace_cp() {
        return "http://schemas.openxmlformats.org/package/2006/metadata/core-properties";
    }
    // Dublin Core elements 1.1.
    static constexpr std::string_view nameSpace_dc() { return "http://purl.org/dc/elements/1.1/"; }
    // DCMI terms.
    static constexpr std::string_view nameSpace_dcterms() { return "http://purl.org/dc/terms/"; }
    // DCMI type vocabulary.
    static constexpr std::string_view nameSpace_dcmitype() { return "http://purl.org/dc/dcmitype/"; }
    // XML Schema instance.
    static constexpr std::string_view nameSpace_xsi() { return "http://www.w3.org/2001/XMLSchema-instance"; }
    // Package relationships.
    static constexpr std::string_view nameSpace_Rels() {
        return "http://schemas.openxmlformats.org/package/2006/relationships";
    }
    // Package content types ([Content_Types].xml).
    static constexpr std::string_view nameSpace_ContentTypes() {
        return "http://schemas.openxmlformats.org/package/2006/content-types";
    }
    // Extended (application) document properties.
    static constexpr std::string_view nameSpace_ExtendedProperties() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties";
    }
    // The start of every officeDocument relationship type: the type of a part is this base followed
    // by its kind ("styles", "slide", "hyperlink").
    static constexpr std::string_view nameSpace_Rels_Base() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    }
    static std::string relationshipType(std::string_view kind) {
        return std::string(nameSpace_Rels_Base()).append(kind);
    }
    // Relationship types of the package's own relationships, shared by the three formats.
    static constexpr std::string_view nameSpace_Rels_OfficeDocument() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
    }
    static constexpr std::string_view nameSpace_Rels_CoreProperties() {
        return "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
    }
    static constexpr std::string_view nameSpace_Rels_ExtendedProperties() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties";
    }
    static constexpr std::string_view nameSpace_Rels_Thumbnail() {
        return "http://schemas.openxmlformats.org/package/2006/relationships/metadata/thumbnail";
    }
    // Relationship types of parts every format holds: pictures and the theme.
    static constexpr std::string_view nameSpace_Rels_Image() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";
    }
    static constexpr std::string_view nameSpace_Rels_Theme() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme";
    }
    // Relationship type of a worksheet part.
    static constexpr std::string_view nameSpace_Rels_WorkSheet() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
    }
    // Relationship types of a workbook's styles and shared strings (the DOCX styles part takes the
    // same styles type).
    static constexpr std::string_view nameSpace_Rels_Styles() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
    }
    static constexpr std::string_view nameSpace_Rels_SharedStrings() {
        return "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";
    }
    // SpreadsheetML main.
    static constexpr std::string_view nameSpace_SpreadSheetml2006Main() {
        return "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    }
};
