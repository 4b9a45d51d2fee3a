#include "flowtext/KXTextFileWriter.h"

KXTextFileWriter::KXTextFileWriter() : FlowFileWriter("    ", "\n", "    ", "\n") {}

std::unique_ptr<KXTextFileWriter> KXTextFileWriter::initWithPath(const std::string& path) {
    auto writer = std::make_unique<KXTextFileWriter>();
    if (!writer->open(path)) return nullptr;
    return writer;
}
