#pragma once
// One slide of the presentation being written: its shapes in drawing order, its relationships
// (rId1 the slide layout, then its pictures in the order they were first collected), and the text
// box the exporter is still filling. When the page ends it writes its slide part
// "/ppt/slides/slide<n>.xml" into the package and records its relationships there.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ooxml/KXPartRegistry.h"
#include "pptx/KXPPTXParagraph.h"
#include "pptx/KXPPTXShape.h"
#include "pptx/KXPPTXTextBoxInfo.h"

class KXOutputWriter;
class XMLFileWriter;

class KXPPTXPage {
public:
    // The slide numbered pageNumber (from 1) of the package; nothing is written before the page
    // ends.
    KXPPTXPage(std::uint64_t pageNumber, KXOutputWriter& package);

    static std::string partNameForPage(std::uint64_t pageNumber);
    static constexpr std::string_view contentType() {
        return "application/vnd.openxmlformats-officedocument.presentationml.slide+xml";
    }

    std::uint64_t pageNumber() const { return pageNumber_; }
    const std::string& partName() const { return partName_; }

    // Empties the shapes and relationships, then adds the slide-layout relationship.
    void begainWritePage(std::uint64_t pageNumber);
    void setDefaultRels();

    // The id of the relationship to "../media/<the path's last component>", or none.
    std::optional<std::string> findExistRelsWithImagePath(const std::string& mediaPath) const;
    // Adds a picture relationship to "../media/<the path's last component>" and answers its id.
    std::string addNewRelsWithImagePath(const std::string& mediaPath);
    const std::vector<KXRelationship>& pageRelsArr() const { return pageRelsArr_; }

    std::vector<std::unique_ptr<KXPPTXShape>>& sharepsArr() { return sharepsArr_; }
    void addShape(std::unique_ptr<KXPPTXShape> shape) { sharepsArr_.push_back(std::move(shape)); }

    // Writes the slide part and records its relationships in the package; false when the part
    // could not be written.
    bool endWritePage(std::uint64_t pageNumber);
    // The whole slide document onto the writer: the shape tree with every shape in order (ids 2,
    // 3, … on this slide), then the colour mapping of the master.
    void writePage(XMLFileWriter& writer);

    // The text box being filled.
    bool isUsingTextBox() const { return isUsingTextBox_; }
    void setIsUsingTextBox(bool v) { isUsingTextBox_ = v; }
    std::vector<std::unique_ptr<KXPPTXParagraph>>& cachedTextBoxParagraphs() { return cachedTextBoxParagraphs_; }
    KXPPTXTextBoxInfo& cachedTextBoxInfo() { return cachedTextBoxInfo_; }
    void setCachedTextBoxInfo(const KXPPTXTextBoxInfo& info) { cachedTextBoxInfo_ = info; }
    // The last cached paragraph; a default one is added first when there is none.
    KXPPTXParagraph& cachedTextBoxLastParagraph();
    // Appends a paragraph with the last one's properties (so an empty cache gets two).
    KXPPTXParagraph& cachedTextBoxNewParagraph();
    // The largest left margin + text width of the cached paragraphs (single precision), 0 for none.
    double cachedTextBoxWidthMax() const;
    // The sum of their line spacings, 0 for none.
    double cachedTextBoxHeight() const;

private:
    std::uint64_t pageNumber_;
    std::string partName_;
    KXOutputWriter* package_;
    bool isUsingTextBox_ = false;
    std::vector<std::unique_ptr<KXPPTXParagraph>> cachedTextBoxParagraphs_;
    KXPPTXTextBoxInfo cachedTextBoxInfo_;
    void addRelationship(KXRelationship relationship);
    std::vector<KXRelationship> pageRelsArr_;
    // The first relationship id of each target: a slide of many pictures finds each in one step.
    std::unordered_map<std::string, std::string> relsByTarget_;
    std::vector<std::unique_ptr<KXPPTXShape>> sharepsArr_;
};
