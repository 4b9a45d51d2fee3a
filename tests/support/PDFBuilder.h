#pragma once
// Writes small, readable PDFs for tests: objects are given as PDF source text, the builder numbers
// them and writes a correct cross-reference table (or a deliberately broken one).

#include <map>
#include <string>
#include <vector>

namespace kx::test {

class PDFBuilder {
public:
    // A new object number whose body is set later.
    int reserve();
    // An object with the given body ("<< /Type /Font ... >>", "[0 0 612 792]", ...).
    int add(std::string body);
    void set(int number, std::string body);
    // A stream object: `dictEntries` without << >> and /Length.
    int addStream(std::string dictEntries, std::string data);
    int addFlateStream(std::string dictEntries, const std::string& data);

    // Pages of the standard document: a page with its content stream, resources and other entries.
    int addPage(const std::string& content, const std::string& resources = "<< >>",
                const std::string& extra = "/MediaBox [0 0 612 792]");
    // Entries written on the root /Pages node (for inherited attributes).
    void setPagesExtra(std::string extra) { pagesExtra_ = std::move(extra); }
    // Entries added to the catalog.
    void setCatalogExtra(std::string extra) { catalogExtra_ = std::move(extra); }
    // Entries of an /Info dictionary.
    void setInfo(std::string entries) { info_ = std::move(entries); }
    // Writes wrong offsets into the cross-reference table.
    void setBrokenXref(bool broken) { brokenXref_ = broken; }
    // Packs every object that is not a stream into one (uncompressed) object stream and writes a
    // cross-reference stream instead of the table, as PDF 1.5 writers do.
    void setObjectStreams(bool packed) { objectStreams_ = packed; }

    // The document with a catalog and a page tree over the added pages.
    std::string build();
    // Only the objects, with `root` as the catalog.
    std::string buildWithRoot(int root) const;
    bool write(const std::string& path);

private:
    std::map<int, std::string> objects_;
    std::vector<int> pages_;
    int next_ = 1;
    int pagesNumber_ = 0;
    std::string pagesExtra_;
    std::string catalogExtra_;
    std::string info_;
    bool brokenXref_ = false;
    bool objectStreams_ = false;

    std::string buildPacked(int root, const std::map<int, std::string>& objects, int size, int info) const;
};

// The document saved again with AES-256 encryption and the two passwords (MuPDF's writer).
// `permissions` is the /P value; -1 allows everything, -4 - 4 (that is -8) forbids printing.
std::string encryptPDF(const std::string& pdf, const std::string& userPassword, const std::string& ownerPassword,
                       int permissions = -1);

// zlib-compressed bytes.
std::string deflate(const std::string& data);

}  // namespace kx::test
