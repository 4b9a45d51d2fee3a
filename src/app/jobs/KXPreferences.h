#pragma once
// The three preferences that apply to every job: open the result after a conversion, convert the
// PDF's annotations too, and the resolution of images rendered from PDF elements. Read from the
// settings store when the object is made (a missing key stores its default), kept here from then
// on, and written back at every change. The job manager reads the last two before each job; the
// preferences window shows and changes them.

#include <cstdint>

class KXPreferences {
public:
    // The one instance of the process, made at first use (main thread only).
    static KXPreferences& sharedInstance();

    KXPreferences();

    bool openFileAfterConversion() const { return openFileAfterConversion_; }
    bool parserPDFAnnots() const { return parserPDFAnnots_; }
    std::int64_t imageDPI() const { return imageDPI_; }

    // Each stores the value under its key and synchronises the store.
    void setOpenFileAfterConversion(bool value);
    void setParserPDFAnnots(bool value);
    void setImageDPI(std::int64_t value);

    // Brings the resolution into 36..1200 in place, without storing it (what the window shows).
    void clampImageDPI();

private:
    bool openFileAfterConversion_ = true;
    bool parserPDFAnnots_ = true;
    std::int64_t imageDPI_ = 144;
};
