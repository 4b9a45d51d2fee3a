#pragma once
// Streaming, namespace-aware writer of one XML part file. Every fragment goes to the file as it is
// produced (through a fixed-size buffer), so memory does not grow with the document. The same
// writer can keep its output in memory instead (initInMemory), byte for byte what it would have
// written to a file: part writers are tested on it without temporary files. Output is
// indented: a line break and one indentation per open element before every start tag and empty
// element, and before an end tag that follows markup; an end tag right after text stays on the
// text's line; an element closed with no content becomes "<name/>".
//
// Namespaces: setPrefix() binds a prefix for the next start element, which declares it; the binding
// ends with that element. Text and attribute values are escaped; characters that XML 1.0 cannot
// carry (C0 controls other than tab, line feed and carriage return, lone surrogates, U+FFFE,
// U+FFFF) are dropped; characters outside the Basic Multilingual Plane are kept. Misuse throws
// XMLWriterException; what was written before stays in the file.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ooxml/XMLWriterException.h"

class XMLFileWriter {
public:
    // A writer without a file: the empty state, output goes nowhere.
    XMLFileWriter();
    // Creates (or empties) the file at the path; nullptr when it cannot be created for writing.
    static std::unique_ptr<XMLFileWriter> initWithPath(const std::string& path);
    // A writer whose output stays in memory; toString() answers it, also after writeEndDocument.
    static std::unique_ptr<XMLFileWriter> initInMemory();
    ~XMLFileWriter();
    XMLFileWriter(const XMLFileWriter&) = delete;
    XMLFileWriter& operator=(const XMLFileWriter&) = delete;

    // The XML declaration: version ("1.0" when none), then encoding and standalone when given.
    // Throws "Document has already been started" when anything was written before.
    void writeStartDocument();
    void writeStartDocumentWithVersion(std::optional<std::string_view> version);
    void writeStartDocumentWithEncodingAndVersion(std::optional<std::string_view> encoding,
                                                  std::optional<std::string_view> version);
    void writeStartDocumentWithEncodingAndVersion(std::optional<std::string_view> encoding,
                                                  std::optional<std::string_view> version,
                                                  std::optional<std::string_view> standalone);

    // Elements and attributes without a namespace.
    void writeStartElement(std::string_view localName);
    // Closes the innermost open element ("/>" when it has no content).
    void writeEndElement();
    void writeEndElement(std::string_view localName);
    void writeEmptyElement(std::string_view localName);
    // Closes every open element, then the file.
    void writeEndDocument();
    void writeAttribute(std::string_view localName, std::string_view value);
    void writeAttribute(std::string_view localName, std::u16string_view value);
    void writeCharacters(std::string_view text);
    void writeCharacters(std::u16string_view text);
    // Markup that a caller writes over and over (the same run properties on every run of a page):
    // written once through the writer, kept under the caller's key, then written again byte for
    // byte without building it anew. The key must tell apart everything the markup depends on;
    // the nesting level, the layout and the namespace bindings are told apart here. Use:
    //   if (!w.writeFragment(key)) { auto mark = w.beginFragment(); ...write elements...; w.endFragment(key, mark); }
    // A fragment is complete elements; one that is not, or that was flushed to the file in the
    // middle, or that a binding declared on its start tag, is not kept.
    struct FragmentMark {
        std::uint64_t flushes = 0;
        size_t position = 0;
        int level = 0;
        std::uint64_t layout = 0;
        bool usable = false;
    };
    bool writeFragment(std::string_view key);
    FragmentMark beginFragment();
    void endFragment(std::string_view key, const FragmentMark& mark);

    // Markup written as given, unescaped, after closing an open start tag: elements this kind of
    // writer made elsewhere (a part built in pieces), well-formed and already escaped.
    void writeRaw(std::string_view markup);
    // Written as given, unescaped.
    void writeComment(std::string_view comment);
    void writeProcessingInstruction(std::string_view target, std::string_view data);
    void writeCData(std::string_view cdata);

    // The file's contents read back as text / bytes (the output so far for a writer in memory);
    // none when it cannot be read or the writer has no target.
    std::optional<std::string> toString();
    std::optional<std::vector<std::uint8_t>> toData();
    // Writes everything buffered and asks the system to put it on disk.
    void synchronizeFile();
    void closeFile();

    // Elements and attributes in a namespace; an empty URI means no namespace. A URI must be bound
    // (setPrefix) or the call throws "Unknown namespace URI <uri>".
    void writeStartElementWithNamespace(std::string_view namespaceURI, std::string_view localName);
    // Writes the end tag at once: "<name></name>" for an element with no content.
    void writeEndElementWithNamespace(std::string_view namespaceURI, std::string_view localName);
    void writeEmptyElementWithNamespace(std::string_view namespaceURI, std::string_view localName);
    void writeAttributeWithNamespace(std::string_view namespaceURI, std::string_view localName,
                                     std::string_view value);
    void writeAttributeWithNamespace(std::string_view namespaceURI, std::string_view localName,
                                     std::u16string_view value);
    // Elements that hold one thing, each written as a start element, its content and an end tag
    // (so "<name .../>" unless automaticEmptyElements is off). An empty URI means no namespace.
    // An element with only attributes (in no namespace), in the order given.
    using AttributeList = std::initializer_list<std::pair<std::string_view, std::string_view>>;
    void writeEmptyElementWithAttributes(std::string_view namespaceURI, std::string_view localName,
                                         AttributeList attributes);
    // An element with only text: "<name>text</name>".
    void writeDataElement(std::string_view namespaceURI, std::string_view localName, std::string_view text);
    // An element with only a "val" attribute in the element's own namespace: "<w:jc w:val="left"/>".
    void writeValElement(std::string_view namespaceURI, std::string_view localName, std::string_view value);
    // Binds a prefix (empty: the default namespace) to a URI; declared on the next start element.
    void setPrefix(std::optional<std::string_view> prefix, std::optional<std::string_view> namespaceURI);
    // Binds and declares at once on the open start tag, for the scope of that element.
    void writeNamespace(std::optional<std::string_view> prefix, std::optional<std::string_view> namespaceURI);
    void setDefaultNamespace(std::optional<std::string_view> namespaceURI);
    void writeDefaultNamespace(std::optional<std::string_view> namespaceURI);
    std::optional<std::string> getPrefix(std::string_view namespaceURI) const;
    std::optional<std::string> getNamespaceURI(std::string_view prefix) const;

    // Layout: the indentation written per level (default one tab), the line break written before
    // tags (default "\n"; empty for none), and whether an element without content ends as "/>".
    const std::string& indentation() const { return indentation_; }
    void setIndentation(std::string indentation) {
        indentation_ = std::move(indentation);
        ++layout_;
    }
    const std::string& lineBreak() const { return lineBreak_; }
    void setLineBreak(std::string lineBreak) {
        lineBreak_ = std::move(lineBreak);
        ++layout_;
    }
    bool automaticEmptyElements() const { return automaticEmptyElements_; }
    void setAutomaticEmptyElements(bool value) {
        automaticEmptyElements_ = value;
        ++layout_;
    }

    // Number of open elements.
    int level() const { return level_; }
    // The file's path; empty for a writer in memory or without a file.
    const std::string& xmlPath() const { return xmlPath_; }
    bool isInMemory() const { return inMemory_; }
    // The encoding named by the declaration, empty until declared.
    const std::string& encoding() const { return encoding_; }
    // A write to the file failed (disk full, I/O error): the part is incomplete.
    bool hasWriteError() const { return writeError_; }

private:
    // Written to the file whenever this much is buffered.
    static constexpr size_t kBufferSize = 64 * 1024;

    // Every fragment goes through here (inline: a tag is a dozen of them).
    void append(std::string_view bytes) {
        if (bytes.empty()) return;
        buffer_.append(bytes);
        bytesWritten_ += bytes.size();
        if (buffer_.size() >= kBufferSize) flushBuffer();
    }
    void appendEscaped(std::u16string_view text, bool attribute);
    void appendEscaped(std::string_view text, bool attribute);
    void flushBuffer();
    bool hasPendingBindings() const;
    void closeStartTagIfOpen();
    void writeLineBreakAndIndentation(int level);
    // Ends an open start tag and begins a new one ("<prefix:name") on its own line.
    void openTag(std::string_view namespaceURI, std::string_view localName);
    // The prefix of a bound URI followed by ":", or nothing for the default namespace.
    std::string_view qualifiedPrefix(std::string_view namespaceURI);
    // The URI as kept for the element stack: one copy per distinct URI.
    const std::string* internedURI(std::string_view namespaceURI);
    void writeAttributeStart(std::string_view namespaceURI, std::string_view localName);
    void bind(std::optional<std::string_view> prefix, std::optional<std::string_view> namespaceURI);
    void declarePendingBindings();
    void pushScope();
    void popScope();
    void removeBinding(size_t index);
    void popElement();

    std::string xmlPath_;
    std::FILE* file_ = nullptr;
    bool inMemory_ = false;
    std::string memory_;  // the output of a writer in memory, up to the buffer
    bool memoryClosed_ = false;
    std::string buffer_;
    std::uint64_t bytesWritten_ = 0;
    bool writeError_ = false;
    std::string encoding_;
    int level_ = 0;
    bool newElement_ = false;
    bool emptyElement_ = false;
    std::vector<std::string> elementLocalNames_;
    std::vector<const std::string*> elementNamespaceURIs_;  // into internedURIs_
    std::unordered_map<std::string, std::unique_ptr<std::string>> internedURIs_;
    const std::string* lastInterned_ = nullptr;  // the URI interned last
    // The last prefix lookup, the common case being many elements in one namespace in a row;
    // forgotten whenever a binding changes.
    std::string lastLookupURI_;
    std::string lastQualifiedPrefix_;
    bool lastLookupValid_ = false;
    std::vector<std::string> namespaceURIs_;
    std::vector<size_t> namespaceCounts_;
    std::vector<bool> namespaceWritten_;
    std::unordered_map<std::string, std::string> namespaceURIPrefixMap_;
    std::unordered_map<std::string, std::string> prefixNamespaceURIMap_;
    std::string indentCache_;  // the line break, then indentation for the deepest level so far
    std::string indentCacheBreak_, indentCacheUnit_;
    std::string indentation_ = "\t";
    std::string lineBreak_ = "\n";
    bool automaticEmptyElements_ = true;
    // Fragments (writeFragment): by nesting level, then by key; forgotten when the layout or a
    // binding changes (layout_ counts both changes).
    std::uint64_t layout_ = 0;
    std::uint64_t fragmentsLayout_ = 0;
    size_t fragmentCount_ = 0;
    std::uint64_t flushes_ = 0;
    struct FragmentKeyHash {
        using is_transparent = void;
        size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
    };
    std::vector<std::unordered_map<std::string, std::string, FragmentKeyHash, std::equal_to<>>> fragments_;
};
