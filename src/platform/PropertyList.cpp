#include "platform/PropertyList.h"

#include <pugixml.hpp>

#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/Format.h"

namespace kx {

const PlistValue* PlistValue::find(const std::string& key) const {
    if (type != Type::Dictionary) return nullptr;
    auto it = dictionary.find(key);
    return it == dictionary.end() ? nullptr : &it->second;
}

double PlistValue::number(double fallback) const {
    if (type == Type::Integer) return static_cast<double>(integer);
    if (type == Type::Real) return real;
    return fallback;
}

namespace {

std::string decodeBase64(const char* s) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned buf = 0;
    int bits = 0;
    for (; *s; ++s) {
        if (*s == '=') break;
        auto pos = alphabet.find(*s);
        if (pos == std::string::npos) continue;  // white space inside <data>
        buf = (buf << 6) | static_cast<unsigned>(pos);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((buf >> bits) & 0xFF));
        }
    }
    return out;
}

constexpr int kMaxDepth = 256;

PlistValue parseNode(const pugi::xml_node& node, int depth) {
    PlistValue v;
    if (depth > kMaxDepth) return v;
    const char* name = node.name();
    if (!std::strcmp(name, "dict")) {
        v.type = PlistValue::Type::Dictionary;
        std::string key;
        bool haveKey = false;
        for (pugi::xml_node child : node.children()) {
            if (child.type() != pugi::node_element) continue;
            if (!std::strcmp(child.name(), "key")) {
                key = child.text().get();
                haveKey = true;
            } else if (haveKey) {
                // Keys usually come sorted (as written by writePropertyList): the end is the hint.
                v.dictionary.insert_or_assign(v.dictionary.end(), std::move(key), parseNode(child, depth + 1));
                key.clear();
                haveKey = false;
            }
        }
    } else if (!std::strcmp(name, "array")) {
        v.type = PlistValue::Type::Array;
        for (pugi::xml_node child : node.children())
            if (child.type() == pugi::node_element) v.array.push_back(parseNode(child, depth + 1));
    } else if (!std::strcmp(name, "string")) {
        v.type = PlistValue::Type::String;
        v.string = node.text().get();
    } else if (!std::strcmp(name, "integer")) {
        v.type = PlistValue::Type::Integer;
        v.integer = parseInteger(node.text().get()).value_or(0);
    } else if (!std::strcmp(name, "real")) {
        v.type = PlistValue::Type::Real;
        v.real = parseDouble(node.text().get()).value_or(0);
    } else if (!std::strcmp(name, "true") || !std::strcmp(name, "false")) {
        v.type = PlistValue::Type::Boolean;
        v.boolean = name[0] == 't';
    } else if (!std::strcmp(name, "data")) {
        v.type = PlistValue::Type::Data;
        v.string = decodeBase64(node.text().get());
    } else if (!std::strcmp(name, "date")) {
        v.type = PlistValue::Type::Date;
        v.string = node.text().get();
    }
    return v;
}

// The visiting form of parseNode: the same elements, the same depth limit, a key taken only when
// a value follows it.
void visitNode(const pugi::xml_node& node, int depth, PlistVisitor& visitor) {
    if (depth > kMaxDepth) return;
    const char* name = node.name();
    if (!std::strcmp(name, "dict")) {
        visitor.beginDictionary();
        const char* key = nullptr;
        for (pugi::xml_node child : node.children()) {
            if (child.type() != pugi::node_element) continue;
            if (!std::strcmp(child.name(), "key")) {
                key = child.text().get();
            } else if (key) {
                visitor.key(key);
                visitNode(child, depth + 1, visitor);
                key = nullptr;
            }
        }
        visitor.endDictionary();
    } else if (!std::strcmp(name, "array")) {
        visitor.beginArray();
        for (pugi::xml_node child : node.children())
            if (child.type() == pugi::node_element) visitNode(child, depth + 1, visitor);
        visitor.endArray();
    } else if (!std::strcmp(name, "string")) {
        visitor.string(node.text().get());
    } else if (!std::strcmp(name, "integer")) {
        visitor.number(static_cast<double>(parseInteger(node.text().get()).value_or(0)));
    } else if (!std::strcmp(name, "real")) {
        visitor.number(parseDouble(node.text().get()).value_or(0));
    } else if (!std::strcmp(name, "true") || !std::strcmp(name, "false") || !std::strcmp(name, "data") ||
               !std::strcmp(name, "date")) {
        visitor.otherValue();
    }
}

pugi::xml_node firstValue(const pugi::xml_document& doc) {
    pugi::xml_node root = doc.child("plist");
    pugi::xml_node first = root ? root.first_child() : doc.first_child();
    while (first && first.type() != pugi::node_element) first = first.next_sibling();
    return first;
}

// The file's bytes go through readFile: the XML reader's own file loading takes the size a folder
// reports for its length and asks for an allocation of exabytes. The document is parsed in the
// bytes, which must live as long as it.
bool loadFile(const std::string& path, pugi::xml_document& doc, std::string& bytes) {
    auto data = readFile(path);
    if (!data) return false;
    bytes = std::move(*data);
    return doc.load_buffer_inplace(bytes.data(), bytes.size());
}

std::optional<PlistValue> fromDocument(const pugi::xml_document& doc) {
    pugi::xml_node first = firstValue(doc);
    if (!first) return std::nullopt;
    return parseNode(first, 0);
}

std::string encodeBase64(const std::string& bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
        out.push_back(alphabet[(n >> 18) & 63]);
        out.push_back(alphabet[(n >> 12) & 63]);
        out.push_back(i + 1 < bytes.size() ? alphabet[(n >> 6) & 63] : '=');
        out.push_back(i + 2 < bytes.size() ? alphabet[n & 63] : '=');
    }
    return out;
}

void appendNode(pugi::xml_node parent, const PlistValue& v, int depth) {
    if (depth > kMaxDepth) return;
    switch (v.type) {
    case PlistValue::Type::Null:
        break;
    case PlistValue::Type::Boolean:
        parent.append_child(v.boolean ? "true" : "false");
        break;
    case PlistValue::Type::Integer:
        parent.append_child("integer").text().set(format("%lld", static_cast<long long>(v.integer)).c_str());
        break;
    case PlistValue::Type::Real:
        parent.append_child("real").text().set(formatShortest(v.real).c_str());
        break;
    case PlistValue::Type::String:
        parent.append_child("string").text().set(v.string.c_str());
        break;
    case PlistValue::Type::Data:
        parent.append_child("data").text().set(encodeBase64(v.string).c_str());
        break;
    case PlistValue::Type::Date:
        parent.append_child("date").text().set(v.string.c_str());
        break;
    case PlistValue::Type::Array: {
        pugi::xml_node array = parent.append_child("array");
        for (const auto& item : v.array) appendNode(array, item, depth + 1);
        break;
    }
    case PlistValue::Type::Dictionary: {
        pugi::xml_node dict = parent.append_child("dict");
        for (const auto& [key, item] : v.dictionary) {
            if (item.isNull()) continue;
            dict.append_child("key").text().set(key.c_str());
            appendNode(dict, item, depth + 1);
        }
        break;
    }
    }
}

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

}  // namespace

std::string serializePropertyList(const PlistValue& value) {
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node plist = doc.append_child("plist");
    plist.append_attribute("version") = "1.0";
    appendNode(plist, value, 0);
    StringWriter writer;
    doc.save(writer, "\t", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(writer.out);
}

bool writePropertyList(const std::string& path, const PlistValue& value) {
    std::string document = serializePropertyList(value);
    std::string partial = path + "." + newUUIDString() + ".part";
    if (!writeFile(partial, document)) {
        removeFile(partial);
        return false;
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        removeFile(partial);
        return false;
    }
    return true;
}

std::optional<PlistValue> readPropertyList(const std::string& path) {
    std::string bytes;
    pugi::xml_document doc;
    if (!loadFile(path, doc, bytes)) return std::nullopt;
    return fromDocument(doc);
}

bool visitPropertyList(const std::string& path, PlistVisitor& visitor) {
    std::string bytes;
    pugi::xml_document doc;
    if (!loadFile(path, doc, bytes)) return false;
    pugi::xml_node first = firstValue(doc);
    if (!first) return false;
    visitNode(first, 0, visitor);
    return true;
}

std::optional<PlistValue> parsePropertyList(const std::string& xml) {
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size())) return std::nullopt;
    return fromDocument(doc);
}

}  // namespace kx
