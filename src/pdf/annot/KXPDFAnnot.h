#pragma once
// An annotation of a page. The factory makes the class that belongs to the annotation's /Subtype;
// after the page content, the page's collection replays each annotation through its delegate (the
// interpreter), so that exporters receive annotations as they receive page content. The base class
// replays the normal appearance stream; the kinds that draw themselves without one override
// drawWithoutAppearance, and those that replay or draw in their own way override startParser.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "pdf/annot/KXPDFAnnotAppearance.h"
#include "pdf/annot/KXPDFBorder.h"
#include "pdf/color/KXPDFColor.h"
#include "platform/Geometry.h"
#include "platform/pdf/PDFObject.h"

class KXPDFAnnotDelegate;
class KXPDFAnnotPopup;

class KXPDFAnnot : public std::enable_shared_from_this<KXPDFAnnot> {
public:
    // Bits of /F that keep an annotation off the screen.
    static constexpr std::int64_t kFlagHidden = 1 << 1;
    static constexpr std::int64_t kFlagNoView = 1 << 5;

    KXPDFAnnot();
    // Parses the entries every annotation has.
    explicit KXPDFAnnot(const kx::PDFObject& dictionary);
    virtual ~KXPDFAnnot();
    KXPDFAnnot(const KXPDFAnnot&) = delete;
    KXPDFAnnot& operator=(const KXPDFAnnot&) = delete;

    // The annotation of the class that its /Subtype names; nullptr for a dictionary whose /Type is
    // present and is not /Annot.
    static std::shared_ptr<KXPDFAnnot> AnnotWithDictionary(const kx::PDFObject& dictionary);

    // Replays the annotation through its delegate: the normal appearance stream when there is one,
    // else what drawWithoutAppearance reports. Nothing without a delegate.
    virtual void startParser();

    // `color` in its opacity form: below full opacity a fourth component carries the opacity.
    KXPDFColor displayColor() const;

    // True when /F asks viewers not to show the annotation (Hidden or NoView).
    bool isHiddenByFlags() const { return (flags_ & (kFlagHidden | kFlagNoView)) != 0; }

    bool displayUnderText() const { return displayUnderText_; }
    void setDisplayUnderText(bool v) { displayUnderText_ = v; }
    KXPDFAnnotDelegate* delegate() const { return delegate_; }
    void setDelegate(KXPDFAnnotDelegate* delegate) { delegate_ = delegate; }
    std::int64_t pageIndex() const { return pageIndex_; }
    void setPageIndex(std::int64_t index) { pageIndex_ = index; }
    // The /Subtype name ("Line", "Square", ...); nullopt when absent.
    const std::optional<std::string>& type() const { return type_; }
    void setType(std::optional<std::string> type) { type_ = std::move(type); }
    std::int64_t flags() const { return flags_; }
    void setFlags(std::int64_t flags) { flags_ = flags; }
    double opacity() const { return opacity_; }
    void setOpacity(double opacity) { opacity_ = opacity; }
    const std::optional<std::u16string>& modificationDate() const { return modificationDate_; }
    void setModificationDate(std::optional<std::u16string> v) { modificationDate_ = std::move(v); }
    const std::optional<std::u16string>& userName() const { return userName_; }
    void setUserName(std::optional<std::u16string> v) { userName_ = std::move(v); }
    const KXPDFAnnotPopup* popup() const { return popup_.get(); }
    void setPopup(std::unique_ptr<KXPDFAnnotPopup> popup);
    const KXPDFBorder* border() const { return border_.get(); }
    void setBorder(std::unique_ptr<KXPDFBorder> border) { border_ = std::move(border); }
    const std::optional<std::u16string>& contents() const { return contents_; }
    void setContents(std::optional<std::u16string> v) { contents_ = std::move(v); }
    const std::string& appearState() const { return appearState_; }
    void setAppearState(std::string state) { appearState_ = std::move(state); }
    const std::optional<KXPDFAnnotAppearance>& appearStreams() const { return appearStreams_; }
    void setAppearStreams(std::optional<KXPDFAnnotAppearance> v) { appearStreams_ = std::move(v); }
    // Position in the page's collection, set before the replay.
    std::int64_t pdfAnnotionIndex() const { return pdfAnnotionIndex_; }
    void setPdfAnnotionIndex(std::int64_t index) { pdfAnnotionIndex_ = index; }
    // The normalised /Rect.
    const kx::Rect& bounds() const { return bounds_; }
    void setBounds(const kx::Rect& bounds) { bounds_ = bounds; }
    const KXPDFColor& color() const { return color_; }
    void setColor(const KXPDFColor& color) { color_ = color; }

protected:
    // The base parsing; a pop-up does not read a /Popup of its own (an annotation and its pop-up
    // usually point at each other).
    KXPDFAnnot(const kx::PDFObject& dictionary, bool readPopup);
    // The base replay with the given stream key.
    void replayAppearance(const std::string& streamKey);
    // The annotation drawn from its own entries, reported to `receiver`, for an annotation without
    // an appearance stream. The base draws nothing.
    virtual void drawWithoutAppearance(KXPDFAnnotDelegate& receiver);

private:
    void parse(const kx::PDFObject& dictionary, bool readPopup);

    bool displayUnderText_ = false;
    KXPDFAnnotDelegate* delegate_ = nullptr;
    std::int64_t pageIndex_ = 0;
    std::optional<std::string> type_;
    std::int64_t flags_ = 0;
    double opacity_ = 1.0;
    std::optional<std::u16string> modificationDate_;
    std::optional<std::u16string> userName_;
    std::unique_ptr<KXPDFAnnotPopup> popup_;
    std::unique_ptr<KXPDFBorder> border_;
    std::optional<std::u16string> contents_;
    std::string appearState_ = "Off";
    std::optional<KXPDFAnnotAppearance> appearStreams_;
    std::int64_t pdfAnnotionIndex_ = 0;
    kx::Rect bounds_{0, 0, 1, 1};
    KXPDFColor color_;
};
