#pragma once
// Read-only access to the objects of an open PDF document (dictionaries, arrays, names, numbers,
// strings, streams). A PDFObject is a small value that keeps its document alive; indirect references
// are resolved when an object is fetched, so a PDFObject never is a reference. The null object
// stands for "missing" as well as for the PDF null.
//
// Objects of one document must be used from one thread at a time (the conversion's worker).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct pdf_obj;

namespace kx {

namespace detail {
class PDFSession;
struct PDFInlineImage;
}  // namespace detail

enum class PDFObjectType { Null, Boolean, Integer, Real, Name, String, Array, Dictionary, Stream };

// How stream data comes back: fully decoded, or with a JPEG or JPEG 2000 codec left in place.
enum class PDFDataFormat { Raw, JPEGEncoded, JPEG2000 };

struct PDFDate {
    int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    // Offset from UT in minutes (east positive); nullopt when the date gives none.
    std::optional<int> utcOffsetMinutes;
    bool operator==(const PDFDate&) const = default;
};

// "D:YYYYMMDDHHmmSSOHH'mm'" with every field after the year optional; the "D:" prefix is optional.
std::optional<PDFDate> parsePDFDate(std::string_view text);

// Text strings: UTF-16BE or UTF-16LE with a byte-order mark, UTF-8 with its mark, else
// PDFDocEncoding.
std::u16string decodePDFTextString(std::string_view bytes);

class PDFObject {
public:
    PDFObject() = default;
    PDFObject(const PDFObject& other);
    PDFObject(PDFObject&& other) noexcept;
    PDFObject& operator=(const PDFObject& other);
    PDFObject& operator=(PDFObject&& other) noexcept;
    ~PDFObject();

    PDFObjectType type() const;
    bool isNull() const { return type() == PDFObjectType::Null; }
    bool isBoolean() const { return type() == PDFObjectType::Boolean; }
    bool isInteger() const { return type() == PDFObjectType::Integer; }
    bool isReal() const { return type() == PDFObjectType::Real; }
    bool isNumber() const { return isInteger() || isReal(); }
    bool isName() const { return type() == PDFObjectType::Name; }
    bool isString() const { return type() == PDFObjectType::String; }
    bool isArray() const { return type() == PDFObjectType::Array; }
    // True for dictionaries and for streams (a stream is its dictionary plus data).
    bool isDictionary() const;
    bool isStream() const { return type() == PDFObjectType::Stream; }
    explicit operator bool() const { return !isNull(); }

    // Scalar getters: false (and the output untouched) when the object has another type.
    bool getBoolean(bool& out) const;
    bool getInteger(std::int64_t& out) const;  // integers only
    bool getNumber(double& out) const;         // integers and reals
    bool getName(std::string& out) const;
    bool getString(std::string& bytes) const;  // the string's raw bytes

    // Convenience forms: the value, or the fallback / an empty value.
    double numberOr(double fallback) const;
    std::int64_t integerOr(std::int64_t fallback) const;
    std::string name() const;
    std::string stringBytes() const;
    // A string decoded as a PDF text string; empty for other types.
    std::u16string textString() const;
    std::optional<PDFDate> date() const;
    // Name equality without allocation.
    bool isName(std::string_view name) const;

    // Arrays.
    size_t arrayCount() const;
    PDFObject arrayAt(size_t index) const;

    // Dictionaries (and stream dictionaries). Entries come in the order the file wrote them, as the
    // reader keeps them; lookups that take "the first match" depend on that order.
    size_t dictCount() const;
    PDFObject dictGet(std::string_view key) const;
    bool dictHas(std::string_view key) const;
    std::string dictKeyAt(size_t index) const;
    PDFObject dictValueAt(size_t index) const;
    std::vector<std::pair<std::string, PDFObject>> dictEntries() const;
    // dictGet(key), then dictGet(abbreviation) when missing (inline images abbreviate keys).
    PDFObject dictGet(std::string_view key, std::string_view abbreviation) const;

    // Streams.
    PDFObject streamDictionary() const;
    // Every filter undone (JPXDecode excepted: JPEG 2000 data is handed back as the codestream).
    std::optional<std::string> streamData() const;
    // The data with a final DCTDecode or JPXDecode left in place; `format` says which, Raw when the
    // data is fully decoded.
    std::optional<std::string> streamData(PDFDataFormat& format) const;
    // The stream's filter names in order (Filter, as a name or an array).
    std::vector<std::string> streamFilters() const;

    // Identity: the object number of an indirect object (0 for a direct one), and a key that is
    // equal for the same underlying object of the same document.
    int objectNumber() const { return number_; }
    std::uintptr_t identity() const { return reinterpret_cast<std::uintptr_t>(obj_); }
    bool sameObject(const PDFObject& other) const { return obj_ == other.obj_ && session_ == other.session_; }

    // Looks `key` up in this dictionary and then through its /Parent chain (cycle-safe).
    PDFObject inheritedGet(std::string_view key) const;

    const std::shared_ptr<detail::PDFSession>& session() const { return session_; }

    // A cache of one kind (`kind`: the address of a static object naming it) that the object's
    // document keeps for things built from its objects, made by `make` on first use. It lives while
    // the document is open and goes when its PDFDocument does, so it neither outlives the document
    // nor serves another one. Null for an object of no document, or once the document is closed.
    // The cache guards its own contents.
    std::shared_ptr<void> documentCache(const void* kind, const std::function<std::shared_ptr<void>()>& make) const;
    template <class Cache>
    std::shared_ptr<Cache> documentCache() const {
        static const char kind = 0;
        return std::static_pointer_cast<Cache>(documentCache(&kind, [] { return std::make_shared<Cache>(); }));
    }

    // Internal: wraps a MuPDF object (resolving references, keeping it alive).
    static PDFObject wrap(const std::shared_ptr<detail::PDFSession>& session, pdf_obj* obj);
    static PDFObject wrapInlineImage(const std::shared_ptr<detail::PDFSession>& session, pdf_obj* dict,
                                     std::shared_ptr<const detail::PDFInlineImage> image);
    pdf_obj* raw() const { return obj_; }

private:
    std::shared_ptr<detail::PDFSession> session_;
    pdf_obj* obj_ = nullptr;  // resolved, kept
    int number_ = 0;
    std::shared_ptr<const detail::PDFInlineImage> inline_;
};

}  // namespace kx
