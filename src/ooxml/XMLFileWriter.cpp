#include "ooxml/XMLFileWriter.h"

#include <unistd.h>

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/Unicode.h"

namespace {

constexpr std::string_view kXMLNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXMLNSNamespace = "http://www.w3.org/2000/xmlns/";

[[noreturn]] void raise(std::string reason) { throw XMLWriterException(std::move(reason)); }

using kx::appendUtf8;

// The replacement of an ASCII character, "" when it passes, nullptr when it is dropped.
// Attribute values keep tab, line feed and carriage return as references: a parser would turn the
// characters themselves into blanks.
const char* asciiReplacement(char16_t c, bool attribute) {
    switch (c) {
        case '"': return "&quot;";
        case '&': return "&amp;";
        case '<': return "&lt;";
        case '>': return "&gt;";
        case '\t': return attribute ? "&#9;" : "";
        case '\n': return attribute ? "&#10;" : "";
        case '\r': return attribute ? "&#13;" : "";
        default: return c < 0x20 ? nullptr : "";
    }
}

bool isPlainAscii(unsigned char c) {
    return c >= 0x20 && c < 0x80 && c != '"' && c != '&' && c != '<' && c != '>';
}

}  // namespace

XMLFileWriter::XMLFileWriter() {
    namespaceURIs_ = {std::string(kXMLNamespace), std::string(kXMLNSNamespace)};
    namespaceWritten_ = {false, false};
    namespaceURIPrefixMap_ = {{std::string(kXMLNamespace), "xml"}, {std::string(kXMLNSNamespace), "xmlns"}};
    prefixNamespaceURIMap_ = {{"xml", std::string(kXMLNamespace)}, {"xmlns", std::string(kXMLNSNamespace)}};
    namespaceCounts_ = {2};  // the two built-in bindings are never declared
}

std::unique_ptr<XMLFileWriter> XMLFileWriter::initWithPath(const std::string& path) {
    if (path.empty()) return nullptr;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return nullptr;
    std::setvbuf(f, nullptr, _IONBF, 0);  // our own buffer does the batching
    auto writer = std::make_unique<XMLFileWriter>();
    writer->xmlPath_ = path;
    writer->file_ = f;
    writer->buffer_.reserve(kBufferSize + 1024);
    return writer;
}

std::unique_ptr<XMLFileWriter> XMLFileWriter::initInMemory() {
    auto writer = std::make_unique<XMLFileWriter>();
    writer->inMemory_ = true;
    writer->buffer_.reserve(kBufferSize + 1024);
    return writer;
}

XMLFileWriter::~XMLFileWriter() { closeFile(); }

// --- Output ---------------------------------------------------------------------------------------


void XMLFileWriter::flushBuffer() {
    if (buffer_.empty()) return;
    if (inMemory_) {
        if (!memoryClosed_) memory_.append(buffer_);  // like a closed file, a closed writer takes no more
    } else if (file_) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) writeError_ = true;
    }
    buffer_.clear();
    ++flushes_;
}

void XMLFileWriter::appendEscaped(std::u16string_view text, bool attribute) {
    const size_t before = buffer_.size();
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            const char* r = asciiReplacement(c, attribute);
            if (!r) continue;
            if (*r)
                buffer_.append(r);
            else
                buffer_.push_back(static_cast<char>(c));
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            // A high surrogate counts only with its low half; a lone one is dropped.
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                char32_t cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                appendUtf8(buffer_, cp);
                ++i;
            }
        } else if ((c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
            continue;
        } else {
            appendUtf8(buffer_, c);
        }
    }
    bytesWritten_ += buffer_.size() - before;
    if (buffer_.size() >= kBufferSize) flushBuffer();
}

void XMLFileWriter::appendEscaped(std::string_view text, bool attribute) {
    // Names, numbers and most values are plain ASCII: pass runs of them through in one piece.
    size_t i = 0;
    const size_t before = buffer_.size();
    while (i < text.size()) {
        size_t run = i;
        while (run < text.size() && isPlainAscii(static_cast<unsigned char>(text[run]))) ++run;
        buffer_.append(text.substr(i, run - i));
        i = run;
        if (i == text.size()) break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (const char* r = asciiReplacement(c, attribute); r) {
                if (*r)
                    buffer_.append(r);
                else
                    buffer_.push_back(static_cast<char>(c));
            }
            ++i;
            continue;
        }
        // Non-ASCII: the rest goes through the UTF-16 path (invalid sequences become U+FFFD).
        bytesWritten_ += buffer_.size() - before;
        appendEscaped(std::u16string_view(kx::utf8ToUtf16(text.substr(i))), attribute);
        return;
    }
    bytesWritten_ += buffer_.size() - before;
    if (buffer_.size() >= kBufferSize) flushBuffer();
}

void XMLFileWriter::closeStartTagIfOpen() {
    if (newElement_) {
        append(">");
        newElement_ = false;
    }
}

void XMLFileWriter::writeLineBreakAndIndentation(int level) {
    // One piece: the line break and the level's indentation, kept from the last time the level was
    // that deep (parts nest a few levels, and every tag starts a line).
    const size_t depth = static_cast<size_t>(std::max(level, 0));
    if (indentCacheBreak_ != lineBreak_ || indentCacheUnit_ != indentation_) {
        indentCacheBreak_ = lineBreak_;
        indentCacheUnit_ = indentation_;
        indentCache_ = lineBreak_;
    }
    while (indentCache_.size() < lineBreak_.size() + depth * indentation_.size()) indentCache_ += indentation_;
    append(std::string_view(indentCache_).substr(0, lineBreak_.size() + depth * indentation_.size()));
}

std::string_view XMLFileWriter::qualifiedPrefix(std::string_view namespaceURI) {
    if (namespaceURI.empty()) return {};
    if (lastLookupValid_ && lastLookupURI_ == namespaceURI) return lastQualifiedPrefix_;
    auto it = namespaceURIPrefixMap_.find(std::string(namespaceURI));
    if (it == namespaceURIPrefixMap_.end()) raise("Unknown namespace URI " + std::string(namespaceURI));
    lastLookupURI_ = namespaceURI;
    lastQualifiedPrefix_ = it->second.empty() ? std::string() : it->second + ":";
    lastLookupValid_ = true;
    return lastQualifiedPrefix_;
}

const std::string* XMLFileWriter::internedURI(std::string_view namespaceURI) {
    // Runs of elements in one namespace are the rule.
    if (lastInterned_ && *lastInterned_ == namespaceURI) return lastInterned_;
    std::string key(namespaceURI);
    auto it = internedURIs_.find(key);
    if (it == internedURIs_.end()) it = internedURIs_.emplace(key, std::make_unique<std::string>(key)).first;
    lastInterned_ = it->second.get();
    return lastInterned_;
}

// --- Declaration ----------------------------------------------------------------------------------

void XMLFileWriter::writeStartDocument() { writeStartDocumentWithEncodingAndVersion(std::nullopt, std::nullopt); }

void XMLFileWriter::writeStartDocumentWithVersion(std::optional<std::string_view> version) {
    writeStartDocumentWithEncodingAndVersion(std::nullopt, version);
}

void XMLFileWriter::writeStartDocumentWithEncodingAndVersion(std::optional<std::string_view> encoding,
                                                             std::optional<std::string_view> version) {
    writeStartDocumentWithEncodingAndVersion(encoding, version, std::nullopt);
}

void XMLFileWriter::writeStartDocumentWithEncodingAndVersion(std::optional<std::string_view> encoding,
                                                             std::optional<std::string_view> version,
                                                             std::optional<std::string_view> standalone) {
    if (bytesWritten_ != 0) raise("Document has already been started");
    append("<?xml version=\"");
    append(version ? *version : "1.0");
    append("\"");
    if (encoding) {
        append(" encoding=\"");
        append(*encoding);
        append("\"");
        encoding_ = std::string(*encoding);
    }
    if (standalone) {
        append(" standalone=\"");
        append(*standalone);
        append("\"");
    }
    append(" ?>");
}

// --- Elements -------------------------------------------------------------------------------------

void XMLFileWriter::writeStartElement(std::string_view localName) { writeStartElementWithNamespace({}, localName); }

void XMLFileWriter::openTag(std::string_view namespaceURI, std::string_view localName) {
    std::string_view prefix = qualifiedPrefix(namespaceURI);
    closeStartTagIfOpen();
    writeLineBreakAndIndentation(level_);
    append("<");
    append(prefix);
    append(localName);
}

void XMLFileWriter::writeStartElementWithNamespace(std::string_view namespaceURI, std::string_view localName) {
    openTag(namespaceURI, localName);
    elementNamespaceURIs_.push_back(internedURI(namespaceURI));
    elementLocalNames_.emplace_back(localName);
    newElement_ = true;
    emptyElement_ = true;
    ++level_;
    declarePendingBindings();
    pushScope();
}

void XMLFileWriter::writeEndElement() {
    if (newElement_ && automaticEmptyElements_) {
        append("/>");
        popScope();
        popElement();
        newElement_ = false;
        emptyElement_ = true;
        --level_;
        return;
    }
    if (level_ < 1 || elementLocalNames_.empty()) raise("Cannot write more end elements than start elements.");
    // The name is taken off the stack, which is popped inside (the URI stays interned).
    const std::string* uri = elementNamespaceURIs_.back();
    const std::string name = std::move(elementLocalNames_.back());
    writeEndElementWithNamespace(*uri, name);
}

void XMLFileWriter::writeEndElement(std::string_view localName) { writeEndElementWithNamespace({}, localName); }

void XMLFileWriter::writeEndElementWithNamespace(std::string_view namespaceURI, std::string_view localName) {
    if (level_ < 1) raise("Cannot write more end elements than start elements.");
    std::string_view prefix = qualifiedPrefix(namespaceURI);
    --level_;
    if (newElement_) {
        append(">");
        newElement_ = false;
    } else if (emptyElement_) {
        writeLineBreakAndIndentation(level_);
    }
    append("</");
    append(prefix);
    append(localName);
    append(">");
    popScope();
    popElement();
    newElement_ = false;
    emptyElement_ = true;
}

void XMLFileWriter::writeEmptyElement(std::string_view localName) { writeEmptyElementWithNamespace({}, localName); }

void XMLFileWriter::writeEmptyElementWithNamespace(std::string_view namespaceURI, std::string_view localName) {
    openTag(namespaceURI, localName);
    append("/>");
    newElement_ = false;
    emptyElement_ = true;
}

void XMLFileWriter::writeEmptyElementWithAttributes(std::string_view namespaceURI, std::string_view localName,
                                                    AttributeList attributes) {
    writeStartElementWithNamespace(namespaceURI, localName);
    for (const auto& [name, value] : attributes) writeAttribute(name, value);
    writeEndElement();
}

void XMLFileWriter::writeDataElement(std::string_view namespaceURI, std::string_view localName, std::string_view text) {
    writeStartElementWithNamespace(namespaceURI, localName);
    writeCharacters(text);
    writeEndElement();
}

void XMLFileWriter::writeValElement(std::string_view namespaceURI, std::string_view localName, std::string_view value) {
    writeStartElementWithNamespace(namespaceURI, localName);
    writeAttributeWithNamespace(namespaceURI, "val", value);
    writeEndElement();
}

void XMLFileWriter::writeEndDocument() {
    while (level_ > 0) writeEndElement();
    closeFile();
}

void XMLFileWriter::popElement() {
    if (!elementLocalNames_.empty()) elementLocalNames_.pop_back();
    if (!elementNamespaceURIs_.empty()) elementNamespaceURIs_.pop_back();
}

// --- Attributes and content -----------------------------------------------------------------------

void XMLFileWriter::writeAttributeStart(std::string_view namespaceURI, std::string_view localName) {
    if (!newElement_) raise("No open start element");
    std::string_view prefix = qualifiedPrefix(namespaceURI);
    append(" ");
    append(prefix);
    append(localName);
    append("=\"");
}

void XMLFileWriter::writeAttribute(std::string_view localName, std::string_view value) {
    writeAttributeWithNamespace({}, localName, value);
}

void XMLFileWriter::writeAttribute(std::string_view localName, std::u16string_view value) {
    writeAttributeWithNamespace({}, localName, value);
}

void XMLFileWriter::writeAttributeWithNamespace(std::string_view namespaceURI, std::string_view localName,
                                                std::string_view value) {
    writeAttributeStart(namespaceURI, localName);
    appendEscaped(value, true);
    append("\"");
}

void XMLFileWriter::writeAttributeWithNamespace(std::string_view namespaceURI, std::string_view localName,
                                                std::u16string_view value) {
    writeAttributeStart(namespaceURI, localName);
    appendEscaped(value, true);
    append("\"");
}

void XMLFileWriter::writeCharacters(std::string_view text) {
    closeStartTagIfOpen();
    appendEscaped(text, false);
    emptyElement_ = false;
}

void XMLFileWriter::writeCharacters(std::u16string_view text) {
    closeStartTagIfOpen();
    appendEscaped(text, false);
    emptyElement_ = false;
}

void XMLFileWriter::writeRaw(std::string_view markup) {
    closeStartTagIfOpen();
    append(markup);
    emptyElement_ = false;
}

void XMLFileWriter::writeComment(std::string_view comment) {
    closeStartTagIfOpen();
    append("<!--");
    append(comment);
    append("-->");
    emptyElement_ = false;
}

void XMLFileWriter::writeProcessingInstruction(std::string_view target, std::string_view data) {
    closeStartTagIfOpen();
    append("<?");
    append(target);
    append(" ");
    append(data);
    append("?>");
    emptyElement_ = false;
}

void XMLFileWriter::writeCData(std::string_view cdata) {
    closeStartTagIfOpen();
    append("<![CDATA[");
    append(cdata);
    append("]]>");
    emptyElement_ = false;
}

// --- Fragments ------------------------------------------------------------------------------------

namespace {
// Enough for the run properties of a long document; past it, new fragments are written as usual.
constexpr size_t kMaxFragments = 4096;
}  // namespace

bool XMLFileWriter::hasPendingBindings() const {
    for (size_t i = namespaceCounts_.back(); i < namespaceURIs_.size(); ++i)
        if (!namespaceWritten_[i]) return true;
    return false;
}

bool XMLFileWriter::writeFragment(std::string_view key) {
    if (fragmentsLayout_ != layout_) {
        fragments_.clear();
        fragmentCount_ = 0;
        fragmentsLayout_ = layout_;
        return false;
    }
    const auto level = static_cast<size_t>(level_);
    if (level_ < 0 || level >= fragments_.size() || hasPendingBindings()) return false;
    const auto& table = fragments_[level];
    auto it = table.find(key);
    if (it == table.end()) return false;
    closeStartTagIfOpen();
    append(it->second);
    newElement_ = false;
    emptyElement_ = true;
    return true;
}

XMLFileWriter::FragmentMark XMLFileWriter::beginFragment() {
    closeStartTagIfOpen();
    FragmentMark mark;
    mark.flushes = flushes_;
    mark.position = buffer_.size();
    mark.level = level_;
    mark.layout = layout_;
    mark.usable = level_ >= 0 && !hasPendingBindings();
    return mark;
}

void XMLFileWriter::endFragment(std::string_view key, const FragmentMark& mark) {
    if (!mark.usable || mark.flushes != flushes_ || mark.level != level_ || mark.layout != layout_ ||
        layout_ != fragmentsLayout_ || newElement_ || !emptyElement_ || fragmentCount_ >= kMaxFragments ||
        mark.position > buffer_.size())
        return;
    const auto level = static_cast<size_t>(level_);
    if (fragments_.size() <= level) fragments_.resize(level + 1);
    if (fragments_[level].emplace(std::string(key), buffer_.substr(mark.position)).second) ++fragmentCount_;
}

// --- Namespaces -----------------------------------------------------------------------------------

void XMLFileWriter::bind(std::optional<std::string_view> prefix, std::optional<std::string_view> namespaceURI) {
    if (!namespaceURI) raise("Namespace cannot be NULL");
    if (!prefix) raise("Prefix cannot be NULL");
    std::string uri(*namespaceURI), pre(*prefix);
    if (namespaceURIPrefixMap_.count(uri)) raise("Name namespace " + uri + " has already been set");
    if (prefixNamespaceURIMap_.count(pre)) {
        if (!pre.empty()) raise("Prefix " + pre + " has already been set");
        raise("Default namespace has already been set");
    }
    lastLookupValid_ = false;
    ++layout_;
    namespaceURIs_.push_back(uri);
    namespaceWritten_.push_back(false);
    namespaceURIPrefixMap_[uri] = pre;
    prefixNamespaceURIMap_[pre] = uri;
}

void XMLFileWriter::setPrefix(std::optional<std::string_view> prefix, std::optional<std::string_view> namespaceURI) {
    bind(prefix, namespaceURI);
}

void XMLFileWriter::writeNamespace(std::optional<std::string_view> prefix,
                                   std::optional<std::string_view> namespaceURI) {
    if (!newElement_) raise("No open start element");
    bind(prefix, namespaceURI);
    // Declared on the open start tag and ended with its element.
    declarePendingBindings();
    namespaceCounts_.back() = namespaceURIs_.size();
}

void XMLFileWriter::setDefaultNamespace(std::optional<std::string_view> namespaceURI) {
    setPrefix(std::string_view(), namespaceURI);
}

void XMLFileWriter::writeDefaultNamespace(std::optional<std::string_view> namespaceURI) {
    writeNamespace(std::string_view(), namespaceURI);
}

std::optional<std::string> XMLFileWriter::getPrefix(std::string_view namespaceURI) const {
    auto it = namespaceURIPrefixMap_.find(std::string(namespaceURI));
    if (it == namespaceURIPrefixMap_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> XMLFileWriter::getNamespaceURI(std::string_view prefix) const {
    auto it = prefixNamespaceURIMap_.find(std::string(prefix));
    if (it == prefixNamespaceURIMap_.end()) return std::nullopt;
    return it->second;
}

void XMLFileWriter::declarePendingBindings() {
    for (size_t i = namespaceCounts_.back(); i < namespaceURIs_.size(); ++i) {
        if (namespaceWritten_[i]) continue;
        auto xmlns = namespaceURIPrefixMap_.find(std::string(kXMLNSNamespace));
        if (xmlns == namespaceURIPrefixMap_.end())
            raise("Cannot declare namespace without namespace " + std::string(kXMLNSNamespace));
        const std::string& uri = namespaceURIs_[i];
        const std::string& prefix = namespaceURIPrefixMap_[uri];
        append(" ");
        append(xmlns->second);
        if (!prefix.empty()) {
            append(":");
            append(prefix);
        }
        append("=\"");
        appendEscaped(std::string_view(uri), true);
        append("\"");
        namespaceWritten_[i] = true;
    }
}

void XMLFileWriter::pushScope() {
    size_t top = namespaceCounts_.back();
    namespaceCounts_.push_back(namespaceURIs_.size() != top ? namespaceURIs_.size() : top);
}

void XMLFileWriter::popScope() {
    if (namespaceCounts_.size() < 2) return;
    size_t top = namespaceCounts_.back();
    size_t below = namespaceCounts_[namespaceCounts_.size() - 2];
    // The bindings this element declared end with it; bindings set later and not yet declared stay.
    for (size_t i = std::min(top, namespaceURIs_.size()); i > below; --i) removeBinding(i - 1);
    namespaceCounts_.pop_back();
}

void XMLFileWriter::removeBinding(size_t index) {
    lastLookupValid_ = false;
    ++layout_;
    const std::string uri = namespaceURIs_[index];
    auto it = namespaceURIPrefixMap_.find(uri);
    if (it != namespaceURIPrefixMap_.end()) {
        prefixNamespaceURIMap_.erase(it->second);
        namespaceURIPrefixMap_.erase(it);
    }
    namespaceURIs_.erase(namespaceURIs_.begin() + static_cast<std::ptrdiff_t>(index));
    namespaceWritten_.erase(namespaceWritten_.begin() + static_cast<std::ptrdiff_t>(index));
}

// --- File -----------------------------------------------------------------------------------------

std::optional<std::string> XMLFileWriter::toString() {
    if (inMemory_) {
        flushBuffer();
        return memory_;
    }
    if (xmlPath_.empty()) return std::nullopt;
    flushBuffer();
    if (file_ && std::fflush(file_) != 0) writeError_ = true;
    return kx::readFile(xmlPath_);
}

std::optional<std::vector<std::uint8_t>> XMLFileWriter::toData() {
    std::optional<std::string> text = toString();
    if (!text) return std::nullopt;
    return std::vector<std::uint8_t>(text->begin(), text->end());
}

void XMLFileWriter::synchronizeFile() {
    flushBuffer();
    if (!file_) return;
    if (std::fflush(file_) != 0 || fsync(fileno(file_)) != 0) writeError_ = true;
}

void XMLFileWriter::closeFile() {
    flushBuffer();
    if (inMemory_) memoryClosed_ = true;
    if (!file_) return;
    if (std::fclose(file_) != 0) writeError_ = true;
    file_ = nullptr;
}
