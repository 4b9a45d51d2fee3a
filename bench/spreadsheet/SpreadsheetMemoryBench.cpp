// Peak memory of a spreadsheet conversion with all pages in one sheet: a 200-page table document
// against its first 20 pages, pages stacked and side by side (and one sheet per page beside them).
// Each conversion runs in a child process of its own, whose maximum resident set is read when it
// ends.
//
// usage: KXSpreadsheetMemoryBench WORK-FOLDER

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/KXPDFOptions.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/pdf/PDFDocument.h"
#include "xlsx/KXExcelPDFExporter.h"

namespace {

// A document of `pages` pages, each a table of 40 rows and 6 columns of words and numbers.
std::string tableDocument(int pages) {
    std::vector<std::string> objects;  // bodies; object n is objects[n - 1]
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("");  // the page tree, filled in below
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    std::string kids;
    for (int p = 0; p < pages; ++p) {
        std::string content = "BT /F1 9 Tf\n";
        for (int r = 0; r < 40; ++r)
            for (int c = 0; c < 6; ++c) {
                const std::string text = c == 0 ? kx::format("Item %d-%d", p + 1, r + 1)
                                                : kx::format("%d.%02d", (p * 37 + r * 11 + c * 7) % 1000, (r + c) % 100);
                content += kx::format("1 0 0 1 %d %d Tm (%s) Tj\n", 50 + c * 90, 760 - r * 18, text.c_str());
            }
        content += "ET\n";
        const int contentNumber = static_cast<int>(objects.size()) + 2;
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> "
                          "/Contents " + std::to_string(contentNumber) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream");
        kids += std::to_string(objects.size() - 1) + " 0 R ";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>";
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t o : offsets) pdf += kx::format("%010zu 00000 n \n", o);
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

// Converts the first `pages` pages into a workbook; false when the conversion failed.
bool convert(const std::string& pdf, int pages, bool oneSheet, bool stacked, const std::string& out) {
    auto options = std::make_shared<KXPDFOptions>();
    options->excelOptions().setAllInOneSheet(oneSheet);
    options->excelOptions().setAiosAddToRow(stacked);
    std::shared_ptr<kx::PDFDocument> document = kx::PDFDocument::open(pdf);
    if (!document) return false;
    KXExcelPDFExporter exporter(true);
    exporter.setMoreOptions(options);
    exporter.setNumberOfPagesToConvert(static_cast<std::uint64_t>(pages));
    exporter.begainConvertPDF(out, document);
    for (int i = 1; i <= pages; ++i)
        if (std::optional<kx::PDFPage> page = document->page(i)) exporter.convertPDFPage(*page);
    exporter.endConvertPDF(document);
    return !exporter.exportError() && kx::isRegularFile(out);
}

// The child's peak resident set in KB; -1 when it failed.
long peakOfChild(const std::string& pdf, int pages, bool oneSheet, bool stacked, const std::string& out) {
    const pid_t child = fork();
    if (child == 0) _exit(convert(pdf, pages, oneSheet, stacked, out) ? 0 : 1);
    int status = 0;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WORK-FOLDER\n", argv[0]);
        return 2;
    }
    const std::string work = argv[1];
    const std::string pdf = kx::pathJoin(work, "table-200-pages.pdf");
    if (!kx::writeFile(pdf, tableDocument(200))) return 1;
    std::printf("| mode | 20 pages (KB) | 200 pages (KB) | ratio |\n|---|---|---|---|\n");
    struct Mode {
        const char* name;
        bool oneSheet, stacked;
    } modes[] = {{"one sheet, stacked", true, true}, {"one sheet, side by side", true, false}, {"sheet per page", false, true}};
    int status = 0;
    for (const Mode& m : modes) {
        const long small = peakOfChild(pdf, 20, m.oneSheet, m.stacked, kx::pathJoin(work, "small.xlsx"));
        const long large = peakOfChild(pdf, 200, m.oneSheet, m.stacked, kx::pathJoin(work, "large.xlsx"));
        if (small <= 0 || large <= 0) {
            std::printf("| %s | failed | failed | |\n", m.name);
            status = 1;
            continue;
        }
        std::printf("| %s | %ld | %ld | %.2f |\n", m.name, small, large, static_cast<double>(large) / small);
    }
    return status;
}
