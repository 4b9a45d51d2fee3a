#pragma once
// The package writer of one presentation: the slides as the exporter begins and ends them, the
// pictures they show, and at the end every other part of a .pptx package (presentation, its
// properties and view, table styles, theme, slide master and layouts, document properties and
// thumbnail), zipped into the destination.
//
// What the package lists follows what was written: the presentation's slide list, its slide
// relationships (rId6 onwards), the content types and the "Slides" count name exactly the slides
// whose parts were written, however many were announced. Pictures are copied into "/ppt/media"
// when they are collected, named image1, image2, … in the order of first collection; PNG, JPEG
// and GIF files keep their format (recognised from their content, not their name), any other
// picture (JPEG 2000, TIFF, BMP, TGA) is stored as PNG, so every picture of the package is one
// that presentation programs show. A file collected again, on the same slide or another, reuses
// its media part. The content types declare the "jpeg" and "png" extensions whether or not a
// picture of either kind was collected.

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ooxml/KXOutputWriter.h"
#include "platform/Geometry.h"
#include "pptx/KXPPTXPage.h"

class XMLFileWriter;

class KXPPTXWriter : public KXOutputWriter {
public:
    // A writer for the destination with its work folder made (in parentFolder when given); nullptr
    // when the work folder cannot be made.
    static std::unique_ptr<KXPPTXWriter> initWithPath(const std::string& path, std::int64_t numOfPages,
                                                      const std::optional<std::string>& parentFolder = std::nullopt);

    // Starts the document: no media, no slide.
    void begainWriteDocument();
    // Begins the next slide; the first slide's size (in points) becomes the presentation's.
    void begainWritePage(const kx::Size& size);
    // Ends the current slide, which writes its part; false when it could not be written (the
    // slide is then left out of the presentation).
    bool endWritePage();
    // The relationship id by which the current slide shows the picture file; none when there is no
    // slide or the file is no picture that can be read.
    std::optional<std::string> collectImageWithPath(const std::string& path);
    // Writes the remaining parts and zips the package into the destination; false, with the
    // reasons, when that fails (no package is then left at the destination).
    bool packetPPTXFile(KXError* error = nullptr);

    KXPPTXPage* currentPage() { return currentPage_.get(); }
    std::uint64_t currentPageIndex() const { return currentPageIndex_; }
    std::uint64_t totalPPTXPages() const { return totalPPTXPages_; }
    const kx::Size& slideSize() const { return slideSize_; }
    // The slide relationships of the presentation, filled when the package is completed.
    const std::vector<std::string>& slideIdsList() const { return slideIdsList_; }
    // The numbers of the slides whose parts were written, in order.
    const std::vector<std::uint64_t>& writtenSlides() const { return writtenSlides_; }

    // The time the document properties give as created and modified (by default the package's
    // clock, kx::documentTime()).
    void setCreationTime(std::time_t t) { creationTime_ = t; }
    std::time_t creationTime() const;

    // The generated parts, each as a whole document onto the writer.
    void writePresentation(XMLFileWriter& writer) const;
    void writeDocPropsApp(XMLFileWriter& writer) const;
    void writeDocPropsCore(XMLFileWriter& writer) const;
    static void writePresProps(XMLFileWriter& writer);
    static void writeViewProps(XMLFileWriter& writer);
    static void writeTableStyles(XMLFileWriter& writer);

    // The number of slide layouts the master lists.
    static constexpr int kSlideLayoutCount = 11;

private:
    KXPPTXWriter() = default;
    // The presentation's relationships: master, properties, view, theme, table styles, then one
    // per written slide (whose ids go into slideIdsList_).
    void setPresentationRelationships();
    bool addTemplatePart(const std::string& partName, std::string_view contentType, std::string_view templateName);
    bool writeXMLPart(const std::string& partName, std::string_view contentType,
                      const std::function<void(XMLFileWriter&)>& body);
    // The media part of a picture file, copied or converted into the package; none when it is
    // no picture that can be read.
    std::optional<std::string> mediaPartForFile(const std::string& path);

    std::unique_ptr<KXPPTXPage> currentPage_;
    std::uint64_t currentPageIndex_ = 0;
    std::uint64_t totalPPTXPages_ = 0;
    kx::Size slideSize_;
    std::vector<std::string> slideIdsList_;
    std::vector<std::uint64_t> writtenSlides_;
    std::map<std::string, std::string> mediaBySource_;  // source file → media part name
    std::uint64_t mediaCount_ = 0;
    std::optional<std::time_t> creationTime_;
};
