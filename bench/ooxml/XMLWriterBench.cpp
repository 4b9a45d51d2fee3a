// Writes a large WordprocessingML document part through the streaming XML writer and the run and
// paragraph serialisers: N runs, ten to a paragraph, each with its run properties and a line of
// text. Prints the time, the size written and the peak memory at 10 %, 50 % and 100 % of the runs,
// which stays flat when the writer streams.
//
//   kx_bench_xml_writer [runs] [output path]

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "docx/model/KXDocxUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"

namespace {

long peakResidentKiB() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const long runs = argc > 1 ? std::atol(argv[1]) : 1000000;
    const std::string path =
        argc > 2 ? argv[2] : kx::pathJoin(kx::systemTempDirectory(), "kx-bench-document-" + kx::newUUIDString() + ".xml");
    if (runs <= 0) {
        std::fprintf(stderr, "usage: %s [runs] [output path]\n", argv[0]);
        return 2;
    }

    const auto startTime = std::chrono::steady_clock::now();
    auto writer = XMLFileWriter::initWithPath(path);
    if (!writer) {
        std::fprintf(stderr, "Can't create %s\n", path.c_str());
        return 1;
    }
    const std::string_view w = KXOpenXMLNameSpace::nameSpace_w();
    writer->writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    writer->setPrefix("w", w);
    writer->setPrefix("r", KXOpenXMLNameSpace::nameSpace_r());
    writer->writeStartElementWithNamespace(w, "document");
    writer->writeStartElementWithNamespace(w, "body");

    const KXDocx_PPr pProperty = KXDocxUtilities::defaultPProperty();
    const KXDocx_SectPr sectProperty = KXDocxUtilities::defaultSectPropertyHiden();
    KXDocx_RPr rProperty = KXDocxUtilities::defaultRProperty();
    rProperty.rFonts.ascii = "Liberation Serif";
    const long checkpoints[] = {runs / 10, runs / 2, runs};
    size_t nextCheckpoint = 0;

    for (long i = 0; i < runs; ++i) {
        if (i % 10 == 0) {
            if (i > 0) writer->writeEndElement();  // the previous paragraph
            writer->writeStartElementWithNamespace(w, "p");
            KXDocxUtilities::WritePProperty(pProperty, rProperty, sectProperty, KXDocx_Tabs{}, *writer);
        }
        rProperty.b = i % 3 == 0;
        rProperty.sz = 9.0f + static_cast<float>(i % 5);
        rProperty.color.red = static_cast<int>(i % 256);
        rProperty.spacing = i % 7 == 0 ? -0.25f : 0.0f;
        writer->writeStartElementWithNamespace(w, "r");
        KXDocxUtilities::WriteRProperty(rProperty, *writer);
        writer->writeStartElementWithNamespace(w, "t");
        writer->writeAttributeWithNamespace("http://www.w3.org/XML/1998/namespace", "space", "preserve");
        std::u16string text = kx::utf8ToUtf16("Run " + std::to_string(i) + " \xE2\x80\x94 \xC3\xA9t\xC3\xA9 & <ok> ");
        writer->writeCharacters(std::u16string_view(text));
        writer->writeEndElement();
        writer->writeEndElement();
        if (nextCheckpoint < 3 && i + 1 == checkpoints[nextCheckpoint]) {
            std::printf("after %9ld runs: peak resident memory %ld KiB\n", i + 1, peakResidentKiB());
            ++nextCheckpoint;
        }
    }
    writer->writeEndDocument();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
    if (writer->hasWriteError()) {
        std::fprintf(stderr, "Writing %s failed\n", path.c_str());
        return 1;
    }
    const double megabytes = static_cast<double>(kx::fileSize(path).value_or(0)) / (1024.0 * 1024.0);
    std::printf("%ld runs, %.1f MiB in %.2f s (%.1f MiB/s, %.0f runs/s)\n", runs, megabytes, seconds,
                megabytes / seconds, static_cast<double>(runs) / seconds);
    if (argc <= 2) kx::removeFile(path);
    return 0;
}
