#include "support/PDFBuilder.h"

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace kx::test {

int PDFBuilder::reserve() { return next_++; }

int PDFBuilder::add(std::string body) {
    int n = reserve();
    objects_[n] = std::move(body);
    return n;
}

void PDFBuilder::set(int number, std::string body) { objects_[number] = std::move(body); }

int PDFBuilder::addStream(std::string dictEntries, std::string data) {
    std::string body = "<< " + dictEntries + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
                       "\nendstream";
    return add(std::move(body));
}

int PDFBuilder::addFlateStream(std::string dictEntries, const std::string& data) {
    return addStream(dictEntries + " /Filter /FlateDecode", deflate(data));
}

int PDFBuilder::addPage(const std::string& content, const std::string& resources, const std::string& extra) {
    if (!pagesNumber_) pagesNumber_ = reserve();
    int contents = addStream("", content);
    int page = add("<< /Type /Page /Parent " + std::to_string(pagesNumber_) + " 0 R /Contents " +
                   std::to_string(contents) + " 0 R /Resources " + resources + " " + extra + " >>");
    pages_.push_back(page);
    return page;
}

std::string PDFBuilder::build() {
    if (!pagesNumber_) pagesNumber_ = reserve();
    std::string kids;
    for (int p : pages_) kids += std::to_string(p) + " 0 R ";
    set(pagesNumber_, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages_.size()) + " " +
                          pagesExtra_ + " >>");
    int root = add("<< /Type /Catalog /Pages " + std::to_string(pagesNumber_) + " 0 R " + catalogExtra_ + " >>");
    std::string out = buildWithRoot(root);
    objects_.erase(root);
    --next_;
    return out;
}

std::string PDFBuilder::buildWithRoot(int root) const {
    std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
    int size = next_;
    std::vector<long> offsets(static_cast<size_t>(size), -1);
    int info = 0;
    std::map<int, std::string> objects = objects_;
    if (!info_.empty()) {
        info = size++;
        offsets.push_back(-1);
        objects[info] = "<< " + info_ + " >>";
    }
    if (objectStreams_) return buildPacked(root, objects, size, info);
    for (const auto& [num, body] : objects) {
        offsets[static_cast<size_t>(num)] = static_cast<long>(out.size());
        out += std::to_string(num) + " 0 obj\n" + body + "\nendobj\n";
    }
    long xref = static_cast<long>(out.size());
    out += "xref\n0 " + std::to_string(size) + "\n0000000000 65535 f \n";
    for (int n = 1; n < size; ++n) {
        long off = offsets[static_cast<size_t>(n)];
        char line[32];
        if (off < 0)
            std::snprintf(line, sizeof line, "0000000000 65535 f \n");
        else
            std::snprintf(line, sizeof line, "%010ld 00000 n \n", brokenXref_ ? off + 7 : off);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(size) + " /Root " + std::to_string(root) + " 0 R";
    if (info) out += " /Info " + std::to_string(info) + " 0 R";
    out += " >>\nstartxref\n" + std::to_string(brokenXref_ ? xref + 13 : xref) + "\n%%EOF\n";
    return out;
}

std::string PDFBuilder::buildPacked(int root, const std::map<int, std::string>& objects, int size, int info) const {
    std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
    const int packNumber = size, xrefNumber = size + 1;
    // Cross-reference entries: type, field 2, field 3 (W [1 4 2]).
    struct Entry {
        int type = 0;
        long a = 0;
        int b = 0;
    };
    std::vector<Entry> entries(static_cast<size_t>(xrefNumber) + 1);
    entries[0] = {0, 0, 65535};

    std::string header, bodies;
    int packed = 0;
    for (const auto& [num, body] : objects) {
        if (body.find("\nstream\n") != std::string::npos) continue;
        header += std::to_string(num) + " " + std::to_string(bodies.size()) + " ";
        bodies += body + "\n";
        entries[static_cast<size_t>(num)] = {2, packNumber, packed++};
    }
    for (const auto& [num, body] : objects) {
        if (body.find("\nstream\n") == std::string::npos) continue;
        entries[static_cast<size_t>(num)] = {1, static_cast<long>(out.size()), 0};
        out += std::to_string(num) + " 0 obj\n" + body + "\nendobj\n";
    }
    entries[static_cast<size_t>(packNumber)] = {1, static_cast<long>(out.size()), 0};
    out += std::to_string(packNumber) + " 0 obj\n<< /Type /ObjStm /N " + std::to_string(packed) + " /First " +
           std::to_string(header.size()) + " /Length " + std::to_string(header.size() + bodies.size()) +
           " >>\nstream\n" + header + bodies + "\nendstream\nendobj\n";

    const long xrefOffset = static_cast<long>(out.size());
    entries[static_cast<size_t>(xrefNumber)] = {1, xrefOffset, 0};
    std::string table;
    for (const Entry& e : entries) {
        table += static_cast<char>(e.type);
        for (int shift = 24; shift >= 0; shift -= 8) table += static_cast<char>((e.a >> shift) & 0xFF);
        table += static_cast<char>((e.b >> 8) & 0xFF);
        table += static_cast<char>(e.b & 0xFF);
    }
    out += std::to_string(xrefNumber) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(xrefNumber + 1) +
           " /W [1 4 2] /Root " + std::to_string(root) + " 0 R";
    if (info) out += " /Info " + std::to_string(info) + " 0 R";
    out += " /Length " + std::to_string(table.size()) + " >>\nstream\n" + table + "\nendstream\nendobj\n";
    out += "startxref\n" + std::to_string(xrefOffset) + "\n%%EOF\n";
    return out;
}

bool PDFBuilder::write(const std::string& path) {
    std::ofstream f(path, std::ios::binary);
    std::string data = build();
    f.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(f);
}

namespace {

// Saves `doc` encrypted into `out`; false on failure.
bool saveEncrypted(fz_context* ctx, const std::string& in, const char* outPath, const char* user, const char* owner,
                   int permissions) {
    fz_buffer* buf;
    fz_var(buf);
    fz_stream* stm;
    fz_var(stm);
    pdf_document* doc;
    fz_var(doc);
    bool ok;
    fz_var(ok);
    buf = nullptr;
    stm = nullptr;
    doc = nullptr;
    ok = false;
    fz_try(ctx) {
        buf = fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(in.data()), in.size());
        stm = fz_open_buffer(ctx, buf);
        doc = pdf_open_document_with_stream(ctx, stm);
        pdf_write_options opts = pdf_default_write_options;
        opts.do_encrypt = PDF_ENCRYPT_AES_256;
        fz_strlcpy(opts.upwd_utf8, user, sizeof opts.upwd_utf8);
        fz_strlcpy(opts.opwd_utf8, owner, sizeof opts.opwd_utf8);
        opts.permissions = permissions;
        pdf_save_document(ctx, doc, outPath, &opts);
        ok = true;
    }
    fz_always(ctx) {
        pdf_drop_document(ctx, doc);
        fz_drop_stream(ctx, stm);
        fz_drop_buffer(ctx, buf);
    }
    fz_catch(ctx) { ok = false; }
    return ok;
}

}  // namespace

std::string encryptPDF(const std::string& pdf, const std::string& userPassword, const std::string& ownerPassword,
                       int permissions) {
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    char path[] = "/tmp/kx-encrypt-XXXXXX";
    int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    bool ok = saveEncrypted(ctx, pdf, path, userPassword.c_str(), ownerPassword.c_str(), permissions);
    fz_drop_context(ctx);
    std::string out;
    if (ok) {
        std::ifstream f(path, std::ios::binary);
        out.assign((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    }
    std::remove(path);
    if (!ok) throw std::runtime_error("could not encrypt the test document");
    return out;
}

std::string deflate(const std::string& data) {
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    size_t cap = fz_deflate_bound(ctx, data.size());
    std::string out(cap, '\0');
    size_t n = cap;
    fz_deflate(ctx, reinterpret_cast<unsigned char*>(out.data()), &n, reinterpret_cast<const unsigned char*>(data.data()),
               data.size(), FZ_DEFLATE_DEFAULT);
    fz_drop_context(ctx);
    out.resize(n);
    return out;
}

}  // namespace kx::test
