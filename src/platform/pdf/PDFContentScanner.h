#pragma once
// Runs content streams operator by operator. The scanner lexes the stream, keeps the operands on a
// stack, and for each operator calls the table's callback, which pops its operands (last operand
// first); the stack is emptied after every operator. An inline image (BI ... ID ... EI) reaches the
// "EI" callback as one stream operand.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/pdf/PDFObject.h"

namespace kx {

class PDFPage;

// The content of a page (its /Contents, one stream or an array joined into one) or of a single
// stream (a form, an appearance, a glyph procedure), with the resources it is interpreted with.
class PDFContentStream {
public:
    static PDFContentStream forPage(const PDFPage& page);
    // `resources` resolves colour-space names of inline images; it may be null.
    static PDFContentStream forStream(const PDFObject& stream, const PDFObject& resources = {});
    // Content given as bytes (tests and generated content).
    static PDFContentStream forBytes(const std::shared_ptr<detail::PDFSession>& session, std::string bytes,
                                     const PDFObject& resources = {});

    const PDFObject& contents() const { return contents_; }
    const PDFObject& resources() const { return resources_; }
    const std::shared_ptr<detail::PDFSession>& session() const { return session_; }
    const std::string* bytes() const { return bytes_.get(); }

private:
    std::shared_ptr<detail::PDFSession> session_;
    PDFObject contents_;
    PDFObject resources_;
    std::shared_ptr<const std::string> bytes_;
};

// One operand of the stack.
struct PDFOperand {
    PDFObjectType type = PDFObjectType::Null;
    bool boolean = false;
    std::int64_t integer = 0;
    double number = 0;   // set for integers and reals
    std::string text;    // name or string bytes
    PDFObject object;    // array, dictionary or inline-image stream
    // An array of numbers and strings only (as text-showing arrays are) is read without making a
    // PDF object: its elements are here and `object` stays null until a pop asks for the object.
    std::vector<PDFOperand> elements;
};

class PDFScanner;
using PDFOperatorCallback = void (*)(PDFScanner& scanner, void* info);

class PDFOperatorTable {
public:
    void setCallback(std::string_view op, PDFOperatorCallback callback);
    PDFOperatorCallback find(std::string_view op) const;
    size_t size() const { return table_.size(); }

private:
    std::unordered_map<std::uint32_t, PDFOperatorCallback> table_;
};

class PDFScanner {
public:
    PDFScanner(const PDFContentStream& stream, const PDFOperatorTable& table, void* info);
    ~PDFScanner();
    PDFScanner(const PDFScanner&) = delete;
    PDFScanner& operator=(const PDFScanner&) = delete;

    // Scans the whole stream; false when it could not be read to its end (damaged data, a broken
    // filter), when an operand could not be read (it is skipped and the scan goes on after it), or
    // a callback stopped it. Operators without a callback are skipped.
    bool scan();
    // Ends the scan after the current callback.
    void stop() { stopped_ = true; }

    const PDFContentStream& contentStream() const { return stream_; }
    void* info() const { return info_; }
    // The operator whose callback is running.
    const std::string& currentOperator() const { return operator_; }

    // Each pop removes the top operand; it answers false (the operand is gone all the same) when the
    // stack is empty or the operand has another type.
    size_t operandCount() const { return operands_.size(); }
    bool popObject(PDFOperand& out);
    bool popNumber(double& out);  // integer or real
    bool popInteger(std::int64_t& out);
    bool popBoolean(bool& out);
    bool popName(std::string& out);
    bool popString(std::string& bytes);
    bool popArray(PDFObject& out);
    // The elements of the top operand when it is an array of numbers and strings only, in order;
    // false, with nothing popped, when the top operand is anything else (popArray then takes it).
    bool popPlainArray(std::vector<PDFOperand>& elements);
    bool popDictionary(PDFObject& out);
    bool popStream(PDFObject& out);

    // Operands kept on the stack at most; beyond it the oldest are dropped (hostile streams).
    static constexpr size_t kMaxOperands = 4096;

private:
    bool popTop(PDFOperand& out);
    // Makes the PDF object of an array operand read as plain elements.
    void makeArrayObject(PDFOperand& operand) const;

    const PDFContentStream& stream_;
    const PDFOperatorTable& table_;
    void* info_;
    std::vector<PDFOperand> operands_;
    std::string operator_;
    bool stopped_ = false;
};

}  // namespace kx
