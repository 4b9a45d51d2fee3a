#pragma once
// A document of loose objects for tests of the resource models: objects are written as PDF source,
// the document is opened once, and objects are fetched by number.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/pdf/PDFDocument.h"
#include "platform/pdf/PDFObject.h"
#include "support/PDFBuilder.h"

namespace kx::test {

class ObjectDoc {
public:
    int add(std::string body) { return builder_.add(std::move(body)); }
    int reserve() { return builder_.reserve(); }
    void set(int number, std::string body) { builder_.set(number, std::move(body)); }
    int addStream(std::string dict, std::string data) { return builder_.addStream(std::move(dict), std::move(data)); }
    // Opens the document on first use.
    kx::PDFObject get(int number) {
        if (!doc_) {
            doc_ = kx::PDFDocument::openFromMemory(builder_.build());
            EXPECT_TRUE(doc_);
            if (!doc_) return {};
        }
        return doc_->object(number);
    }
    // One object on its own.
    static kx::PDFObject parse(std::string body, std::shared_ptr<ObjectDoc>* keep = nullptr) {
        auto d = std::make_shared<ObjectDoc>();
        int n = d->add(std::move(body));
        kx::PDFObject o = d->get(n);
        if (keep) *keep = d;
        return o;
    }

private:
    PDFBuilder builder_;
    std::shared_ptr<kx::PDFDocument> doc_;
};

// "\xAB\xCD" bytes from hex text ("ABCD").
inline std::string hexBytes(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

}  // namespace kx::test
