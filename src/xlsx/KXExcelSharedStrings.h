#pragma once
// The shared-strings part of a workbook, streamed: each page hands over its cell texts, which are
// written at once and let go, so only their count stays. The k-th item written (from 0, over all
// pages) is shared string k.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class KXExcelStringItem;
class XMLFileWriter;

class KXExcelSharedStrings {
public:
    // Opens <folder>/xl/sharedStrings.xml (making "xl" when the folder is an .xlsx work folder) and
    // begins the part. When the file cannot be made every write does nothing.
    explicit KXExcelSharedStrings(const std::string& rootFolder);
    // Streams into the given writer.
    explicit KXExcelSharedStrings(std::unique_ptr<XMLFileWriter> writer);
    ~KXExcelSharedStrings();
    KXExcelSharedStrings(const KXExcelSharedStrings&) = delete;
    KXExcelSharedStrings& operator=(const KXExcelSharedStrings&) = delete;

    std::uint64_t amountOfStringItems() const { return amountOfStringItems_; }
    XMLFileWriter* xmlWriter() const { return xmlWriter_.get(); }
    // Items waiting to be written.
    std::vector<std::shared_ptr<KXExcelStringItem>>& stringItems() { return stringItems_; }

    // The declaration and the open "sst" element.
    void beginWrite();
    // Writes every pending item in order and empties the list.
    void writeStringItems();
    // Closes "sst" and the part; false when a write failed.
    bool endWrite();

private:
    std::uint64_t amountOfStringItems_ = 0;
    std::unique_ptr<XMLFileWriter> xmlWriter_;
    std::vector<std::shared_ptr<KXExcelStringItem>> stringItems_;
};
